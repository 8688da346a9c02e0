// The event file at its largest (see largest_event.h), heats of 20 cars. The section search, the
// recording of a heat (run section, header and flags, each through the rollback journal and
// flushed to the disk, then the three in one change) and the reading of one back, beside a
// plain memchr scan of the same bytes.

#include <benchmark/benchmark.h>

#include <cstring>
#include <filesystem>
#include <memory>

#include "bench/largest_event.h"
#include "event/event_file.h"
#include "event/section.h"
#include "platform/fake/fake_messages.h"

namespace velkaro {
namespace {

namespace fs = std::filesystem;
using bench::FullRun;
using bench::Trailer;

struct Largest {
    bench::LargestEvent event;
    const std::string& bytes = event.bytes;
    // The Final of the last category closes the file.
    SectionTitle lastTitle = FinalsRunTitle(kCategories, 0, 'A');
};

Largest& Event() {
    static Largest event;
    return event;
}

void BM_FindLastSection(benchmark::State& state) {
    const std::string& bytes = Event().bytes;
    for (auto _ : state) {
        SectionPosition pos = FindSectionIn(bytes, Event().lastTitle.View());
        benchmark::DoNotOptimize(pos);
        if (!pos.found) state.SkipWithError("last section not found");
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * bytes.size()));
}
BENCHMARK(BM_FindLastSection)->Unit(benchmark::kMillisecond);

// The reference: every line end of the same bytes found with memchr, nothing else.
void BM_MemchrScan(benchmark::State& state) {
    const std::string& bytes = Event().bytes;
    for (auto _ : state) {
        const char* p = bytes.data();
        const char* end = p + bytes.size();
        std::size_t lines = 0;
        while (const void* lf = std::memchr(p, '\n', static_cast<std::size_t>(end - p))) {
            ++lines;
            p = static_cast<const char*>(lf) + 1;
        }
        benchmark::DoNotOptimize(lines);
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * bytes.size()));
}
BENCHMARK(BM_MemchrScan)->Unit(benchmark::kMillisecond);

// The search as the writers run it: the working copy opened (mapped) and searched.
void BM_FindLastSectionInTheFile(benchmark::State& state) {
    Event();
    for (auto _ : state) {
        EventFile f;
        if (!f.Open(SystemDisk()) || !FindSection(f, Event().lastTitle.View())) {
            state.SkipWithError("last section not found");
        }
        benchmark::DoNotOptimize(f.position);
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * Event().bytes.size()));
}
BENCHMARK(BM_FindLastSectionInTheFile)->Unit(benchmark::kMillisecond);

// The reference for the line above: the same file opened, mapped and scanned with memchr.
void BM_MemchrScanOfTheFile(benchmark::State& state) {
    Event();
    for (auto _ : state) {
        std::unique_ptr<DiskFile> f = SystemDisk().Open(kWorkingCopy, OpenMode::Existing);
        std::string_view bytes = f ? f->Contents() : std::string_view();
        const char* p = bytes.data();
        const char* end = p + bytes.size();
        std::size_t lines = 0;
        while (const void* lf = std::memchr(p, '\n', static_cast<std::size_t>(end - p))) {
            ++lines;
            p = static_cast<const char*>(lf) + 1;
        }
        benchmark::DoNotOptimize(lines);
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * Event().bytes.size()));
}
BENCHMARK(BM_MemchrScanOfTheFile)->Unit(benchmark::kMillisecond);

// The last heat of category 9, near the end of the file, and what recording it rewrites; two
// results taken in turn so that every write changes the bytes.
struct HeatToRecord {
    SectionTitle title = HeatTitle(9, 9, 20);
    RunCars runs[2] = {FullRun(9, 190, kCarSlots, 150, 1), FullRun(9, 190, kCarSlots, 149, 2)};
    EventHeader header;
    RunDoneFlags flags;
    FakeMessages messages;
    int i = 0;

    HeatToRecord() {
        Event();
        header.selectedNode = 93100 + 800 + 20;
        header.categoryCount = 9;
        for (CategoryRecord& c : header.categories) c = {Text<56>("CATEGORY"), 200, 1, 1, 9, 20, 9};
    }
    const RunCars& Next() { return runs[i++ % 2]; }
};

// What leaving a heat's node cost before transactions: its section, the header and the flags
// rewritten, each journaled and flushed.
void BM_RecordHeatResult(benchmark::State& state) {
    auto h = std::make_unique<HeatToRecord>();
    for (auto _ : state) {
        if (WriteHeatResult(h->Next(), kCarSlots, h->title.View(), Trailer(), h->messages,
                            SystemDisk()) != FileOutcome::Done ||
            WriteEventHeader(h->header, SystemDisk()) != FileOutcome::Done ||
            WriteRunDoneFlags(h->flags, h->messages, SystemDisk()) != FileOutcome::Done) {
            state.SkipWithError("recording failed");
        }
    }
    if (fs::file_size("Private/Course.race") != Event().bytes.size()) {
        state.SkipWithError("the file changed size");
    }
}
BENCHMARK(BM_RecordHeatResult)->Unit(benchmark::kMillisecond)->UseRealTime();

// The same three sections as the program records them: one transaction, one journal commit.
void BM_RecordHeatInOneChange(benchmark::State& state) {
    auto h = std::make_unique<HeatToRecord>();
    for (auto _ : state) {
        Transaction t{EventStore{SystemDisk()}};
        PutHeatResult(t, h->Next(), kCarSlots, h->title.View(), Trailer(), h->messages);
        PutRunDoneFlags(t, h->flags, h->messages);
        PutEventHeader(t, h->header);
        if (t.Commit() != FileOutcome::Done) state.SkipWithError("recording failed");
    }
    if (fs::file_size("Private/Course.race") != Event().bytes.size()) {
        state.SkipWithError("the file changed size");
    }
}
BENCHMARK(BM_RecordHeatInOneChange)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_ReadHeatResult(benchmark::State& state) {
    Event();
    const SectionTitle title = HeatTitle(9, 9, 20);
    auto cars = std::make_unique<RunCars>();
    RunTrailer trailer;
    for (auto _ : state) {
        if (ReadRunResult(title.View(), *cars, trailer, SystemDisk()) != FileOutcome::Done) {
            state.SkipWithError("heat not found");
        }
        benchmark::DoNotOptimize(cars->data());
    }
}
BENCHMARK(BM_ReadHeatResult)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace velkaro
