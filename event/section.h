#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "event/journal.h"

namespace velkaro {

// Where a section's body starts in the bytes of an event file.
struct SectionPosition {
    bool found = false;
    std::size_t body = 0;  // the first body line (the end of the file when there is none)
};

// The section search: from the top, the first field of every line, data lines included, is
// compared with the title as two zero-filled 105-byte buffers would compare them (so both are
// cut at 104 characters). The first line that matches wins.
SectionPosition FindSectionIn(std::string_view file, std::string_view title);

// The body reservation: `pairs` times "1" TAB and a line end.
std::string Reservation(int pairs);

// Bytes up to the next section: from `start` to the empty line that precedes the next title
// line, or to the end of the file. A title line is one whose first field is a title the system
// writes; a data line that reads like one (a driver named so) only makes the extent shorter,
// which costs room, never another section's bytes. PlaceRegion looks past such a line when
// the section's own reservation is laid again.
std::size_t ExtentFrom(std::string_view file, std::size_t start);

// How writing a reservation and its content at `start` changes the file.
struct RegionWrite {
    Patch patch;                  // from `start` on; to the new end of the file when it grows
    std::size_t regionSize = 0;   // the reservation with its content
    std::size_t replacedEnd = 0;  // old bytes from `start` up to here are rewritten
    std::int64_t shift = 0;       // how far the old bytes after replacedEnd move
};

// The reservation of `pairs` pairs is laid at `start` and `content` written over its start,
// exactly as an in-place rewrite does. Two cases keep every other section whole where the
// in-place rewrite would not: a reservation larger than the room up to the next section moves
// the rest of the file, and content that would run past its reservation (and its line end,
// when `keepLineEnd`) gets a reservation just large enough. The room of a section laid again
// with the same reservation is that reservation, whatever lines inside it read like titles.
RegionWrite PlaceRegion(std::string_view file, std::size_t start, int pairs,
                        std::string_view content, bool keepLineEnd);

struct SectionWrite {
    bool written = false;  // false: the title cannot be found, even after appending it
    std::size_t body = 0;  // where the body starts in the file as it will be
    RegionWrite region;
};

// Writing a section with a reservation: found, its body is rewritten; missing and
// `mayCreate`, the title line is appended first (an empty line, the title, TAB).
SectionWrite PlanSectionWrite(std::string_view file, std::string_view title, int pairs,
                              std::string_view content, bool mayCreate);

}  // namespace velkaro
