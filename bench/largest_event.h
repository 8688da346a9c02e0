#pragma once

// The largest legal event file, as the benchmarks build it: 9 categories of 200 drivers, 9 rounds
// of 20 heats of 20 cars with 150 passings each, every round classified, the overall ranking,
// and the finals from the 1/16 with 20 cars of 300 passings in each run.

#include <algorithm>
#include <string>

#include "event/event_file.h"
#include "event/section.h"
#include "event/sections.h"

namespace velkaro::largest {

inline std::string Driver(int c, int k) {
    return "DRIVER " + std::to_string(c) + "-" + std::to_string(k + 1) + " OF SOME LENGTH";
}

// 20 cars of the drivers from `first` in the ranking, each with `passings` passings.
inline RunCars FullRun(int c, int first, int passings, int seed) {
    RunCars cars{};
    for (int i = 0; i < kCarSlots; ++i) {
        RunCar& car = cars[std::size_t(i)];
        car.carNumber = i + 1;
        car.driverName = Driver(c, (first + i) % kParticipants);
        car.passingCount = passings;
        car.laps = passings - 1 - (seed + i) % 3;
        std::int32_t t = 1000 + 41 * i;
        for (int p = 1; p <= passings; ++p) {
            std::int32_t lap = 28000 + (seed * 131 + i * 71 + p * 53) % 4000;
            t += lap;
            car.raceTimes[std::size_t(p)] = t;
            car.lapTimes[std::size_t(p)] = lap;
        }
        car.totalTime = t;
        car.bestLap = 28000;
    }
    return cars;
}

inline RunTrailer Trailer() {
    RunTrailer t;
    t.description =
        "Duration 1:15:00 - STARTSoundSignal - ENDCompleteCurrentLap - Start 14/06/2026 9:05";
    t.comment = "Benchmark run";
    t.condition = "Dry";
    return t;
}

inline void Append(std::string& file, std::string_view title, int pairs,
                   const std::string& content) {
    file += "\r\n";
    file += title;
    file += "\t\r\n";
    file += PlaceRegion({}, 0, pairs, content, false).patch.bytes;
}

inline std::string Lines(int count, const std::string& line) {
    std::string out;
    for (int i = 0; i < count; ++i) out += line;
    return out;
}

constexpr int kStartLevel = 4;  // the 1/16 finals

// The whole file's bytes.
inline std::string LargestEventBytes() {
    std::string bytes =
        PlaceRegion({}, 0, kHeaderPairs,
                    "10000\t9\t" + Lines(kCategories, "CATEGORY\t200\t1\t2\t9\t20\t9\t"), true)
            .patch.bytes;
    Append(bytes, kRunDoneFlagsTitle, kRunDoneFlagsPairs, Lines(kRunDoneFlagCount, "1\t") + "\r\n");
    Append(bytes, kTrackTitle, kTrackPairs, "Grand Prix\tRC Club\tLille\t12\t\r\n");
    for (int c = 1; c <= kCategories; ++c) {
        std::string names, ranking, round;
        for (int k = 0; k < kParticipants; ++k) {
            names += Driver(c, k) + "\t123456\t2.4Ghz\t\t\t\t\t\r\n";
            ranking += Driver(c, k) + "\t\r\n";
            round += Driver(c, (k * 7) % kParticipants) + "\t150\t4500000\t28000\t" +
                     std::to_string(205 - k) + "\t\r\n";
        }
        Append(bytes, ParticipantsTitle(c).View(), kParticipantsPairs, names);
        Append(bytes, HeatSlotListTitle(c).View(), kHeatSlotListPairs,
               "1\t10\t9\t\r\n" + Lines(kHeatSlots, "DRIVER NAME OF SOME LENGTH\t\r\n"));
        Append(bytes, StartingGridsTitle(c).View(), kStartingGridsPairs,
               "1\t20\t9\t\r\n" + Lines(9, Lines(20, "7\t") + "\r\n"));
        for (int r = 1; r <= kRounds; ++r) {
            for (int h = 1; h <= kHeatsPerRound; ++h) {
                std::string content;
                AppendRunContent(content, FullRun(c, h * 10, 150, c * 1000 + r * 20 + h),
                                 Trailer());
                Append(bytes, HeatTitle(c, r, h).View(), HeatResultPairs(20), content);
            }
            Append(bytes, RoundClassificationTitle(c, r).View(), RoundClassificationPairs(200),
                   "CLASSEMENTToursTemps\t205\t2\t1\t1\t1\t1\t\r\n" + round);
        }
        Append(bytes, OverallClassificationTitle(c).View(), OverallClassificationPairs(200),
               "CLASSEMENTToursTemps\t4\t\r\n" + ranking);
        Append(bytes, FinalsOptionsTitle(c).View(), kFinalsOptionsPairs,
               "DEPARTSignalSonore\tFINTEMPSFinirTour\t5\t\r\n");
        // 20 per run, 5 to the Final and 3 up elsewhere: d = 10, 34, 34, 34, 34.
        Append(bytes, FinalsLadderTitle(c).View(), kFinalsLadderPairs,
               "200\t20\t30\t20\t15\t10\t10\t15\t10\t5\t5\t10\t34\t34\t34\t34\t5\t3\t3\t3\t\r\n");
        for (int level = kStartLevel; level >= 0; --level) {
            for (char letter : {'A', 'B'}) {
                if (level == 0 && letter == 'B') continue;
                std::string content = "1\t\r\n";
                int first = 10 + 34 * level + (letter == 'B' ? 17 : 0);
                AppendRunContent(content, FullRun(c, first, kMaxPassings, c * 100 + level),
                                 Trailer());
                Append(bytes, FinalsRunTitle(c, level, letter).View(), FinalsRunPairs(20), content);
            }
        }
    }
    return bytes;
}

}  // namespace velkaro::largest
