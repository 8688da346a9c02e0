// The live page beside the race: a 20-car heat with a counted lap on every 10 ms tick, driven by
// the program's own heartbeat under a modal dialog, with the live server feeding N browsers'
// worth of clients on loopback from a thread of their own. Figures: from the tick that counted a
// lap to each client's receipt of the order holding it, the tick's own time and the beat's
// intervals (server off against on), and the memory at the start, after each minute and at the
// end.

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

#include "bench/heat.h"
#include "bench/offscreen_app.h"
#include "shell/heartbeat.h"
#include "shell/live_server.h"

namespace velkaro {
namespace {

using Clock = std::chrono::steady_clock;

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

// When the tick counted the lap that brought the total to k, in ns of the steady clock; written
// by the beat, read by the clients' thread. Sized and touched before the run, so that the
// memory figure is the program's, not the bench's.
using LapTimes = std::vector<std::atomic<std::int64_t>>;

std::int64_t Ns(Clock::time_point t) {
    return std::chrono::duration_cast<std::chrono::nanoseconds>(t.time_since_epoch()).count();
}

// Latencies in 50 us bins up to 1 s, the last bin for anything later.
struct Histogram {
    std::vector<std::uint64_t> bins = std::vector<std::uint64_t>(20001);
    std::uint64_t count = 0;
    void Add(double ms) {
        bins[std::min<std::size_t>(bins.size() - 1, std::size_t(std::max(0.0, ms) * 20))]++;
        ++count;
    }
    double Percentile(double p) const {
        std::uint64_t want = std::min(count - 1, std::uint64_t(double(count) * p / 100.0)), sum = 0;
        for (std::size_t i = 0; i < bins.size(); ++i) {
            sum += bins[i];
            if (sum > want) return double(i + 1) / 20.0;
        }
        return -1;
    }
};

// Clients that open the feed, each from its own loopback address, and note how long after its
// tick each lap reached them; in their own thread, as phones are their own machines.
class Phones {
  public:
    Phones(int count, quint16 port, const LapTimes& lapAt) : lapAt_(lapAt) {
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
    bool Connected() const { return !failed_.load(); }
    const Histogram& Latencies() const { return latencies_; }

  private:
    struct Client {
        std::unique_ptr<QTcpSocket> socket;
        QByteArray pending;
        int seen = -1;  // the total of laps of the last order received
    };

    void Received(Client& c) {
        c.pending += c.socket->readAll();
        std::int64_t now = Ns(Clock::now());
        qsizetype end;
        while ((end = c.pending.indexOf("\n\n")) >= 0) {
            if (c.pending.startsWith("data: ")) {
                int total = TotalLaps(c.pending.constData(), c.pending.constData() + end);
                for (int k = c.seen < 0 ? total + 1 : c.seen + 1;
                     k <= total && std::size_t(k) < lapAt_.size(); ++k) {
                    std::int64_t at = lapAt_[std::size_t(k)].load(std::memory_order_acquire);
                    if (at != 0) latencies_.Add(double(now - at) / 1e6);
                }
                c.seen = std::max(c.seen, total);
            }
            c.pending.remove(0, end + 2);
        }
    }

    void Run(int count, quint16 port) {
        std::vector<Client> clients(static_cast<std::size_t>(count));
        for (int i = 0; i < count; ++i) {
            Client& c = clients[std::size_t(i)];
            c.socket = std::make_unique<QTcpSocket>();
            c.socket->bind(
                QHostAddress(QStringLiteral("127.0.%1.%2").arg(1 + i / 200).arg(2 + i % 200)));
            c.socket->connectToHost(QHostAddress::LocalHost, port);
            if (!c.socket->waitForConnected(3000)) {
                std::fprintf(stderr, "client %d: %s\n", i, qPrintable(c.socket->errorString()));
                failed_ = true;
                return;
            }
            c.socket->write("GET /feed HTTP/1.1\r\nHost: bench\r\n\r\n");
            QObject::connect(c.socket.get(), &QTcpSocket::readyRead, [this, &c] { Received(c); });
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

    const LapTimes& lapAt_;
    std::unique_ptr<QThread> thread_;
    Histogram latencies_;
    std::atomic<int> connected_{0};
    std::atomic<bool> failed_{false};
    std::atomic<bool> stop_{false};
};

// The decoder is quiet: the laps come from the car buttons, one every 200 ms per car.
struct Heat : bench::Heat {
    Heat() {
        engine.options.minimumLapSeconds = 0;
        engine.options.circuitIndex = kNoCircuit;
        Format(engine.runTitle, "%s", " Bench - Round1 - Heat1 ");
        port.size = 0;
        Start();
    }
    int TotalLaps() const {
        int total = 0;
        for (const LiveRow& r : engine.tables.rows) total += std::atoi(r.laps.View().data());
        return total;
    }
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
        LapTimes lapAt(std::size_t(seconds) * 100 + 1000);
        for (auto& t : lapAt) t.store(0);
        std::vector<double> tickUs, intervalsMs;
        // Touched now: pages first written during the run would count as the program's growth.
        for (auto* v : {&tickUs, &intervalsMs}) {
            v->resize(std::size_t(seconds) * 110);
            v->clear();
        }
        LiveServer server(heat.engine);
        std::unique_ptr<Phones> phones;
        if (clients > 0) {
            if (!server.Start(0, QHostAddress::LocalHost)) {
                state.SkipWithError("no port");
                return;
            }
            phones = std::make_unique<Phones>(clients, server.Port(), lapAt);
            if (!phones->Connected()) {
                state.SkipWithError("the clients could not connect");
                return;
            }
        }
        QApplication::processEvents();
        double rssStart = RssMb();
        double rssWarm = -1;             // once every client has had 10 s of orders
        std::vector<double> rssMinutes;  // at the end of each whole minute
        rssMinutes.reserve(std::size_t(seconds) / 60 + 1);
        auto nextMinute = Clock::now() + std::chrono::minutes(1);
        QDialog dialog;
        bool opened = false;
        int slot = 0;
        int heats = 1;  // the lap times stand for the first: the clients' totals start again
        auto last = Clock::now();
        auto end = last + std::chrono::seconds(seconds);
        auto beat = [&] {
            auto now = Clock::now();
            if (opened)
                intervalsMs.push_back(
                    std::chrono::duration<double, std::milli>(now - last).count());
            last = now;
            if (!opened) return;
            if (now > end) {
                dialog.accept();
                return;
            }
            heat.clock.AdvanceMs(10);
            // A run ends with its first car at the limit of passings: a new heat keeps the order
            // moving.
            if (heat.engine.phase != RunPhase::Running) {
                heat.Start();
                ++heats;
            }
            auto t0 = Clock::now();
            CarButton(heat.engine, slot);
            OnTimerTick(heat.engine);
            auto t1 = Clock::now();
            slot = (slot + 1) % kCarSlots;
            tickUs.push_back(std::chrono::duration<double, std::micro>(t1 - t0).count());
            std::size_t total = std::size_t(heat.TotalLaps());
            if (heats == 1 && total < lapAt.size() && lapAt[total].load() == 0) {
                lapAt[total].store(Ns(t1), std::memory_order_release);
            }
            if (rssWarm < 0 && now > end - std::chrono::seconds(seconds - 10)) rssWarm = RssMb();
            if (now >= nextMinute) {
                rssMinutes.push_back(RssMb());
                nextMinute += std::chrono::minutes(1);
            }
        };
        Heartbeat pump(10, beat);
        pump.Start();
        // The box is the user's, opened beside the beat: its loop delivers the beats.
        QTimer::singleShot(0, [&] {
            opened = true;
            dialog.exec();
            QApplication::exit();
        });
        QApplication::exec();
        pump.Stop();
        double rssEnd = RssMb();
        int feeds = server.FeedClients();
        server.Stop();
        if (phones) {
            phones->Stop();  // joined: every receipt is counted
            const Histogram& h = phones->Latencies();
            state.counters["latency_samples"] = double(h.count);
            state.counters["page_ms_median"] = h.Percentile(50);
            state.counters["page_ms_p99"] = h.Percentile(99);
            state.counters["page_ms_max"] = h.Percentile(100);
        }
        state.counters["rss_mb_after_10s"] = rssWarm;
        state.counters["tick_us_median"] = Percentile(tickUs, 50);
        state.counters["tick_us_p99"] = Percentile(tickUs, 99);
        state.counters["beat_ms_p99"] = Percentile(intervalsMs, 99);
        state.counters["beat_ms_max"] = intervalsMs.empty() ? -1 : intervalsMs.back();
        state.counters["rss_mb_start"] = rssStart;
        for (std::size_t m = 0; m < rssMinutes.size(); ++m) {
            char name[40];
            std::snprintf(name, sizeof name, "rss_mb_minute_%02zu", m + 1);
            state.counters[name] = rssMinutes[m];
        }
        state.counters["rss_mb_end"] = rssEnd;
        state.counters["feeds_at_end"] = feeds;
        state.counters["heats"] = heats;
    }
}
// The soak's length in seconds: VELKARO_SOAK_SECONDS, or two minutes.
std::int64_t SoakSeconds() {
    const char* chosen = std::getenv("VELKARO_SOAK_SECONDS");
    long seconds = chosen ? std::atol(chosen) : 0;
    return seconds >= 20 ? seconds : 120;
}

// clients 0: the server is off. The soak is the memory figure.
BENCHMARK(PassingToPage)
    ->Args({0, 20})
    ->Args({100, 20})
    ->ArgNames({"clients", "seconds"})
    ->Iterations(1)
    ->Unit(benchmark::kSecond);
BENCHMARK(PassingToPage)
    ->Args({100, SoakSeconds()})
    ->ArgNames({"clients", "seconds"})
    ->Iterations(1)
    ->Unit(benchmark::kSecond)
    ->Name("Soak");

}  // namespace
}  // namespace velkaro
