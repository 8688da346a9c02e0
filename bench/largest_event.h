#pragma once

// The largest legal event file, shared by the benchmarks that read or write one: 9 categories
// of 200 drivers arranged 10 a heat in 20 heats, 9 rounds all run with 150 passings a car and
// classified, the overall classification, the ladder and the finals from the 1/16 (9 runs of 20
// cars of 300 passings). Every category is built alike, so category 9, at the end of the file,
// is the costliest to reach.
//
//   LargestEvent& Event() {
//       static LargestEvent event;  // built once per program, removed at exit
//       return event;
//   }
//
// While it lives the scratch folder holding Private/Course.race is the current directory, as
// the program's folder is, so the readers and writers find the file with SystemDisk().

#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <string_view>

#include "common/run_car.h"
#include "event/event_file.h"
#include "event/section.h"
#include "event/sections.h"

namespace velkaro::bench {

inline constexpr int kDriversPerHeat = kParticipants / kHeatsPerRound;  // 10
inline constexpr int kFirstFinalsLevel = 4;                             // the 1/16 finals

// Driver k (from 0) of a category: the same name in its participants, heats, classifications
// and finals.
inline std::string DriverName(int category, int k) {
    return "DRIVER " + std::to_string(category) + "-" + std::to_string(k % kParticipants + 1) +
           " OF SOME LENGTH";
}

// A run of 20 car places: the first `cars` hold the drivers from `firstDriver` on (wrapping at
// 200), each with `passings` passings; the others are empty. Lap times vary with `seed`.
inline RunCars FullRun(int category, int firstDriver, int cars, int passings, int seed) {
    RunCars out{};
    for (int i = 0; i < kCarSlots; ++i) {
        RunCar& car = out[std::size_t(i)];
        car.carNumber = i + 1;
        car.driverName = i < cars ? DriverName(category, firstDriver + i) : kEmptySlotName;
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
        car.bestLap = 28000 + (seed * 7 + i * 13) % 900;
    }
    return out;
}

inline RunTrailer Trailer() {
    RunTrailer t;
    t.description =
        "Duration 1:15:00 - STARTSoundSignal - ENDCompleteCurrentLap - Start 14/06/2026 9:05";
    t.comment = "Benchmark run";
    t.condition = "Dry";
    return t;
}

inline std::string Lines(int count, const std::string& line) {
    std::string out;
    for (int i = 0; i < count; ++i) out += line;
    return out;
}

inline void AppendSection(std::string& file, std::string_view title, int pairs,
                          const std::string& content) {
    file += "\r\n";
    file += title;
    file += "\t\r\n";
    file += PlaceRegion({}, 0, pairs, content, false).patch.bytes;
}

// The whole file. `carsPerHeat` cars are recorded in each qualifying heat: 10 is the heat as
// arranged; 20 (the next heat's drivers after the heat's own) fills every heat section to its
// largest, as in a smaller field.
inline std::string LargestEventBytes(int carsPerHeat) {
    std::string bytes =
        PlaceRegion({}, 0, kHeaderPairs,
                    "10000\t9\t" + Lines(kCategories, "CATEGORY\t200\t1\t1\t9\t20\t9\t"), true)
            .patch.bytes;
    AppendSection(bytes, kRunDoneFlagsTitle, kRunDoneFlagsPairs,
                  Lines(kRunDoneFlagCount, "1\t") + "\r\n");
    AppendSection(bytes, kTrackTitle, kTrackPairs, "Grand Prix\tRC Club\tLille\t12\t\r\n");
    for (int c = 1; c <= kCategories; ++c) {
        std::string names, places = "1\t10\t9\t\r\n", overall = "CLASSEMENTToursTemps\t4\t\r\n";
        for (int k = 0; k < kParticipants; ++k) {
            names += DriverName(c, k) + "\t123456\t" + (k % 7 == 0 ? "27.145" : "2.4Ghz") +
                     "\t\t\t\t\t\r\n";
            places += DriverName(c, k) + "\t\r\n";
            overall += DriverName(c, k) + "\t\r\n";
        }
        places += Lines(kHeatSlots - kParticipants, std::string(kEmptySlotName) + "\t\r\n");
        AppendSection(bytes, ParticipantsTitle(c).View(), kParticipantsPairs, names);
        AppendSection(bytes, HeatSlotListTitle(c).View(), kHeatSlotListPairs, places);
        AppendSection(bytes, QualifOptionsTitle(c).View(), kQualifOptionsPairs,
                      "CLASSEMENTToursTemps\tDUREESERIETemps\t5\t1\t5\t0\tDEPARTSignalSonore\t"
                      "ORDREDEPARTFixe\tFINTEMPSFinirTour\tFINTOURFinirTour\t\r\n");
        AppendSection(bytes, StartingGridsTitle(c).View(), kStartingGridsPairs,
                      "1\t20\t9\t\r\n" + Lines(9, Lines(20, "7\t") + "\r\n"));
        for (int r = 1; r <= kRounds; ++r) {
            for (int h = 1; h <= kHeatsPerRound; ++h) {
                std::string content;
                AppendRunContent(
                    content,
                    FullRun(c, (h - 1) * kDriversPerHeat, carsPerHeat, 150, c * 1000 + r * 20 + h),
                    Trailer());
                AppendSection(bytes, HeatTitle(c, r, h).View(), HeatResultPairs(carsPerHeat),
                              content);
            }
            std::string round = "CLASSEMENTToursTemps\t205\t2\t1\t1\t1\t1\t\r\n";
            for (int k = 0; k < kParticipants; ++k) {
                round += DriverName(c, k * 7 + r) + "\t149\t4500000\t28000\t" +
                         std::to_string(205 - k) + "\t\r\n";
            }
            AppendSection(bytes, RoundClassificationTitle(c, r).View(),
                          RoundClassificationPairs(kParticipants), round);
        }
        AppendSection(bytes, OverallClassificationTitle(c).View(),
                      OverallClassificationPairs(kParticipants), overall);
        AppendSection(bytes, FinalsOptionsTitle(c).View(), kFinalsOptionsPairs,
                      "DEPARTSignalSonore\tFINTEMPSFinirTour\t5\t\r\n");
        // 20 per run, 5 to the Final and 3 up elsewhere: d = 10, 34, 34, 34, 34.
        AppendSection(
            bytes, FinalsLadderTitle(c).View(), kFinalsLadderPairs,
            "200\t20\t30\t20\t15\t10\t10\t15\t10\t5\t5\t10\t34\t34\t34\t34\t5\t3\t3\t3\t\r\n");
        for (int level = kFirstFinalsLevel; level >= 0; --level) {
            for (char letter : {'A', 'B'}) {
                if (level == 0 && letter == 'B') continue;
                std::string content = "1\t\r\n";
                int first = 10 + 34 * level + (letter == 'B' ? 17 : 0);
                AppendRunContent(content,
                                 FullRun(c, first, kCarSlots, kMaxPassings, c * 100 + level),
                                 Trailer());
                AppendSection(bytes, FinalsRunTitle(c, level, letter).View(),
                              FinalsRunPairs(kCarSlots), content);
            }
        }
    }
    return bytes;
}

// The file written in a scratch folder made the current directory; both removed at the end.
struct LargestEvent {
    std::filesystem::path folder;
    std::string bytes;  // as written

    explicit LargestEvent(int carsPerHeat = kCarSlots) : bytes(LargestEventBytes(carsPerHeat)) {
        char pattern[] = "/tmp/velkaro-bench-XXXXXX";
        folder = ::mkdtemp(pattern);
        std::filesystem::create_directories(folder / "Private");
        std::filesystem::current_path(folder);
        std::ofstream(folder / "Private/Course.race", std::ios::binary) << bytes;
        // Flushed now, so that the first write measured does not pay for the whole file.
        std::unique_ptr<DiskFile> f = SystemDisk().Open(kWorkingCopy, OpenMode::Existing);
        if (!f || !f->Sync()) std::abort();
        std::printf("event file: %.1f MB\n", double(bytes.size()) / 1e6);
    }
    LargestEvent(const LargestEvent&) = delete;
    LargestEvent& operator=(const LargestEvent&) = delete;

    ~LargestEvent() {
        std::error_code ec;
        std::filesystem::current_path("/", ec);
        std::filesystem::remove_all(folder, ec);
    }
};

}  // namespace velkaro::bench
