#pragma once

#include <cstdint>

#include "platform/text.h"
#include "common/run_car.h"

namespace velkaro {

using TimeSplit = RunStanding::Split;
using TimeText = Text<15>;

// Hours, minutes, seconds and milliseconds of a time in ms, each truncated toward zero.
TimeSplit SplitTime(std::int32_t ms);

// "h:mm:ss.mmm", or "m:ss.mmm" under an hour: totals and race clocks.
void FormatRaceTime(TimeText& out, std::int32_t h, std::int32_t m, std::int32_t s, std::int32_t ms);
// As FormatRaceTime, and "s.mmm" under a minute: laps and gaps.
void FormatLapTime(TimeText& out, std::int32_t h, std::int32_t m, std::int32_t s, std::int32_t ms);

inline void FormatRaceTime(TimeText& out, const TimeSplit& t) {
    FormatRaceTime(out, t.h, t.m, t.s, t.ms);
}
inline void FormatLapTime(TimeText& out, const TimeSplit& t) {
    FormatLapTime(out, t.h, t.m, t.s, t.ms);
}

}  // namespace velkaro
