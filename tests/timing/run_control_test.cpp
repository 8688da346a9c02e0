#include "timing/run_control.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "platform/cp1252.h"
#include "tests/timing/engine_fixture.h"
#include "timing/scan_check.h"
#include "timing/start_refusal.h"

namespace velkaro {
namespace {

using test::Fields;

class RunControlTest : public test::EngineTest {
  protected:
    // Each change of a text while `ms` pass, "text@ms" with the time since the first tick.
    template <typename Text>
    std::string Watch(const Text& text, std::uint32_t ms) {
        std::string shown, last(text.View());
        for (std::uint32_t start = clock_.TickMs(); clock_.TickMs() - start < ms;) {
            Wait(10);
            if (text.View() == last) continue;
            last = text.View();
            shown +=
                (shown.empty() ? "" : " ") + last + "@" + std::to_string(clock_.TickMs() - start);
        }
        return shown;
    }
};

TEST_F(RunControlTest, AFiveSecondCountdownShowsAndCallsEachSecondOnceThenTheClockStarts) {
    Arm({0}, 5);
    AllSoundsOn(kLanguageFrench);
    engine_.clock.countdown.Clear();
    StartCommand(engine_);
    std::uint32_t start = clock_.TickMs();
    EXPECT_EQ(Watch(engine_.clock.countdown, 5010),
              "5s@10 4s@1010 3s@2010 2s@3010 1s@4010 0s@5010");
    EXPECT_EQ(Fields(PhaseName(engine_.phase), link_.timeBase.runStartTick - start,
                     engine_.tables.rows[0].totalTime),
              "running|5010|00:00.000");
    // The start signal heard to its end, a call a second, the horn at zero.
    EXPECT_EQ(Sounds(), "nokia-sms* cinq quatre trois deux un foghorn");
}

TEST_F(RunControlTest, StopDuringTheCountdownKeepsTheRunArmedAndStartCountsAgain) {
    Arm({0, 1}, 5);
    StartCommand(engine_);
    Cross({0});  // during the countdown: thrown away
    Wait(2000);
    EXPECT_TRUE(QuitRefused(engine_));
    StopCommand(engine_);
    EXPECT_EQ(Fields(PhaseName(engine_.phase), QuitRefused(engine_)), "armed|0");
    Wait(10000);
    EXPECT_EQ(PhaseName(engine_.phase), "armed");
    EXPECT_EQ(engine_.tables.rows[0].driverName, "Driver 1");  // armed: as loaded
    StartAndGo();
    EXPECT_EQ(Car(0).laps, 0);
    StopCommand(engine_);
    // Ordered once run: cars without a lap by descending number.
    EXPECT_EQ(Fields(engine_.tables.rows[0].driverName, engine_.tables.rows[0].finished),
              "Driver 2|1");
}

TEST_F(RunControlTest, ATimeRunAtTheSignalStopsWhenItsClockReachesZero) {
    Arm({0, 1});
    engine_.options.timeEnd = TimeEnd::AtSignal;
    engine_.soundSettings.endOfRace = kEndOfRaceOn;
    StartAndGo();
    Laps({{0, 3000, 12000}, {1, 4000, 13000}}, 59000);
    ASSERT_TRUE(WaitForStop(5000));
    EXPECT_EQ(RaceMs(), 60010u);
    EXPECT_EQ(Fields(Car(0).laps, Car(0).raceTimes[1], Car(1).laps, Car(1).finished), "5|3000|5|1");
    EXPECT_EQ(Fields(engine_.clock.remaining, engine_.clock.elapsed), "0:00:00|0:01:00");
    EXPECT_EQ(Sounds(), "foghorn truckhorn");
}

TEST_F(RunControlTest, ATimeRunWhereEachCarFinishesItsLapStopsWithTheLastCar) {
    Arm({0, 1});  // one minute
    StartAndGo();
    Laps({{0, 11000, 11000}, {1, 13000, 13000}}, 65000);
    EXPECT_EQ(Sounds(), "foghorn");  // at 1:00
    EXPECT_EQ(Fields(Car(1).finished, Car(1).laps, Car(0).finished, PhaseName(engine_.phase)),
              "1|5|0|running");
    PassAt(66000, {0});
    EXPECT_EQ(Fields(PhaseName(engine_.phase), Car(0).laps, Car(0).totalTime), "over|6|66000");
}

TEST_F(RunControlTest, LapRunsEndByTheirRuleAndThePassingThatStopsThemLeavesTheHornUncut) {
    struct Case {
        LapsEnd rule;
        std::uint32_t stopsAt;
        int slowCarLaps;
        std::string sounds;
    };
    // The fast car laps in 10 s, the slow one in 17 s; three laps. Each car is called as it
    // finishes; the passing that stops the run beeps no more and the horn comes last.
    for (const Case& c :
         {Case{LapsEnd::AtSignal, 30000, 1, "beep1 beep1 beep1 truckhorn"},
          Case{LapsEnd::FinishLap, 34000, 2,
               "beep1 beep1 beep1 FinCourseVoiture1 FinCourseVoiture2 truckhorn"},
          Case{LapsEnd::AllLaps, 51000, 3,
               "beep1 beep1 beep1 FinCourseVoiture1 beep1 FinCourseVoiture2 truckhorn"}}) {
        SCOPED_TRACE(KeywordOf(c.rule));
        Arm({0, 1});
        AllSoundsOn(kLanguageFrench);
        engine_.soundSettings.clock = kClockOff;
        engine_.soundSettings.start = kStartOff;
        ByLaps(3, c.rule);
        StartAndGo();
        const std::size_t from = sounds_.played.size();
        Laps({{0, 10000, 10000}, {1, 17000, 17000}}, 100000);
        EXPECT_EQ(Fields(PhaseName(engine_.phase), RaceMs(), Car(0).laps, Car(1).laps),
                  Fields("over", c.stopsAt, 3, c.slowCarLaps));
        EXPECT_EQ(Sounds(from), c.sounds);
    }
}

TEST_F(RunControlTest, ALapRunStopsAtItsSafetyDuration) {
    Arm({0});
    ByLaps(300, LapsEnd::FinishLap);
    StartAndGo();
    ASSERT_TRUE(WaitForStop(3 * 3600000, 1000));
    EXPECT_EQ(RaceMs(), 2 * 3600000u + 1000u);
}

TEST_F(RunControlTest, ATimeRunStopsAtThePassingLimit) {
    Arm({0, 1});
    engine_.options.durationHours = 1;
    engine_.options.durationMinutes = 0;
    engine_.options.durationTotalMinutes = 60;
    StartAndGo();
    Laps({{0, 2500, 2500}, {1, 2600, 2600}}, 3600000);
    EXPECT_EQ(Fields(PhaseName(engine_.phase), RaceMs(), Car(0).passingCount, Car(1).passingCount),
              "over|375000|150|144");
}

TEST_F(RunControlTest, AStaggeredStartTimesEachCarFromItsOwnCrossing) {
    Arm({0, 1});
    engine_.options.startMode = StartMode::Staggered;
    StartAndGo();
    PassAt(2000, {0});
    PassAt(5000, {1});
    PassAt(14000, {0});
    PassAt(18000, {1});
    EXPECT_EQ(Fields(Car(0).startReference, Car(0).totalTime, Car(1).totalTime, Car(1).laps),
              "2000|12000|13000|1");
    Wait(61000 - RaceMs());
    EXPECT_EQ(engine_.clock.remaining, "0:00:00");
    EXPECT_TRUE(sounds_.played.empty());  // no horn at zero: each car has its own minute
    PassAt(62000, {0});
    EXPECT_EQ(Fields(Car(0).finished, PhaseName(engine_.phase)), "1|running");  // 60 s of its own
}

TEST_F(RunControlTest, AFirstCarStartMakesItsCrossingOrButtonTimeZeroForEveryCar) {
    for (bool button : {false, true}) {
        SCOPED_TRACE(button);
        Arm({0, 1}, 2);
        engine_.options.startMode = StartMode::FirstCar;
        StartCommand(engine_);
        Wait(1000);
        EXPECT_FALSE(CarButton(engine_, 0));  // the countdown runs
        Cross({0});                           // before zero: dropped
        Wait(1500);
        EXPECT_EQ(PhaseName(engine_.phase), "first car");
        EXPECT_FALSE(CarButton(engine_, 5));  // no car in that slot
        if (button) {
            EXPECT_TRUE(CarButton(engine_, 0));
        } else {
            Cross({0});
            Wait(10);
        }
        ASSERT_EQ(PhaseName(engine_.phase), "running");
        EXPECT_EQ(Fields(Car(0).laps, Car(0).passingTime), "0|0");  // its crossing is no lap
        PassAt(400, {1});
        PassAt(12000, {0});
        EXPECT_EQ(Fields(Car(1).raceTimes[1], Car(0).laps, Car(0).totalTime), "400|1|12000");
        // Running, a car button is a manual lap dated now; an empty slot's does nothing.
        Wait(14000 - RaceMs());
        EXPECT_TRUE(CarButton(engine_, 1));
        EXPECT_FALSE(CarButton(engine_, 2));
        EXPECT_EQ(Fields(Car(1).laps, Car(1).totalTime), "2|14000");
        StopCommand(engine_);
    }
}

TEST_F(RunControlTest, ARunOfEmptySlotsStopsOnItsFirstRunningTick) {
    Arm({});
    StartAndGo();
    Wait(10);
    EXPECT_EQ(PhaseName(engine_.phase), "over");
}

TEST_F(RunControlTest, AnMk2ThatDoesNotAnswerTheClockResetHoldsTheRunAtZero) {
    link_.settings.interfaceType = kMk2Type;
    clock_.counterStepPerRead = 1000;  // the reset's 10 ms wait runs out
    bool answer = false;
    int resets = 0;
    port_.onWrite = [&](FakeSerialPort& port, const std::vector<std::uint8_t>& bytes) {
        if (bytes != std::vector<std::uint8_t>(kClockReset.begin(), kClockReset.end())) return;
        ++resets;
        if (answer) port.QueueRead({0xFF, 0xFF, 0xFF, 0x02, 0x00, 0x00, 0x00});
    };
    Arm({0}, 1);
    StartCommand(engine_);
    Wait(5000);
    EXPECT_EQ(Fields(PhaseName(engine_.phase), engine_.countdownRemaining), "countdown|0");
    EXPECT_GT(resets, 10);  // asked again on every tick
    answer = true;
    Wait(10);
    EXPECT_EQ(PhaseName(engine_.phase), "running");
}

// The tick never waits on a box (the fixture fails on any): what it must tell is a notice, and
// the run goes on being timed.
TEST_F(RunControlTest, WhatATickMustTellIsANoticeAndTheRunGoesOn) {
    Arm({0, 1});
    StartAndGo();
    std::filesystem::remove(FileSystemName(kInterfaceSettingsFile));
    ReloadLinkSettings(link_);
    Wait(10);
    const std::uint32_t told = clock_.TickMs();
    PassAt(3000, {0, 1});
    PassAt(6000, {0});
    ASSERT_EQ(NoticeCount(engine_.notices), 1u);
    EXPECT_EQ(Fields(NoticeAt(engine_.notices, 0).text, NoticeAt(engine_.notices, 0).tick,
                     Car(0).passingCount, Car(1).passingCount, PhaseName(engine_.phase)),
              Fields("Error: COM port file not found", told, 2, 1, "running"));
}

TEST_F(RunControlTest, TheDelayBetweenRunsCountsDownThenShowsItsOverrun) {
    Arm({0});
    engine_.options.delayMinutes = 1;
    StartAndGo();
    StopCommand(engine_);
    ASSERT_EQ(engine_.delayActive, 1);
    const std::string shown = Watch(engine_.clock.delay, 60000);
    EXPECT_TRUE(shown.starts_with("1:00 before start@10 0:59 before start@1010 ")) << shown;
    EXPECT_TRUE(shown.ends_with(" 0:01 before start@59010")) << shown;
    EXPECT_EQ(std::count(shown.begin(), shown.end(), '@'), 60);
    EXPECT_EQ(Fields(Sounds(), engine_.clock.delayOverrun), "|0");
    EXPECT_EQ(Watch(engine_.clock.delay, 2010),
              "0:00 before start@10 0:01 delay elapsed@1010 0:02 delay elapsed@2010");
    EXPECT_EQ(Fields(engine_.clock.delayMinutes, engine_.clock.delayOverrun, Sounds()),
              "1:00|1|nokia-sms");

    messages_.Expect(MessageAnswer::Yes);
    ClearCommand(engine_);
    StartCommand(engine_);
    EXPECT_EQ(Fields(engine_.delayActive, engine_.clock.delay, engine_.clock.delayOverrun), "0||0");
}

TEST_F(RunControlTest, ClearAsksThenPutsTheRunBackAsLoaded) {
    Arm({0});
    engine_.phase = RunPhase::NoRun;
    ClearCommand(engine_);  // no run: not even a question
    engine_.phase = RunPhase::Armed;
    StartAndGo();
    PassAt(3000, {0});
    StopCommand(engine_);
    engine_.trailer.comment = "Wet start";
    StartCommand(engine_);
    EXPECT_FALSE(RunInProgress(engine_.phase));  // run: not armed

    messages_.Expect(MessageAnswer::No);
    ClearCommand(engine_);
    ASSERT_EQ(messages_.shown.size(), 1u);
    const FakeMessages::Shown& asked = messages_.shown[0];
    EXPECT_EQ(Fields(asked.title, asked.text, asked.buttons == MessageButtons::YesNo),
              Fields("Velkaro", kClearQuestion, 1));
    EXPECT_EQ(Fields(Car(0).laps, PhaseName(engine_.phase)), "1|over");

    messages_.Expect(MessageAnswer::Yes);
    ClearCommand(engine_);
    EXPECT_EQ(
        Fields(PhaseName(engine_.phase), Car(0).laps, Car(0).finished, engine_.trailer.description,
               engine_.trailer.comment, engine_.clock.elapsed, engine_.clock.countdown),
        "armed|0|0|.||0:00:00|0s");
    std::string details = "CLASSEMENTToursTemps\t\r\nDriver 1\t0\t\r\n";
    for (int i = 0; i < 19; ++i) details += "(NA)\t0\t\r\n";
    EXPECT_EQ(test::ReadWholeFile(folder_.Path() / "DetailResultats.res"), details);
    StartAndGo();
}

TEST_F(RunControlTest, StopKeepsTheTrackRecordInTheCircuitsFile) {
    const auto file = folder_.Path() /
                      "BaseDonn\xC3\xA9"
                      "esCircuits.bd";
    engine_.circuits[0].name = "Bend";
    engine_.circuits[1].name = "Oval";
    engine_.circuits[1].minimumLapTime = "2";
    engine_.options.circuitIndex = 1;
    Arm({0});
    StartAndGo();
    for (std::uint32_t t : {3000u, 15000u, 26500u}) PassAt(t, {0});
    StopCommand(engine_);
    EXPECT_EQ(test::ReadWholeFile(file),
              "Bend\t\t\t0\t\t\t\t\t\r\nOval\t\t11.500\t11500\tDriver 1\t2\t\t\t\r\n");

    // A file that cannot be written is a notice: the end rules stop runs from inside the tick.
    std::filesystem::remove(file);
    std::filesystem::create_directory(file);
    Arm({0});
    StartAndGo();
    StopCommand(engine_);
    ASSERT_EQ(NoticeCount(engine_.notices), 1u);
    EXPECT_EQ(Fields(NoticeAt(engine_.notices, 0).text, NoticeAt(engine_.notices, 0).tick,
                     PhaseName(engine_.phase)),
              Fields("Error: Circuits database file not found", clock_.TickMs(), "over"));
}

TEST_F(RunControlTest, TheRunGreysWhatCouldChangeTheEventUntilStop) {
    Arm({0, 2});
    auto enabled = [this](std::initializer_list<int> ids) {
        std::string out;
        for (int id : ids) out += IsEnabled(engine_.panel, id) ? '1' : '0';
        return out + (engine_.panel.eventTree ? " tree" : "");
    };
    // Car buttons for the cars in use; "Save" only once the event has a file of its own.
    EXPECT_EQ(enabled({2201, 2202, 2203, kSaveCommand}), "1010 tree");
    std::uint32_t changes = engine_.panelChanges;

    StartCommand(engine_);
    EXPECT_GT(engine_.panelChanges, changes);
    EXPECT_EQ(enabled({1001, 1002, 1005, 1006, 1012, 1013, 1014, 6102, 6103, 6104}), "0000000000");
    EXPECT_EQ(enabled({kStartButton, kClearButton, kScanButton, kPrintButton, kPersonalChipsRadio,
                       kTransponderSetList, 1015, 1017, kStopButton, 2201}),
              "0000001111");

    engine_.saveAllowed = true;
    StopCommand(engine_);
    EXPECT_EQ(enabled({1001, 1003, 1014, 6104, kStartButton, kClubChipsRadio}), "111111 tree");
}

TEST_F(RunControlTest, TheRunDescriptionAndClockTextsFollowTheOptions) {
    Arm({0});
    StartAndGo();
    Wait(1010);
    EXPECT_EQ(Fields(engine_.trailer.description, engine_.clock.duration, engine_.clock.elapsed,
                     engine_.clock.remaining),
              "Duration 0:01:00 - STARTSoundSignal - ENDCompleteCurrentLap - Start 05/12/2026 "
              "14:30|0:01:00|0:00:01|0:00:59");
    StopCommand(engine_);

    Arm({0});
    ByLaps(10, LapsEnd::AllLaps);
    engine_.options.startMode = StartMode::Staggered;
    ResetClockTexts(engine_);
    clock_.now.minute = 7;
    StartAndGo();
    Wait(2010);
    EXPECT_EQ(Fields(engine_.trailer.description, engine_.clock.elapsed, engine_.clock.remaining),
              "Duration 10 laps - STARTStaggered - ENDCompleteAllLaps - Start 05/12/2026 "
              "14:07|0:00:02|");
}

// What each command makes of each phase: "Start", "Stop", "Clear" ("?" when it asks, answered
// no), the "Scan" button on then off, and car button 1.
TEST_F(RunControlTest, EachCommandMovesEachPhaseOnlyWhereItMay) {
    using P = RunPhase;
    const std::vector<std::pair<P, std::string>> cases = {
        {P::NoRun, "no run|no run|no run|no run|no run|no run"},
        {P::Armed, "countdown|armed|armed?|scan signal|armed|armed"},
        {P::GetReady, "get ready|armed|get ready|get ready|get ready|get ready"},
        {P::Countdown, "countdown|armed|countdown|countdown|countdown|countdown"},
        {P::FirstCar, "first car|armed|first car|first car|first car|running"},
        {P::Running, "running|over|running|running|running|running"},
        {P::Over, "over|over|over?|over|over|over"},
        {P::ScanSignal, "scan signal|scan signal|scan signal|scan signal|armed|scan signal"},
        {P::Scanning, "scanning|scanning|scanning|scanning|armed|scanning"},
        {P::CheckSignal, "check signal|check signal|check signal|check signal|over|check signal"},
        {P::Checking, "checking|checking|checking|checking|over|checking"},
    };
    messages_.allowAny = true;
    const std::vector<std::function<void()>> commands = {
        [this] { StartCommand(engine_); },      [this] { StopCommand(engine_); },
        [this] { ClearCommand(engine_); },      [this] { ScanToggle(engine_, true); },
        [this] { ScanToggle(engine_, false); }, [this] { CarButton(engine_, 0); },
    };
    for (const auto& [from, expected] : cases) {
        std::string got;
        for (const auto& command : commands) {
            Arm({0, 1});
            engine_.phase = from;
            std::size_t asked = messages_.shown.size();
            command();
            got += (got.empty() ? "" : "|") + std::string(PhaseName(engine_.phase)) +
                   (messages_.shown.size() > asked ? "?" : "");
        }
        EXPECT_EQ(got, expected) << PhaseName(from);
    }
}

// Start that does nothing says why only where the panel does not already show it.
TEST_F(RunControlTest, StartSaysWhyItDoesNotStartAFinishedRunOrNoRun) {
    EXPECT_EQ(StartRefusal(engine_), kNoRunToStart);
    Arm({0, 1});
    EXPECT_EQ(StartRefusal(engine_), "");
    StartAndGo();
    EXPECT_EQ(StartRefusal(engine_), "");
    PassAt(3000, {0});
    StopCommand(engine_);
    EXPECT_EQ(StartRefusal(engine_), kRunAlreadyRun);
    StartCommand(engine_);
    EXPECT_EQ(PhaseName(engine_.phase), "over");
    messages_.Expect(MessageAnswer::Yes);
    ClearCommand(engine_);
    EXPECT_EQ(StartRefusal(engine_), "");
}

}  // namespace
}  // namespace velkaro
