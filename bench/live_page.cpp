// The live page beside the race: a 20-car heat with a counted lap on every 10 ms tick, driven by
// the program's own heartbeat under a modal dialog that the beat opened, with the live server
// feeding N browsers' worth of clients on loopback from a thread of their own. Figures: from
// the tick that counted a lap to each client's receipt of the order holding it, the tick's own
// time and the beat's intervals (server off against on), and the memory at the start and end.

#include <benchmark/benchmark.h>
#include <unistd.h>

#include <QApplication>
#include <QCoreApplication>
#include <QDialog>
#include <QEventLoop>
#include <QTcpSocket>
#include <QThread>
#include <QTimer>
#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <vector>

#include "bench/burst.h"
#include "bench/offscreen_app.h"
#include "platform/fake/fake_clock.h"
#include "shell/heartbeat.h"
#include "shell/live_server.h"
#include "timing/run_control.h"

namespace velkaro {
namespace {

using Clock = std::chrono::steady_clock;

class Silent final : public SoundPlayer, public Messages {
  public:
    void PlayAsync(std::string_view) override {}
    void PlayAndWait(std::string_view) override {}
    MessageAnswer Show(std::string_view, std::string_view, MessageButtons, MessageIcon) override {
        return MessageAnswer::Ok;
    }
};

double RssMb() {
    std::ifstream statm("/proc/self/statm");
    long pages = 0, resident = 0;
    statm >> pages >> resident;
    return double(resident) * double(sysconf(_SC_PAGESIZE)) / (1024.0 * 1024.0);
}

// The laps of every row of a feed message, added up: one more each time a lap is counted.
int TotalLaps(const char* json, const char* end) {
    int total = 0;
    static constexpr char kKey[] = "\"laps\":\"";
    for (const char* p = json; (p = std::search(p, end, kKey, kKey + 8)) != end;) {
        p += 8;
        total += std::atoi(p);
    }
    return total;
}

struct Receipt {
    int totalLaps;
    Clock::time_point at;
};

// Clients that open the feed, each from its own loopback address, and note when each order
// arrives; in their own thread, as phones are their own machines.
class Phones {
  public:
    Phones(int count, quint16 port) : receipts_(std::size_t(count)) {
        thread_.reset(QThread::create([this, count, port] { Run(count, port); }));
        thread_->start();
        // The server answers from this thread's loop: it must run while they connect.
        while (connected_.load() < count && !failed_.load()) {
            QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        }
    }
    ~Phones() { Stop(); }
    void Stop() {
        stop_ = true;
        thread_->wait();
    }
    const std::vector<std::vector<Receipt>>& Receipts() const { return receipts_; }
    bool Connected() const { return !failed_.load(); }

  private:
    void Run(int count, quint16 port) {
        std::vector<std::unique_ptr<QTcpSocket>> sockets;
        std::vector<QByteArray> pending(static_cast<std::size_t>(count));
        for (int i = 0; i < count; ++i) {
            auto s = std::make_unique<QTcpSocket>();
            s->bind(QHostAddress(QStringLiteral("127.0.%1.%2").arg(1 + i / 200).arg(2 + i % 200)));
            s->connectToHost(QHostAddress::LocalHost, port);
            if (!s->waitForConnected(3000)) {
                std::fprintf(stderr, "client %d: %s\n", i, qPrintable(s->errorString()));
                failed_ = true;
                return;
            }
            s->write("GET /feed HTTP/1.1\r\nHost: bench\r\n\r\n");
            QTcpSocket* raw = s.get();
            QObject::connect(raw, &QTcpSocket::readyRead, [this, raw, i, &pending] {
                QByteArray& buffer = pending[std::size_t(i)];
                buffer += raw->readAll();
                Clock::time_point now = Clock::now();
                qsizetype end;
                while ((end = buffer.indexOf("\n\n")) >= 0) {
                    if (buffer.startsWith("data: ")) {
                        receipts_[std::size_t(i)].push_back(
                            {TotalLaps(buffer.constData(), buffer.constData() + end), now});
                    }
                    buffer.remove(0, end + 2);
                }
            });
            sockets.push_back(std::move(s));
            ++connected_;
        }
        QEventLoop loop;
        QTimer check;
        QObject::connect(&check, &QTimer::timeout, [&] {
            if (stop_) loop.quit();
        });
        check.start(20);
        loop.exec();
    }

    std::unique_ptr<QThread> thread_;
    std::vector<std::vector<Receipt>> receipts_;
    std::atomic<int> connected_{0};
    std::atomic<bool> failed_{false};
    std::atomic<bool> stop_{false};
};

struct Heat {
    Heat() {
        link.port = &port;
        link.clock = &clock;
        link.settings.interfaceType = kMk2Type;
        link.settings.ready = 1;
        link.state.settingsLoaded = 1;
        engine.link = &link;
        engine.clockSource = &clock;
        engine.sound = &silent;
        engine.messages = &silent;
        engine.options.durationHours = 24;
        engine.options.durationTotalMinutes = 24 * 60;
        engine.options.countdownSeconds = 0;
        engine.options.minimumLapSeconds = 0;  // a lap every 200 ms per car counts
        engine.options.circuitIndex = kNoCircuit;
        Format(engine.runTitle, "%s", " Bench - Round1 - Heat1 ");
        bench::TwentyCars(engine.tables);
        engine.runLoaded = engine.armed = engine.fresh = engine.everStarted = 1;
        port.size = 0;  // the decoder is quiet: the laps come from the car buttons
        StartCommand(engine);
        clock.AdvanceMs(10);
        OnTimerTick(engine);
    }
    int TotalLaps() const {
        int total = 0;
        for (const LiveRow& r : engine.tables.rows) total += std::atoi(r.laps.View().data());
        return total;
    }

    bench::BurstPort port;
    FakeClock clock;
    DecoderLink link;
    Silent silent;
    RunEngine engine;
};

double Percentile(std::vector<double>& v, int p) {
    if (v.empty()) return -1;
    std::sort(v.begin(), v.end());
    return v[std::min(v.size() - 1, v.size() * std::size_t(p) / 100)];
}

void PassingToPage(benchmark::State& state) {
    bench::OffscreenApp();
    const int clients = int(state.range(0));
    const int seconds = int(state.range(1));
    for (auto _ : state) {
        Heat heat;
        LiveServer server(heat.engine);
        std::unique_ptr<Phones> phones;
        if (clients > 0) {
            if (!server.Start(0, QHostAddress::LocalHost)) {
                state.SkipWithError("no port");
                return;
            }
            phones = std::make_unique<Phones>(clients, server.Port());
            if (!phones->Connected()) {
                state.SkipWithError("the clients could not connect");
                return;
            }
        }
        QApplication::processEvents();
        double rssStart = RssMb();

        // The tick at which each total of laps was reached.
        std::vector<Clock::time_point> lapAt(std::size_t(seconds) * 100 + 1000);
        std::vector<double> tickUs, intervalsMs;
        QDialog dialog;
        bool opened = false;
        int slot = 0;
        auto last = Clock::now();
        auto end = last + std::chrono::seconds(seconds);
        auto beat = [&] {
            auto now = Clock::now();
            if (opened)
                intervalsMs.push_back(
                    std::chrono::duration<double, std::milli>(now - last).count());
            last = now;
            if (!opened) {
                opened = true;
                dialog.exec();
                QApplication::exit();
                return;
            }
            if (now > end) {
                dialog.accept();
                return;
            }
            heat.clock.AdvanceMs(10);
            auto t0 = Clock::now();
            CarButton(heat.engine, slot);
            OnTimerTick(heat.engine);
            auto t1 = Clock::now();
            slot = (slot + 1) % kCarSlots;
            tickUs.push_back(std::chrono::duration<double, std::micro>(t1 - t0).count());
            std::size_t total = std::size_t(heat.TotalLaps());
            if (total < lapAt.size() && lapAt[total] == Clock::time_point{}) lapAt[total] = t1;
        };
        Heartbeat pump(10, beat);
        pump.Start();
        QApplication::exec();
        pump.Stop();
        double rssEnd = RssMb();
        int feeds = server.FeedClients();
        server.Stop();
        std::vector<double> latencyMs;
        if (phones) {
            phones->Stop();  // joined: every receipt is in
            for (const std::vector<Receipt>& mine : phones->Receipts()) {
                if (mine.empty()) continue;
                int seen = mine.front().totalLaps;
                for (const Receipt& r : mine) {
                    for (int k = seen + 1; k <= r.totalLaps && std::size_t(k) < lapAt.size(); ++k) {
                        if (lapAt[std::size_t(k)] == Clock::time_point{}) continue;
                        latencyMs.push_back(
                            std::chrono::duration<double, std::milli>(r.at - lapAt[std::size_t(k)])
                                .count());
                    }
                    seen = std::max(seen, r.totalLaps);
                }
            }
        }
        state.counters["latency_samples"] = double(latencyMs.size());
        state.counters["page_ms_median"] = Percentile(latencyMs, 50);
        state.counters["page_ms_p99"] = Percentile(latencyMs, 99);
        state.counters["page_ms_max"] = latencyMs.empty() ? -1 : latencyMs.back();
        state.counters["tick_us_median"] = Percentile(tickUs, 50);
        state.counters["tick_us_p99"] = Percentile(tickUs, 99);
        state.counters["beat_ms_p99"] = Percentile(intervalsMs, 99);
        state.counters["beat_ms_max"] = intervalsMs.empty() ? -1 : intervalsMs.back();
        state.counters["rss_mb_start"] = rssStart;
        state.counters["rss_mb_end"] = rssEnd;
        state.counters["feeds_at_end"] = feeds;
    }
}
// clients 0: the server is off. The soak (seconds 120) is the memory figure.
BENCHMARK(PassingToPage)
    ->Args({0, 20})
    ->Args({100, 20})
    ->ArgNames({"clients", "seconds"})
    ->Iterations(1)
    ->Unit(benchmark::kSecond);
BENCHMARK(PassingToPage)
    ->Args({100, 120})
    ->ArgNames({"clients", "seconds"})
    ->Iterations(1)
    ->Unit(benchmark::kSecond)
    ->Name("Soak");

}  // namespace
}  // namespace velkaro
