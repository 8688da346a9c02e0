#include "timing/time_format.h"

#include <gtest/gtest.h>

namespace velkaro {
namespace {

std::string Race(std::int32_t ms) {
    TimeText t;
    FormatRaceTime(t, SplitTime(ms));
    return std::string(t.View());
}

std::string Lap(std::int32_t ms) {
    TimeText t;
    FormatLapTime(t, SplitTime(ms));
    return std::string(t.View());
}

TEST(SplitTime, TruncatesEachPartTowardZero) {
    TimeSplit t = SplitTime(3723004);
    EXPECT_EQ(t.h, 1);
    EXPECT_EQ(t.m, 2);
    EXPECT_EQ(t.s, 3);
    EXPECT_EQ(t.ms, 4);
    t = SplitTime(kNoTime);  // 416 h 40 min
    EXPECT_EQ(t.h, 416);
    EXPECT_EQ(t.m, 40);
    EXPECT_EQ(t.s + t.ms, 0);
    t = SplitTime(-61500);
    EXPECT_EQ(t.m, -1);
    EXPECT_EQ(t.s, -1);
    EXPECT_EQ(t.ms, -500);
}

TEST(FormatRaceTime, ShowsHoursOnlyWhenThereAreAny) {
    EXPECT_EQ(Race(65005), "1:05.005");
    EXPECT_EQ(Race(3723004), "1:02:03.004");
    EXPECT_EQ(Race(12345), "0:12.345");
    EXPECT_EQ(Race(0), "0:00.000");
    EXPECT_EQ(Race(kNoTime), "416:40:00.000");  // an empty slot's time still fits its cell
}

TEST(FormatLapTime, DropsMinutesUnderAMinute) {
    EXPECT_EQ(Lap(12345), "12.345");
    EXPECT_EQ(Lap(0), "0.000");
    EXPECT_EQ(Lap(999), "0.999");
    EXPECT_EQ(Lap(60000), "1:00.000");
    EXPECT_EQ(Lap(65005), "1:05.005");
    EXPECT_EQ(Lap(3600000), "1:00:00.000");
}

}  // namespace
}  // namespace velkaro
