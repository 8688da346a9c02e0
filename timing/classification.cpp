#include "timing/classification.h"

#include <algorithm>
#include <cstdint>

#include "common/int_text.h"
#include "common/run_options.h"
#include "common/time_format.h"

namespace velkaro {
namespace {

constexpr std::int32_t kNoLapKey = 1400000000;         // a car that has not passed yet
constexpr std::int32_t kOneLapNoBestKey = 1390000000;  // one lap, no best lap yet
constexpr std::int32_t kTakenKey = 1600000000;         // already placed

// Differences of times that may come back from a file, kept inside the int32 range.
std::int32_t Diff(std::int32_t a, std::int32_t b) {
    std::int64_t d = static_cast<std::int64_t>(a) - b;
    return static_cast<std::int32_t>(std::clamp<std::int64_t>(d, INT32_MIN, INT32_MAX));
}

int ClampCount(int count) {
    return std::clamp(count, 0, kCarSlots);
}

// Histories may come back from a file: never index them out of range.
int LastEntry(const RunCar& car) {
    return std::clamp(car.passingCount, 0, kMaxPassings);
}

void PlaceCar(RunStanding& s, const RunCar& car) {
    int last = LastEntry(car);
    s.driverName = car.driverName;
    s.transponder = car.transponder;
    s.carNumber = car.carNumber;
    s.laps = car.laps;
    s.totalTime = car.totalTime;
    s.bestLap = car.bestLap;
    s.passingCount = car.passingCount;
    s.lastPassingRaceTime = car.raceTimes[last];
    s.bestLapFromTimes = car.bestLapFromTimes;
    s.lastLapTime = car.lapTimes[last];
    s.lapsBehindLeader = s.gapToLeader = s.lapsBehindPrevious = s.gapToPrevious = 0;
    s.finished = car.finished;
    s.newPassing = car.newPassing;
    s.newBestLap = car.newBestLap;
    s.holdsRunBest = car.holdsRunBest;
}

// A selection sort over fixed keys: each position takes the best remaining car, the later slot
// winning a complete tie. The keys carry the substitutes; the standings get the cars' own values.
template <typename Key, typename Better>
void Select(RunCars& cars, RunStandings& standings, int count, std::array<Key, kCarSlots>& keys,
            Key start, Key taken, Better better) {
    count = ClampCount(count);
    for (int pos = 0; pos < count; ++pos) {
        Key candidate = start;
        int chosen = -1;
        for (int slot = 0; slot < kCarSlots; ++slot) {
            if (better(keys[slot], candidate)) {
                candidate = keys[slot];
                chosen = slot;
            }
        }
        if (chosen < 0) return;
        keys[chosen] = taken;
        RunCar& car = cars[chosen];
        PlaceCar(standings[pos], car);
        if (car.newPassing) car.positions[LastEntry(car)] = pos + 1;
    }
}

struct LapsKey {
    std::int32_t laps, total, last;
};
struct BestKey {
    std::int32_t best, last;
};

void SplitInto(TimeSplit& split, std::int32_t ms) {
    split = SplitTime(ms);
}

void GapText(TimeText& out, std::int32_t lapsBehind, const TimeSplit& gap) {
    if (lapsBehind > 0) {
        FormatLaps(out, lapsBehind);
    } else {
        FormatLapTime(out, gap);
    }
}

}  // namespace

void ClearStandings(RunStandings& standings) {
    standings.fill(RunStanding{});
}

int InitStandings(RunStandings& standings, const RunCars& cars) {
    ClearStandings(standings);
    int count = 0;
    for (const RunCar& car : cars) {
        if (car.driverName == kEmptySlotName) continue;
        RunStanding& s = standings[count++];
        s.driverName = car.driverName;
        s.transponder = car.transponder;
        s.carNumber = car.carNumber;
    }
    for (int k = count; k < kCarSlots; ++k) standings[k].finished = 1;
    return count;
}

void InitLiveRows(LiveRows& rows, const RunStandings& standings, int count) {
    rows.fill(LiveRow{});
    count = ClampCount(count);
    for (int k = 0; k < count; ++k) {
        const RunStanding& s = standings[k];
        LiveRow& r = rows[k];
        r.driverName = s.driverName;
        r.transponder = s.transponder;
        FormatInt(r.position, k + 1);
        FormatSpacedInt(r.carNumber, s.carNumber);
        FormatInt(r.laps, s.laps);
        FormatInt(r.passingCount, s.passingCount);
    }
}

void SortByLapsAndTime(RunCars& cars, RunStandings& standings, int count) {
    std::array<LapsKey, kCarSlots> keys;
    for (int slot = 0; slot < kCarSlots; ++slot) {
        const RunCar& car = cars[slot];
        LapsKey k{car.laps, car.totalTime, car.lapTimes[LastEntry(car)]};
        if (k.laps == 0) {
            if (k.total == 0) k.total = kNoLapKey;
            if (k.last == 0) k.last = kNoLapKey;
        }
        keys[slot] = k;
    }
    Select(cars, standings, count, keys, LapsKey{0, kNoTime, kNoTime},
           LapsKey{0, kTakenKey, kTakenKey}, [](const LapsKey& k, const LapsKey& c) {
               if (k.laps != c.laps) return k.laps > c.laps;
               if (k.total != c.total) return k.total < c.total;
               return k.last <= c.last;
           });
}

void SortByBestLap(RunCars& cars, RunStandings& standings, int count) {
    std::array<BestKey, kCarSlots> keys;
    for (int slot = 0; slot < kCarSlots; ++slot) {
        const RunCar& car = cars[slot];
        BestKey k{car.bestLap, car.lapTimes[LastEntry(car)]};
        if (car.laps == 1 && k.best == 0) k.best = kOneLapNoBestKey;
        if (car.laps == 0) {
            if (k.best == 0) k.best = kNoLapKey;
            if (k.last == 0) k.last = kNoLapKey;
        }
        keys[slot] = k;
    }
    Select(cars, standings, count, keys, BestKey{kNoTime, kNoTime}, BestKey{kTakenKey, kTakenKey},
           [](const BestKey& k, const BestKey& c) {
               if (k.best != c.best) return k.best < c.best;
               return k.last <= c.last;
           });
}

void GapsLapsAndTime(RunStandings& standings, int count) {
    count = ClampCount(count);
    if (count == 0) return;
    const RunStanding& leader = standings[0];
    standings[0].lapsBehindLeader = standings[0].gapToLeader = 0;
    standings[0].lapsBehindPrevious = standings[0].gapToPrevious = 0;
    for (int k = 1; k < count; ++k) {
        RunStanding& s = standings[k];
        const RunStanding& previous = standings[k - 1];
        bool timed = s.laps != 0 || s.totalTime != 0;
        s.lapsBehindLeader = leader.laps - s.laps;
        s.gapToLeader = s.lapsBehindLeader == 0 && timed ? Diff(s.totalTime, leader.totalTime) : 0;
        s.lapsBehindPrevious = previous.laps - s.laps;
        s.gapToPrevious =
            s.lapsBehindPrevious == 0 && timed ? Diff(s.totalTime, previous.totalTime) : 0;
    }
}

void GapsBestLap(RunStandings& standings, int count) {
    count = ClampCount(count);
    for (int k = 0; k < count; ++k) {
        RunStanding& s = standings[k];
        s.lapsBehindLeader = s.lapsBehindPrevious = 0;
        bool gap = k > 0 && s.bestLap != 0;
        s.gapToLeader = gap ? Diff(s.bestLap, standings[0].bestLap) : 0;
        s.gapToPrevious = gap ? Diff(s.bestLap, standings[k - 1].bestLap) : 0;
    }
}

void SplitStandingTimes(RunStandings& standings, int count) {
    count = ClampCount(count);
    for (int k = 0; k < count; ++k) {
        RunStanding& s = standings[k];
        SplitInto(s.totalTimeSplit, s.totalTime);
        SplitInto(s.lastLapTimeSplit, s.lastLapTime);
        SplitInto(s.bestLapSplit, s.bestLap);
        SplitInto(s.gapToLeaderSplit, s.gapToLeader);
        SplitInto(s.gapToPreviousSplit, s.gapToPrevious);
        SplitInto(s.lastPassingRaceTimeSplit, s.lastPassingRaceTime);
        SplitInto(s.bestLapFromTimesSplit, s.bestLapFromTimes);
    }
}

void BuildLiveRows(const RunStandings& standings, LiveRows& rows, Classification classification,
                   int count) {
    count = ClampCount(count);
    for (int k = 0; k < count; ++k) {
        const RunStanding& s = standings[k];
        LiveRow& r = rows[k];
        r.driverName = s.driverName;
        r.transponder = s.transponder;
        FormatSpacedInt(r.carNumber, s.carNumber);
        FormatInt(r.laps, s.laps);
        FormatInt(r.passingCount, s.passingCount);
        r.finished = s.finished;
        r.newPassing = s.newPassing;
        r.newBestLap = s.newBestLap;
        r.holdsRunBest = s.holdsRunBest;
        FormatRaceTime(r.totalTime, s.totalTimeSplit);
        FormatRaceTime(r.lastPassingRaceTime, s.lastPassingRaceTimeSplit);
        FormatLapTime(r.lastLap, s.lastLapTimeSplit);
        FormatLapTime(r.bestLap, s.bestLapSplit);
        FormatLapTime(r.bestLapFromTimes, s.bestLapFromTimesSplit);
        if (classification == Classification::ByLapsAndTime) {
            GapText(r.toLeader, s.lapsBehindLeader, s.gapToLeaderSplit);
            GapText(r.toPrevious, s.lapsBehindPrevious, s.gapToPreviousSplit);
        } else if (classification == Classification::ByBestLap) {
            FormatLapTime(r.toLeader, s.gapToLeaderSplit);
            FormatLapTime(r.toPrevious, s.gapToPreviousSplit);
        }
    }
}

void ComputeBestLapFromTimes(RunCars& cars, StartMode startMode) {
    int first = startMode == StartMode::Staggered ? 1 : 2;
    for (RunCar& car : cars) {
        int last = LastEntry(car);
        std::int32_t best = 0;
        for (int j = first; j <= last; ++j) {
            std::int32_t lap = Diff(car.raceTimes[j], car.raceTimes[j - 1]);
            if (j == first || lap < best) best = lap;
        }
        car.bestLapFromTimes = best;
    }
}

}  // namespace velkaro
