// The arrangement of the largest category (200 participants, 20 heats of 10, 9 rounds) in the
// largest event file: opening it (every section it reads, the search for partly run rounds, the
// first paint's display list; then the real form offscreen, painted once) and "Generate"
// (header and heat slot list rewritten in place through the rollback journal).

#include <benchmark/benchmark.h>
#include <unistd.h>

#include <QApplication>
#include <QPixmap>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "event/event_file.h"
#include "event/section.h"
#include "event/sections.h"
#include "platform/fake/fake_clock.h"
#include "platform/fake/fake_dialogs.h"
#include "platform/fake/fake_messages.h"
#include "platform/fake/fake_sound_player.h"
#include "platform/fake/recording_canvas.h"
#include "qualification/forms/preparation_forms.h"
#include "qualification/heat_arrangement.h"

namespace velkaro {
namespace {

namespace fs = std::filesystem;

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

std::string Name(int i) {
    return "DRIVER NAME NUMBER " + std::to_string(i);
}

// Every category full, every heat of every round recorded with 20 cars of 150 passings.
struct LargestEvent {
    fs::path folder;

    LargestEvent() {
        char pattern[] = "/tmp/velkaro-bench-XXXXXX";
        folder = ::mkdtemp(pattern);
        fs::create_directories(folder / "Private");
        fs::current_path(folder);
        std::string bytes =
            PlaceRegion({}, 0, kHeaderPairs,
                        "13020\t9\t" + Lines(kCategories, "CATEGORY\t200\t1\t0\t9\t20\t0\t"), true)
                .patch.bytes;
        Append(bytes, kRunDoneFlagsTitle, kRunDoneFlagsPairs,
               Lines(kRunDoneFlagCount, "1\t") + "\r\n");
        Append(bytes, kTrackTitle, kTrackPairs, "Grand Prix\tRC Club\tLille\t12\t\r\n");
        std::string participants, heatSlots = "1\t10\t9\t\r\n";
        for (int i = 0; i < kParticipants; ++i) {
            participants +=
                Name(i) + "\t123456\t" + (i % 7 == 0 ? "27.145" : "2.4Ghz") + "\t\t\t\t\t\r\n";
            heatSlots += Name(i) + "\t\r\n";
        }
        heatSlots += Lines(kHeatSlots - kParticipants, "(NA)\t\r\n");
        std::string run;
        {
            RunCars cars{};
            for (int i = 0; i < kCarSlots; ++i) {
                RunCar& car = cars[std::size_t(i)];
                car.driverName = Name(i);
                car.passingCount = 150;
                for (int p = 1; p <= 150; ++p) car.raceTimes[std::size_t(p)] = 30000 * p + i;
            }
            RunTrailer trailer;
            trailer.description = "Duration 0:05:00";
            AppendRunContent(run, cars, trailer);
        }
        for (int c = 1; c <= kCategories; ++c) {
            Append(bytes, ParticipantsTitle(c).View(), kParticipantsPairs, participants);
            Append(bytes, HeatSlotListTitle(c).View(), kHeatSlotListPairs, heatSlots);
            Append(bytes, StartingGridsTitle(c).View(), kStartingGridsPairs,
                   "1\t10\t9\t\r\n" + Lines(9, Lines(10, "7\t") + "\r\n"));
            for (int r = 1; r <= kRounds; ++r) {
                for (int h = 1; h <= kHeatsPerRound; ++h) {
                    Append(bytes, HeatTitle(c, r, h).View(), HeatResultPairs(20), run);
                }
            }
        }
        std::ofstream(folder / "Private/Course.race", std::ios::binary) << bytes;
        std::unique_ptr<DiskFile> f = SystemDisk().Open(kWorkingCopy, OpenMode::Existing);
        if (!f || !f->Sync()) std::abort();
        std::printf("event file: %zu bytes\n", bytes.size());
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

void BM_OpenArrangementAndPaint(benchmark::State& state) {
    Event();
    FakeMessages messages;
    auto a = std::make_unique<Arrangement>();
    for (auto _ : state) {
        if (!OpenArrangement(9, *a, messages) || a->heats != 20 || a->locked) {
            state.SkipWithError("the category did not open as built");
            return;
        }
        RecordingCanvas canvas;
        DrawArrangementTable(canvas, *a, 0);
        benchmark::DoNotOptimize(canvas.ops.size());
    }
}
BENCHMARK(BM_OpenArrangementAndPaint)->Unit(benchmark::kMillisecond)->UseRealTime();

// The real form, offscreen: built, read, and painted once into a picture.
void BM_ArrangementFormOpens(benchmark::State& state) {
    Event();
    qputenv("QT_QPA_PLATFORM", "offscreen");
    static int argc = 1;
    static char name[] = "bench";
    static char* argv[] = {name, nullptr};
    static QApplication app(argc, argv);
    FakeMessages messages;
    FakeDialogs dialogs;
    FakeClock clock;
    FakeSoundPlayer sounds;
    for (auto _ : state) {
        ArrangementForm form(9, messages, dialogs, clock, sounds);
        QPixmap shown = form.grab();
        benchmark::DoNotOptimize(shown.width());
        if (form.Work().heats != 20) state.SkipWithError("the category did not open as built");
    }
}
BENCHMARK(BM_ArrangementFormOpens)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_Generate(benchmark::State& state) {
    Event();
    FakeMessages messages;
    auto a = std::make_unique<Arrangement>();
    if (!OpenArrangement(9, *a, messages)) state.SkipWithError("not opened");
    for (auto _ : state) {
        std::swap(a->heatSlots[0], a->heatSlots[1]);
        if (!Generate(*a, messages) || !messages.shown.empty()) {
            state.SkipWithError("Generate refused or failed");
            return;
        }
    }
}
BENCHMARK(BM_Generate)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
}  // namespace velkaro
