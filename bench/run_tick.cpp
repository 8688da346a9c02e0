// The run engine's timer tick during a 20-car heat on an MK2, every sound on: a tick whose read
// is a full burst of passings (23 frames, each a counted lap that rebuilds the live order and
// its texts), and an idle tick (the race clock and its calls, nothing read).

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstring>

#include "bench/burst.h"
#include "platform/fake/fake_clock.h"
#include "timing/classification.h"
#include "timing/run_control.h"

namespace velkaro {
namespace {

class Silent final : public SoundPlayer, public Messages {
  public:
    void PlayAsync(std::string_view) override {}
    void PlayAndWait(std::string_view) override {}
    MessageAnswer Show(std::string_view, std::string_view, MessageButtons, MessageIcon) override {
        return MessageAnswer::Ok;
    }
};

constexpr int kTicksPerRun = 70;  // three cars pass twice a tick: none reaches 150 passings

struct Heat {
    Heat() {
        link.port = &port;
        link.clock = &clock;
        link.settings.interfaceType = kMk2Type;
        link.settings.ready = 1;
        link.state.settingsLoaded = 1;
        engine.link = &link;
        engine.clockSource = &clock;
        engine.sound = &silent;
        engine.disk = &SystemDisk();
        engine.messages = &silent;
        SoundSettings& s = engine.soundSettings;
        s.language = kLanguageFrench;
        s.countdown = kCountdownOn;
        s.start = kStartOn;
        s.passing = kPassingOn;
        s.bestLap = kBestLapOn;
        s.clock = kClockOn;
        s.endOfRace = kEndOfRaceOn;
        s.carFinish = kCarFinishOn;
        engine.options.durationHours = 24;
        engine.options.durationMinutes = 0;
        engine.options.durationTotalMinutes = 24 * 60;
        engine.options.countdownSeconds = 0;
        engine.circuits[0].name = "Oval";
        engine.options.circuitIndex = 0;
    }

    // A fresh run, started: the race clock runs.
    void Start() {
        engine.phase = RunPhase::Armed;  // not "Stop": it would write the circuits file
        RunTables& t = engine.tables;
        bench::TwentyCars(t);
        int size = port.size;
        port.size = 0;
        StartCommand(engine);
        clock.AdvanceMs(10);
        OnTimerTick(engine);
        port.size = size;
        ticks = 0;
    }

    bench::BurstPort port;
    FakeClock clock;
    DecoderLink link;
    Silent silent;
    RunEngine engine;
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
