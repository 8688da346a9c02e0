// The closure report of the largest category, read from the largest legal event file (see
// largest_event.h) with heats of 20 cars. The whole report: the ranking with its points from the
// nine round classifications, the ladder, the nine finals runs read and ordered, and the table
// built.

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <memory>

#include "bench/largest_event.h"
#include "event/event_file.h"
#include "finals/closure.h"
#include "platform/fake/fake_messages.h"

namespace velkaro {
namespace {

using bench::kFirstFinalsLevel;

struct Largest {
    bench::LargestEvent event;
    EventHeader header;

    Largest() {
        if (ReadEventHeader(header, SystemDisk()) != FileOutcome::Done) std::abort();
    }
};

Largest& Event() {
    static Largest event;
    return event;
}

// What the closure form does on opening, for the last category of the file.
void BM_ClosureReportOfTheLargestCategory(benchmark::State& state) {
    const EventHeader& header = Event().header;
    FakeMessages messages;
    auto input = std::make_unique<ClosureInput>();
    auto table = std::make_unique<ClosureTable>();
    for (auto _ : state) {
        if (!ReadClosureInput(kCategories, header, *input, messages, SystemDisk())) {
            state.SkipWithError("event file not read");
        }
        BuildClosureTable(*input, *table);
        benchmark::DoNotOptimize(table->count);
    }
    if (table->count != kCarSlots * (2 * kFirstFinalsLevel + 1)) {  // every finals car, once a row
        state.SkipWithError("unexpected number of rows");
    }
    state.counters["fileMB"] = double(Event().event.bytes.size()) / 1e6;
}
BENCHMARK(BM_ClosureReportOfTheLargestCategory)->Unit(benchmark::kMillisecond);

// The table alone, from input already read.
void BM_ClosureTableOnly(benchmark::State& state) {
    FakeMessages messages;
    auto input = std::make_unique<ClosureInput>();
    auto table = std::make_unique<ClosureTable>();
    if (!ReadClosureInput(kCategories, Event().header, *input, messages, SystemDisk()))
        std::abort();
    for (auto _ : state) {
        BuildClosureTable(*input, *table);
        benchmark::DoNotOptimize(table->count);
    }
}
BENCHMARK(BM_ClosureTableOnly)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace velkaro
