#pragma once

#include <cstdint>

namespace velkaro {

// The clocks of a run (the pre-start countdown, the race clock, the delay between runs): the
// time since their start, and the time still to go rounded up to whole seconds, so that the
// remaining time reads 0:00:00 as soon as the whole limit has elapsed.
struct RaceClock {
    std::int32_t elapsedHours = 0;
    std::int32_t elapsedMinutes = 0;
    std::int32_t elapsedSeconds = 0;
    std::int32_t elapsedMilliseconds = 0;
    std::int32_t remainingHours = 0;
    std::int32_t remainingMinutes = 0;
    std::int32_t remainingSeconds = 0;

    bool AtZero() const {
        return remainingHours == 0 && remainingMinutes == 0 && remainingSeconds == 0;
    }
    bool Counting() const {
        return remainingHours > 0 || remainingMinutes > 0 || remainingSeconds > 0;
    }
};

// Both splits truncate toward zero; past its limit the remaining time goes negative.
RaceClock ReadClock(std::uint32_t startTick, std::uint32_t now, std::int64_t limitMs);

// A clock's text changes once a second: within the first 100 ms of an elapsed second, and at
// least 200 ms after its previous change. Moves lastUpdate to now when it is due.
bool DisplayDue(std::int32_t elapsedMsPart, std::uint32_t now, std::uint32_t& lastUpdate);

}  // namespace velkaro
