#pragma once

#include <array>
#include <cstdint>

#include "platform/text.h"

namespace velkaro {

inline constexpr int kCarSlots = 20;                   // cars of one run; slot i is car i + 1
inline constexpr int kMaxPassings = 300;               // counted passings a car can hold
inline constexpr int kHistorySize = kMaxPassings + 1;  // entry 0 is the start
inline constexpr std::int32_t kNoTime = 1500000000;    // a time that does not exist
// Inside the selection sorts: an entry already placed, behind every real time and kNoTime.
inline constexpr std::int32_t kTakenTime = 1600000000;
inline constexpr std::int32_t kRunBestLapStart = 1000000000;
inline constexpr const char* kEmptySlotName = "(NA)";

// One car of the current run.
struct RunCar {
    Text<40> driverName;
    Text<7> transponder;  // "%06d", compared as text with each passing
    std::int32_t carNumber = 0;
    std::int32_t laps = 0;
    std::int32_t totalTime = 0;
    std::int32_t bestLap = 0;
    std::int32_t passingCount = 0;  // index of the last used history entry
    std::array<std::int32_t, kHistorySize> raceTimes{};
    std::array<std::int32_t, kHistorySize> lapTimes{};
    std::array<std::int32_t, kHistorySize> positions{};
    std::int32_t bestLapFromTimes = 0;
    std::int32_t finished = 0;
    std::int32_t newPassing = 0;
    std::int32_t newBestLap = 0;
    std::int32_t holdsRunBest = 0;
    std::int32_t checkSeen = 0;
    std::int32_t sinceLastBuzz = 0;
    std::int32_t lastBuzzTime = 0;
    std::int32_t startReference = 0;
    std::int64_t perfCounterAtPassing = 0;
    std::int64_t passingTime = 0;
    std::int32_t currentLapTime = 0;
};

using RunCars = std::array<RunCar, kCarSlots>;

// One position of the live order.
struct RunStanding {
    Text<40> driverName;
    Text<7> transponder;
    std::int32_t carNumber = 0;
    std::int32_t laps = 0;
    std::int32_t totalTime = 0;
    std::int32_t bestLap = 0;
    std::int32_t passingCount = 0;
    std::int32_t lastPassingRaceTime = 0;
    std::int32_t bestLapFromTimes = 0;
    std::int32_t lastLapTime = 0;
    std::int32_t lapsBehindLeader = 0;
    std::int32_t gapToLeader = 0;
    std::int32_t lapsBehindPrevious = 0;
    std::int32_t gapToPrevious = 0;
    std::int32_t finished = 0;
    std::int32_t newPassing = 0;
    std::int32_t newBestLap = 0;
    std::int32_t holdsRunBest = 0;

    // A time split into hours, minutes, seconds and milliseconds.
    struct Split {
        std::int32_t h = 0, m = 0, s = 0, ms = 0;
    };
    Split totalTimeSplit, lastLapTimeSplit, bestLapSplit, gapToLeaderSplit, gapToPreviousSplit,
        lastPassingRaceTimeSplit, bestLapFromTimesSplit;
};

using RunStandings = std::array<RunStanding, kCarSlots>;

// The texts of one row of the live screen.
struct LiveRow {
    Text<40> driverName;
    Text<7> transponder;
    Text<3> position;
    Text<5> carNumber;
    Text<4> laps;
    Text<15> totalTime;
    Text<15> lastLap;
    Text<15> bestLap;
    Text<15> toLeader;
    Text<15> toPrevious;
    Text<4> passingCount;
    Text<15> lastPassingRaceTime;
    Text<15> bestLapFromTimes;
    std::int32_t finished = 0;
    std::int32_t newPassing = 0;
    std::int32_t newBestLap = 0;
    std::int32_t holdsRunBest = 0;
};

using LiveRows = std::array<LiveRow, kCarSlots>;

}  // namespace velkaro
