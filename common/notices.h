#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "platform/text.h"

namespace velkaro {

// What the program tells the director while a race goes on (link lost, a file not yet written,
// a decoder that restarted): shown on the race panel without stopping anything, the last ones
// kept for the log the director can open. Code that runs inside the timer tick posts these
// instead of opening a box, which would hide the race and hold the tick's own work.
struct Notice {
    std::uint32_t tick = 0;  // the clock's millisecond tick when it was posted
    Text<256> text;
};

inline constexpr std::size_t kNoticesKept = 64;

struct NoticeLog {
    std::array<Notice, kNoticesKept> ring{};
    std::uint32_t posted = 0;  // ever posted: the shell shows what came since it last looked
};

// Keeps the text (cut to the slot) as the newest notice; the oldest kept goes when the log is full.
void PostNotice(NoticeLog& log, std::uint32_t tick, std::string_view text);

// How many notices the log holds now (at most kNoticesKept).
std::size_t NoticeCount(const NoticeLog& log);

// The i-th newest notice kept, 0 being the newest; i must be below NoticeCount.
const Notice& NoticeAt(const NoticeLog& log, std::size_t i);

}  // namespace velkaro
