// The arrangement of the largest category (200 participants, 20 heats of 10, 9 rounds) in the
// largest event file (see largest_event.h), every heat recorded with 20 cars: opening it (every
// section it reads, the search for partly run rounds, the first paint's display list; then the
// real form offscreen, painted once) and "Generate" (header and heat slot list rewritten in
// place through the rollback journal).

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QPixmap>

#include <memory>
#include <utility>

#include "bench/largest_event.h"
#include "bench/offscreen_app.h"
#include "platform/fake/fake_clock.h"
#include "platform/fake/fake_dialogs.h"
#include "platform/fake/fake_messages.h"
#include "platform/fake/fake_sound_player.h"
#include "platform/fake/recording_canvas.h"
#include "qualification/forms/preparation_forms.h"
#include "qualification/heat_arrangement.h"

namespace velkaro {
namespace {

bench::LargestEvent& Event() {
    static bench::LargestEvent event;
    return event;
}

void BM_OpenArrangementAndPaint(benchmark::State& state) {
    Event();
    FakeMessages messages;
    auto a = std::make_unique<Arrangement>();
    for (auto _ : state) {
        if (!OpenArrangement(9, *a, messages, SystemDisk()) || a->heats != 20 || a->locked) {
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
    bench::OffscreenApp();
    FakeMessages messages;
    FakeDialogs dialogs;
    FakeClock clock;
    FakeSoundPlayer sounds;
    for (auto _ : state) {
        ArrangementForm form(9, messages, dialogs, clock, sounds, SystemDisk());
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
    if (!OpenArrangement(9, *a, messages, SystemDisk())) state.SkipWithError("not opened");
    for (auto _ : state) {
        std::swap(a->heatSlots[0], a->heatSlots[1]);
        if (!Generate(*a, messages, SystemDisk()) || !messages.shown.empty()) {
            state.SkipWithError("Generate refused or failed");
            return;
        }
    }
}
BENCHMARK(BM_Generate)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
}  // namespace velkaro
