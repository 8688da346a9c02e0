// Opening the classifications on the largest legal event file (see largest_event.h). The round
// of category 9, round 9 (near the end of the file) and its overall, read from the event file as
// the forms open them; and the sort, points and ranking alone.

#include <benchmark/benchmark.h>

#include "bench/largest_event.h"
#include "qualification/overall_classification.h"
#include "qualification/round_classification.h"

namespace velkaro {
namespace {

// Heats as arranged, so that every driver of the round is met once.
bench::LargestEvent& Event() {
    static bench::LargestEvent event(bench::kDriversPerHeat);
    return event;
}

std::string DriverName(int i) {
    return bench::DriverName(kCategories, i);
}

void BM_OpenRoundClassification(benchmark::State& state) {
    Event();
    for (auto _ : state) {
        RoundNotes notes;
        RoundSheet sheet = OpenRoundSheet(9, 9, notes, SystemDisk());
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
        OverallSheet sheet = OpenOverallSheet(9, notes, SystemDisk());
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
