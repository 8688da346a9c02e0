#include "timing/passing_processing.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/timing/run_builder.h"

namespace velkaro {
namespace {

using test::Fields;
using test::TestRun;

// Laps, passings, total time, best lap and whether it improved, of a car.
std::string Counts(const RunCar& c) {
    return Fields(c.laps, c.passingCount, c.totalTime, c.bestLap, c.newBestLap);
}

TEST(ResetRunCars, KeepsDriversAndMarksEmptySlots) {
    RunCars cars;
    for (RunCar& car : cars) car.driverName = kEmptySlotName;
    RunCar& ann = cars[3];
    ann.driverName = "Ann";
    ann.transponder = "004242";
    ann.laps = ann.passingCount = 7;
    ann.raceTimes[7] = 70000;
    ann.startReference = ann.finished = 1;
    cars[0].raceTimes[300] = 5;
    ResetRunCars(cars);
    EXPECT_EQ(Fields(ann.driverName, ann.transponder, ann.carNumber, ann.laps, ann.passingCount,
                     ann.startReference, ann.raceTimes[7], ann.finished),
              "Ann|004242|4|0|0|0|0|0");
    const RunCar& empty = cars[0];
    EXPECT_EQ(Fields(empty.totalTime, empty.bestLap, empty.raceTimes[0], empty.raceTimes[300],
                     empty.finished, empty.checkSeen, cars[19].carNumber),
              "1500000000|1500000000|1500000000|1500000000|1|1|20");
}

TEST(Acceptance, ALapMustBeLongerThanTheMinimum) {
    TestRun run({0});
    run.options.minimumLapSeconds = 2;
    // The first passing always counts; 1.5 s later, and exactly the minimum, are too short.
    run.Pass(0, {10000, 11500, 12000});
    EXPECT_EQ(run.Car(0).laps, 1);
    run.Pass(0, {12001});
    EXPECT_EQ(Fields(run.Car(0).laps, run.Car(0).lapTimes[2], run.Car(0).totalTime),
              "2|2001|12001");
}

TEST(Acceptance, TooShortDetectionsBuzzAtMostOnceASecondWhenLapBeepsAreOn) {
    TestRun run({0});
    run.options.minimumLapSeconds = 10;
    run.Pass(0, {1000, 2500});  // lap beeps off: no buzz
    run.context.lapBeep = true;
    // Under 2 s after the lap: a doubled detection; then within a second of the last buzz.
    run.Pass(0, {2900, 4000, 4900, 5100});
    EXPECT_EQ(run.sounds.Files(), (std::vector<std::string>{"sons/buzz.wav", "sons/buzz.wav"}));
    EXPECT_EQ(Fields(run.Car(0).lastBuzzTime, run.Car(0).laps), "5100|1");
}

TEST(BestLap, FromTheGridTheFirstPassingIsNoBestLapAndOnlyABetterLapImproves) {
    TestRun run({0});
    std::vector<std::string> seen;
    for (std::int64_t t : {4000, 16000, 27000, 38000}) {
        run.Pass(0, {t});
        seen.push_back(Counts(run.Car(0)));
    }
    EXPECT_EQ(seen, (std::vector<std::string>{"1|1|4000|0|0", "2|2|16000|12000|0",
                                              "3|3|27000|11000|1", "4|4|38000|11000|0"}));
    EXPECT_EQ(run.tables.runBestLap, 11000);
}

TEST(BestLap, AStaggeredStartTimesEachCarFromItsOwnFirstCrossing) {
    TestRun run({0});
    run.options.startMode = StartMode::Staggered;
    run.Pass(0, {7000});
    RunCar& car = run.Car(0);
    EXPECT_EQ(Fields(Counts(car), car.startReference, car.newPassing), "0|0|0|0|0|7000|0");
    run.Pass(0, {8500});  // after the start crossing the minimum lap time applies
    EXPECT_EQ(car.laps, 0);
    run.Pass(0, {19000});
    EXPECT_EQ(Fields(Counts(car), car.raceTimes[1]), "1|1|12000|12000|0|12000");
}

TEST(BestLap, OnlyTheHolderOfTheRunBestIsMarked) {
    TestRun run({0, 1});
    run.Pass(0, {3000, 15000});
    run.Pass(1, {3500, 14500});
    EXPECT_EQ(Fields(run.Car(0).holdsRunBest, run.Car(1).holdsRunBest), "0|1");  // 11 s vs 12 s
    run.Pass(0, {25500});                                                        // 10.5 s
    EXPECT_EQ(Fields(run.Car(0).holdsRunBest, run.Car(1).holdsRunBest, run.tables.runBestLap),
              "1|0|10500");
}

TEST(TrackRecord, OnlyAStrictlyBetterLapTakesTheRecord) {
    TestRun run({0, 1});
    const CircuitRecord& c = run.circuit;
    auto record = [&c] {
        return Fields(c.recordLapTime, c.recordHolder, c.recordLapText, c.recordMinutes,
                      c.recordSeconds, c.recordMilliseconds);
    };
    run.Pass(0, {3000, 64005});
    EXPECT_EQ(record(), "61005|Driver 1|1:01.005|1|1|5");
    run.Pass(1, {3000, 64005});  // equal
    EXPECT_EQ(record(), "61005|Driver 1|1:01.005|1|1|5");
    run.Pass(1, {123000});
    EXPECT_EQ(record(), "58995|Driver 2|58.995|0|58|995");
}

TEST(Matching, TransponderTextsDecideAndFinishedCarsIgnoreTheirPassings) {
    TestRun run({0, 1, 2});
    run.Car(2).transponder = run.Car(0).transponder;  // one transponder, two cars
    run.PassTransponder(1001, 5000);
    run.PassTransponder(4242, 6000);  // nobody's
    run.Car(0).finished = 1;
    run.PassTransponder(1001, 20000);
    EXPECT_EQ(Fields(run.Car(0).laps, run.Car(0).passingTime, run.Car(1).laps, run.Car(2).laps),
              "1|5000|0|2");
}

// The `finished` flag of each car of a run after the passings, with the run's options.
std::string Finished(TestRun& run, std::initializer_list<std::pair<int, std::int64_t>> passings) {
    for (auto [slot, ms] : passings) run.Pass(slot, {ms});
    std::string out;
    for (int slot = 0; slot < run.tables.carsInUse; ++slot) {
        out += Fields(run.Car(slot).laps, run.Car(slot).finished) + " ";
    }
    return out;
}

TEST(FinishRules, ATimeRunFinishesEachCarOnItsFirstPassingAfterTheDuration) {
    TestRun run({0});
    run.options.durationTotalMinutes = 1;
    EXPECT_EQ(Finished(run, {{0, 20000}, {0, 40000}, {0, 59999}}), "3|0 ");
    EXPECT_EQ(Finished(run, {{0, 75000}, {0, 90000}}), "4|1 ");

    TestRun signal({0});
    signal.options.durationTotalMinutes = 1;
    signal.options.timeEnd = TimeEnd::AtSignal;  // the run control ends this one
    EXPECT_EQ(Finished(signal, {{0, 20000}, {0, 75000}}), "2|0 ");
}

TEST(FinishRules, ALapRunFinishesOnTheTargetAndFinishLapEndsItForEverybody) {
    struct Case {
        LapsEnd rule;
        int laps;
        std::string finished;
    };
    for (const Case& c :
         {Case{LapsEnd::FinishLap, 2, "2|1 2|1 1|1 "}, Case{LapsEnd::AllLaps, 2, "2|1 2|1 1|0 "},
          Case{LapsEnd::AtSignal, 1, "2|0 2|0 1|0 "}}) {
        SCOPED_TRACE(KeywordOf(c.rule));
        TestRun run({0, 1, 2});
        run.options.durationKind = DurationKind::ByLaps;
        run.options.laps = c.laps;
        run.options.lapsEnd = c.rule;
        // Car 3 has done one lap when the run is over for the others.
        EXPECT_EQ(Finished(run, {{0, 10000}, {1, 11000}, {0, 20000}, {1, 21000}, {2, 22000}}),
                  c.finished);
    }
}

TEST(FinishRules, ACarNeverRecordsPastItsHistories) {
    TestRun run({0});
    run.options.durationKind = DurationKind::ByLaps;
    run.options.laps = 500;
    run.options.lapsEnd = LapsEnd::AllLaps;
    for (int lap = 1; lap <= kMaxPassings + 1; ++lap) run.Pass(0, {lap * 3000});
    RunCar& car = run.Car(0);
    EXPECT_EQ(Fields(car.passingCount, car.finished, car.raceTimes[kMaxPassings]), "300|1|900000");
    car.finished = 0;  // even if something forgot the finish
    EXPECT_FALSE(RecordLap(run.tables.cars, 0, StartMode::AtSignal));
    EXPECT_EQ(Fields(car.passingCount, car.lapTimes[0]), "300|0");  // just past raceTimes
}

TEST(ManualLap, CountsWithoutTheMinimumAndIsDatedByTheCounter) {
    TestRun run({0, 1});
    run.options.minimumLapSeconds = 30;
    run.clock.AdvanceMs(4000);
    EXPECT_TRUE(ManualLap(run.context, 1));
    run.clock.AdvanceMs(1500);
    EXPECT_TRUE(ManualLap(run.context, 1));
    RunCar& car = run.Car(1);
    EXPECT_EQ(Fields(car.laps, car.totalTime, car.lapTimes[2],
                     car.perfCounterAtPassing - run.timeBase.perfStart),
              "2|5500|1500|5500000");
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
        calls.push_back(Fields("stops", slot, run.tables.rows[0].laps, run.Car(slot).newPassing));
        for (RunCar& car : run.tables.cars) car.finished = 1;  // the run is stopped
    };
    run.context.hooks.passingSounds = [&](int slot) { calls.push_back(Fields("sounds", slot)); };
    run.context.hooks.repaint = [&] { calls.push_back("repaint"); };
    run.Pass(0, {5000});
    EXPECT_EQ(calls, (std::vector<std::string>{"stops|0|1|1", "sounds|0", "repaint"}));
    EXPECT_EQ(Fields(run.Car(0).newPassing, run.Car(1).laps), "0|0");  // stopped before car 2
}

TEST(LiveOrder, IsRebuiltAfterEveryCountedLap) {
    TestRun run({0, 1, 2});
    run.Pass(2, {3000});
    run.Pass(0, {3200});
    EXPECT_EQ(Fields(run.Row(0), run.Row(1), run.Row(2), run.Car(0).positions[1]),
              " 3 |1|0.000| 1 |1|0.200| 2 |0|1L|2");
    run.Pass(0, {14000});
    EXPECT_EQ(Fields(run.Row(0), run.Row(1)), " 1 |2|0.000| 3 |1|1L");

    TestRun best({0, 1});
    best.options.classification = Classification::ByBestLap;
    best.Pass(0, {3000, 15000, 26000});
    best.Pass(1, {3100, 13600});
    EXPECT_EQ(best.Row(1), " 1 |3|0.500");
}

}  // namespace
}  // namespace velkaro
