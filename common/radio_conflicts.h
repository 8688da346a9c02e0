#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "common/run_car.h"
#include "platform/text.h"

// Drivers of one run on the same radio frequency jam each other: who they are, and how the
// director is told.

namespace velkaro {

// Every car on this frequency hops channels by itself.
inline constexpr std::string_view kNoClashFrequency = "2.4Ghz";
inline constexpr std::string_view kConflictHeading = "Radio Conflict";

// A run's lanes as the radio sees them: the driver and the first frequency of the driver's
// participant (empty when none is known).
struct RadioLane {
    Text<40> name;
    Text<7> frequency;
};
using RadioGrid = std::array<RadioLane, kCarSlots>;

// The lanes (from 0, in lane order) whose drivers share one frequency.
struct RadioConflict {
    Text<7> frequency;
    std::array<std::int32_t, kCarSlots> lanes{};
    int count = 0;
};
struct RadioConflicts {
    std::array<RadioConflict, kCarSlots / 2> list{};
    int count = 0;
};

// The frequencies two or more drivers of the first `lanes` lanes share, in the order of their
// first lane. Free places, empty frequencies and "2.4Ghz" never conflict.
RadioConflicts FindRadioConflicts(const RadioGrid& grid, int lanes = kCarSlots);

// One line a conflict, "Evans / King on 40.665", after "`run`: " when a run is named.
std::vector<std::string> ConflictLines(const RadioGrid& grid, const RadioConflicts& conflicts,
                                       std::string_view run = {});
// The first line and how many more ("... +2 more"); empty when there is none.
std::string FirstAndMore(const std::vector<std::string>& lines);
// The lines one below the other.
std::string AllLines(const std::vector<std::string>& lines);

}  // namespace velkaro
