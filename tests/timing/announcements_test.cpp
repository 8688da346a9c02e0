#include "timing/announcements.h"

#include <gtest/gtest.h>

#include <string>

#include "tests/timing/engine_fixture.h"

namespace velkaro {
namespace {

// The calls of a five-second countdown, and of the passing that ends a lap run, are checked in
// the run control tests with the run they go with.
class AnnouncementsTest : public test::EngineTest {
  protected:
    // Each sound of the running run, "name@ms" with the race time it was asked for.
    std::string Listen(std::uint32_t untilMs) {
        std::string heard;
        while (engine_.phase == RunPhase::Running && RaceMs() < untilMs) {
            std::size_t before = sounds_.played.size();
            Wait(10);
            if (sounds_.played.size() > before)
                heard += Sounds(before) + "@" + std::to_string(RaceMs()) + " ";
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
    EXPECT_EQ(PhaseName(engine_.phase), "running");
    EXPECT_EQ(Sounds(), "unGB");
}

TEST_F(AnnouncementsTest, TheCountdownCallsTheHourTheMinutesAndTheLastSeconds) {
    SoundSettings s = engine_.soundSettings;
    s.countdown = kCountdownOn;
    AnnouncementFlags flags;
    for (int remaining = 4000; remaining >= 0; --remaining) {
        AnnounceCountdown(s, remaining, flags, sounds_);
        AnnounceCountdown(s, remaining, flags, sounds_);  // many ticks in one second
    }
    EXPECT_EQ(Sounds(),
              "60minutes 30minutes 15minutes 5minutes 2minutes 1minute 30secondes 10secondes cinq "
              "quatre trois deux un");

    // A language word that is neither leaves the voices silent, not the signals.
    sounds_.played.clear();
    s.language = "SONLANGUEEspagnol";
    s.start = kStartOn;
    AnnouncementFlags fresh;
    AnnounceCountdown(s, 5, fresh, sounds_);
    AnnounceStartSignal(s, sounds_);
    EXPECT_EQ(Sounds(), "foghorn");
}

TEST_F(AnnouncementsTest, TheRaceClockCallsHalfTimeAndTheLastMinutesOfLongEnoughRuns) {
    // A ten-minute run has no five-minute call: half time is then.
    for (auto [minutes, language, heard] :
         {std::tuple{10, kLanguageFrench, "miCourse@300010 1minute@541010 foghorn@600010 "},
          std::tuple{
              20, kLanguageEnglish,
              "miCourseGB@600010 5minutesRaceGB@901010 1minuteGB@1141010 foghorn@1200010 "}}) {
        SCOPED_TRACE(minutes);
        Arm({0});
        engine_.soundSettings.language = language;
        engine_.soundSettings.clock = kClockOn;
        engine_.options.durationMinutes = engine_.options.durationTotalMinutes = minutes;
        StartAndGo();
        EXPECT_EQ(Listen(minutes * 60000u + 5000u), heard);
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
    EXPECT_EQ(Sounds(), "beep1 beep1 youpi beep1 beep1");
}

TEST_F(AnnouncementsTest, AFinishedCarIsCalledInItsLanguage) {
    Arm({6});
    engine_.soundSettings.language = kLanguageEnglish;
    engine_.soundSettings.carFinish = kCarFinishOn;
    StartAndGo();
    PassAt(30000, {6});
    PassAt(61000, {6});
    EXPECT_EQ(PhaseName(engine_.phase), "over");  // its only car has finished
    EXPECT_EQ(Sounds(), "foghorn FinCourseVoiture7GB");
}

}  // namespace
}  // namespace velkaro
