// velkaro-results export of the largest legal event: every round, overall ranking, finals run
// and closure table of the nine categories, as CSV, one JSON document and the HTML site.

#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "bench/largest_event.h"
#include "tools/results/results_tool.h"

namespace velkaro {
namespace {

namespace fs = std::filesystem;

struct ExportedEvent {
    fs::path folder;
    ExportedEvent() {
        char pattern[] = "/tmp/velkaro-bench-XXXXXX";
        folder = ::mkdtemp(pattern);
        std::ofstream(folder / "EVENT.race", std::ios::binary)
            << bench::LargestEventBytes(kCarSlots);
    }
    ~ExportedEvent() {
        std::error_code ec;
        fs::remove_all(folder, ec);
    }
};

void BM_ExportOfTheLargestEvent(benchmark::State& state) {
    static ExportedEvent event;
    std::vector<std::string> args{"export", (event.folder / "EVENT.race").string(), "--out",
                                  (event.folder / "site").string()};
    for (auto _ : state) {
        std::string out, err;
        if (results::RunTool(args, out, err) != results::kExitDone) std::abort();
        benchmark::DoNotOptimize(out);
    }
}
BENCHMARK(BM_ExportOfTheLargestEvent)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace velkaro
