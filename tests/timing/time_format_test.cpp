#include "timing/time_format.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstdio>
#include <random>

#include "timing/int_text.h"

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

// The texts are built by hand for speed: they must be what printf writes, cut where a
// formatted write into the same slot would cut them, for any value a file may hold.
TEST(TimeTexts, MatchPrintfForAnyValue) {
    std::mt19937 random(7);
    std::vector<std::int32_t> values{0,   1,    -1,   9,         10,        -10,     99,      100,
                                     999, -999, 1000, INT32_MAX, INT32_MIN, kNoTime, -kNoTime};
    for (int i = 0; i < 3000; ++i) {
        std::int32_t v = static_cast<std::int32_t>(random());
        values.push_back(i % 3 == 0 ? v : v % (i % 3 == 1 ? 1000 : 100000000));
    }
    char expected[64];
    for (std::size_t i = 0; i < values.size(); ++i) {
        std::int32_t v = values[i];
        std::int32_t w = values[(i * 7 + 3) % values.size()] % 100;
        for (int width : {0, 2, 3}) {
            char buf[16];
            std::snprintf(expected, sizeof expected, "%0*d", width, v);
            ASSERT_EQ(std::string(buf, PutInt(buf, v, width)), expected) << v << " " << width;
        }
        // What printf writes, cut where the slot would cut it.
        auto cut = [&expected](std::size_t slot) {
            return std::string(expected).substr(0, slot - 1);
        };
        Text<5> number;
        FormatSpacedInt(number, v);
        std::snprintf(expected, sizeof expected, " %d ", v);
        EXPECT_EQ(number, cut(5));
        Text<4> laps;
        FormatLaps(laps, v);
        std::snprintf(expected, sizeof expected, "%dL", v);
        EXPECT_EQ(laps, cut(4));

        TimeText race, lap;
        FormatRaceTime(race, v % 600, w, v % 60, v % 1000);
        if (v % 600 != 0) {
            std::snprintf(expected, sizeof expected, "%d:%02d:%02d.%03d", v % 600, w, v % 60,
                          v % 1000);
        } else {
            std::snprintf(expected, sizeof expected, "%d:%02d.%03d", w, v % 60, v % 1000);
        }
        ASSERT_EQ(race, cut(15)) << v << " " << w;
        FormatLapTime(lap, 0, w % 2, v % 60, v % 1000);
        if (w % 2 != 0) {
            std::snprintf(expected, sizeof expected, "%d:%02d.%03d", w % 2, v % 60, v % 1000);
        } else {
            std::snprintf(expected, sizeof expected, "%d.%03d", v % 60, v % 1000);
        }
        ASSERT_EQ(lap, cut(15)) << v << " " << w;
    }
}

}  // namespace
}  // namespace velkaro
