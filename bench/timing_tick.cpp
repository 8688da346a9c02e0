// One timer tick of a running 20-car heat at its busiest: a full 255-byte read of MK2 frames
// (23 of them), each a counted lap that rebuilds the live order and its texts.

#include <benchmark/benchmark.h>

#include <cstring>

#include "bench/burst.h"
#include "platform/fake/fake_clock.h"
#include "timing/classification.h"
#include "timing/decoder_link.h"
#include "timing/passing_processing.h"

namespace velkaro {
namespace {

constexpr std::int64_t kTickAdvanceMs = 60000;  // each tick's frames come a minute later
constexpr int kTicksPerRun = 100;               // well before any car fills its histories

void NewRun(RunTables& t, std::int64_t* offset) {
    bench::TwentyCars(t);
    t.runBestLap = kRunBestLapStart;
    *offset = 0;
}

void TimingTick(benchmark::State& state, Classification classification) {
    bench::BurstPort port;

    FakeClock clock;
    DecoderLink link;
    link.port = &port;
    link.clock = &clock;
    link.disk = &SystemDisk();
    link.settings.interfaceType = kMk2Type;
    link.settings.ready = 1;

    RunTables tables;
    RunOptions options;
    options.classification = classification;
    options.durationTotalMinutes = 60 * 24;
    CircuitRecord circuit;
    RunContext run;
    run.tables = &tables;
    run.options = &options;
    run.circuit = &circuit;
    run.clock = &clock;
    run.timeBase = &link.timeBase;
    int repaints = 0;
    run.hooks.repaint = [&repaints] { ++repaints; };
    PassingSink sink = [&run](const Passing& p) { HandlePassing(run, p); };

    std::int64_t counted = 0;
    int ticks = 0;
    NewRun(tables, &link.timeBase.runTimeOffset);
    for (auto _ : state) {
        if (ticks == kTicksPerRun) {
            state.PauseTiming();
            NewRun(tables, &link.timeBase.runTimeOffset);
            ticks = 0;
            state.ResumeTiming();
        }
        int before = repaints;
        PollDecoder(link, sink);
        counted += repaints - before;
        link.timeBase.runTimeOffset -= kTickAdvanceMs;  // later passings, same bytes
        ++ticks;
        benchmark::DoNotOptimize(tables.rows);
    }
    state.counters["laps_per_tick"] =
        benchmark::Counter(static_cast<double>(counted) / static_cast<double>(state.iterations()));
}

void BM_TickByLapsAndTime(benchmark::State& state) {
    TimingTick(state, Classification::ByLapsAndTime);
}
void BM_TickByBestLap(benchmark::State& state) {
    TimingTick(state, Classification::ByBestLap);
}

BENCHMARK(BM_TickByLapsAndTime)
    ->Unit(benchmark::kMicrosecond)
    ->Repetitions(15)
    ->ReportAggregatesOnly(true);
BENCHMARK(BM_TickByBestLap)
    ->Unit(benchmark::kMicrosecond)
    ->Repetitions(15)
    ->ReportAggregatesOnly(true);

}  // namespace
}  // namespace velkaro
