// From the wire to the race screen: a 20-car heat whose passings reach the port back to back at
// the decoder's line speed, read by the real main window's 10 ms beat, counted by the run engine
// and painted by the window's own live screen, offscreen. Each passing is timed from the moment
// its last byte became readable to the end of the first paint of the live screen that covers its
// car's row; the beat's own time and the paint's own time are given beside it.
//
// The port does not need a feeding thread: the line's schedule is known, so a read finds exactly
// the bytes whose time on the line has passed (one every 1.04 ms at 9600 baud from the moment the
// feed starts). A passing "arrives" when its eleventh byte does; a thread pushing the bytes would
// only add its own scheduling jitter to what is measured. Nothing below the port (driver, USB
// adapter) nor the screen's refresh after the paint is in the figure.

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QPaintEvent>
#include <QRegion>
#include <QTemporaryDir>
#include <QTimer>
#include <algorithm>
#include <array>
#include <chrono>
#include <cstring>
#include <deque>
#include <functional>
#include <memory>
#include <vector>

#include "bench/burst.h"
#include "platform/clock.h"
#include "platform/fake/fake_dialogs.h"
#include "platform/fake/fake_messages.h"
#include "platform/fake/fake_sound_player.h"
#include "platform/program_folder.h"
#include "shell/live_screen_widget.h"
#include "shell/main_window.h"
#include "timing/run_control.h"

namespace velkaro {
namespace {

using Clock = std::chrono::steady_clock;
using namespace std::chrono_literals;

constexpr std::chrono::nanoseconds kByteTime{10'000'000'000LL / 9600};  // start, 8 data, stop

double Ms(Clock::duration d) {
    return std::chrono::duration<double, std::milli>(d).count();
}

// The decoder's line: after StartFeed, frame k (car k mod 20) is sent back to back with the
// one before, stamped with the decoder's time of its last byte. Answers the clock reset at once.
class LinePort final : public SerialPort {
  public:
    explicit LinePort(int frames) : frames_(frames) {}

    bool Open(std::string_view, const LineSettings&) override { return true; }
    bool Purge() override { return true; }
    bool RaiseDtr() override { return true; }
    bool Read(std::uint8_t* buffer, int max, int* got) override {
        ++reads;
        *got = 0;
        if (answerReset_) {
            static constexpr std::uint8_t kAnswer[] = {0xFF, 0xFF, 0xFF, 0x02, 0x00, 0x00, 0x00};
            std::memcpy(buffer, kAnswer, sizeof kAnswer);
            *got = sizeof kAnswer;
            answerReset_ = false;
            return true;
        }
        if (!feeding_) return true;
        const std::int64_t onLine = std::min<std::int64_t>(std::int64_t(frames_) * kMk2PassingSize,
                                                           (Clock::now() - feedStart_) / kByteTime);
        while (*got < max && sent_ < onLine) {
            const int frame = int(sent_ / kMk2PassingSize);
            const auto bytes = sim::EncodeMk2Passing(
                static_cast<std::uint16_t>(2001 + frame % kCarSlots),
                std::chrono::duration_cast<std::chrono::milliseconds>(Arrival(frame) - reset_)
                    .count());
            buffer[(*got)++] = bytes[std::size_t(sent_ % kMk2PassingSize)];
            ++sent_;
        }
        return true;
    }
    bool Write(const std::uint8_t* buffer, int count, int* written) override {
        if (count == int(kClockReset.size()) &&
            std::memcmp(buffer, kClockReset.data(), kClockReset.size()) == 0) {
            answerReset_ = true;
            reset_ = Clock::now();
        }
        *written = count;
        return true;
    }
    void Close() override {}
    bool IsOpen() const override { return true; }

    void StartFeed() {
        feedStart_ = Clock::now();
        feeding_ = true;
    }
    // When frame k's last byte became readable.
    Clock::time_point Arrival(int frame) const {
        return feedStart_ + kByteTime * (std::int64_t(frame + 1) * kMk2PassingSize);
    }
    // Frames whose every byte a read has taken.
    int FramesRead() const { return int(sent_ / kMk2PassingSize); }
    int Frames() const { return frames_; }

    int reads = 0;

  private:
    int frames_;
    bool feeding_ = false;
    bool answerReset_ = false;
    Clock::time_point feedStart_{};
    Clock::time_point reset_ = Clock::now();
    std::int64_t sent_ = 0;
};

// Stamps around the delivery of the events that matter: QApplication::notify returns only once
// the receiver has handled the event, so a paint stamped there has been painted into the
// window's backing store (an event filter would see it before the widget paints). A timer event
// during which the port was read is the beat.
class StampingApp final : public QApplication {
  public:
    StampingApp(int& argc, char** argv) : QApplication(argc, argv) {}

    bool notify(QObject* receiver, QEvent* event) override {
        if (!port || (event->type() != QEvent::Timer && receiver != screen))
            return QApplication::notify(receiver, event);
        const bool paint = event->type() == QEvent::Paint;
        const QRegion region = paint ? static_cast<QPaintEvent*>(event)->region() : QRegion();
        const int readsBefore = port->reads;
        if (event->type() == QEvent::Timer && beforeBeat) beforeBeat();
        const auto start = Clock::now();
        const bool handled = QApplication::notify(receiver, event);
        const auto end = Clock::now();
        if (paint && painted) painted(region, start, end);
        if (event->type() == QEvent::Timer && port->reads != readsBefore && beat) beat(start, end);
        return handled;
    }

    LinePort* port = nullptr;
    QWidget* screen = nullptr;
    std::function<void()> beforeBeat;
    std::function<void(Clock::time_point, Clock::time_point)> beat;
    std::function<void(const QRegion&, Clock::time_point, Clock::time_point)> painted;
};

struct Figures {
    std::vector<double> v;
    double At(int percent) {
        if (v.empty()) return -1;
        std::sort(v.begin(), v.end());
        return v[std::min(v.size() - 1, v.size() * std::size_t(percent) / 100)];
    }
    double Max() { return v.empty() ? -1 : *std::max_element(v.begin(), v.end()); }
};

// A screen of a known size when the caller chose none: 1920 x 1080, as at the race director's
// table. QT_QPA_PLATFORM=offscreen:configfile=<file> gives another (a 4K projector).
void ChooseScreen(const QString& folder) {
    if (!qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) return;  // offscreen unless chosen
    const QString file = folder + "/screen.json";
    QFile out(file);
    if (!out.open(QIODevice::WriteOnly)) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
        return;
    }
    out.write(R"({ "screens": [ { "name": "race-pc", "x": 0, "y": 0, "width": 1920,
        "height": 1080, "logicalDpi": 96, "logicalBaseDpi": 96, "dpr": 1 } ] })");
    out.close();
    qputenv("QT_QPA_PLATFORM", ("offscreen:configfile=" + file).toLocal8Bit());
}

// range(0): the passings sent.
void WireToPixel(benchmark::State& state) {
    static QTemporaryDir folder;
    ChooseScreen(folder.path());
    // Kept to the very end, never destroyed: after a main window, destroying the application
    // among the exit handlers crashes in Qt's own clean-up.
    static int argc = 1;
    static char name[] = "velkaro-bench";
    static char* argv[] = {name, nullptr};
    static StampingApp& app = *new StampingApp(argc, argv);
    const int passings = int(state.range(0));
    for (auto _ : state) {
        QTemporaryDir programFolder;
        if (!SeedProgramFolder(programFolder.path().toStdString(), VELKARO_SHIPPED_DATA).ok) {
            state.SkipWithError("the program folder could not be seeded");
            return;
        }
        const QString was = QDir::currentPath();
        QDir::setCurrent(programFolder.path());
        FakeMessages messages;
        messages.allowAny = true;
        FakeDialogs dialogs;
        FakeSoundPlayer sounds;
        SystemClock clock;
        LinePort port(passings);
        AppPlatform platform{messages, dialogs, sounds, clock, port, nullptr, &SystemDisk()};
        auto w = std::make_unique<MainWindow>(platform);
        w->showMaximized();
        QApplication::processEvents();

        // A decoder found and a heat of twenty cars started, as bench::Heat does with fakes.
        AppState& s = w->State();
        s.link.settings.interfaceType = kMk2Type;
        s.link.settings.ready = 1;
        s.link.state.settingsLoaded = 1;
        RunEngine& e = s.engine;
        e.options.durationHours = 24;
        e.options.durationMinutes = 0;
        e.options.durationTotalMinutes = 24 * 60;
        e.options.countdownSeconds = 0;
        e.options.minimumLapSeconds = 0;
        e.options.passingLimit = kMaxPassings;  // room for the whole feed
        e.options.circuitIndex = kNoCircuit;
        Format(e.runTitle, "%s", " Bench - Round1 - Heat1 ");
        e.phase = RunPhase::Armed;
        bench::TwentyCars(e.tables);
        StartCommand(e);
        w->RemeasureScreens(kCarSlots);
        w->StartTimer();
        for (auto until = Clock::now() + 5s; e.phase != RunPhase::Running && Clock::now() < until;)
            QApplication::processEvents(QEventLoop::AllEvents, 5);
        if (e.phase != RunPhase::Running) {
            state.SkipWithError("the run never started");
            QDir::setCurrent(was);
            return;
        }

        LiveScreenWidget& screen = *w->LiveScreen();
        struct Waiting {
            int frame, slot;
        };
        std::deque<Waiting> waiting;  // counted, not painted yet
        std::array<std::int32_t, kCarSlots> countsBefore{};
        Figures toPixel, toCounted, tickMs, paintMs, beatGap;
        int counted = 0, missed = 0, offScreen = 0;
        Clock::time_point lastBeat{};
        app.port = &port;
        app.screen = &screen;
        app.beforeBeat = [&] {
            for (int c = 0; c < kCarSlots; ++c)
                countsBefore[std::size_t(c)] = e.tables.cars[std::size_t(c)].passingCount;
        };
        int framesSeen = 0;
        app.beat = [&](Clock::time_point start, Clock::time_point end) {
            tickMs.v.push_back(Ms(end - start));
            if (lastBeat != Clock::time_point{}) beatGap.v.push_back(Ms(start - lastBeat));
            lastBeat = start;
            // The frames this beat read are counted if their cars' passings grew by as many.
            std::array<int, kCarSlots> read{};
            const int first = framesSeen;
            framesSeen = port.FramesRead();
            for (int k = first; k < framesSeen; ++k) ++read[std::size_t(k % kCarSlots)];
            for (int k = first; k < framesSeen; ++k) {
                const int slot = k % kCarSlots;
                if (e.tables.cars[std::size_t(slot)].passingCount -
                        countsBefore[std::size_t(slot)] !=
                    read[std::size_t(slot)]) {
                    ++missed;
                    continue;
                }
                ++counted;
                toCounted.v.push_back(Ms(end - port.Arrival(k)));
                waiting.push_back({k, slot});
            }
        };
        app.painted = [&](const QRegion& region, Clock::time_point start, Clock::time_point end) {
            paintMs.v.push_back(Ms(end - start));
            const TableMeasure& m = screen.Measure();
            const TableLayout layout = ComputeLayout(screen.Screen(), s.widths, m.rowHeight);
            std::erase_if(waiting, [&](const Waiting& p) {
                int standing = 0;
                while (standing < kCarSlots &&
                       e.tables.standings[std::size_t(standing)].carNumber != p.slot + 1)
                    ++standing;
                const int row = standing - screen.ScrollPosition();
                if (row < 0 || row >= m.visibleRows) {
                    ++offScreen;
                    return true;
                }
                if (!region.intersects(QRect(0, layout.rowsTop + row * layout.rowPitch,
                                             screen.width(), layout.rowPitch)))
                    return false;
                toPixel.v.push_back(Ms(end - port.Arrival(p.frame)));
                return true;
            });
        };

        port.StartFeed();
        const auto until = port.Arrival(passings - 1) + 5s;
        while ((framesSeen < passings || !waiting.empty()) && Clock::now() < until &&
               e.phase == RunPhase::Running)
            QApplication::processEvents(QEventLoop::AllEvents, 5);
        app.port = nullptr;
        app.beat = nullptr;
        app.painted = nullptr;
        app.beforeBeat = nullptr;

        state.counters["passings"] = passings;
        state.counters["counted"] = counted;
        state.counters["not_counted"] = missed;
        state.counters["painted"] = double(toPixel.v.size());
        state.counters["off_screen"] = offScreen;
        state.counters["never_painted"] = double(waiting.size());
        state.counters["rows_shown"] = screen.Measure().visibleRows;
        state.counters["pixel_ms_median"] = toPixel.At(50);
        state.counters["pixel_ms_p99"] = toPixel.At(99);
        state.counters["pixel_ms_max"] = toPixel.Max();
        state.counters["counted_ms_median"] = toCounted.At(50);
        state.counters["counted_ms_p99"] = toCounted.At(99);
        state.counters["tick_ms_median"] = tickMs.At(50);
        state.counters["tick_ms_p99"] = tickMs.At(99);
        state.counters["tick_ms_max"] = tickMs.Max();
        state.counters["paint_ms_median"] = paintMs.At(50);
        state.counters["paint_ms_p99"] = paintMs.At(99);
        state.counters["beat_ms_p99"] = beatGap.At(99);

        w->State().engine.phase = RunPhase::Armed;  // closing asks nothing of a run not started
        w.reset();
        QDir::setCurrent(was);
    }
}
BENCHMARK(WireToPixel)->Arg(4000)->ArgNames({"passings"})->Iterations(1)->Unit(benchmark::kSecond);

}  // namespace
}  // namespace velkaro
