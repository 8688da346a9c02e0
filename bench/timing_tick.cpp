// One timer tick of a running 20-car heat at its busiest: a full 255-byte read of MK2 frames
// (23 of them), each a counted lap that rebuilds the live order and its texts.

#include <benchmark/benchmark.h>

#include <cstring>

#include "platform/fake/fake_clock.h"
#include "timing/classification.h"
#include "timing/decoder_link.h"
#include "timing/passing_processing.h"

namespace velkaro {
namespace {

// A port whose every read finds the same bytes waiting.
class RepeatingPort final : public SerialPort {
  public:
    bool Open(std::string_view, const LineSettings&) override { return true; }
    bool Purge() override { return true; }
    bool RaiseDtr() override { return true; }
    bool Read(std::uint8_t* buffer, int max, int* got) override {
        *got = std::min(max, size);
        std::memcpy(buffer, bytes, static_cast<std::size_t>(*got));
        return true;
    }
    bool Write(const std::uint8_t*, int count, int* written) override {
        *written = count;
        return true;
    }
    void Close() override {}
    bool IsOpen() const override { return true; }

    std::uint8_t bytes[kMaxRead] = {};
    int size = 0;
};

constexpr int kFrames = kMaxRead / kMk2PassingSize;  // 23
constexpr std::int64_t kTickAdvanceMs = 60000;       // each tick's frames come a minute later
constexpr int kTicksPerRun = 100;                    // well before any car fills its histories

void NewRun(RunTables& t, std::int64_t* offset) {
    for (int slot = 0; slot < kCarSlots; ++slot) {
        Format(t.cars[slot].driverName, "Driver number %d", slot + 1);
        Format(t.cars[slot].transponder, "%06d", 2001 + slot);
    }
    ResetRunCars(t.cars);
    t.carsInUse = InitStandings(t.standings, t.cars);
    InitLiveRows(t.rows, t.standings, t.carsInUse);
    t.runBestLap = kRunBestLapStart;
    *offset = 0;
}

void TimingTick(benchmark::State& state, std::string_view classification) {
    RepeatingPort port;
    // Frame j is car j mod 20 at j x 150 ms: three cars pass twice, 3 s apart.
    for (int j = 0; j < kFrames; ++j) {
        int transponder = 2001 + j % kCarSlots;
        int ms = j * 150;
        int count = 18661 + (ms % 1000) * 12000 / 256 + 1;
        std::uint8_t* f = port.bytes + j * kMk2PassingSize;
        const std::uint8_t frame[] = {0xFF,
                                      0xFF,
                                      0xFF,
                                      0xF0,
                                      static_cast<std::uint8_t>(transponder >> 8),
                                      static_cast<std::uint8_t>(transponder & 0xFF),
                                      0,
                                      0,
                                      static_cast<std::uint8_t>(ms / 1000),
                                      static_cast<std::uint8_t>(count >> 8),
                                      static_cast<std::uint8_t>(count & 0xFF)};
        std::memcpy(f, frame, sizeof frame);
    }
    port.size = kMaxRead;  // the last two bytes are a frame cut short

    FakeClock clock;
    DecoderLink link;
    link.port = &port;
    link.clock = &clock;
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
    TimingTick(state, kByLapsAndTime);
}
void BM_TickByBestLap(benchmark::State& state) {
    TimingTick(state, kByBestLap);
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
