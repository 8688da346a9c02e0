// The event file at its largest: 9 categories, 9 rounds of 20 heats of 20 cars with 150
// passings each, every finals run with 20 cars, every classification. The section search, the
// recording of a heat (run section, header and flags, each through the rollback journal and
// flushed to the disk) and the reading of one back, beside a plain memchr scan of the same
// bytes.

#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>

#include "event/event_file.h"
#include "event/section.h"
#include "event/sections.h"
#include "platform/fake/fake_messages.h"

namespace velkaro {
namespace {

namespace fs = std::filesystem;

RunCars FullRun(int passings, int seed) {
    RunCars cars{};
    for (int i = 0; i < kCarSlots; ++i) {
        RunCar& car = cars[static_cast<std::size_t>(i)];
        car.carNumber = i + 1;
        car.driverName = "DRIVER " + std::to_string(seed % 1000) + "-" + std::to_string(i + 1);
        car.passingCount = passings;
        car.laps = passings - 1;
        std::int32_t t = 1000 + 41 * i;
        for (int p = 1; p <= passings; ++p) {
            std::int32_t lap = 28000 + (seed * 131 + i * 71 + p * 53) % 4000;
            t += lap;
            car.raceTimes[static_cast<std::size_t>(p)] = t;
            car.lapTimes[static_cast<std::size_t>(p)] = lap;
        }
        car.totalTime = t;
        car.bestLap = 28000;
    }
    return cars;
}

RunTrailer Trailer() {
    RunTrailer t;
    t.description =
        "Duration 1:15:00 - STARTSoundSignal - ENDCompleteCurrentLap - Start 14/06/2026 9:05";
    t.comment = "Benchmark run";
    t.condition = "Dry";
    return t;
}

void Append(std::string& file, std::string_view title, int pairs, const std::string& content) {
    file += "\r\n";
    file += title;
    file += "\t\r\n";
    file += PlaceRegion({}, 0, pairs, content, false).patch.bytes;
}

std::string Lines(int count, const std::string& line) {
    std::string out;
    for (int i = 0; i < count; ++i) out += line;
    return out;
}

struct LargestEvent {
    fs::path folder;
    std::string bytes;
    SectionTitle lastTitle;

    LargestEvent() {
        char pattern[] = "/tmp/velkaro-bench-XXXXXX";
        folder = ::mkdtemp(pattern);
        fs::create_directories(folder / "Private");
        fs::current_path(folder);

        bytes =
            PlaceRegion({}, 0, kHeaderPairs,
                        "10000\t9\t" + Lines(kCategories, "CATEGORY\t200\t1\t2\t9\t20\t23\t"), true)
                .patch.bytes;
        Append(bytes, kRunDoneFlagsTitle, kRunDoneFlagsPairs,
               Lines(kRunDoneFlagCount, "1\t") + "\r\n");
        Append(bytes, kTrackTitle, kTrackPairs, "Grand Prix\tRC Club\tLille\t12\t\r\n");
        for (int c = 1; c <= kCategories; ++c) {
            Append(
                bytes, ParticipantsTitle(c).View(), kParticipantsPairs,
                Lines(kParticipants, "DRIVER NAME OF SOME LENGTH\t123456\t2.4Ghz\t\t\t\t\t\r\n"));
            Append(bytes, HeatSlotListTitle(c).View(), kHeatSlotListPairs,
                   "1\t10\t9\t\r\n" + Lines(kHeatSlots, "DRIVER NAME OF SOME LENGTH\t\r\n"));
            Append(bytes, QualifOptionsTitle(c).View(), kQualifOptionsPairs,
                   "CLASSEMENTToursTemps\tDUREESERIETemps\t5\t1\t5\t0\tDEPARTSignalSonore\t"
                   "ORDREDEPARTFixe\tFINTEMPSFinirTour\tFINTOURFinirTour\t\r\n");
            Append(bytes, StartingGridsTitle(c).View(), kStartingGridsPairs,
                   "1\t20\t9\t\r\n" + Lines(9, Lines(20, "7\t") + "\r\n"));
            for (int r = 1; r <= kRounds; ++r) {
                for (int h = 1; h <= kHeatsPerRound; ++h) {
                    std::string content;
                    AppendRunContent(content, FullRun(150, c * 1000 + r * 20 + h), Trailer());
                    Append(bytes, HeatTitle(c, r, h).View(), HeatResultPairs(20), content);
                }
                Append(
                    bytes, RoundClassificationTitle(c, r).View(), RoundClassificationPairs(200),
                    "CLASSEMENTToursTemps\t205\t2\t1\t1\t1\t1\t\r\n" +
                        Lines(200, "DRIVER NAME OF SOME LENGTH\t150\t4500000\t28000\t100\t\r\n"));
            }
            Append(
                bytes, OverallClassificationTitle(c).View(), OverallClassificationPairs(200),
                "CLASSEMENTToursTemps\t2\t\r\n" + Lines(200, "DRIVER NAME OF SOME LENGTH\t\r\n"));
            Append(bytes, FinalsOptionsTitle(c).View(), kFinalsOptionsPairs,
                   "DEPARTSignalSonore\tFINTEMPSFinirTour\t5\t\r\n");
            Append(bytes, FinalsLadderTitle(c).View(), kFinalsLadderPairs,
                   Lines(20, "10\t") + "\r\n");
            for (int level = kFinalsLevels; level >= 0; --level) {
                for (char letter : {'A', 'B'}) {
                    if (level == 0 && letter == 'B') continue;
                    std::string content = "1\t\r\n";
                    AppendRunContent(content, FullRun(150, c * 100 + level), Trailer());
                    lastTitle = FinalsRunTitle(c, level, letter);
                    Append(bytes, lastTitle.View(), FinalsRunPairs(20), content);
                }
            }
        }
        std::ofstream(folder / "Private/Course.race", std::ios::binary) << bytes;
        // Flushed now, so that the first recording does not pay for writing the whole file.
        std::unique_ptr<DiskFile> f = SystemDisk().Open(kWorkingCopy, OpenMode::Existing);
        if (!f || !f->Sync()) std::abort();
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

// What leaving a heat's node costs: its section, the header and the flags rewritten, each
// journaled and flushed. The heat is the last of category 9, near the end of the file.
void BM_RecordHeatResult(benchmark::State& state) {
    Event();
    const SectionTitle title = HeatTitle(9, 9, 20);
    RunCars runs[2] = {FullRun(150, 1), FullRun(149, 2)};
    EventHeader header;
    header.selectedNode = 93100 + 800 + 20;
    header.categoryCount = 9;
    for (CategoryRecord& c : header.categories) c = {Text<56>("CATEGORY"), 200, 1, 2, 9, 20, 23};
    RunDoneFlags flags;
    FakeMessages messages;
    int i = 0;
    for (auto _ : state) {
        const RunCars& cars = runs[i++ % 2];
        if (WriteHeatResult(cars, kCarSlots, title.View(), Trailer(), messages) !=
                FileOutcome::Done ||
            WriteEventHeader(header) != FileOutcome::Done ||
            WriteRunDoneFlags(flags, messages) != FileOutcome::Done) {
            state.SkipWithError("recording failed");
        }
    }
    if (fs::file_size("Private/Course.race") != Event().bytes.size()) {
        state.SkipWithError("the file changed size");
    }
}
BENCHMARK(BM_RecordHeatResult)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_ReadHeatResult(benchmark::State& state) {
    Event();
    const SectionTitle title = HeatTitle(9, 9, 20);
    auto cars = std::make_unique<RunCars>();
    RunTrailer trailer;
    for (auto _ : state) {
        if (ReadRunResult(title.View(), *cars, trailer) != FileOutcome::Done) {
            state.SkipWithError("heat not found");
        }
        benchmark::DoNotOptimize(cars->data());
    }
}
BENCHMARK(BM_ReadHeatResult)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace velkaro
