#pragma once

#include <cstdint>
#include <string_view>

#include "platform/text.h"

namespace velkaro {

// The live order rewrites some two hundred numbers per counted lap; printf's format parsing
// would be most of a timer tick's work. These write exactly what printf writes.

// Writes v as "%0<width>d" does (zeros after the sign, the sign counted in the width) and
// returns the end. out needs room for 11 characters or width, whichever is more.
char* PutInt(char* out, std::int32_t v, int width = 0);

// A slot filled with pieces, cut at the slot's end as a formatted write would cut it.
template <std::size_t N>
void AssignPieces(Text<N>& slot, const char* begin, const char* end) {
    slot.Assign(std::string_view(begin, static_cast<std::size_t>(end - begin)));
}

// "%d" and " %d " and "%dL".
template <std::size_t N>
void FormatInt(Text<N>& slot, std::int32_t v) {
    char buf[16];
    AssignPieces(slot, buf, PutInt(buf, v));
}
template <std::size_t N>
void FormatSpacedInt(Text<N>& slot, std::int32_t v) {
    char buf[16];
    buf[0] = ' ';
    char* end = PutInt(buf + 1, v);
    *end++ = ' ';
    AssignPieces(slot, buf, end);
}
template <std::size_t N>
void FormatLaps(Text<N>& slot, std::int32_t laps) {
    char buf[16];
    char* end = PutInt(buf, laps);
    *end++ = 'L';
    AssignPieces(slot, buf, end);
}

}  // namespace velkaro
