// The real player on a private PulseAudio server, its null sink recorded through the monitor:
// every sound is found in the recording in order, whole, and its delay printed.
#include <gtest/gtest.h>

#include <QTest>
#include <QTimer>
#include <algorithm>
#include <atomic>
#include <cstdio>

#include "platform/qt/qt_sound_player.h"
#include "tests/support/sim_process.h"
#include "tests/support/test_support.h"

namespace velkaro {
namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;
constexpr std::int64_t kRate = 44100, kMs = kRate / 1000;

double Ms(Clock::duration d) {
    return std::chrono::duration<double, std::milli>(d).count();
}

// The monitor's samples; each read stamped with its arrival, the earliest arrival relative to
// its samples ties the recording to the program's clock.
struct Recording {
    std::vector<std::int16_t> samples;
    Clock::time_point zero = Clock::time_point::max();  // when sample 0 was played
    Clock::time_point At(std::int64_t i) const { return zero + i * 1000000us / kRate; }
    std::int64_t Index(Clock::time_point t) const { return std::int64_t(Ms(t - zero)) * kMs; }
};

PcmSound Reference(const std::string& file) {
    PcmSound s;
    std::string why;
    EXPECT_TRUE(DecodeWav(test::ReadWholeFile(file), {int(kRate), 1}, s, why)) << file << why;
    return s;
}

// How many samples of `ref`, from its start, the recording holds unchanged at `at`.
std::int64_t Heard(const Recording& r, std::int64_t at, const PcmSound& ref) {
    std::int64_t n = 0;
    for (; n < std::int64_t(ref.samples.size()) && at + n < std::int64_t(r.samples.size()); ++n) {
        int a = r.samples[std::size_t(at + n)], b = ref.samples[std::size_t(n)];
        if (std::abs(a - b) > 64 + std::abs(b) / 20) break;
    }
    return n;
}

// Whether the recording holds the sound's last loud 20 ms after its start, give or take what the
// stalls of a loaded machine skip or delay (heard as stutter, not as a cut end).
bool EndHeard(const Recording& r, std::int64_t at, const PcmSound& ref) {
    auto last = std::int64_t(ref.samples.size()) - 1;
    while (std::abs(ref.samples[std::size_t(last)]) < 1000) --last;
    const auto first = ref.samples.begin() + last - 20 * kMs;
    const PcmSound tail{"", {first, first + 20 * kMs}};
    for (std::int64_t p = at; p < at + last + 300 * kMs; ++p) {
        if (Heard(r, p, tail) == 20 * kMs) return true;
    }
    return false;
}

// The first place in [from, to) holding the sound's quiet lead-in and 10 ms after it.
std::int64_t Find(const Recording& r, std::int64_t from, std::int64_t to, const PcmSound& ref) {
    std::int64_t loud = 0;
    while (std::abs(ref.samples[std::size_t(loud)]) < 1000) ++loud;
    for (std::int64_t at = std::max<std::int64_t>(from, 0); at < to; ++at) {
        if (Heard(r, at, ref) >= loud + 10 * kMs) return at;
    }
    return -1;
}

TEST(SoundWithoutAServer, IsSilentAndSaysWhy) {
    test::TempFolder folder;
    ::setenv("PULSE_SERVER", ("unix:" + folder / "none").c_str(), 1);
    test::ScopedCurrentFolder here(VELKARO_SHIPPED_DATA);
    QtSoundPlayer player;
    EXPECT_EQ(player.Status(), "no audio device");
    const auto start = Clock::now();
    player.PlayAndWait("sons/nokia-sms.wav");
    EXPECT_LT(Ms(Clock::now() - start), 100.0) << "a wait with nothing to play";
}

TEST(SoundOnPulseAudio, EverySoundHeardWholeInOrderAndOnTime) {
    if (::access("/usr/bin/pulseaudio", X_OK) != 0 || ::access("/usr/bin/parec", X_OK) != 0) {
        GTEST_SKIP() << "pulseaudio and parec are not installed (tools/install-deps.sh does it)";
    }
    test::TempFolder folder;
    const std::string dir = folder.Path().string();
    // A server and clients of our own, whoever runs the test (root included).
    for (const char* var : {"HOME", "XDG_RUNTIME_DIR", "PULSE_RUNTIME_PATH"}) {
        ::setenv(var, dir.c_str(), 1);
    }
    ::setenv("PULSE_SERVER", ("unix:" + dir + "/native").c_str(), 1);
    test::SimProcess server(
        "/usr/bin/pulseaudio",
        {"--daemonize=no", "-n", "--exit-idle-time=-1", "--use-pid-file=no", "--system=no",
         "--log-target=file:" + dir + "/server.log",
         "--load=module-null-sink sink_name=velkaro rate=44100 channels=1",
         "--load=module-native-protocol-unix auth-anonymous=1 socket=" + dir + "/native"});
    const auto ready = [] {
        return std::system("pactl list short sinks 2>&1 | grep -q velkaro") == 0;
    };
    for (auto end = test::In(10s); !ready() && test::Before(end);) {
        std::this_thread::sleep_for(50ms);
    }
    if (!ready()) {
        GTEST_SKIP() << "no PulseAudio server here:\n" << test::ReadWholeFile(dir + "/server.log");
    }

    test::ScopedCurrentFolder here(VELKARO_SHIPPED_DATA);
    QtSoundPlayer player;
    ASSERT_EQ(player.Status(), "");
    FILE* parec = ::popen(
        "exec parec -d velkaro.monitor --raw --format=s16le --rate=44100 "
        "--channels=1 --latency-msec=20",
        "r");
    ASSERT_NE(parec, nullptr);
    Recording rec;
    std::atomic<bool> stop{false};
    std::thread reader([&] {
        std::int16_t buffer[2048];
        for (std::size_t n; !stop && (n = std::fread(buffer, 2, 441, parec)) > 0;) {
            rec.samples.insert(rec.samples.end(), buffer, buffer + n);
            rec.zero = std::min(
                rec.zero, Clock::now() - std::int64_t(rec.samples.size()) * 1000000us / kRate);
        }
    });
    // The program opens its stream long before a run; a null sink idles with a 2 s block, which
    // a new stream waits out before its low latency holds.
    for (auto end = test::In(10s); player.FramesPlayed() < kRate && test::Before(end);) {
        QTest::qWait(10);
    }

    int beats = 0;  // the program's 10 ms beat, which a wait must not stop
    QTimer beat;
    QObject::connect(&beat, &QTimer::timeout, [&] { ++beats; });
    beat.start(10);
    std::vector<std::pair<std::string, Clock::time_point>> played;
    auto play = [&](const std::string& file, Clock::time_point when) {
        while (Clock::now() < when) QTest::qWait(1);
        played.emplace_back(file, Clock::now());
        player.PlayAsync(file);
    };
    played.emplace_back("sons/nokia-sms.wav", Clock::now());
    player.PlayAndWait("sons/nokia-sms.wav");
    const Clock::time_point waited = Clock::now();
    const int beatsInWait = beats;
    const Clock::time_point zero = Clock::now() + 1s;
    for (const char* call : {"cinqGB", "quatreGB", "troisGB", "deuxGB", "unGB", "foghorn"}) {
        play("sons/" + std::string(call) + ".wav", zero + int(played.size() - 1) * 1s);
    }
    for (int k = 0; k < 10; ++k) play("sons/beep1.wav", zero + 7s + k * 400ms + k % 3 * 17ms);
    play("sons/beep1.wav", zero + 11s);
    const Clock::time_point burst = played.back().second;
    for (int k = 1; k < 23; ++k) player.PlayAsync("sons/beep1.wav");
    QTest::qWait(1200);
    stop = true;
    reader.join();
    ::pclose(parec);
    ASSERT_GT(rec.samples.size(), std::size_t(10 * kRate));

    std::vector<double> delays;
    int stutters = 0;
    std::int64_t from = 0;
    for (const auto& [file, when] : played) {
        PcmSound ref = Reference(file);
        std::int64_t at = Find(rec, std::max(from, rec.Index(when) - 20 * kMs),
                               rec.Index(when) + 1000 * kMs, ref);
        ASSERT_GE(at, 0) << file << " requested at " << Ms(when - rec.zero) << " ms not heard";
        const auto length = std::int64_t(ref.samples.size());
        EXPECT_TRUE(when == burst || EndHeard(rec, at, ref)) << file << " cut";
        stutters += when != burst && Heard(rec, at, ref) < length - 5 * kMs;
        delays.push_back(Ms(rec.At(at) - when));
        if (delays.size() == 1) {
            const double early = Ms(rec.At(at + length) - waited);
            EXPECT_LT(early, 10.0) << "the wait returned before the ring tone's end was heard";
            EXPECT_GT(early, -100.0) << "the wait returned long after the ring tone's end";
            EXPECT_GE(beatsInWait, length / kMs / 20) << "the beat stalled in the wait";
        }
        if (delays.size() > 2 && delays.size() <= 7) {
            EXPECT_NEAR(Ms(rec.At(at) - rec.At(from - 1)), 1000.0, 30.0) << file;
        }
        from = at + 1;
    }
    // Each beep of the burst starts, and is cut by the next.
    PcmSound beep = Reference("sons/beep1.wav");
    int starts = 1;
    for (std::int64_t at = from; (at = Find(rec, at, at + 300 * kMs, beep)) >= 0; ++at) ++starts;
    EXPECT_EQ(starts, 23);

    std::sort(delays.begin(), delays.end());
    std::printf(
        "request to first sample over %zu sounds: median %.1f ms, worst %.1f ms; %d "
        "stuttered\n",
        delays.size(), delays[delays.size() / 2], delays.back(), stutters);
}

}  // namespace
}  // namespace velkaro
