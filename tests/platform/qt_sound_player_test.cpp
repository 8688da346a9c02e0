// The real player on a private PulseAudio server whose null sink is recorded through its monitor:
// every sound must be found in the recording, in order, whole, and on time.
#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <QTest>
#include <QTimer>
#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <thread>

#include "platform/qt/qt_sound_player.h"
#include "tests/support/test_support.h"

extern char** environ;

namespace velkaro {
namespace {

using Clock = std::chrono::steady_clock;
using namespace std::chrono_literals;
constexpr int kRate = 44100;

double Ms(Clock::duration d) {
    return std::chrono::duration<double, std::milli>(d).count();
}

bool OnPath(const std::string& program) {
    const char* path = std::getenv("PATH");
    std::string dirs = path ? path : "/usr/bin:/bin";
    for (std::size_t at = 0; at <= dirs.size();) {
        std::size_t end = std::min(dirs.find(':', at), dirs.size());
        if (::access((dirs.substr(at, end - at) + "/" + program).c_str(), X_OK) == 0) return true;
        at = end + 1;
    }
    return false;
}

// A child process, its standard output on a pipe when asked, stopped when the object dies.
class Child {
  public:
    Child(std::vector<std::string> args, bool pipeOut, const std::string& log) {
        int out[2] = {-1, -1};
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        if (pipeOut && ::pipe2(out, O_CLOEXEC) == 0) {
            posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
        }
        posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, log.c_str(),
                                         O_WRONLY | O_CREAT | O_APPEND, 0644);
        std::vector<char*> argv;
        for (std::string& a : args) argv.push_back(a.data());
        argv.push_back(nullptr);
        if (posix_spawnp(&pid_, argv[0], &actions, nullptr, argv.data(), environ) != 0) pid_ = -1;
        posix_spawn_file_actions_destroy(&actions);
        if (out[1] >= 0) ::close(out[1]);
        out_ = out[0];
    }
    ~Child() {
        Stop();
        if (out_ >= 0) ::close(out_);
    }
    void Stop() {
        if (pid_ <= 0) return;
        ::kill(pid_, SIGTERM);
        int status = 0;
        for (int i = 0; i < 500 && ::waitpid(pid_, &status, WNOHANG) == 0; ++i) {
            std::this_thread::sleep_for(10ms);
        }
        if (::waitpid(pid_, &status, WNOHANG) == 0) {
            ::kill(pid_, SIGKILL);
            ::waitpid(pid_, &status, 0);
        }
        pid_ = -1;
    }
    bool Running() const { return pid_ > 0 && ::waitpid(pid_, nullptr, WNOHANG) == 0; }
    int Out() const { return out_; }

  private:
    pid_t pid_ = -1;
    int out_ = -1;
};

// The monitor's samples, each read stamped with its arrival: the earliest arrival relative to
// its samples ties the recording to the program's clock.
struct Recording {
    std::vector<std::int16_t> samples;
    Clock::time_point zero = Clock::time_point::max();  // when sample 0 was played
    Clock::time_point At(std::int64_t i) const {
        return zero + std::chrono::microseconds(i * 1000000 / kRate);
    }
    std::int64_t Index(Clock::time_point t) const {
        return std::max<std::int64_t>(0, std::int64_t(Ms(t - zero) * kRate / 1000));
    }
};

void Record(int fd, Recording& r, std::atomic<bool>& stop) {
    char buffer[4096];
    std::string pending;
    while (!stop) {
        ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n <= 0) break;
        Clock::time_point now = Clock::now();
        pending.append(buffer, std::size_t(n));
        for (std::size_t i = 0; i + 1 < pending.size(); i += 2) {
            r.samples.push_back(std::int16_t(std::uint8_t(pending[i]) | pending[i + 1] << 8));
        }
        pending.erase(0, pending.size() & ~std::size_t(1));
        auto played = std::chrono::microseconds(std::int64_t(r.samples.size()) * 1000000 / kRate);
        r.zero = std::min(r.zero, now - played);
    }
}

PcmSound Reference(const std::string& file) {
    PcmSound s;
    std::string why;
    EXPECT_TRUE(DecodeWav(test::ReadWholeFile(file), {kRate, 1}, s, why)) << file << why;
    return s;
}

bool Same(std::int16_t a, std::int16_t b) {
    return std::abs(int(a) - int(b)) <= 64 + std::abs(int(b)) / 20;
}

// How many samples of `ref`, from its start, the recording holds unchanged at `at`.
std::int64_t Heard(const Recording& r, std::int64_t at, const PcmSound& ref) {
    std::int64_t n = 0;
    while (n < std::int64_t(ref.samples.size()) && at + n < std::int64_t(r.samples.size()) &&
           Same(r.samples[std::size_t(at + n)], ref.samples[std::size_t(n)])) {
        ++n;
    }
    return n;
}

// Like Heard, past stretches of silence (the speaker ran dry) after which the sound goes on
// where it stopped; `gaps` counts them.
std::int64_t HeardWithGaps(const Recording& r, std::int64_t at, const PcmSound& ref, int& gaps) {
    const auto recorded = std::int64_t(r.samples.size());
    std::int64_t n = 0;
    while (at < recorded && n < std::int64_t(ref.samples.size())) {
        std::int64_t run = Heard(r, at, PcmSound{"", {ref.samples.begin() + n, ref.samples.end()}});
        n += run;
        at += run;
        std::int64_t silent = 0;
        while (at + silent < recorded && silent < kRate / 5 &&
               r.samples[std::size_t(at + silent)] == 0) {
            ++silent;
        }
        if (run == 0 && silent == 0) break;
        if (silent == 0 || silent == kRate / 5) break;
        if (n < std::int64_t(ref.samples.size())) ++gaps;
        at += silent;
    }
    return n;
}

// The first place in [from, to) where the recording holds the sound's start: its quiet lead-in
// and `head` samples from its first loud one, which pins the place to the sample.
std::int64_t Find(const Recording& r, std::int64_t from, std::int64_t to, const PcmSound& ref,
                  std::int64_t head) {
    std::int64_t loud = 0;
    while (loud < std::int64_t(ref.samples.size()) &&
           std::abs(ref.samples[std::size_t(loud)]) < 1000) {
        ++loud;
    }
    to = std::min<std::int64_t>(to, std::int64_t(r.samples.size()) - loud - head);
    for (std::int64_t at = std::max<std::int64_t>(from, 0); at < to; ++at) {
        if (Same(r.samples[std::size_t(at + loud)], ref.samples[std::size_t(loud)]) &&
            Heard(r, at, ref) >= loud + head) {
            return at;
        }
    }
    return -1;
}

class SoundOnPulseAudio : public ::testing::Test {
  protected:
    void SetUp() override {
        if (!OnPath("pulseaudio") || !OnPath("parec")) {
            GTEST_SKIP() << "pulseaudio or parec is not installed (tools/install-deps.sh "
                            "installs them): no server to play into";
        }
        const std::string dir = folder.Path().string();
        // A server and clients of our own, whoever runs the test (root included).
        for (const char* var : {"HOME", "XDG_RUNTIME_DIR", "PULSE_RUNTIME_PATH"}) {
            ::setenv(var, dir.c_str(), 1);
        }
        ::setenv("PULSE_SERVER", ("unix:" + dir + "/native").c_str(), 1);
        ::unsetenv("PULSE_COOKIE");
        server.emplace(
            std::vector<std::string>{"pulseaudio", "--daemonize=no", "-n", "--exit-idle-time=-1",
                                     "--use-pid-file=no", "--system=no", "--disable-shm=yes",
                                     "--load=module-null-sink sink_name=velkaro "
                                     "rate=44100 channels=1",
                                     "--load=module-native-protocol-unix "
                                     "auth-anonymous=1 socket=" +
                                         dir + "/native"},
            false, dir + "/server.log");
        auto end = Clock::now() + 10s;
        while (!std::filesystem::exists(dir + "/native") && server->Running() &&
               Clock::now() < end) {
            std::this_thread::sleep_for(20ms);
        }
        if (!std::filesystem::exists(dir + "/native")) {
            GTEST_SKIP() << "the PulseAudio server does not start here:\n"
                         << test::ReadWholeFile(dir + "/server.log");
        }
    }

    test::TempFolder folder;
    std::optional<Child> server;
};

TEST_F(SoundOnPulseAudio, EverySoundHeardWholeInOrderAndOnTime) {
    const std::string dir = folder.Path().string();
    test::ScopedCurrentFolder here(VELKARO_SHIPPED_DATA);
    QtSoundPlayer player;
    ASSERT_EQ(player.Status(), "") << "the player found no output on the private server";

    Child parec({"parec", "-d", "velkaro.monitor", "--raw", "--format=s16le", "--rate=44100",
                 "--channels=1", "--latency-msec=20"},
                true, dir + "/parec.log");
    Recording rec;
    std::atomic<bool> stop{false};
    std::thread reader(Record, parec.Out(), std::ref(rec), std::ref(stop));
    // The program opens its stream at start-up, long before a run: let the server settle too.
    QTest::qWait(1500);

    // The program's 10 ms beat, which a wait must not stop.
    int beats = 0;
    QTimer beat;
    beat.setTimerType(Qt::PreciseTimer);
    QObject::connect(&beat, &QTimer::timeout, [&] { ++beats; });
    beat.start(10);

    struct Request {
        std::string file;
        Clock::time_point at;
    };
    std::vector<Request> played;
    auto play = [&](const std::string& file) {
        played.push_back({file, Clock::now()});
        player.PlayAsync(file);
    };
    auto waitUntil = [](Clock::time_point t) {
        while (Clock::now() < t) QTest::qWait(1);
    };

    // "Start" with the countdown: the ring tone to its end, then the calls a second apart.
    played.push_back({"sons/nokia-sms.wav", Clock::now()});
    player.PlayAndWait("sons/nokia-sms.wav");
    const Clock::time_point waitReturned = Clock::now();
    const int beatsInWait = beats;
    const Clock::time_point zero = Clock::now() + 1s;
    const char* calls[] = {"sons/cinqGB.wav", "sons/quatreGB.wav", "sons/troisGB.wav",
                           "sons/deuxGB.wav", "sons/unGB.wav",     "sons/foghorn.wav"};
    for (int k = 0; k < 6; ++k) {
        waitUntil(zero + std::chrono::seconds(k));
        play(calls[k]);
    }
    // Laps far apart, then 23 in one tick.
    for (int k = 0; k < 10; ++k) {
        waitUntil(zero + 7s + std::chrono::milliseconds(250 * k + 17 * (k % 3)));
        play("sons/beep1.wav");
    }
    waitUntil(zero + 10s);
    const Clock::time_point burst = Clock::now();
    for (int k = 0; k < 23; ++k) player.PlayAsync("sons/beep1.wav");
    QTest::qWait(1200);
    stop = true;
    parec.Stop();
    reader.join();
    ASSERT_GT(rec.samples.size(), std::size_t(10 * kRate))
        << test::ReadWholeFile(dir + "/parec.log");

    if (const char* keep = std::getenv("VELKARO_KEEP_RECORDING")) {
        test::WriteWholeFile(keep, std::string(reinterpret_cast<const char*>(rec.samples.data()),
                                               rec.samples.size() * 2));
    }
    std::vector<double> latencies;
    int gaps = 0;
    std::int64_t from = 0;
    const std::int64_t ms = kRate / 1000;
    for (const Request& q : played) {
        PcmSound ref = Reference(q.file);
        std::int64_t at = Find(rec, std::max(from, rec.Index(q.at) - 20 * ms),
                               rec.Index(q.at) + 1000 * ms, ref, 10 * ms);
        ASSERT_GE(at, 0) << q.file << " requested at " << Ms(q.at - rec.zero) << " ms not found";
        const auto length = std::int64_t(ref.samples.size());
        EXPECT_GE(HeardWithGaps(rec, at, ref, gaps), length - 5 * ms) << q.file << " cut short";
        latencies.push_back(Ms(rec.At(at) - q.at));
        if (q.file == "sons/nokia-sms.wav") {
            const double early = Ms(rec.At(at + length) - waitReturned);
            EXPECT_LT(early, 10.0) << "the wait returned before the ring tone was heard";
            EXPECT_GT(early, -150.0) << "the wait returned long after the ring tone";
            std::printf("ring tone: wait returned %.1f ms after its last sample\n", -early);
            EXPECT_GE(beatsInWait, int(length / ms / 10) / 2) << "the beat stalled in the wait";
        }
        from = at + 1;
    }
    for (int k = 1; k < 6; ++k) {
        double gap = Ms(played[std::size_t(k + 1)].at - played[std::size_t(k)].at) -
                     latencies[std::size_t(k)] + latencies[std::size_t(k + 1)];
        EXPECT_NEAR(gap, 1000.0, 30.0) << calls[k - 1] << " to " << calls[k];
    }

    // Each beep of the burst starts, then gives way to the next.
    PcmSound beep = Reference("sons/beep1.wav");
    int starts = 0;
    for (std::int64_t at = rec.Index(burst) - 20 * ms;; ++at) {
        at = Find(rec, at, at + 300 * ms, beep, 10 * ms);
        if (at < 0) break;
        if (starts++ == 0) latencies.push_back(Ms(rec.At(at) - burst));
    }
    EXPECT_EQ(starts, 23);
    std::printf("the speaker ran dry %d times inside a sound\n", gaps);

    for (double l : latencies) std::printf("%.1f ", l);
    std::printf("ms\n");
    std::vector<double> sorted = latencies;
    std::sort(sorted.begin(), sorted.end());
    std::printf("request to first sample over %zu sounds: median %.1f ms, worst %.1f ms\n",
                sorted.size(), sorted[sorted.size() / 2], sorted.back());
}

}  // namespace
}  // namespace velkaro
