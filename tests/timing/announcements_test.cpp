#include "timing/announcements.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "tests/timing/engine_fixture.h"

namespace velkaro {
namespace {

using Heard = std::vector<std::pair<std::uint32_t, std::string>>;
using Files = std::vector<std::string>;

// The calls of a five-second countdown are checked with its texts, in the run control tests.
class AnnouncementsTest : public test::EngineTest {
  protected:
    // Each sound of the running run, with the race time it was asked for.
    Heard Listen(std::uint32_t untilMs) {
        Heard heard;
        while (engine_.running != 0 && RaceMs() < untilMs) {
            std::size_t before = sounds_.played.size();
            Wait(10);
            for (const std::string& f : SoundsFrom(before)) heard.emplace_back(RaceMs(), f);
        }
        return heard;
    }
};

TEST_F(AnnouncementsTest, AOneSecondCountdownStartsWithoutTheSignal) {
    Arm({0}, 1);
    AllSoundsOn(kLanguageEnglish);
    engine_.soundSettings.start = kStartOff;
    StartCommand(engine_);
    Wait(1010);
    EXPECT_EQ(engine_.running, 1);
    EXPECT_EQ(sounds_.Files(), Files{"sons/unGB.wav"});
}

TEST_F(AnnouncementsTest, TheCountdownCallsTheHourTheMinutesAndTheLastSeconds) {
    SoundSettings s = engine_.soundSettings;
    s.countdown = kCountdownOn;
    AnnouncementFlags flags;
    for (int remaining = 4000; remaining >= 0; --remaining) {
        AnnounceCountdown(s, remaining, flags, sounds_);
        AnnounceCountdown(s, remaining, flags, sounds_);  // many ticks in one second
    }
    EXPECT_EQ(sounds_.Files(),
              (Files{"sons/60minutes.wav", "sons/30minutes.wav", "sons/15minutes.wav",
                     "sons/5minutes.wav", "sons/2minutes.wav", "sons/1minute.wav",
                     "sons/30secondes.wav", "sons/10secondes.wav", "sons/cinq.wav",
                     "sons/quatre.wav", "sons/trois.wav", "sons/deux.wav", "sons/un.wav"}));

    // A language word that is neither leaves the voices silent, not the signals.
    sounds_.played.clear();
    s.language = "SONLANGUEEspagnol";
    s.start = kStartOn;
    AnnouncementFlags fresh;
    AnnounceCountdown(s, 5, fresh, sounds_);
    AnnounceStartSignal(s, sounds_);
    EXPECT_EQ(sounds_.Files(), Files{"sons/foghorn.wav"});
}

TEST_F(AnnouncementsTest, TheRaceClockCallsHalfTimeAndTheLastMinutesOfLongEnoughRuns) {
    struct Case {
        int minutes;
        std::string_view language;
        Heard heard;
    };
    // A ten-minute run has no five-minute call: half time is then.
    for (const Case& c : {Case{10,
                               kLanguageFrench,
                               {{300010, "sons/miCourse.wav"},
                                {541010, "sons/1minute.wav"},
                                {600010, "sons/foghorn.wav"}}},
                          Case{20,
                               kLanguageEnglish,
                               {{600010, "sons/miCourseGB.wav"},
                                {901010, "sons/5minutesRaceGB.wav"},
                                {1141010, "sons/1minuteGB.wav"},
                                {1200010, "sons/foghorn.wav"}}}}) {
        SCOPED_TRACE(c.minutes);
        Arm({0});
        engine_.soundSettings.language = c.language;
        engine_.soundSettings.clock = kClockOn;
        engine_.options.durationMinutes = engine_.options.durationTotalMinutes = c.minutes;
        StartAndGo();
        EXPECT_EQ(Listen(c.minutes * 60000u + 5000u), c.heard);
        StopCommand(engine_);
    }
}

TEST_F(AnnouncementsTest, TheLapBeepCutsTheBestLapCheer) {
    Arm({0});
    engine_.soundSettings.passing = kPassingOn;
    engine_.soundSettings.bestLap = kBestLapOn;
    StartAndGo();
    for (std::uint32_t t : {3000u, 15000u, 26000u, 38000u}) PassAt(t, {0});
    // From the grid, then a first best lap (no improvement), a better one, a slower one.
    EXPECT_EQ(sounds_.Files(), (Files{"sons/beep1.wav", "sons/beep1.wav", "sons/youpi.wav",
                                      "sons/beep1.wav", "sons/beep1.wav"}));
}

TEST_F(AnnouncementsTest, AFinishedCarIsCalledInItsLanguage) {
    Arm({6});
    engine_.soundSettings.language = kLanguageEnglish;
    engine_.soundSettings.carFinish = kCarFinishOn;
    StartAndGo();
    PassAt(30000, {6});
    PassAt(61000, {6});
    EXPECT_EQ(engine_.running, 0);  // its only car has finished
    EXPECT_EQ(sounds_.Files(), (Files{"sons/foghorn.wav", "sons/FinCourseVoiture7GB.wav"}));
}

}  // namespace
}  // namespace velkaro
