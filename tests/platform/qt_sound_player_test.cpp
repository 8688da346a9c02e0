// The real player on a private PulseAudio server, its null sink recorded through the monitor:
// every sound is found in the recording in order, whole, and its delay printed.
#include <gtest/gtest.h>

#include <QTest>
#include <QTimer>
#include <algorithm>
#include <cstdio>

#include "platform/qt/qt_sound_player.h"
#include "tests/support/pulse_audio.h"
#include "tests/support/sim_process.h"
#include "tests/support/test_support.h"

namespace velkaro {
namespace {

using namespace std::chrono_literals;
using namespace test;
using Clock = std::chrono::steady_clock;
constexpr std::int64_t kMs = kSamplesPerMs;

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
    TempFolder folder;
    PulseServer server(folder.Path().string());
    if (!server.Unavailable().empty()) GTEST_SKIP() << server.Unavailable();

    test::ScopedCurrentFolder here(VELKARO_SHIPPED_DATA);
    QtSoundPlayer player;
    ASSERT_EQ(player.Status(), "");
    MonitorRecording rec;
    ASSERT_TRUE(rec.Recording());
    ASSERT_TRUE(rec.Flowing()) << "the monitor records nothing";
    // The program opens its stream long before a run; a null sink idles with a 2 s block, which
    // a new stream waits out before its low latency holds.
    for (auto end = test::In(10s); player.FramesPlayed() < kPulseRate && test::Before(end);) {
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
    rec.Stop();
    ASSERT_GT(rec.samples.size(), std::size_t(10 * kPulseRate));

    std::vector<double> delays;
    int stutters = 0;
    std::int64_t from = 0;
    for (const auto& [file, when] : played) {
        PcmSound ref = Reference(file);
        // Near its request, and by its end when a stall split its start.
        std::int64_t at = Find(rec, std::max(from, rec.Index(when) - 20 * kMs),
                               rec.Index(when) + 150 * kMs, ref, when != burst);
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
