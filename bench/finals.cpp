// The closure report of the largest category, read from the largest legal event file: 9
// categories of 200 drivers, 9 rounds of 20 heats of 20 cars, every classification, and the
// last category's finals from the 1/16 with 20 cars of 300 passings in each run. The whole
// report: the ranking with its points from the nine round classifications, the ladder, the
// nine finals runs read and ordered, and the table built.

#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "bench/largest_event.h"
#include "event/event_file.h"
#include "event/section.h"
#include "event/sections.h"
#include "finals/closure.h"
#include "platform/fake/fake_messages.h"

namespace velkaro {
namespace {

namespace fs = std::filesystem;

using largest::LargestEventBytes;

struct LargestEvent {
    fs::path folder;
    EventHeader header;
    std::size_t size = 0;

    LargestEvent() {
        char pattern[] = "/tmp/velkaro-bench-XXXXXX";
        folder = ::mkdtemp(pattern);
        fs::create_directories(folder / "Private");
        fs::current_path(folder);

        std::string bytes = LargestEventBytes();
        std::ofstream(folder / "Private/Course.race", std::ios::binary) << bytes;
        size = bytes.size();
        if (ReadEventHeader(header) != FileOutcome::Done) std::abort();
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

// What the closure form does on opening, for the last category of the file.
void BM_ClosureReportOfTheLargestCategory(benchmark::State& state) {
    const EventHeader& header = Event().header;
    FakeMessages messages;
    auto input = std::make_unique<ClosureInput>();
    auto table = std::make_unique<ClosureTable>();
    for (auto _ : state) {
        if (!ReadClosureInput(kCategories, header, *input, messages)) {
            state.SkipWithError("event file not read");
        }
        BuildClosureTable(*input, *table);
        benchmark::DoNotOptimize(table->count);
    }
    if (table->count != kCarSlots * (2 * kStartLevel + 1)) {  // every finals car, once a row
        state.SkipWithError("unexpected number of rows");
    }
    state.counters["fileMB"] = double(Event().size) / 1e6;
}
BENCHMARK(BM_ClosureReportOfTheLargestCategory)->Unit(benchmark::kMillisecond);

// The table alone, from input already read.
void BM_ClosureTableOnly(benchmark::State& state) {
    FakeMessages messages;
    auto input = std::make_unique<ClosureInput>();
    auto table = std::make_unique<ClosureTable>();
    if (!ReadClosureInput(kCategories, Event().header, *input, messages)) std::abort();
    for (auto _ : state) {
        BuildClosureTable(*input, *table);
        benchmark::DoNotOptimize(table->count);
    }
}
BENCHMARK(BM_ClosureTableOnly)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace velkaro
