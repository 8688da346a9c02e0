#include "timing/passing_processing.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/timing/run_builder.h"

namespace velkaro {
namespace {

using test::TestRun;

TEST(ResetRunCars, KeepsDriversAndMarksEmptySlots) {
    RunCars cars;
    for (RunCar& car : cars) car.driverName = kEmptySlotName;
    cars[3].driverName = "Ann";
    cars[3].transponder = "004242";
    cars[3].laps = cars[3].passingCount = 7;
    cars[3].raceTimes[7] = 70000;
    cars[3].startReference = 500;
    cars[3].finished = 1;
    cars[0].raceTimes[300] = 5;
    ResetRunCars(cars);
    EXPECT_EQ(cars[3].driverName, "Ann");
    EXPECT_EQ(cars[3].transponder, "004242");
    EXPECT_EQ(cars[3].carNumber, 4);
    EXPECT_EQ(cars[3].laps + cars[3].passingCount + cars[3].startReference, 0);
    EXPECT_EQ(cars[3].raceTimes[7], 0);
    EXPECT_EQ(cars[3].finished, 0);
    EXPECT_EQ(cars[0].totalTime, kNoTime);
    EXPECT_EQ(cars[0].bestLap, kNoTime);
    EXPECT_EQ(cars[0].raceTimes[0], kNoTime);
    EXPECT_EQ(cars[0].raceTimes[300], kNoTime);
    EXPECT_EQ(cars[0].finished + cars[0].checkSeen, 2);
    EXPECT_EQ(cars[19].carNumber, 20);
}

TEST(Acceptance, ALapMustBeLongerThanTheMinimum) {
    TestRun run({0});
    run.options.minimumLapSeconds = 2;
    run.Pass(0, 10000);  // the first passing always counts
    run.Pass(0, 11500);  // 1.5 s later
    EXPECT_EQ(run.Car(0).laps, 1);
    run.Pass(0, 12000);  // exactly the minimum is still too short
    EXPECT_EQ(run.Car(0).laps, 1);
    run.Pass(0, 12001);
    EXPECT_EQ(run.Car(0).laps, 2);
    EXPECT_EQ(run.Car(0).lapTimes[2], 2001);
    EXPECT_EQ(run.Car(0).totalTime, 12001);
}

TEST(Acceptance, TooShortDetectionsBuzzAtMostOnceASecondWhenLapBeepsAreOn) {
    TestRun run({0});
    run.options.minimumLapSeconds = 10;
    run.Pass(0, 1000);
    run.Pass(0, 2500);  // a 1.5 s "lap": a doubled detection, no buzz
    EXPECT_TRUE(run.sounds.played.empty());
    run.context.lapBeep = true;
    run.Pass(0, 2900);  // still under 2 s
    EXPECT_TRUE(run.sounds.played.empty());
    run.Pass(0, 4000);
    run.Pass(0, 4900);  // within a second of the last buzz
    run.Pass(0, 5100);
    EXPECT_EQ(run.sounds.Files(), (std::vector<std::string>{"sons/buzz.wav", "sons/buzz.wav"}));
    EXPECT_EQ(run.Car(0).lastBuzzTime, 5100);
    EXPECT_EQ(run.Car(0).laps, 1);
}

TEST(BestLap, FromTheGridTheFirstPassingIsNoBestLap) {
    TestRun run({0});
    run.Pass(0, 4000);
    EXPECT_EQ(run.Car(0).laps, 1);
    EXPECT_EQ(run.Car(0).bestLap, 0);
    run.Pass(0, 16000);
    EXPECT_EQ(run.Car(0).bestLap, 12000);
    EXPECT_EQ(run.Car(0).newBestLap, 0);  // setting the first best lap is no improvement
    run.Pass(0, 27000);
    EXPECT_EQ(run.Car(0).bestLap, 11000);
    EXPECT_EQ(run.Car(0).newBestLap, 1);
    run.Pass(0, 38000);  // equal is no improvement
    EXPECT_EQ(run.Car(0).newBestLap, 0);
    EXPECT_EQ(run.tables.runBestLap, 11000);
}

TEST(BestLap, AStaggeredStartTimesEachCarFromItsOwnFirstCrossing) {
    TestRun run({0});
    run.options.startMode = kStartStaggered;
    run.Pass(0, 7000);
    RunCar& car = run.Car(0);
    EXPECT_EQ(car.laps + car.passingCount + car.totalTime, 0);
    EXPECT_EQ(car.startReference, 7000);
    EXPECT_EQ(car.newPassing, 0);
    run.Pass(0, 8500);  // after the start crossing the minimum lap time applies
    EXPECT_EQ(car.laps, 0);
    run.Pass(0, 19000);
    EXPECT_EQ(car.laps, 1);
    EXPECT_EQ(car.totalTime, 12000);
    EXPECT_EQ(car.bestLap, 12000);
    EXPECT_EQ(car.newBestLap, 0);
    EXPECT_EQ(car.raceTimes[1], 12000);
}

TEST(BestLap, OnlyTheHolderOfTheRunBestIsMarked) {
    TestRun run({0, 1});
    for (std::int64_t t : {3000, 15000}) run.Pass(0, t);
    for (std::int64_t t : {3500, 14500}) run.Pass(1, t);
    EXPECT_EQ(run.Car(0).holdsRunBest + run.Car(1).holdsRunBest, 1);
    EXPECT_EQ(run.Car(1).holdsRunBest, 1);  // 11 s against 12 s
    run.Pass(0, 25500);                     // 10.5 s
    EXPECT_EQ(run.Car(0).holdsRunBest, 1);
    EXPECT_EQ(run.Car(1).holdsRunBest, 0);
    EXPECT_EQ(run.tables.runBestLap, 10500);
}

TEST(TrackRecord, OnlyAStrictlyBetterLapTakesTheRecord) {
    TestRun run({0, 1});
    for (std::int64_t t : {3000, 64005}) run.Pass(0, t);  // 1:01.005
    EXPECT_EQ(run.circuit.recordLapTime, 61005);
    EXPECT_EQ(run.circuit.recordHolder, "Driver 1");
    EXPECT_EQ(run.circuit.recordLapText, "1:01.005");
    EXPECT_EQ(run.circuit.recordMinutes * 60000 + run.circuit.recordSeconds * 1000 +
                  run.circuit.recordMilliseconds,
              61005);
    for (std::int64_t t : {3000, 64005}) run.Pass(1, t);  // equal
    EXPECT_EQ(run.circuit.recordHolder, "Driver 1");
    run.Pass(1, 123000);  // 58.995
    EXPECT_EQ(run.circuit.recordHolder, "Driver 2");
    EXPECT_EQ(run.circuit.recordLapText, "58.995");
}

TEST(Matching, TransponderTextsDecideAndFinishedCarsIgnoreTheirPassings) {
    TestRun run({0, 1, 2});
    run.Car(2).transponder = run.Car(0).transponder;  // one transponder, two cars
    run.PassTransponder(1001, 5000);
    EXPECT_EQ(run.Car(0).laps, 1);
    EXPECT_EQ(run.Car(2).laps, 1);
    run.PassTransponder(4242, 6000);  // nobody's
    run.Car(0).finished = 1;
    run.PassTransponder(1001, 20000);
    EXPECT_EQ(run.Car(0).laps, 1);
    EXPECT_EQ(run.Car(0).passingTime, 5000);
    EXPECT_EQ(run.Car(2).laps, 2);
    EXPECT_EQ(run.Car(1).laps, 0);
}

TEST(FinishRules, TimeRunsFinishEachCarOnItsFirstPassingAfterTheDuration) {
    TestRun run({0});
    run.options.durationTotalMinutes = 1;
    for (std::int64_t t : {20000, 40000, 59999}) run.Pass(0, t);
    EXPECT_EQ(run.Car(0).finished, 0);
    run.Pass(0, 75000);
    EXPECT_EQ(run.Car(0).finished, 1);
    run.Pass(0, 90000);
    EXPECT_EQ(run.Car(0).laps, 4);

    TestRun signal({0});
    signal.options.durationTotalMinutes = 1;
    signal.options.timeEnd = kTimeEndAtSignal;  // the run control ends this one
    for (std::int64_t t : {20000, 75000}) signal.Pass(0, t);
    EXPECT_EQ(signal.Car(0).finished, 0);
}

TEST(FinishRules, LapRunsFinishOnTheTargetAndFinishLapEndsItForEverybody) {
    TestRun run({0, 1, 2});
    run.options.durationKind = kDurationByLaps;
    run.options.laps = 2;
    run.options.lapsEnd = kLapsEndFinishLap;
    run.Pass(0, 10000);
    run.Pass(1, 11000);
    EXPECT_EQ(run.Car(0).finished + run.Car(1).finished, 0);  // empty slots finish nobody
    run.Pass(0, 20000);
    EXPECT_EQ(run.Car(0).finished, 1);
    run.Pass(1, 21000);  // its second lap too
    run.Pass(2, 22000);  // only its first, but the run is over
    EXPECT_EQ(run.Car(1).laps, 2);
    EXPECT_EQ(run.Car(1).finished, 1);
    EXPECT_EQ(run.Car(2).finished, 1);
    EXPECT_EQ(run.Car(2).laps, 1);

    TestRun all({0, 1});
    all.options.durationKind = kDurationByLaps;
    all.options.laps = 2;
    all.options.lapsEnd = kLapsEndAllLaps;
    for (std::int64_t t : {10000, 20000}) all.Pass(0, t);
    all.Pass(1, 22000);
    EXPECT_EQ(all.Car(0).finished, 1);
    EXPECT_EQ(all.Car(1).finished, 0);

    TestRun signal({0});
    signal.options.durationKind = kDurationByLaps;
    signal.options.laps = 1;
    signal.options.lapsEnd = kLapsEndAtSignal;
    signal.Pass(0, 10000);
    EXPECT_EQ(signal.Car(0).finished, 0);
}

TEST(FinishRules, ACarNeverRecordsPastItsHistories) {
    TestRun run({0});
    run.options.durationKind = kDurationByLaps;
    run.options.laps = 500;
    run.options.lapsEnd = kLapsEndAllLaps;
    for (int lap = 1; lap <= kMaxPassings; ++lap) run.Pass(0, lap * 3000);
    RunCar& car = run.Car(0);
    EXPECT_EQ(car.passingCount, kMaxPassings);
    EXPECT_EQ(car.finished, 1);
    EXPECT_EQ(car.raceTimes[kMaxPassings], kMaxPassings * 3000);
    run.Pass(0, 2000000);
    EXPECT_EQ(car.passingCount, kMaxPassings);
    car.finished = 0;  // even if something forgot the finish
    EXPECT_FALSE(RecordLap(run.tables.cars, 0, kStartAtSignal));
    EXPECT_EQ(car.passingCount, kMaxPassings);
    EXPECT_EQ(car.lapTimes[0], 0);  // the memory just past raceTimes
}

TEST(ManualLap, CountsWithoutTheMinimumAndIsDatedByTheCounter) {
    TestRun run({0, 1});
    run.options.minimumLapSeconds = 30;
    run.clock.AdvanceMs(4000);
    EXPECT_TRUE(ManualLap(run.context, 1));
    run.clock.AdvanceMs(1500);
    EXPECT_TRUE(ManualLap(run.context, 1));
    RunCar& car = run.Car(1);
    EXPECT_EQ(car.laps, 2);
    EXPECT_EQ(car.totalTime, 5500);
    EXPECT_EQ(car.lapTimes[2], 1500);
    EXPECT_EQ(car.perfCounterAtPassing - run.timeBase.perfStart, 5500 * 1000);
    car.finished = 1;
    EXPECT_FALSE(ManualLap(run.context, 1));
    EXPECT_FALSE(ManualLap(run.context, kCarSlots));
    EXPECT_EQ(car.laps, 2);
}

TEST(Hooks, CountedLapsReachTheRunControlThenTheSoundsThenTheScreen) {
    TestRun run({0, 1});
    run.Car(1).transponder = run.Car(0).transponder;
    std::vector<std::string> calls;
    run.context.hooks.automaticStops = [&](int slot) {
        // The live order is already rebuilt and the lap still marked new.
        calls.push_back("stops " + std::to_string(slot) + " " +
                        std::string(run.tables.rows[0].laps.View()) + " " +
                        std::to_string(run.Car(slot).newPassing));
        for (RunCar& car : run.tables.cars) car.finished = 1;  // the run is stopped
    };
    run.context.hooks.passingSounds = [&](int slot) {
        calls.push_back("sounds " + std::to_string(slot));
    };
    run.context.hooks.repaint = [&] { calls.push_back("repaint"); };
    run.Pass(0, 5000);
    EXPECT_EQ(calls, (std::vector<std::string>{"stops 0 1 1", "sounds 0", "repaint"}));
    EXPECT_EQ(run.Car(0).newPassing, 0);
    EXPECT_EQ(run.Car(1).laps, 0);  // stopped before its turn
}

TEST(LiveOrder, IsRebuiltAfterEveryCountedLap) {
    TestRun run({0, 1, 2});
    run.Pass(2, 3000);
    run.Pass(0, 3200);
    EXPECT_EQ(run.Row(0), " 3 :1");
    EXPECT_EQ(run.Row(1), " 1 :1");
    EXPECT_EQ(run.Row(2), " 2 :0");
    EXPECT_EQ(run.tables.rows[1].toLeader, "0.200");
    EXPECT_EQ(run.Car(0).positions[1], 2);
    run.Pass(0, 14000);
    EXPECT_EQ(run.Row(0), " 1 :2");
    EXPECT_EQ(run.tables.rows[1].toLeader, "1L");

    TestRun best({0, 1});
    best.options.classification = kByBestLap;
    for (std::int64_t t : {3000, 15000, 26000}) best.Pass(0, t);
    for (std::int64_t t : {3100, 13600}) best.Pass(1, t);
    EXPECT_EQ(best.Row(0), " 2 :2");
    EXPECT_EQ(best.tables.rows[1].toLeader, "0.500");
}

}  // namespace
}  // namespace velkaro
