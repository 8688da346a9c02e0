#include "common/time_format.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstdio>
#include <random>

#include "tests/event/fields.h"
#include "common/int_text.h"

namespace velkaro {
namespace {

using test::Fields;

std::string Split(std::int32_t ms) {
    TimeSplit t = SplitTime(ms);
    return Fields(t.h, t.m, t.s, t.ms);
}

TEST(TimeFormats, SplitTruncatesTowardZeroAndHoursShowOnlyWhenThereAreAny) {
    EXPECT_EQ(Split(3723004), "1|2|3|4");
    EXPECT_EQ(Split(kNoTime), "416|40|0|0");
    EXPECT_EQ(Split(-61500), "0|-1|-1|-500");
    // Race times, then lap times, which also drop the minutes under a minute. An empty slot's
    // time still fits its cell.
    const struct {
        std::int32_t ms;
        const char *race, *lap;
    } cases[] = {{0, "0:00.000", "0.000"},
                 {999, "0:00.999", "0.999"},
                 {12345, "0:12.345", "12.345"},
                 {60000, "1:00.000", "1:00.000"},
                 {65005, "1:05.005", "1:05.005"},
                 {3600000, "1:00:00.000", "1:00:00.000"},
                 {3723004, "1:02:03.004", "1:02:03.004"},
                 {kNoTime, "416:40:00.000", "416:40:00.000"}};
    for (auto [ms, race, lap] : cases) {
        TimeText r, l;
        FormatRaceTime(r, SplitTime(ms));
        FormatLapTime(l, SplitTime(ms));
        EXPECT_EQ(Fields(r, l), Fields(race, lap)) << ms;
    }
}

// The texts are built by hand for speed: they must be what printf writes, cut where a
// formatted write into the same slot would cut it, for any value a file may hold.
TEST(TimeFormats, MatchPrintfForAnyValue) {
    std::mt19937 random(7);
    std::vector<std::int32_t> values{0,   1,    -1,   9,         10,        -10,     99,      100,
                                     999, -999, 1000, INT32_MAX, INT32_MIN, kNoTime, -kNoTime};
    for (int i = 0; i < 3000; ++i) {
        std::int32_t v = static_cast<std::int32_t>(random());
        values.push_back(i % 3 == 0 ? v : v % (i % 3 == 1 ? 1000 : 100000000));
    }
    char expected[64];
    // What printf writes, cut where the slot would cut it.
    auto cut = [&expected](std::size_t slot) { return std::string(expected).substr(0, slot - 1); };
    for (std::size_t i = 0; i < values.size(); ++i) {
        const std::int32_t v = values[i], w = values[(i * 7 + 3) % values.size()] % 100;
        for (int width : {0, 2, 3}) {
            char buf[16];
            std::snprintf(expected, sizeof expected, "%0*d", width, v);
            ASSERT_EQ(std::string(buf, PutInt(buf, v, width)), expected) << v << " " << width;
        }
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
