// The run engine's timer tick during a 20-car heat on an MK2, every sound on: a tick whose read
// is a full burst of passings (23 frames, each a counted lap that rebuilds the live order and
// its texts), and an idle tick (the race clock and its calls, nothing read).

#include <benchmark/benchmark.h>

#include "bench/heat.h"

namespace velkaro {
namespace {

constexpr int kTicksPerRun = 70;  // three cars pass twice a tick: none reaches 150 passings

// Every sound on, on a named circuit.
struct Heat : bench::Heat {
    Heat() {
        SoundSettings& s = engine.soundSettings;
        s.language = kLanguageFrench;
        s.countdown = kCountdownOn;
        s.start = kStartOn;
        s.passing = kPassingOn;
        s.bestLap = kBestLapOn;
        s.clock = kClockOn;
        s.endOfRace = kEndOfRaceOn;
        s.carFinish = kCarFinishOn;
        engine.circuits[0].name = "Oval";
        engine.options.circuitIndex = 0;
    }
    void Start() {
        bench::Heat::Start();
        ticks = 0;
    }
    int ticks = 0;
};

void RunTick(benchmark::State& state, int readSize) {
    Heat heat;
    heat.port.size = readSize;  // the last two bytes of a full read are a frame cut short
    heat.Start();
    std::int64_t laps = 0;
    for (auto _ : state) {
        if (heat.ticks == kTicksPerRun || heat.engine.phase != RunPhase::Running) {
            state.PauseTiming();
            heat.Start();
            state.ResumeTiming();
        }
        std::uint32_t before = heat.engine.repaints;
        heat.clock.AdvanceMs(10);
        heat.link.timeBase.runTimeOffset -= 60000;  // each read's frames come a minute later
        OnTimerTick(heat.engine);
        laps += heat.engine.repaints - before;
        ++heat.ticks;
        benchmark::DoNotOptimize(heat.engine.tables.rows);
    }
    state.counters["repaints_per_tick"] =
        benchmark::Counter(static_cast<double>(laps) / static_cast<double>(state.iterations()));
}

void BM_RunTickPassingBurst(benchmark::State& state) {
    RunTick(state, kMaxRead);
}
void BM_RunTickIdle(benchmark::State& state) {
    RunTick(state, 0);
}

BENCHMARK(BM_RunTickPassingBurst)
    ->Unit(benchmark::kMicrosecond)
    ->Repetitions(15)
    ->ReportAggregatesOnly(true);
BENCHMARK(BM_RunTickIdle)
    ->Unit(benchmark::kMicrosecond)
    ->Repetitions(15)
    ->ReportAggregatesOnly(true);

}  // namespace
}  // namespace velkaro
