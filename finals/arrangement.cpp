#include "finals/arrangement.h"

#include <algorithm>
#include <string>

namespace velkaro {

namespace {

constexpr std::int32_t kNoLapTime = 1400000000;
constexpr std::int32_t kTaken = 1600000000;

}  // namespace

FinalsSource OrderSourceResult(const FinalsSource& source) {
    FinalsSource work = source;
    for (FinalsSourceEntry& e : work) {
        if (e.laps == 0 && e.totalTime == 0) e.totalTime = kNoLapTime;
        if (e.laps == 0 && e.lastLap == 0) e.lastLap = kNoLapTime;
    }
    FinalsSource out{};
    for (FinalsSourceEntry& o : out) {
        int best = 0;
        std::int32_t laps = 0, total = kNoTime, last = kNoTime;
        for (int i = 0; i < kCarSlots; ++i) {
            const FinalsSourceEntry& e = work[std::size_t(i)];
            bool better = e.laps > laps ||
                          (e.laps == laps &&
                           (e.totalTime < total || (e.totalTime == total && e.lastLap <= last)));
            if (better) {
                best = i;
                laps = e.laps;
                total = e.totalTime;
                last = e.lastLap;
            }
        }
        FinalsSourceEntry& chosen = work[std::size_t(best)];
        o = chosen;
        if (o.laps == 0 && o.totalTime == kNoLapTime) o.totalTime = 0;
        if (o.laps == 0 && o.lastLap == kNoLapTime) o.lastLap = 0;
        chosen.laps = 0;
        chosen.totalTime = kTaken;
        chosen.lastLap = kTaken;
    }
    return out;
}

FinalsSource SourceFromCars(const RunCars& cars) {
    FinalsSource s{};
    for (int i = 0; i < kCarSlots; ++i) {
        const RunCar& c = cars[std::size_t(i)];
        FinalsSourceEntry& e = s[std::size_t(i)];
        e.name = c.driverName;
        e.laps = c.laps;
        e.totalTime = c.totalTime;
        int n = std::clamp(c.passingCount, 0, kMaxPassings);
        e.lastLap = c.lapTimes[std::size_t(n)];
    }
    return s;
}

bool SourceWasRun(const FinalsSource& source) {
    return std::any_of(source.begin(), source.end(),
                       [](const FinalsSourceEntry& e) { return e.laps > 0; });
}

LevelValues LevelsOf(const FinalsLadder& l, int finalsRuns) {
    LevelValues v;
    for (int k = 0; k <= kFinalsLevels; ++k) {
        int i = std::min(k, 4);
        v.duration[std::size_t(k)] = l.durations[std::size_t(i)];
        v.delay[std::size_t(k)] = k == 0 ? 0 : l.delays[std::size_t(i - 1)];
        v.direct[std::size_t(k)] = l.direct[std::size_t(i)];
        v.goUp[std::size_t(k)] = k == 0 ? 0 : l.goUp[std::size_t(i - 1)];
    }
    v.goUp[kFinalsLevels + 1] = l.goUp[3];
    v.startLevel = std::clamp(StartLevelOf(finalsRuns), 0, kFinalsLevels);
    v.goUp[std::size_t(v.startLevel + 1)] = 0;
    v.participants = std::clamp(l.participants, 0, kParticipants);
    return v;
}

RunNames PlaceFinalsRun(int level, char letter, const LevelValues& v, const QualifRanking& ranking,
                        const FinalsSource& orderedA, const FinalsSource& orderedB) {
    RunNames names{};
    int next = 0;
    auto put = [&](const Text<40>& name) {
        if (next < kCarSlots) names[std::size_t(next++)] = name;
    };
    level = std::clamp(level, 0, kFinalsLevels);
    int p = v.participants;
    if (level >= 1) {
        int first = 0;
        for (int k = 0; k < level; ++k) first += v.direct[std::size_t(k)];
        int end = first + v.direct[std::size_t(level)];
        if (letter == 'B') {
            ++first;
            ++end;
        }
        for (int pos = std::max(first, 0); pos < end && pos < p; pos += 2) {
            put(ranking[std::size_t(pos)]);
        }
        int up = std::clamp(v.goUp[std::size_t(level + 1)], 0, kCarSlots);
        const FinalsSource& source = letter == 'B' ? orderedB : orderedA;
        for (int i = 0; i < up; ++i) put(source[std::size_t(i)].name);
    } else {
        for (int pos = 0; pos < v.direct[0] && pos < p; ++pos) put(ranking[std::size_t(pos)]);
        int up = std::clamp(v.goUp[1], 0, kCarSlots);
        for (int i = 0; i < up; ++i) {
            put(orderedA[std::size_t(i)].name);
            put(orderedB[std::size_t(i)].name);
        }
    }
    for (Text<40>& n : names) {
        if (n.Empty()) n = kEmptySlotName;
    }
    return names;
}

std::array<SectionTitle, 2> SourceTitles(int category, int level, char letter, int startLevel) {
    std::array<SectionTitle, 2> t{};
    if (level >= startLevel || level >= kFinalsLevels) return t;
    if (level == 0) {
        t[0] = FinalsRunTitle(category, 1, 'A');
        t[1] = FinalsRunTitle(category, 1, 'B');
    } else {
        t[0] = FinalsRunTitle(category, level + 1, letter == 'B' ? 'B' : 'A');
    }
    return t;
}

FileOutcome ReadFinalsSource(std::string_view title, FinalsSource& source, Disk& disk) {
    RunCars cars{};
    std::int32_t status = 0;
    RunTrailer trailer;
    FileOutcome outcome = ReadFinalsRunResult(title, cars, status, trailer, disk);
    if (outcome == FileOutcome::Done) source = SourceFromCars(cars);
    return outcome;
}

Text<105> FinalsRunTitleText(std::string_view category, int level, char letter) {
    Text<105> t;
    std::string name(category);
    if (level == 0) {
        Format(t, " %s - Final ", name.c_str());
    } else {
        if (letter == 'B') {
            Format(t, " %s - Finals 1/%dB ", name.c_str(), 1 << level);
        } else {
            Format(t, " %s - Finals 1/%dA ", name.c_str(), 1 << level);
        }
    }
    return t;
}

Text<128> FinalsRunHeader(int level, char letter) {
    Text<128> t;
    if (level == 0) {
        t = "Finals : Final";
    } else {
        if (letter == 'B') {
            Format(t, "Finals : 1/%dB", 1 << level);
        } else {
            Format(t, "Finals : 1/%dA", 1 << level);
        }
    }
    return t;
}

Text<12> FinalsLevelText(int level, char letter) {
    Text<12> t;
    if (level == 0) {
        t = "FIN";
    } else {
        if (letter == 'B') {
            Format(t, "1/%dB", 1 << level);
        } else {
            Format(t, "1/%dA", 1 << level);
        }
    }
    return t;
}

}  // namespace velkaro
