#include "finals/arrangement.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "finals/closure.h"
#include "finals/closure_report.h"
#include "finals/ladder.h"
#include "platform/fake/recording_canvas.h"

namespace velkaro {
namespace {

QualifRanking Ranking(int count) {
    QualifRanking r{};
    for (int i = 0; i < count; ++i) Format(r[std::size_t(i)], "D%02d", i + 1);
    return r;
}

// A stored run in which the car of slot i did laps[i] laps in total[i] ms.
FinalsSource Finished(std::initializer_list<const char*> names, int firstLaps = 20) {
    FinalsSource s{};
    int i = 0;
    for (const char* n : names) {
        FinalsSourceEntry& e = s[std::size_t(i)];
        e.name = n;
        e.laps = firstLaps - i;  // the car line order is the finishing order
        e.totalTime = 300000 + 1000 * i;
        e.lastLap = 15000;
        ++i;
    }
    for (; i < kCarSlots; ++i) s[std::size_t(i)].name = kEmptySlotName;
    return s;
}

std::string Names(const RunNames& names) {
    std::string out;
    for (const Text<40>& n : names) {
        if (n == kEmptySlotName) break;
        out += std::string(n.View()) + " ";
    }
    return out;
}

TEST(Arrangement, OrderSourceResultByLapsTimeAndLastLap) {
    FinalsSource s{};
    const struct {
        const char* name;
        int laps, total, last;
    } cars[] = {
        {"slow", 10, 320000, 30000},      {"none", 0, 0, 0},
        {"tieEarly", 12, 300000, 25000},  {"tieLate", 12, 300000, 25000},
        {"shortLast", 12, 300000, 24000}, {"fast", 12, 290000, 26000},
        {"more", 13, 400000, 40000},
    };
    for (std::size_t i = 0; i < std::size(cars); ++i) {
        s[i].name = cars[i].name;
        s[i].laps = cars[i].laps;
        s[i].totalTime = cars[i].total;
        s[i].lastLap = cars[i].last;
    }
    FinalsSource o = OrderSourceResult(s);
    std::string order;
    for (int i = 0; i < 7; ++i) order += std::string(o[std::size_t(i)].name.View()) + " ";
    EXPECT_EQ(order, "more fast shortLast tieLate tieEarly slow  ");
    // Cars without laps all tie, the later line first: the driver who never crossed comes
    // after the unused slots behind him, with his zero times.
    EXPECT_EQ(o[19].name, "none");
    EXPECT_EQ(o[19].totalTime + o[19].lastLap, 0);
    EXPECT_TRUE(SourceWasRun(s));
    EXPECT_FALSE(SourceWasRun(FinalsSource{}));
}

TEST(Arrangement, TwentyDriversFromTheQuarterFinals) {
    LevelValues v = LevelsOf(DefaultFinalsLadder(20), 5);
    ASSERT_EQ(v.startLevel, 2);
    QualifRanking ranking = Ranking(20);
    FinalsSource none{};
    FinalsSource quarterA = OrderSourceResult(Finished({"D19", "D15", "D17"}));
    FinalsSource quarterB = OrderSourceResult(Finished({"D16", "D20", "D18"}));
    FinalsSource halfA =
        OrderSourceResult(Finished({"D03", "D01", "D19", "D05", "D07", "D09", "D11"}));
    FinalsSource halfB =
        OrderSourceResult(Finished({"D02", "D04", "D06", "D08", "D10", "D12", "D14"}));
    struct Case {
        int level;
        char letter;
        const FinalsSource& a;
        const FinalsSource& b;
        int participants;
        const char* names;
    };
    const Case cases[] = {
        {2, 'A', none, none, 20, "D15 D17 D19 "},
        {2, 'B', none, none, 20, "D16 D18 D20 "},
        {2, 'B', none, none, 18, "D16 D18 "},  // places past P stay empty
        {1, 'A', quarterA, none, 20, "D01 D03 D05 D07 D09 D11 D13 D19 D15 D17 "},
        {1, 'B', quarterB, quarterB, 20, "D02 D04 D06 D08 D10 D12 D14 D16 D20 D18 "},
        {1, 'A', none, none, 20, "D01 D03 D05 D07 D09 D11 D13 "},  // 1/4 A not run yet
        {0, 'A', halfA, halfB, 20, "D03 D02 D01 D04 D19 D06 D05 D08 D07 D10 "},
    };
    for (const Case& c : cases) {
        v.participants = c.participants;
        RunNames names = PlaceFinalsRun(c.level, c.letter, v, ranking, c.a, c.b);
        EXPECT_EQ(Names(names), c.names) << c.level << c.letter;
        int filled = int(std::string(c.names).size() / 4);
        for (int k = filled; k < kCarSlots; ++k) {
            EXPECT_EQ(names[std::size_t(k)], kEmptySlotName) << c.level << c.letter << k;
        }
    }
}

// Closure over the 20-driver ladder: d = 0, 14, 14, starting at the 1/4 finals.
class Closure : public ::testing::Test {
  protected:
    void SetUp() override {
        in.ranking = Ranking(20);
        for (int i = 0; i < 20; ++i) in.points[std::size_t(i)] = 100 - i;
        in.rankingCount = 20;
        in.participants = 20;
        in.direct = {0, 14, 14, 14, 14};
        in.startLevel = 2;
        Set(2, 'A', Finished({"D19", "D15", "D17"}));
        Set(2, 'B', Finished({"D16", "D20", "D18"}));
    }
    void Set(int level, char letter, const FinalsSource& run) {
        (letter == 'A' ? in.a : in.b)[std::size_t(level)] = OrderSourceResult(run);
        (letter == 'A' ? in.runA : in.runB)[std::size_t(level)] = true;
    }
    std::string Rows() {
        BuildClosureTable(in, table);
        std::string out;
        for (int r = 0; r < table.count; ++r) {
            const ClosureRow& row = table.rows[std::size_t(r)];
            out += std::string(row.rank.View()) + ":" + std::string(row.name.View()) + ":" +
                   std::string(row.level.View()) +
                   (row.FromQualification() ? "" : ":" + std::to_string(row.place)) + " ";
        }
        return out;
    }
    ClosureInput in;
    ClosureTable table;
};

TEST_F(Closure, OnlyTheLowestLevelRun) {
    EXPECT_EQ(Rows(),
              "1:D01:Q 2:D02:Q 3:D03:Q 4:D04:Q 5:D05:Q 6:D06:Q 7:D07:Q 8:D08:Q 9:D09:Q 10:D10:Q "
              "11:D11:Q 12:D12:Q 13:D13:Q 14:D14:Q 15:D19:1/4A:1 16:D16:1/4B:1 17:D15:1/4A:2 "
              "18:D20:1/4B:2 19:D17:1/4A:3 20:D18:1/4B:3 ");
    const ClosureRow& d19 = table.rows[14];
    EXPECT_EQ(std::to_string(d19.qualifPlace) + "|" + std::to_string(d19.qualifPoints) + "|" +
                  std::string(ClosureResultText(d19).View()),
              "19|82|20L in 5:00.000");
    EXPECT_EQ(ClosureResultText(table.rows[0]).View(), "");
}

// The screen from its scroll position: a "Q" row shows no place and no result.
TEST_F(Closure, TheScreenShowsTwentyRowsFromTheScrollPosition) {
    Rows();
    auto texts = std::make_unique<ClosureTexts>();
    FillClosureTexts(table, *texts);
    RecordingCanvas canvas;
    DrawClosureScreen(canvas, {"Cup", "Oval", "Touring", &table, texts.get(), 13});
    std::string drawn;
    for (const RecordingCanvas::Op& op : canvas.ops) {
        if (op.kind == RecordingCanvas::Kind::Text && op.at.y >= 175) {
            drawn += std::to_string(op.at.x) + "," + std::to_string(op.at.y) + ":" + op.text + " ";
        }
    }
    const std::string first =
        "115,175:14 150,175:D14 405,175:Q 645,175:14 695,175:87 115,195:15 150,195:D19 "
        "405,195:1/4A 455,195:1 560,195:20L in 5:00.000 645,195:19 695,195:82 ";
    EXPECT_EQ(drawn.substr(0, first.size()), first);
    EXPECT_EQ(ClosureScrollRange(table.count), 0);
    EXPECT_EQ(ClosureScrollRange(41), 21);
}

TEST_F(Closure, AHalfFinalWinnerThirdInTheFinal) {
    Set(1, 'A', Finished({"D19", "D01", "D03", "D05", "D07", "D09", "D11", "D13", "D15", "D17"}));
    Set(1, 'B', Finished({"D02", "D04", "D06", "D08", "D10", "D12", "D14", "D16", "D20", "D18"}));
    Set(0, 'A', Finished({"D02", "D01", "D19", "D04", "D03", "D06", "D05", "D08", "D07", "D10"}));
    std::string rows = Rows();
    EXPECT_EQ(rows.substr(0, 44), "1:D02:FIN:1 2:D01:FIN:2 3:D19:FIN:3 4:D04:FI");
    // The 1/2 block: the drivers of the Final again as "Q", the others numbered on from 11.
    EXPECT_NE(rows.find("10:D10:FIN:10 Q:D19:1/2A:1 Q:D02:1/2B:1 Q:D01:1/2A:2 Q:D04:1/2B:2 "
                        "Q:D03:1/2A:3 Q:D06:1/2B:3 Q:D05:1/2A:4 Q:D08:1/2B:4 Q:D07:1/2A:5 "
                        "Q:D10:1/2B:5 11:D09:1/2A:6 12:D12:1/2B:6 "),
              std::string::npos)
        << rows;
    EXPECT_EQ(table.count, 10 + 20 + 6);
    EXPECT_EQ(table.rows[std::size_t(table.count - 1)].rank.View(), "Q");  // D18, moved up
}

TEST_F(Closure, DriversPastTheFinalsParticipantsComeLast) {
    in.ranking = Ranking(12);
    in.rankingCount = 12;
    in.participants = 10;
    in.direct = {4, 4, 4, 4, 4};
    in.startLevel = 1;
    in.runA = {};
    in.runB = {};
    Set(1, 'A', Finished({"D05", "D07", "D09"}));
    Set(1, 'B', Finished({"D06", "D08", "D10"}));
    EXPECT_EQ(Rows(),
              "1:D01:Q 2:D02:Q 3:D03:Q 4:D04:Q 5:D05:1/2A:1 6:D06:1/2B:1 7:D07:1/2A:2 "
              "8:D08:1/2B:2 9:D09:1/2A:3 10:D10:1/2B:3 11:D11:Q 12:D12:Q ");
    // A driver listed in both runs of a level is ranked once.
    Set(1, 'B', Finished({"D06", "D05", "D10"}));
    EXPECT_NE(Rows().find("7:D07:1/2A:2 Q:D05:1/2B:2 8:D09:1/2A:3 9:D10"), std::string::npos);
    // Nothing run: everything from the qualification.
    in.runA = {};
    in.runB = {};
    EXPECT_EQ(Rows().substr(0, 16), "1:D01:Q 2:D02:Q ");
    EXPECT_EQ(table.count, 12);
    // One run of a level is not the level; no drivers, no rows.
    in.runA[1] = true;
    EXPECT_EQ(Rows().find("1/2"), std::string::npos);
    in.rankingCount = 0;
    EXPECT_EQ(Rows(), "");
}

}  // namespace
}  // namespace velkaro
