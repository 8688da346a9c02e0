#include "timing/classification.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/timing/run_builder.h"
#include "timing/run_options.h"

namespace velkaro {
namespace {

using test::TestRun;

// Gives a car laps ending at total ms, its last lap and best lap.
void Set(RunCar& car, int laps, std::int32_t total, std::int32_t last, std::int32_t best = 0) {
    car.laps = car.passingCount = laps;
    car.totalTime = total;
    car.raceTimes[laps] = total;
    car.lapTimes[laps] = last;
    car.bestLap = best;
}

std::vector<int> Order(const RunStandings& s, int count) {
    std::vector<int> cars;
    for (int k = 0; k < count; ++k) cars.push_back(s[k].carNumber);
    return cars;
}

TEST(LiveOrderSetup, UsedCarsComeInCarOrderWithTheirTexts) {
    TestRun run({1, 4, 6});
    EXPECT_EQ(run.tables.carsInUse, 3);
    EXPECT_EQ(Order(run.tables.standings, 3), (std::vector<int>{2, 5, 7}));
    EXPECT_EQ(run.tables.standings[3].finished, 1);
    EXPECT_TRUE(run.tables.standings[3].driverName.Empty());
    const LiveRow& row = run.tables.rows[1];
    EXPECT_EQ(row.driverName, "Driver 5");
    EXPECT_EQ(row.transponder, "001005");
    EXPECT_EQ(row.position, "2");
    EXPECT_EQ(row.carNumber, " 5 ");
    EXPECT_EQ(row.laps, "0");
    EXPECT_EQ(row.passingCount, "0");
    EXPECT_TRUE(run.tables.rows[3].driverName.Empty());
}

TEST(SortByLapsAndTime, LapsThenTimeThenLastLapThenHigherCarNumber) {
    TestRun run({0, 1, 2, 3, 4, 5});
    RunCars& cars = run.tables.cars;
    Set(cars[0], 5, 100000, 20000);
    Set(cars[1], 6, 130000, 20000);  // most laps leads despite the longest time
    Set(cars[2], 5, 99000, 20000);
    Set(cars[3], 5, 100000, 19000);  // same laps and time as car 1, shorter last lap
    Set(cars[4], 5, 100000, 20000);  // complete tie with car 1: the higher number ranks first
    Set(cars[5], 4, 80000, 20000);
    SortByLapsAndTime(cars, run.tables.standings, 6);
    EXPECT_EQ(Order(run.tables.standings, 6), (std::vector<int>{2, 3, 4, 5, 1, 6}));
}

TEST(SortByLapsAndTime, CarsWithoutLapsFollowInDescendingNumberAndEmptySlotsLast) {
    TestRun run({0, 1, 2, 5});
    RunCars& cars = run.tables.cars;
    Set(cars[1], 1, 9000, 9000);
    SortByLapsAndTime(cars, run.tables.standings, kCarSlots);
    std::vector<int> order = Order(run.tables.standings, kCarSlots);
    EXPECT_EQ(std::vector<int>(order.begin(), order.begin() + 4), (std::vector<int>{2, 6, 3, 1}));
    // Cars that have not passed report no time, not the sort's stand-in.
    EXPECT_EQ(run.tables.standings[1].totalTime, 0);
    EXPECT_EQ(run.tables.standings[1].lastLapTime, 0);
    EXPECT_EQ(run.tables.standings[4].totalTime, kNoTime);
    EXPECT_EQ(run.tables.standings[4].driverName, kEmptySlotName);
}

TEST(SortByLapsAndTime, TheCarJustCountedLearnsItsPosition) {
    TestRun run({0, 1});
    RunCars& cars = run.tables.cars;
    Set(cars[0], 2, 20000, 10000);
    Set(cars[1], 2, 19000, 9000);
    cars[0].newPassing = 1;
    SortByLapsAndTime(cars, run.tables.standings, 2);
    EXPECT_EQ(cars[0].positions[2], 2);
    EXPECT_EQ(cars[1].positions[2], 0);  // no new passing, history untouched
}

TEST(SortByBestLap, BestLapThenLastLapWithStandInsForMissingLaps) {
    TestRun run({0, 1, 2, 3, 4});
    RunCars& cars = run.tables.cars;
    Set(cars[0], 3, 40000, 13000, 12000);
    Set(cars[1], 9, 90000, 11000, 11500);
    Set(cars[2], 1, 14000, 14000);         // one lap, no best lap yet
    Set(cars[3], 2, 30000, 12500, 12000);  // same best as car 1, shorter last lap
    SortByBestLap(cars, run.tables.standings, 5);
    EXPECT_EQ(Order(run.tables.standings, 5), (std::vector<int>{2, 4, 1, 3, 5}));
    EXPECT_EQ(run.tables.standings[3].bestLap, 0);
    EXPECT_EQ(run.tables.standings[3].lastLapTime, 14000);
    EXPECT_EQ(run.tables.standings[4].bestLap, 0);
}

TEST(Gaps, LapsAndTimeShowLapsDownAndTimeOnlyOnTheSameLap) {
    TestRun run({0, 1, 2, 3});
    RunCars& cars = run.tables.cars;
    RunStandings& st = run.tables.standings;
    Set(cars[0], 10, 200000, 19000);
    Set(cars[1], 10, 201500, 19000);
    Set(cars[2], 9, 195000, 19000);
    SortByLapsAndTime(cars, st, 4);
    GapsLapsAndTime(st, 4);
    SplitStandingTimes(st, 4);
    BuildLiveRows(st, run.tables.rows, kByLapsAndTime, 4);
    EXPECT_EQ(st[0].gapToLeader + st[0].lapsBehindLeader + st[0].gapToPrevious, 0);
    EXPECT_EQ(st[1].gapToLeader, 1500);
    EXPECT_EQ(run.tables.rows[1].toLeader, "1.500");
    EXPECT_EQ(run.tables.rows[1].toPrevious, "1.500");
    EXPECT_EQ(st[2].lapsBehindLeader, 1);
    EXPECT_EQ(st[2].gapToLeader, 0);
    EXPECT_EQ(run.tables.rows[2].toLeader, "1L");
    EXPECT_EQ(run.tables.rows[2].toPrevious, "1L");
    // A car that has not passed is 10 laps down, with no time gap.
    EXPECT_EQ(run.tables.rows[3].toLeader, "10L");
    EXPECT_EQ(st[3].lapsBehindPrevious, 9);
}

TEST(Gaps, BestLapGapsIgnoreLapsAndCarsWithoutABestLap) {
    TestRun run({0, 1, 2});
    RunCars& cars = run.tables.cars;
    RunStandings& st = run.tables.standings;
    Set(cars[0], 4, 60000, 14000, 13500);
    Set(cars[1], 2, 30000, 15000, 12000);
    Set(cars[2], 1, 15000, 15000);
    SortByBestLap(cars, st, 3);
    GapsBestLap(st, 3);
    SplitStandingTimes(st, 3);
    BuildLiveRows(st, run.tables.rows, kByBestLap, 3);
    EXPECT_EQ(run.tables.rows[1].toLeader, "1.500");
    EXPECT_EQ(st[1].lapsBehindLeader, 0);  // two laps more, but laps do not count here
    EXPECT_EQ(st[2].gapToLeader, 0);
    EXPECT_EQ(run.tables.rows[2].toPrevious, "0.000");
}

TEST(BuildLiveRows, FormatsEveryColumnButThePosition) {
    TestRun run({0, 1});
    RunCars& cars = run.tables.cars;
    RunStandings& st = run.tables.standings;
    Set(cars[1], 61, 3723004, 61001, 59999);
    cars[1].bestLapFromTimes = 59998;
    cars[1].newBestLap = cars[1].holdsRunBest = 1;
    SortByLapsAndTime(cars, st, 2);
    SplitStandingTimes(st, 2);
    run.tables.rows[0].position = "9";
    BuildLiveRows(st, run.tables.rows, kByLapsAndTime, 2);
    const LiveRow& r = run.tables.rows[0];
    EXPECT_EQ(r.driverName, "Driver 2");
    EXPECT_EQ(r.carNumber, " 2 ");
    EXPECT_EQ(r.laps, "61");
    EXPECT_EQ(r.passingCount, "61");
    EXPECT_EQ(r.totalTime, "1:02:03.004");
    EXPECT_EQ(r.lastPassingRaceTime, "1:02:03.004");
    EXPECT_EQ(r.lastLap, "1:01.001");
    EXPECT_EQ(r.bestLap, "59.999");
    EXPECT_EQ(r.bestLapFromTimes, "59.998");
    EXPECT_EQ(r.newBestLap + r.holdsRunBest, 2);
    EXPECT_EQ(r.position, "9");
}

TEST(ComputeBestLapFromTimes, TheGridRunCountsOnlyForAStaggeredStart) {
    RunCars cars;
    RunCar& car = cars[0];
    car.passingCount = 3;
    car.raceTimes[1] = 4000;   // grid to line
    car.raceTimes[2] = 16000;  // 12 s
    car.raceTimes[3] = 27500;  // 11.5 s
    cars[1].passingCount = 1;
    cars[1].raceTimes[1] = 9000;
    ComputeBestLapFromTimes(cars, kStartAtSignal);
    EXPECT_EQ(car.bestLapFromTimes, 11500);
    EXPECT_EQ(cars[1].bestLapFromTimes, 0);  // no lap after the grid run
    ComputeBestLapFromTimes(cars, kStartStaggered);
    EXPECT_EQ(car.bestLapFromTimes, 4000);
    EXPECT_EQ(cars[1].bestLapFromTimes, 9000);
}

}  // namespace
}  // namespace velkaro
