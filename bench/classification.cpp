// Opening the classifications on the largest legal event: 9 categories of 200 drivers, 9 rounds
// of 20 heats of 10 drivers, every heat run with 150 passings a car, every round classified and
// the finals run. The round of category 9, round 9 (near the end of the file) and its overall,
// read from the event file as the forms open them; and the sort, points and ranking alone.

#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "event/event_file.h"
#include "event/section.h"
#include "event/sections.h"
#include "qualification/overall_classification.h"
#include "qualification/round_classification.h"

namespace velkaro {
namespace {

namespace fs = std::filesystem;

constexpr int kPerHeat = 10;

std::string DriverName(int i) {
    return "DRIVER NAME " + std::to_string(1000 + i);
}

RunCars Heat(int firstDriver, int seed) {
    RunCars cars{};
    for (int i = 0; i < kCarSlots; ++i) {
        RunCar& car = cars[std::size_t(i)];
        car.carNumber = i + 1;
        car.driverName = i < kPerHeat ? DriverName(firstDriver + i) : std::string(kEmptySlotName);
        car.passingCount = 150;
        car.laps = 149 - (seed + i) % 3;
        std::int32_t t = 1000 + 41 * i;
        for (int p = 1; p <= 150; ++p) {
            std::int32_t lap = 28000 + (seed * 131 + i * 71 + p * 53) % 4000;
            t += lap;
            car.raceTimes[std::size_t(p)] = t;
            car.lapTimes[std::size_t(p)] = lap;
        }
        car.totalTime = t;
        car.bestLap = 28000 + (seed * 7 + i * 13) % 900;
    }
    return cars;
}

void Append(std::string& file, std::string_view title, int pairs, const std::string& content) {
    file += "\r\n";
    file += title;
    file += "\t\r\n";
    file += PlaceRegion({}, 0, pairs, content, false).patch.bytes;
}

struct LargestEvent {
    fs::path folder;

    LargestEvent() {
        char pattern[] = "/tmp/velkaro-bench-XXXXXX";
        folder = ::mkdtemp(pattern);
        fs::create_directories(folder / "Private");
        fs::current_path(folder);
        std::string header = "10000\t9\t";
        for (int c = 0; c < kCategories; ++c) header += "CATEGORY\t200\t1\t1\t9\t20\t23\t";
        std::string bytes = PlaceRegion({}, 0, kHeaderPairs, header, true).patch.bytes;
        std::string flags;
        for (int i = 0; i < kRunDoneFlagCount; ++i) flags += "1\t";
        Append(bytes, kRunDoneFlagsTitle, kRunDoneFlagsPairs, flags + "\r\n");
        Append(bytes, kTrackTitle, kTrackPairs, "Grand Prix\tRC Club\tLille\t12\t\r\n");
        RunTrailer trailer;
        trailer.description = "Duration 1:15:00 - Start 14/06/2026 9:05";
        trailer.condition = "Dry";
        for (int c = 1; c <= kCategories; ++c) {
            std::string names, places = "1\t10\t9\t\r\n";
            for (int i = 0; i < kParticipants; ++i) {
                names += DriverName(i) + "\t123456\t2.4Ghz\t\t\t\t\t\r\n";
                places += DriverName(i) + "\t\r\n";
            }
            for (int i = kParticipants; i < kHeatSlots; ++i) places += "(NA)\t\r\n";
            Append(bytes, ParticipantsTitle(c).View(), kParticipantsPairs, names);
            Append(bytes, HeatSlotListTitle(c).View(), kHeatSlotListPairs, places);
            for (int r = 1; r <= kRounds; ++r) {
                for (int h = 1; h <= kHeatsPerRound; ++h) {
                    std::string content;
                    AppendRunContent(content, Heat((h - 1) * kPerHeat, c * 1000 + r * 20 + h),
                                     trailer);
                    Append(bytes, HeatTitle(c, r, h).View(), HeatResultPairs(kPerHeat), content);
                }
                std::string round = "CLASSEMENTToursTemps\t205\t2\t1\t1\t1\t1\t\r\n";
                for (int i = 0; i < kParticipants; ++i) {
                    round += DriverName((i * 7 + r) % kParticipants) + "\t149\t4500000\t28000\t" +
                             std::to_string(std::max(0, 205 - i)) + "\t\r\n";
                }
                Append(bytes, RoundClassificationTitle(c, r).View(), RoundClassificationPairs(200),
                       round);
            }
            std::string overall = "CLASSEMENTToursTemps\t3\t\r\n";
            for (int i = 0; i < kParticipants; ++i) overall += DriverName(i) + "\t\r\n";
            Append(bytes, OverallClassificationTitle(c).View(), OverallClassificationPairs(200),
                   overall);
            for (int level = kFinalsLevels; level >= 0; --level) {
                for (char letter : {'A', 'B'}) {
                    if (level == 0 && letter == 'B') continue;
                    std::string content = "1\t\r\n";
                    AppendRunContent(content, Heat(0, c * 100 + level), trailer);
                    Append(bytes, FinalsRunTitle(c, level, letter).View(), FinalsRunPairs(20),
                           content);
                }
            }
        }
        std::ofstream(folder / "Private/Course.race", std::ios::binary) << bytes;
        std::printf("event file: %.1f MB\n", double(bytes.size()) / 1e6);
    }

    ~LargestEvent() {
        std::error_code ec;
        fs::current_path("/", ec);
        fs::remove_all(folder, ec);
    }
};

LargestEvent& Event() {
    static LargestEvent event;
    return event;
}

void BM_OpenRoundClassification(benchmark::State& state) {
    Event();
    for (auto _ : state) {
        RoundNotes notes;
        RoundSheet sheet = OpenRoundSheet(9, 9, notes);
        if (sheet.raced != kParticipants || !notes.strangers.empty()) {
            state.SkipWithError("the round is not whole");
        }
        benchmark::DoNotOptimize(sheet);
    }
}
BENCHMARK(BM_OpenRoundClassification)->Unit(benchmark::kMillisecond);

void BM_OpenOverallClassification(benchmark::State& state) {
    Event();
    for (auto _ : state) {
        OverallNotes notes;
        OverallSheet sheet = OpenOverallSheet(9, notes);
        if (sheet.classified != kParticipants || !notes.strangers.empty()) {
            state.SkipWithError("the overall is not whole");
        }
        benchmark::DoNotOptimize(sheet);
    }
}
BENCHMARK(BM_OpenOverallClassification)->Unit(benchmark::kMillisecond);

// The pure parts: 200 drivers all tied, the worst case of both selections.
void BM_ClassifyRoundAllTied(benchmark::State& state) {
    RoundClassification c;
    for (int i = 0; i < kParticipants; ++i) {
        RoundResult& e = c.entries[std::size_t(i)];
        e.name = DriverName(i);
        e.laps = 10;
        e.totalTime = 300000;
        e.bestLap = 29000;
    }
    c.scale = DefaultPointsScale(kParticipants);
    for (auto _ : state) {
        RoundClassification work = c;
        ClassifyRound(work, kParticipants);
        benchmark::DoNotOptimize(work);
    }
}
BENCHMARK(BM_ClassifyRoundAllTied)->Unit(benchmark::kMicrosecond);

void BM_RankOverallAllTied(benchmark::State& state) {
    ParticipantNames names{};
    for (int i = 0; i < kParticipants; ++i) names[std::size_t(i)] = DriverName(i);
    OverallEntries e = EntriesOf(names);
    for (OverallEntry& x : e) {
        for (int r = 0; r < kRounds; ++r) {
            x.roundPoints[std::size_t(r)] = {50, r + 1};
            x.results[std::size_t(r)] = {10, 300000, r + 1};
            x.bestLaps[std::size_t(r)] = {29000, r + 1};
        }
    }
    ComputeTotals(e, kParticipants, 9);
    for (auto _ : state) {
        OverallEntries ranked = RankOverall(e, kParticipants, Classification::ByLapsAndTime);
        benchmark::DoNotOptimize(ranked);
    }
}
BENCHMARK(BM_RankOverallAllTied)->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace velkaro
