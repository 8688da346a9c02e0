// Painting the live race screen with 20 rows at 1920 x 1080 and on a 4K projector (3840 x 2160),
// in both styles and in a projector look (light text on a dark table), and the 10 ms beat's
// regularity while a modal dialog opened from inside the beat runs its own loop.

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QDialog>
#include <QImage>
#include <QPainter>
#include <QRegion>
#include <QTimer>
#include <algorithm>
#include <chrono>
#include <vector>

#include "bench/offscreen_app.h"
#include "platform/qt/qt_canvas.h"
#include "shell/heartbeat.h"
#include "shell/live_screen.h"
#include "shell/live_screen_cache.h"

namespace velkaro {
namespace {

// The projector look of docs/projector.scrn, as the display options would keep it.
DisplaySettings Theme(int style) {
    DisplaySettings s;
    s.style = style;
    for (std::size_t i = 0; i < s.textStyles.size(); ++i) {
        s.textStyles[i].faceName = "Arial";
        s.textStyles[i].size = i < 3 ? 24 : 18;
        s.textStyles[i].weight = i <= 2 || i == 4 ? 700 : 400;
        s.textColours[i] = i == 1 ? 0xFFFFFF : 0xF0F0F0;
    }
    s.colours = {0xB4B4B4, 0xF0F0F0, 0x181818, 0x7A4A10, 0x0000C0, 0x008000, 0x00A0E0,
                 0x806000, 0x504030, 0x201810, 0x302820, 0x100C08, 0x404040};
    s.columnWidths = {60, 260, 60, 130, 110, 110, 110, 120, 90};
    return s;
}

LiveRows TwentyRows() {
    LiveRows rows;
    for (int i = 0; i < kCarSlots; ++i) {
        LiveRow& r = rows[std::size_t(i)];
        Format(r.driverName, "Driver number %02d", i + 1);
        Format(r.transponder, "%06d", 1001 + i);
        Format(r.position, "%d", i + 1);
        Format(r.carNumber, " %d ", i + 1);
        Format(r.laps, "%d", 30 - i);
        Format(r.totalTime, "5:%02d.%03d", 10 + i, 123 + i);
        Format(r.lastLap, "%d.%03d", 18 + i % 3, 456);
        Format(r.bestLap, "%d.%03d", 17 + i % 2, 789);
        Format(r.toLeader, "%d.%03d", i, 250);
        Format(r.toPrevious, "%d.%03d", i ? 1 : 0, 125);
        r.newPassing = i == 3;
        r.newBestLap = i == 5;
        r.holdsRunBest = i == 0;
        r.finished = i > 15;
    }
    return rows;
}

// One paint of the whole screen. range(0): 1 relief, 0 gradient; range(1): the screen's
// height, 1080 or 2160; range(2): 0 every layer painted (the first paint of a look), 1 the paint
// after a counted passing (the backdrop kept from the paint before).
void Paint(benchmark::State& state) {
    bench::OffscreenApp();
    DisplaySettings settings = Theme(int(state.range(0)));
    const int height = int(state.range(1));
    const bool afterPassing = state.range(2) != 0;
    const ScreenSize screen{height * 16 / 9, height};
    std::array<std::int32_t, kColumns> widths = settings.columnWidths;
    LiveRows rows = TwentyRows();
    ClockTexts clock;
    clock.duration = "0:05:00";
    clock.elapsed = "0:03:12";
    clock.remaining = "0:01:48";
    clock.countdown = "5s";
    QImage image(screen.w, screen.h, QImage::Format_RGB32);
    LiveScreenInput in;
    in.settings = &settings;
    in.widths = &widths;
    in.screen = screen;
    in.runTitle = " Touring - Round2 - Heat3 ";
    in.rows = &rows;
    in.rowCount = kCarSlots;
    in.clock = &clock;
    {
        QPainter p(&image);
        QtCanvas c(p);
        in.measure = MeasureTable(c, settings, widths, in.screen, kCarSlots);
    }
    LiveScreenPainter painter;
    int passing = 0;
    for (auto _ : state) {
        // Each paint shows another car just passed, as after a counted lap.
        for (LiveRow& r : rows) r.newPassing = 0;
        rows[std::size_t(passing++ % kCarSlots)].newPassing = 1;
        QPainter p(&image);
        if (afterPassing) {
            // What the window asks for after a passing: the run layer's areas only.
            QRegion areas;
            for (const Rect& r : RunLayerAreas(in))
                areas += QRect(r.left, r.top, r.Width(), r.Height());
            p.setClipRegion(areas);
            painter.Paint(p, in, image.size());
        } else {
            p.fillRect(image.rect(), Qt::lightGray);
            QtCanvas canvas(p);
            PaintLiveScreen(canvas, in);
        }
    }
    state.counters["rows"] = in.measure.visibleRows;
    state.counters["backdrops"] = painter.BackdropsPainted();
}
BENCHMARK(Paint)
    ->ArgsProduct({{1, 0}, {1080, 2160}, {0, 1}})
    ->ArgNames({"relief", "height", "afterPassing"})
    ->Unit(benchmark::kMillisecond);

// The beat keeps coming while a modal dialog is open: 500 intervals measured under it. The
// dialog is opened from inside a beat (fromBeat:1, as the scan waits there for its signal to be
// heard) or from outside it (fromBeat:0, as the director opens a box or the notices log). With a
// plain QTimer (heartbeat:0) a dialog the beat opened gets no beat at all; it is closed after 2 s
// and that one gap is what it shows.
void TimerUnderModalDialog(benchmark::State& state) {
    bench::OffscreenApp();
    const bool heartbeat = state.range(0) != 0;
    const bool fromBeat = state.range(1) != 0;
    std::vector<double> intervals;
    for (auto _ : state) {
        intervals.clear();
        QDialog dialog;
        bool opened = false;
        auto last = std::chrono::steady_clock::now();
        auto open = [&] {
            opened = true;
            QTimer::singleShot(heartbeat || !fromBeat ? 10000 : 2000, &dialog, &QDialog::accept);
            dialog.exec();
            if (intervals.empty()) {  // not one beat while it was open
                intervals.push_back(std::chrono::duration<double, std::milli>(
                                        std::chrono::steady_clock::now() - last)
                                        .count());
            }
            QApplication::exit();
        };
        auto beat = [&] {
            auto now = std::chrono::steady_clock::now();
            if (opened) {
                intervals.push_back(std::chrono::duration<double, std::milli>(now - last).count());
            }
            last = now;
            if (intervals.size() >= 500) dialog.accept();
            if (!opened && fromBeat) open();
        };
        Heartbeat pump(10, beat);
        QTimer plain;
        plain.setTimerType(Qt::PreciseTimer);
        plain.setInterval(10);
        QObject::connect(&plain, &QTimer::timeout, beat);
        if (heartbeat) {
            pump.Start();
        } else {
            plain.start();
        }
        if (!fromBeat) QTimer::singleShot(25, open);
        QApplication::exec();
    }
    std::sort(intervals.begin(), intervals.end());
    state.counters["intervals"] = double(intervals.size());
    state.counters["median_ms"] = intervals[intervals.size() / 2];
    state.counters["p99_ms"] = intervals[intervals.size() * 99 / 100];
    state.counters["max_ms"] = intervals.back();
}
BENCHMARK(TimerUnderModalDialog)
    ->Args({0, 1})
    ->Args({1, 1})
    ->Args({0, 0})
    ->Args({1, 0})
    ->ArgNames({"heartbeat", "fromBeat"})
    ->Iterations(1)
    ->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace velkaro
