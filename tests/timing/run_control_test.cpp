#include "timing/run_control.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <utility>
#include <vector>

#include "tests/timing/engine_fixture.h"

namespace velkaro {
namespace {

using Shown = std::vector<std::pair<std::uint32_t, std::string>>;

class RunControlTest : public test::EngineTest {
  protected:
    // Each change of a text while `ms` pass, with the time since the first tick.
    template <typename Text>
    Shown Watch(const Text& text, std::uint32_t ms) {
        Shown shown;
        std::uint32_t start = clock_.TickMs();
        std::string last(text.View());
        while (clock_.TickMs() - start < ms) {
            Wait(10);
            if (text.View() != last) {
                last = text.View();
                shown.emplace_back(clock_.TickMs() - start, last);
            }
        }
        return shown;
    }
};

TEST_F(RunControlTest, TheCountdownShowsEachSecondOnceThenTheClockStarts) {
    Arm({0});
    engine_.clock.countdown.Clear();
    StartCommand(engine_);
    std::uint32_t start = clock_.TickMs();
    EXPECT_EQ(
        Watch(engine_.clock.countdown, 5010),
        (Shown{{10, "5s"}, {1010, "4s"}, {2010, "3s"}, {3010, "2s"}, {4010, "1s"}, {5010, "0s"}}));
    EXPECT_EQ(engine_.running, 1);
    EXPECT_EQ(link_.timeBase.runStartTick - start, 5010u);
    EXPECT_EQ(engine_.armed + engine_.fresh + engine_.preStart, 0);
    EXPECT_EQ(engine_.tables.rows[0].totalTime, "00:00.000");
}

TEST_F(RunControlTest, StopDuringTheCountdownKeepsTheRunArmedAndStartCountsAgain) {
    Arm({0, 1});
    StartCommand(engine_);
    Cross({0});  // during the countdown: thrown away
    Wait(2000);
    EXPECT_TRUE(QuitRefused(engine_));
    StopCommand(engine_);
    EXPECT_EQ(engine_.preStart, 0);
    EXPECT_EQ(engine_.armed, 1);
    EXPECT_FALSE(QuitRefused(engine_));
    Wait(10000);
    EXPECT_EQ(engine_.running, 0);
    EXPECT_EQ(engine_.tables.rows[0].driverName, "Driver 1");  // armed: as loaded
    StartAndGo();
    EXPECT_EQ(Car(0).laps, 0);
    StopCommand(engine_);
    // Ordered once run: cars without a lap by descending number.
    EXPECT_EQ(engine_.tables.rows[0].driverName, "Driver 2");
    EXPECT_EQ(engine_.tables.rows[0].finished, 1);
}

TEST_F(RunControlTest, ATimeRunAtTheSignalStopsWhenItsClockReachesZero) {
    Arm({0, 1});
    engine_.options.timeEnd = kTimeEndAtSignal;
    engine_.options.countdownSeconds = 0;
    engine_.soundSettings.endOfRace = kEndOfRaceOn;
    StartAndGo();
    Laps({{0, 3000, 12000}, {1, 4000, 13000}}, 59000);
    ASSERT_TRUE(WaitForStop(5000));
    EXPECT_EQ(RaceMs(), 60010u);
    EXPECT_EQ(Car(0).laps, 5);
    EXPECT_EQ(Car(0).raceTimes[1], 3000);
    EXPECT_EQ(Car(1).laps, 5);
    EXPECT_EQ(Car(1).finished, 1);
    EXPECT_EQ(engine_.clock.remaining, "0:00:00");
    EXPECT_EQ(engine_.clock.elapsed, "0:01:00");
    EXPECT_EQ(sounds_.Files(),
              (std::vector<std::string>{"sons/foghorn.wav", "sons/truckhorn.wav"}));
}

TEST_F(RunControlTest, ATimeRunWhereEachCarFinishesItsLapStopsWithTheLastCar) {
    Arm({0, 1});  // one minute, every car finishes its lap
    engine_.options.countdownSeconds = 0;
    StartAndGo();
    Laps({{0, 11000, 11000}, {1, 13000, 13000}}, 65000);
    EXPECT_EQ(sounds_.Files(), std::vector<std::string>{"sons/foghorn.wav"});  // at 1:00
    EXPECT_EQ(Car(1).finished, 1);
    EXPECT_EQ(Car(1).laps, 5);
    EXPECT_EQ(Car(0).finished, 0);
    ASSERT_EQ(engine_.running, 1);
    PassAt(66000, {0});
    EXPECT_EQ(engine_.running, 0);
    EXPECT_EQ(Car(0).laps, 6);
    EXPECT_EQ(Car(0).totalTime, 66000);
}

TEST_F(RunControlTest, LapRunsEndByTheirRule) {
    struct Case {
        std::string_view rule;
        std::uint32_t stopsAt;
        int slowCarLaps;
    };
    // The fast car laps in 10 s, the slow one in 17 s; three laps.
    for (Case c : {Case{kLapsEndAtSignal, 30000, 1}, Case{kLapsEndFinishLap, 34000, 2},
                   Case{kLapsEndAllLaps, 51000, 3}}) {
        SCOPED_TRACE(c.rule);
        Arm({0, 1});
        engine_.options.durationKind = kDurationByLaps;
        engine_.options.laps = 3;
        engine_.options.lapsEnd = c.rule;
        engine_.options.countdownSeconds = 0;
        StartAndGo();
        Laps({{0, 10000, 10000}, {1, 17000, 17000}}, 100000);
        EXPECT_EQ(engine_.running, 0);
        EXPECT_EQ(RaceMs(), c.stopsAt);
        EXPECT_EQ(Car(0).laps, 3);
        EXPECT_EQ(Car(1).laps, c.slowCarLaps);
    }
}

TEST_F(RunControlTest, ALapRunStopsAtItsSafetyDuration) {
    Arm({0});
    engine_.options.durationKind = kDurationByLaps;
    engine_.options.laps = 300;
    engine_.options.countdownSeconds = 0;
    StartAndGo();
    ASSERT_TRUE(WaitForStop(3 * 3600000, 1000));
    EXPECT_EQ(RaceMs(), 2 * 3600000u + 1000u);
}

TEST_F(RunControlTest, ATimeRunStopsAtThePassingLimit) {
    Arm({0, 1});
    engine_.options.durationHours = 1;
    engine_.options.durationMinutes = 0;
    engine_.options.durationTotalMinutes = 60;
    engine_.options.countdownSeconds = 0;
    StartAndGo();
    Laps({{0, 2500, 2500}, {1, 2600, 2600}}, 3600000);
    EXPECT_EQ(engine_.running, 0);
    EXPECT_EQ(RaceMs(), 150u * 2500u);
    EXPECT_EQ(Car(0).passingCount, 150);
    EXPECT_EQ(Car(1).passingCount, 144);
}

TEST_F(RunControlTest, AStaggeredStartTimesEachCarFromItsOwnCrossing) {
    Arm({0, 1});
    engine_.options.startMode = kStartStaggered;
    engine_.options.countdownSeconds = 0;
    StartAndGo();
    PassAt(2000, {0});
    PassAt(5000, {1});
    PassAt(14000, {0});
    PassAt(18000, {1});
    EXPECT_EQ(Car(0).startReference, 2000);
    EXPECT_EQ(Car(0).totalTime, 12000);
    EXPECT_EQ(Car(1).totalTime, 13000);
    EXPECT_EQ(Car(1).laps, 1);
    Wait(61000 - RaceMs());
    EXPECT_EQ(engine_.clock.remaining, "0:00:00");
    EXPECT_TRUE(sounds_.played.empty());  // no horn at zero: each car has its own minute
    PassAt(62000, {0});
    EXPECT_EQ(Car(0).finished, 1);  // 60 s of its own
    EXPECT_EQ(engine_.running, 1);
}

TEST_F(RunControlTest, AFirstCarStartMakesItsCrossingTimeZeroForEveryCar) {
    Arm({0, 1});
    engine_.options.startMode = kStartFirstCar;
    engine_.options.countdownSeconds = 2;
    StartCommand(engine_);
    Wait(1000);
    Cross({0});  // before zero: dropped
    Wait(1500);
    EXPECT_EQ(engine_.preStart, 1);
    EXPECT_EQ(engine_.running, 0);
    EXPECT_FALSE(CarButton(engine_, 5));  // no car in that slot
    Cross({0});
    Wait(10);
    ASSERT_EQ(engine_.running, 1);
    EXPECT_EQ(Car(0).laps, 0);  // its crossing is no lap
    EXPECT_EQ(Car(0).passingTime, 0);
    PassAt(400, {1});
    EXPECT_EQ(Car(1).raceTimes[1], 400);
    PassAt(12000, {0});
    EXPECT_EQ(Car(0).laps, 1);
    EXPECT_EQ(Car(0).totalTime, 12000);
}

TEST_F(RunControlTest, CarButtonsWaitForTheRunExceptForAFirstCarStart) {
    Arm({0, 1});
    engine_.options.startMode = kStartFirstCar;
    engine_.options.countdownSeconds = 1;
    StartCommand(engine_);
    Wait(500);
    EXPECT_FALSE(CarButton(engine_, 0));
    Wait(1000);
    EXPECT_TRUE(CarButton(engine_, 1));
    EXPECT_EQ(engine_.running, 1);
    EXPECT_EQ(engine_.firstCarSeen, 1);
    PassAt(500, {0});
    EXPECT_EQ(Car(0).totalTime, 500);
    Wait(3500);
    EXPECT_TRUE(CarButton(engine_, 1));  // a manual lap, dated now
    EXPECT_EQ(Car(1).laps, 1);
    EXPECT_EQ(Car(1).totalTime, 4000);
    EXPECT_FALSE(CarButton(engine_, 2));  // "(NA)"
}

TEST_F(RunControlTest, ARunOfEmptySlotsStopsOnItsFirstRunningTick) {
    Arm({});
    engine_.options.countdownSeconds = 0;
    StartAndGo();
    Wait(10);
    EXPECT_EQ(engine_.running, 0);
    EXPECT_EQ(engine_.everStarted, 1);
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
    Arm({0});
    engine_.options.countdownSeconds = 1;
    StartCommand(engine_);
    Wait(5000);
    EXPECT_EQ(engine_.preStart, 1);
    EXPECT_EQ(engine_.running, 0);
    EXPECT_EQ(engine_.countdownRemaining, 0);
    EXPECT_GT(resets, 10);  // asked again on every tick
    answer = true;
    Wait(10);
    EXPECT_EQ(engine_.running, 1);
    EXPECT_EQ(engine_.clockZeroed, 1);
}

TEST_F(RunControlTest, TheDelayBetweenRunsCountsDownThenShowsItsOverrun) {
    Arm({0});
    engine_.options.delayMinutes = 1;
    engine_.options.countdownSeconds = 0;
    StartAndGo();
    StopCommand(engine_);
    ASSERT_EQ(engine_.delayActive, 1);
    Shown shown = Watch(engine_.clock.delay, 60000);
    ASSERT_EQ(shown.size(), 60u);
    EXPECT_EQ(shown[0], (std::pair<std::uint32_t, std::string>{10, "1:00 before start"}));
    EXPECT_EQ(shown[1].second, "0:59 before start");
    EXPECT_EQ(shown[59], (std::pair<std::uint32_t, std::string>{59010, "0:01 before start"}));
    EXPECT_TRUE(sounds_.played.empty());
    EXPECT_FALSE(engine_.clock.delayOverrun);
    EXPECT_EQ(Watch(engine_.clock.delay, 2010), (Shown{{10, "0:00 before start"},
                                                       {1010, "0:01 delay elapsed"},
                                                       {2010, "0:02 delay elapsed"}}));
    EXPECT_EQ(engine_.clock.delayMinutes, "1:00");
    EXPECT_TRUE(engine_.clock.delayOverrun);
    EXPECT_EQ(sounds_.Files(), std::vector<std::string>{"sons/nokia-sms.wav"});

    messages_.Expect(MessageAnswer::Yes);
    ClearCommand(engine_);
    StartCommand(engine_);
    EXPECT_EQ(engine_.delayActive, 0);
    EXPECT_EQ(engine_.clock.delay, "");
    EXPECT_FALSE(engine_.clock.delayOverrun);
}

TEST_F(RunControlTest, ClearAsksThenPutsTheRunBackAsLoaded) {
    Arm({0});
    engine_.everStarted = 0;
    ClearCommand(engine_);  // no run: not even a question
    engine_.everStarted = 1;
    engine_.options.countdownSeconds = 0;
    StartAndGo();
    PassAt(3000, {0});
    StopCommand(engine_);
    engine_.trailer.comment = "Wet start";
    StartCommand(engine_);
    EXPECT_EQ(engine_.preStart, 0);  // run: not armed

    messages_.Expect(MessageAnswer::No);
    ClearCommand(engine_);
    ASSERT_EQ(messages_.shown.size(), 1u);
    EXPECT_EQ(messages_.shown[0].title, "Velkaro");
    EXPECT_EQ(messages_.shown[0].text, kClearQuestion);
    EXPECT_EQ(messages_.shown[0].buttons, MessageButtons::YesNo);
    EXPECT_EQ(Car(0).laps, 1);
    EXPECT_EQ(engine_.armed, 0);

    messages_.Expect(MessageAnswer::Yes);
    ClearCommand(engine_);
    EXPECT_EQ(engine_.armed + engine_.fresh, 2);
    EXPECT_EQ(Car(0).laps + Car(0).finished, 0);
    EXPECT_EQ(engine_.trailer.description, ".");
    EXPECT_EQ(engine_.trailer.comment, "");
    EXPECT_EQ(engine_.clock.elapsed, "0:00:00");
    EXPECT_EQ(engine_.clock.countdown, "0s");
    std::string details = "CLASSEMENTToursTemps\t\r\nDriver 1\t0\t\r\n";
    for (int i = 0; i < 19; ++i) details += "(NA)\t0\t\r\n";
    EXPECT_EQ(test::ReadWholeFile(folder_.Path() / "DetailResultats.res"), details);
    StartAndGo();
}

TEST_F(RunControlTest, StopKeepsTheTrackRecordInTheCircuitsFile) {
    CircuitRecord& oval = engine_.circuits[1];
    oval.name = "Oval";
    oval.minimumLapTime = "2";
    engine_.circuits[0].name = "Bend";
    engine_.options.circuitIndex = 1;
    Arm({0});
    engine_.options.countdownSeconds = 0;
    StartAndGo();
    for (std::uint32_t t : {3000u, 15000u, 26500u}) PassAt(t, {0});
    StopCommand(engine_);
    EXPECT_EQ(test::ReadWholeFile(folder_.Path() / "BaseDonn\xC3\xA9"
                                                   "esCircuits.bd"),
              "Bend\t\t\t0\t\t\t\t\t\r\nOval\t\t11.500\t11500\tDriver 1\t2\t\t\t\r\n");

    // A file that cannot be written is reported, once the run is settled.
    std::filesystem::remove(folder_.Path() /
                            "BaseDonn\xC3\xA9"
                            "esCircuits.bd");
    std::filesystem::create_directory(folder_.Path() /
                                      "BaseDonn\xC3\xA9"
                                      "esCircuits.bd");
    messages_.Expect(MessageAnswer::Ok);
    Arm({0});
    StartAndGo();
    StopCommand(engine_);
    ASSERT_EQ(messages_.shown.size(), 1u);
    EXPECT_EQ(messages_.shown[0].text, "Error: Circuits database file not found");
    EXPECT_EQ(engine_.running, 0);
}

TEST_F(RunControlTest, TheRunGreysWhatCouldChangeTheEventUntilStop) {
    Arm({0, 2});
    EXPECT_TRUE(IsEnabled(engine_.panel, 2201));
    EXPECT_FALSE(IsEnabled(engine_.panel, 2202));
    EXPECT_TRUE(IsEnabled(engine_.panel, 2203));
    EXPECT_FALSE(IsEnabled(engine_.panel, kSaveCommand));  // no file of its own yet
    EXPECT_TRUE(engine_.panel.eventTree);
    std::uint32_t changes = engine_.panelChanges;

    StartCommand(engine_);
    EXPECT_GT(engine_.panelChanges, changes);
    for (int id :
         {1001, 1002, 1005, 1006, 1012, 1013, 1014, 6102, 6103, 6104, kStartButton, kClearButton,
          kScanButton, kPrintButton, kPersonalChipsRadio, kTransponderSetList}) {
        EXPECT_FALSE(IsEnabled(engine_.panel, id)) << id;
    }
    for (int id : {1015, 1017, kStopButton, 2201}) EXPECT_TRUE(IsEnabled(engine_.panel, id)) << id;
    EXPECT_FALSE(engine_.panel.eventTree);

    engine_.saveAllowed = true;
    StopCommand(engine_);
    for (int id : {1001, 1003, 1014, 6104, kStartButton, kClubChipsRadio}) {
        EXPECT_TRUE(IsEnabled(engine_.panel, id)) << id;
    }
    EXPECT_TRUE(engine_.panel.eventTree);
}

TEST_F(RunControlTest, TheRunDescriptionAndClockTextsFollowTheOptions) {
    Arm({0});
    engine_.options.countdownSeconds = 0;
    StartAndGo();
    EXPECT_EQ(engine_.trailer.description,
              "Duration 0:01:00 - STARTSoundSignal - ENDCompleteCurrentLap - Start 05/12/2026 "
              "14:30");
    Wait(1010);
    EXPECT_EQ(engine_.clock.duration, "0:01:00");
    EXPECT_EQ(engine_.clock.elapsed, "0:00:01");
    EXPECT_EQ(engine_.clock.remaining, "0:00:59");
    StopCommand(engine_);

    Arm({0});
    engine_.options.durationKind = kDurationByLaps;
    engine_.options.laps = 10;
    engine_.options.startMode = kStartStaggered;
    engine_.options.lapsEnd = kLapsEndAllLaps;
    ResetClockTexts(engine_);
    clock_.now.minute = 7;
    StartAndGo();
    EXPECT_EQ(engine_.trailer.description,
              "Duration 10 laps - STARTStaggered - ENDCompleteAllLaps - Start 05/12/2026 14:07");
    Wait(2010);
    EXPECT_EQ(engine_.clock.elapsed, "0:00:02");
    EXPECT_EQ(engine_.clock.remaining, "");
}

}  // namespace
}  // namespace velkaro
