#include "timing/classification.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/timing/run_builder.h"
#include "common/run_options.h"

namespace velkaro {
namespace {

using test::Fields;
using test::TestRun;

// Gives a car laps ending at total ms, its last lap and best lap.
void Set(RunCar& car, int laps, std::int32_t total, std::int32_t last, std::int32_t best = 0) {
    car.laps = car.passingCount = laps;
    car.totalTime = car.raceTimes[laps] = total;
    car.lapTimes[laps] = last;
    car.bestLap = best;
}

std::vector<int> Order(const RunStandings& s, int count) {
    std::vector<int> cars;
    for (int k = 0; k < count; ++k) cars.push_back(s[k].carNumber);
    return cars;
}

// The live order rebuilt as after a counted lap; the "to leader" and "to previous" texts from
// the second position on.
std::string Gaps(TestRun& run, Classification classification, int count) {
    RunStandings& st = run.tables.standings;
    if (classification == Classification::ByBestLap) {
        SortByBestLap(run.tables.cars, st, count);
        GapsBestLap(st, count);
    } else {
        SortByLapsAndTime(run.tables.cars, st, count);
        GapsLapsAndTime(st, count);
    }
    SplitStandingTimes(st, count);
    BuildLiveRows(st, run.tables.rows, classification, count);
    std::string out;
    for (int k = 1; k < count; ++k) {
        out += Fields(run.tables.rows[k].toLeader, run.tables.rows[k].toPrevious) + " ";
    }
    return out;
}

TEST(LiveOrderSetup, UsedCarsComeInCarOrderWithTheirTexts) {
    TestRun run({1, 4, 6});
    EXPECT_EQ(run.tables.carsInUse, 3);
    EXPECT_EQ(Order(run.tables.standings, 3), (std::vector<int>{2, 5, 7}));
    EXPECT_EQ(Fields(run.tables.standings[3].finished, run.tables.standings[3].driverName), "1|");
    const LiveRow& r = run.tables.rows[1];
    EXPECT_EQ(Fields(r.driverName, r.transponder, r.position, r.carNumber, r.laps, r.passingCount,
                     run.tables.rows[3].driverName),
              "Driver 5|001005|2| 5 |0|0|");
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
    cars[0].newPassing = 1;
    SortByLapsAndTime(cars, run.tables.standings, 6);
    EXPECT_EQ(Order(run.tables.standings, 6), (std::vector<int>{2, 3, 4, 5, 1, 6}));
    // The car just counted learns its position; the others' histories are untouched.
    EXPECT_EQ(Fields(cars[0].positions[5], cars[4].positions[5]), "5|0");
}

TEST(SortByLapsAndTime, CarsWithoutLapsFollowInDescendingNumberAndEmptySlotsLast) {
    TestRun run({0, 1, 2, 5});
    Set(run.tables.cars[1], 1, 9000, 9000);
    SortByLapsAndTime(run.tables.cars, run.tables.standings, kCarSlots);
    const RunStandings& st = run.tables.standings;
    EXPECT_EQ(Order(st, 4), (std::vector<int>{2, 6, 3, 1}));
    // Cars that have not passed report no time, not the sort's stand-in.
    EXPECT_EQ(Fields(st[1].totalTime, st[1].lastLapTime, st[4].totalTime, st[4].driverName),
              "0|0|1500000000|(NA)");
}

TEST(SortByBestLap, BestLapThenLastLapWithStandInsForMissingLaps) {
    TestRun run({0, 1, 2, 3, 4});
    RunCars& cars = run.tables.cars;
    Set(cars[0], 3, 40000, 13000, 12000);
    Set(cars[1], 9, 90000, 11000, 11500);
    Set(cars[2], 1, 14000, 14000);         // one lap, no best lap yet
    Set(cars[3], 2, 30000, 12500, 12000);  // same best as car 1, shorter last lap
    SortByBestLap(cars, run.tables.standings, 5);
    const RunStandings& st = run.tables.standings;
    EXPECT_EQ(Order(st, 5), (std::vector<int>{2, 4, 1, 3, 5}));
    EXPECT_EQ(Fields(st[3].bestLap, st[3].lastLapTime, st[4].bestLap), "0|14000|0");
}

TEST(Gaps, LapsAndTimeShowLapsDownAndTimeOnlyOnTheSameLap) {
    TestRun run({0, 1, 2, 3});
    Set(run.tables.cars[0], 10, 200000, 19000);
    Set(run.tables.cars[1], 10, 201500, 19000);
    Set(run.tables.cars[2], 9, 195000, 19000);
    // A car that has not passed is 10 laps down, with no time gap.
    EXPECT_EQ(Gaps(run, Classification::ByLapsAndTime, 4), "1.500|1.500 1L|1L 10L|9L ");
    const RunStanding& third = run.tables.standings[2];
    const RunStanding& leader = run.tables.standings[0];
    EXPECT_EQ(Fields(third.lapsBehindLeader, third.gapToLeader, leader.gapToLeader,
                     leader.lapsBehindLeader, leader.gapToPrevious),
              "1|0|0|0|0");
}

TEST(Gaps, BestLapGapsIgnoreLapsAndCarsWithoutABestLap) {
    TestRun run({0, 1, 2});
    Set(run.tables.cars[0], 4, 60000, 14000, 13500);
    Set(run.tables.cars[1], 2, 30000, 15000, 12000);
    Set(run.tables.cars[2], 1, 15000, 15000);
    // Two laps more are no lap ahead here.
    EXPECT_EQ(Gaps(run, Classification::ByBestLap, 3), "1.500|1.500 0.000|0.000 ");
    EXPECT_EQ(run.tables.standings[1].lapsBehindLeader, 0);
}

TEST(BuildLiveRows, FormatsEveryColumnButThePosition) {
    TestRun run({0, 1});
    RunCar& car = run.tables.cars[1];
    Set(car, 61, 3723004, 61001, 59999);
    car.bestLapFromTimes = 59998;
    car.newBestLap = car.holdsRunBest = 1;
    run.tables.rows[0].position = "9";
    Gaps(run, Classification::ByLapsAndTime, 2);
    const LiveRow& r = run.tables.rows[0];
    EXPECT_EQ(Fields(r.driverName, r.carNumber, r.laps, r.passingCount, r.totalTime,
                     r.lastPassingRaceTime, r.lastLap, r.bestLap, r.bestLapFromTimes, r.newBestLap,
                     r.holdsRunBest, r.position),
              "Driver 2| 2 |61|61|1:02:03.004|1:02:03.004|1:01.001|59.999|59.998|1|1|9");
}

TEST(ComputeBestLapFromTimes, TheGridRunCountsOnlyForAStaggeredStart) {
    RunCars cars;
    cars[0].passingCount = 3;
    cars[0].raceTimes = {0, 4000, 16000, 27500};  // grid to line, then 12 s and 11.5 s
    cars[1].passingCount = 1;
    cars[1].raceTimes[1] = 9000;
    ComputeBestLapFromTimes(cars, StartMode::AtSignal);
    // The second car has no lap after the grid run.
    EXPECT_EQ(Fields(cars[0].bestLapFromTimes, cars[1].bestLapFromTimes), "11500|0");
    ComputeBestLapFromTimes(cars, StartMode::Staggered);
    EXPECT_EQ(Fields(cars[0].bestLapFromTimes, cars[1].bestLapFromTimes), "4000|9000");
}

}  // namespace
}  // namespace velkaro
