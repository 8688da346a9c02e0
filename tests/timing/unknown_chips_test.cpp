#include "timing/unknown_chips.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "tests/timing/run_builder.h"

namespace velkaro {
namespace {

using test::Fields;
using test::TestRun;

Passing Chip(int number, std::int64_t ms) {
    Passing p;
    Format(p.transponder, "%06d", number);
    p.timeMs = ms;
    return p;
}

// Passings counted, race times and finished flag of a car.
std::string Counted(const RunCar& car) {
    std::string times;
    for (int k = 1; k <= car.passingCount; ++k) times += std::to_string(car.raceTimes[k]) + " ";
    return Fields(car.passingCount, times, car.finished);
}

TEST(UnknownChips, ChipsNoCarHasAreListedWithTheirPassings) {
    TestRun run({0, 1});
    UnknownChips unknown;
    const std::vector<std::pair<int, std::int64_t>> seen{
        {7, 1000}, {1001, 1200}, {4242, 1500}, {7, 3000}, {65535, 3100}, {7, 5000}, {1002, 6000}};
    for (auto [number, ms] : seen) NoteUnknownPassing(unknown, run.tables.cars, Chip(number, ms));
    ASSERT_EQ(unknown.count, 3);
    std::string listed;
    for (int i = 0; i < unknown.count; ++i) {
        const UnknownChip& c = unknown.chips[std::size_t(i)];
        listed += Fields(c.number, c.passings, c.lastSeenMs) + " ";
    }
    EXPECT_EQ(listed, "7|3|5000 4242|1|1500 65535|1|3100 ");
    EXPECT_EQ(UnknownChipLine(unknown.chips[0]).View(), "000007   3 passings   last 0:05.000");
    EXPECT_EQ(UnknownChipLine(unknown.chips[1]).View(), "004242   1 passing   last 0:01.500");
}

// The chip's passings before it was given count as the rules would have counted them live.
TEST(UnknownChips, AGivenChipCountsItsPassingsByTheRunsRules) {
    struct Case {
        const char* name;
        std::function<void(RunOptions&)> rules;
        std::vector<std::int64_t> passings;
        const char* counted;  // passings|race times|finished
    };
    const std::vector<Case> cases{
        {"minimum lap",
         [](RunOptions& o) { o.minimumLapSeconds = 2; },
         {1000, 2500, 4000, 9000},
         "3|1000 4000 9000 |0"},
        {"staggered start",
         [](RunOptions& o) {
             o.minimumLapSeconds = 2;
             o.startMode = StartMode::Staggered;
         },
         {1000, 4000, 7000},
         "2|3000 6000 |0"},
        {"two laps, all cars finish",
         [](RunOptions& o) {
             o.durationKind = DurationKind::ByLaps;
             o.laps = 2;
             o.lapsEnd = LapsEnd::AllLaps;
         },
         {1000, 4000, 7000},
         "2|1000 4000 |1"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TestRun run({0, 1});
        c.rules(run.options);
        UnknownChips unknown;
        run.Pass(0, {500});
        for (std::int64_t ms : c.passings) {
            NoteUnknownPassing(unknown, run.tables.cars, Chip(4242, ms));
        }
        ASSERT_TRUE(AssignUnknownChip(run.context, unknown, 0, 1));
        EXPECT_EQ(Counted(run.Car(1)), c.counted);
        EXPECT_EQ(Fields(run.Car(1).transponder, unknown.count), "004242|0");
        EXPECT_TRUE(run.sounds.Files().empty());
    }
}

TEST(UnknownChips, OnlyACarThatCountedNothingTakesAChip) {
    TestRun run({0, 1});
    UnknownChips unknown;
    NoteUnknownPassing(unknown, run.tables.cars, Chip(4242, 1000));
    run.Pass(0, {1500});
    EXPECT_FALSE(AssignUnknownChip(run.context, unknown, 0, 0));  // has a passing
    EXPECT_FALSE(AssignUnknownChip(run.context, unknown, 0, 5));  // no car
    EXPECT_FALSE(AssignUnknownChip(run.context, unknown, 1, 1));  // no such chip
    EXPECT_EQ(Fields(unknown.count, run.Car(1).transponder), "1|001002");
    // After the run every car is finished; the chip still counts as it would have.
    for (RunCar& car : run.tables.cars) car.finished = 1;
    ASSERT_TRUE(AssignUnknownChip(run.context, unknown, 0, 1));
    EXPECT_EQ(Counted(run.Car(1)), "1|1000 |1");
}

TEST(UnknownChips, TheDecoderIsSilentAfterTenSecondsWithoutAByte) {
    EXPECT_EQ(DecoderSilentText(0, 5000).View(), "");
    EXPECT_EQ(DecoderSilentText(72500, 65230).View(),
              "Decoder silent for 1:12: no byte since 1:05.230");
    EXPECT_EQ(DecoderSilentText(10000, -1).View(),
              "Decoder silent for 0:10: no byte since the start");
    EXPECT_EQ(DecoderSilentMs(1000, 500, 10999), 0u);
    EXPECT_EQ(DecoderSilentMs(1000, 500, 11000), 10000u);
    EXPECT_EQ(DecoderSilentMs(1000, 5000, 14999), 0u);  // counted from the run's start
    EXPECT_EQ(DecoderSilentMs(0xFFFFF000u, 0xFFFFF000u, 0x3000u), 0x4000u);  // across the wrap
}

}  // namespace
}  // namespace velkaro
