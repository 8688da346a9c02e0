// The sorts, points and ranking of the classifications, as tables of cases, then over the event
// file.

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "platform/fake/faulty_disk.h"
#include "platform/fake/recording_canvas.h"
#include "qualification/overall_classification.h"
#include "tests/qualification/classification_fixture.h"

namespace velkaro {
namespace {

using test::Fields;
using test::Order;
using test::SetCategory;

constexpr std::int32_t N = kNoTime;
constexpr auto kLT = Classification::ByLapsAndTime;
constexpr auto kBL = Classification::ByBestLap;

using Line = test::Car;

RoundResults Entries(const std::vector<Line>& lines) {
    RoundResults r{};
    for (std::size_t i = 0; i < lines.size(); ++i) {
        r[i].name = lines[i].name;
        r[i].laps = lines[i].laps;
        r[i].totalTime = lines[i].total;
        r[i].bestLap = lines[i].best;
    }
    return r;
}

std::string Names(const RoundResults& r, std::size_t n) {
    std::string s;
    for (std::size_t i = 0; i < n; ++i) s += std::string(r[i].name.View()) + " ";
    return s;
}

const std::vector<Line>& kTwoHeats = test::kWorkedHeats;

TEST(RoundClassification, BothSortsBreakEveryTieInTheirOrder) {
    struct Case {
        const char* what;
        Classification keyword;
        std::vector<Line> lines;
        std::string order;
    };
    // clang-format off
    const std::vector<Case> cases{
        {"worked example", kLT, kTwoHeats, "A D B E C F "},
        {"more laps first", kLT, {{"a", 9, 100, 10}, {"b", 10, 900, 90}}, "b a "},
        {"same laps: smaller time", kLT, {{"a", 5, 200, 10}, {"b", 5, 199, 90}}, "b a "},
        {"laps and time: smaller best", kLT, {{"a", 5, 200, 11}, {"b", 5, 200, 12}}, "a b "},
        {"complete tie: later first", kLT, {{"a", 5, 200, 11}, {"b", 5, 200, 11}}, "b a "},
        // No result ties with the empty entries, which come later: it trails them all.
        {"ran without time before no result", kLT, {{"none", 0, N, N}, {"ran", 0, 0, 0}, {"lap", 1, 40, 40}}, "lap ran  "},
        {"best lap decides", kBL, {{"a", 10, 100, 31}, {"b", 2, 900, 30}}, "b a "},
        {"same best: more laps", kBL, {{"a", 9, 100, 30}, {"b", 10, 900, 30}}, "b a "},
        {"best and laps: smaller time", kBL, {{"a", 9, 101, 30}, {"b", 9, 100, 30}}, "b a "},
        {"best-lap complete tie: later first", kBL, {{"a", 9, 100, 30}, {"b", 9, 100, 30}}, "b a "},
        {"no best lap after every best lap", kBL, {{"none", 0, N, N}, {"nobest", 12, 500, 0}, {"slow", 1, 90, 90}}, "slow nobest  "},
        {"unknown keyword keeps the order", Classification::Unknown, {{"a", 1, 9, 9}, {"b", 2, 8, 8}}, "a b "},
    };
    // clang-format on
    for (const Case& c : cases) {
        RoundResults sorted = SortRoundResults(Entries(c.lines), c.keyword);
        EXPECT_EQ(Names(sorted, c.lines.size()), c.order) << c.what;
    }
    // The zero sentinels come back as they were; the empty entries fill the rest.
    RoundResults sorted = SortRoundResults(Entries(kTwoHeats), kLT);
    EXPECT_EQ(
        Fields(sorted[5].totalTime, sorted[5].bestLap, sorted[219].name, sorted[219].totalTime),
        Fields(0, 0, "", N));
    // Garbage beyond the sentinels still gives each driver exactly one place.
    sorted = SortRoundResults(Entries({{"neg", -3, 5, 5}, {"huge", 0, 1550000000, N}}), kLT);
    EXPECT_EQ(RacedCount(sorted), 2);
    // Two hundred complete ties: one place each, the later entry first.
    std::vector<Line> tied(kParticipants, Line{"t", 5, 1000, 200});
    tied.front().name = "first";
    tied.back().name = "last";
    sorted = SortRoundResults(Entries(tied), kLT);
    EXPECT_EQ(Names(sorted, 1) + std::string(sorted[199].name.View()), "last first");
}

TEST(RoundClassification, PointsByPlaceShareTiesAndNeverGoNegative) {
    struct Case {
        const char* what;
        Classification keyword;
        PointsScale scale;
        std::vector<Line> lines;  // already in classification order
        std::vector<std::int32_t> points;
    };
    // clang-format off
    const std::vector<Case> cases{
        {"worked example", kLT, DefaultPointsScale(6),
         {{"A", 10, 300000, 29100}, {"D", 10, 302000, 29200}, {"B", 10, 305000, 29000},
          {"E", 10, 305000, 29500}, {"C", 9, 301000, 31000}, {"F", 0, 0, 0}},
         {11, 9, 8, 8, 6, 0}},
        {"no negative", kLT, {3, 2, 2, 2, 1, 1}, {{"a", 4, 10, 1}, {"b", 3, 10, 1}, {"c", 2, 10, 1}, {"d", 1, 10, 1}}, {3, 1, 0, 0}},
        {"best-lap ties share the better place", kBL, DefaultPointsScale(4), {{"a", 4, 10, 30}, {"b", 3, 10, 31}, {"c", 9, 10, 31}, {"d", 1, 10, 32}}, {9, 7, 7, 5}},
        {"three-way tie, then the 4th place's points", kLT, {20, 5, 4, 3, 2, 1},
         {{"a", 4, 10, 1}, {"b", 4, 10, 2}, {"c", 4, 10, 3}, {"d", 3, 10, 1}, {"e", 2, 1, 1}, {"f", 1, 1, 1}, {"g", 1, 2, 1}},
         {20, 20, 20, 8, 6, 5, 4}},
        {"laps+time ties ignore the best lap", kLT, DefaultPointsScale(2), {{"a", 4, 10, 30}, {"b", 3, 11, 30}}, {7, 5}},
        {"no result: neither time nor sentinel", kBL, DefaultPointsScale(3), {{"a", 1, 10, 10}, {"b", 0, 0, 0}, {"", 0, N, N}}, {8, 0, 0}},
    };
    // clang-format on
    for (const Case& c : cases) {
        RoundResults r = Entries(c.lines);
        int p = static_cast<int>(c.points.size());
        ComputeRoundPoints(r, c.scale, c.keyword, p);
        std::vector<std::int32_t> got;
        for (int i = 0; i < p; ++i) got.push_back(r[std::size_t(i)].points);
        EXPECT_EQ(got, c.points) << c.what;
    }
    EXPECT_EQ(DefaultPointsScale(6), (PointsScale{11, 2, 1, 1, 1, 1}));
}

TEST(RoundClassification, HeatsMergeByTheirOrderOfRunningAndFreePlacesClear) {
    HeatLines one{}, two{};
    one[0].name = "A";
    one[1].name = kEmptySlotName;
    one[1].laps = 7;
    two[0].name = "D";
    two[1].name = "E";
    RoundResults r{};
    // Heat 1 of 3 never ran: the heats that did fill the table from its start.
    std::vector<HeatLines> heats{one, two};
    EXPECT_EQ(MergeHeats(heats, 2, r), 0);
    EXPECT_EQ(Fields(Names(r, 4), r[1].laps, RacedCount(r)), "A  D E |0|3");
    EXPECT_EQ(RoundNotCompletedText(5, 3).View(), " Round not completed (2 drivers didn't race) ");
    EXPECT_TRUE(RoundNotCompletedText(3, 3).Empty());
    // Twenty heats of twenty overflow the 220 places: the drivers left out are counted.
    std::vector<HeatLines> many(20, two);
    EXPECT_EQ(MergeHeats(many, 20, r), 9 * 2);
}

// Round points per driver (one value per round, 0 = not in that round) and best results.
struct Driver {
    const char* name;
    std::vector<std::int32_t> points;
    std::int32_t laps = 0, total = 0, best = 0;
};

OverallEntries Overall(const std::vector<Driver>& drivers, int bestRounds) {
    ParticipantNames names{};
    for (std::size_t i = 0; i < drivers.size(); ++i) names[i] = drivers[i].name;
    OverallEntries e = EntriesOf(names);
    for (int r = 1; r <= 3; ++r) {
        std::vector<RoundResult> lines;
        for (const Driver& d : drivers) {
            if (std::size_t(r) > d.points.size()) continue;
            RoundResult l;
            l.name = d.name;
            l.points = d.points[std::size_t(r - 1)];
            l.laps = r == 1 ? d.laps : 0;
            l.totalTime = r == 1 ? d.total : 0;
            l.bestLap = r == 1 ? d.best : 0;
            lines.push_back(l);
        }
        EXPECT_TRUE(MergeRound(e, int(drivers.size()), r, lines).empty());
    }
    for (OverallEntry& x : e) SortRoundValues(x);
    ComputeTotals(e, int(drivers.size()), bestRounds);
    return e;
}

// Names with their totals, in ranking order.
std::string Ranked(const OverallEntries& ranked, std::size_t n) {
    std::string out;
    for (std::size_t i = 0; i < n; ++i) {
        out += std::string(ranked[i].name.View()) + std::to_string(ranked[i].total) + " ";
    }
    return out;
}

TEST(OverallClassification, CriteriaDecideInTheirOrder) {
    struct Case {
        const char* what;
        int bestRounds;
        Classification keyword;
        std::vector<Driver> drivers;
        std::string ranking;
    };
    // clang-format off
    const std::vector<Case> cases{
        {"total first", 2, kLT, {{"low", {9, 1, 1}}, {"high", {6, 6}}}, "high12 low10 "},
        {"equal totals: best round", 2, kLT, {{"low", {5, 5, 5}}, {"high", {9, 1, 1}}}, "high10 low10 "},
        {"equal sums: third round value", 2, kLT, {{"b", {9, 10, 0}}, {"a", {10, 6, 9}}}, "a19 b19 "},
        {"N = 0: the round points", 0, kLT, {{"b", {3, 2, 1}}, {"a", {3, 2, 2}}}, "a0 b0 "},
        {"N = 9 sums every round", 9, kLT, {{"a", {1, 1, 1}}, {"b", {2, 2}}}, "b4 a3 "},
        {"equal points: more laps", 1, kLT, {{"a", {5, 5}, 10, 300000, 29000}, {"b", {5, 5}, 11, 310000, 31000}}, "b5 a5 "},
        {"equal laps: smaller time", 1, kLT, {{"a", {5}, 10, 300000, 31000}, {"b", {5}, 10, 300500, 29000}}, "a5 b5 "},
        {"equal time: smaller best lap", 1, kLT, {{"a", {5}, 10, 300000, 29000}, {"b", {5}, 10, 300000, 29500}}, "a5 b5 "},
        {"best lap keyword: smaller best lap", 1, kBL, {{"a", {5}, 11, 300000, 29100}, {"b", {5}, 10, 300000, 29000}}, "b5 a5 "},
        {"best lap equal: more laps", 1, kBL, {{"a", {5}, 11, 300000, 29000}, {"b", {5}, 10, 300000, 29000}}, "a5 b5 "},
        {"best and laps equal: smaller time", 1, kBL, {{"a", {5}, 10, 300001, 29000}, {"b", {5}, 10, 300000, 29000}}, "b5 a5 "},
        {"complete tie: later entry first", 1, kBL, {{"a", {5}, 10, 3000, 290}, {"b", {5}, 10, 3000, 290}}, "b5 a5 "},
        {"never ran: after everyone", 1, kLT, {{"ghost", {}}, {"zero", {0}, 0, 0, 0}, {"one", {0}, 1, 50000, 50000}}, "one0 zero0 ghost0 "},
    };
    // clang-format on
    for (const Case& c : cases) {
        std::size_t n = c.drivers.size();
        EXPECT_EQ(Ranked(RankOverall(Overall(c.drivers, c.bestRounds), int(n), c.keyword), n),
                  c.ranking)
            << c.what;
    }
    // 10, 6, 9 sorts to 10 (round 1), 9 (round 3), 6 (round 2); equal points: later round first.
    OverallEntries e = Overall({{"a", {10, 6, 9}}, {"b", {4, 4}}}, 2);
    EXPECT_EQ(
        Fields(e[0].roundPoints[1].round, e[1].roundPoints[0].round, e[1].roundPoints[2].round),
        "3|2|0");
    // The never-ran driver, and no one else, has no points.
    e = Overall({{"ghost", {}}, {"zero", {0}, 0, 0, 0}, {"one", {3}}}, 1);
    EXPECT_EQ(ClassifiedCount(e, 3), 1);
    EXPECT_EQ(NoPointsText(3, 1).View(), " 2 drivers have no points ");
    // A renamed driver's line matches nobody and is handed back.
    RoundResult renamed;
    renamed.name = "Old name";
    EXPECT_EQ(MergeRound(e, 3, 1, std::vector<RoundResult>{renamed}),
              std::vector<std::string>{"Old name"});
    // Seventeen of them: fifteen shown, and a line for the rest.
    std::string lines = NameLines(std::vector<std::string>(17, "x"));
    EXPECT_EQ(std::count(lines.begin(), lines.end(), '\n'), 16);
    EXPECT_TRUE(lines.ends_with("\nx\n... and 2 more")) << lines;
    // Two hundred drivers tied on everything: one place each, the later entry first.
    std::vector<Driver> drivers;
    std::vector<std::string> names;
    for (int i = 0; i < kParticipants; ++i) names.push_back("D" + std::to_string(i));
    for (const std::string& n : names) drivers.push_back({n.c_str(), {7, 7, 7}, 5, 1000, 200});
    OverallEntries ranked = RankOverall(Overall(drivers, 2), kParticipants, kLT);
    for (int i = 0; i < kParticipants; ++i) {
        ASSERT_EQ(ranked[std::size_t(i)].name.View(), names[std::size_t(kParticipants - 1 - i)]);
    }
}

// ---------------------------------------------------------------------------------------------
// On the event file: heats missing, cut short or damaged, drivers renamed, sections written.

// A category of six, two heats of three a round; round 1's heats as in the worked example.
class ClassificationFile : public test::EventFolderTest {
  protected:
    void SetUp() override {
        EventFolderTest::SetUp();
        test::PrepareCategory(messages_);
    }
};

TEST_F(ClassificationFile, OneScanFindsWhatEachSearchFinds) {
    // A driver named like heat 2's title stands before it, as a data line.
    test::WriteHeat(1, 1, {{"Cat\xE9gorie1M1S2", 1, 1, 1}, {"B", 1, 1, 1}}, messages_);
    std::vector<SectionTitle> titles{HeatTitle(1, 1, 3), HeatTitle(1, 1, 2), HeatTitle(1, 1, 1),
                                     HeatTitle(1, 1, 4), SectionTitle(kTrackTitle)};
    const std::string file = WorkingCopy();
    std::vector<SectionPosition> all = FindSectionsIn(file, titles);
    ASSERT_EQ(all.size(), titles.size());
    for (std::size_t i = 0; i < titles.size(); ++i) {
        SectionPosition one = FindSectionIn(file, titles[i].View());
        EXPECT_EQ(Fields(all[i].found, all[i].body), Fields(one.found, one.body)) << i;
    }
}

TEST_F(ClassificationFile, MissingCutAndDamagedHeatsAreToldAndLeftWithoutResult) {
    struct Case {
        const char* what;
        std::string_view from, to;  // a replacement in the working copy; "" cuts the file there
        std::string order;
        int raced;
        std::vector<int> damagedHeatLines;  // heat, lines, first
    };
    const std::string heat2(HeatTitle(1, 1, 2).View()), original = WorkingCopy();
    // clang-format off
    const std::vector<Case> cases{
        {"heat 2 not run", heat2, "Other", "A11 B9 C8 0 0 0 ", 3, {}},
        {"laps not a number", "E\t10\t10\t", "E\t10\tzz\t", "A11 D9 B8 C7 F0 E0 ", 6, {2, 1, 2}},
        {"time past the sentinel", "D\t10\t10\t302000", "D\t10\t10\t1700000000", "A11 B9 E9 C7 F0 D0 ", 6, {2, 1, 1}},
        {"cut short", "F\t0\t0\t0", "", "A11 D9 B8 E8 C6 0 ", 5, {2, 1, 3}},
    };
    // clang-format on
    for (const Case& c : cases) {
        std::string bytes = original;
        std::size_t at = bytes.rfind(c.from);
        ASSERT_NE(at, std::string::npos) << c.what;
        bytes.replace(at, c.from.size(), c.to);
        if (c.to.empty()) bytes.resize(at);
        SetWorkingCopy(bytes);
        RoundNotes notes;
        RoundSheet s = OpenRoundSheet(1, 1, notes, SystemDisk());
        std::vector<int> damaged;
        for (const RoundNotes::Damage& d : notes.damagedHeats) damaged = {d.heat, d.lines, d.first};
        EXPECT_EQ(Fields(Order(s), s.raced), Fields(c.order, c.raced)) << c.what;
        EXPECT_EQ(damaged, c.damagedHeatLines) << c.what;
        if (!damaged.empty()) messages_.Expect(MessageAnswer::Ok);
        ReportRoundNotes(notes, 1, messages_);
        EXPECT_EQ(WorkingCopy(), bytes) << "opening wrote";
    }
    EXPECT_EQ(messages_.shown.back().text,
              "Error: Some results of round 1 cannot be read; these drivers are shown without a "
              "result:\nHeat2: 1 damaged line(s), the first is line 3");

    // A driver renamed after his heat ran keeps his place, and the user is told.
    SetWorkingCopy(original);
    Participants p{};
    ASSERT_EQ(ReadParticipants(1, p, SystemDisk()), FileOutcome::Done);
    p[4].name = "Eve";
    ASSERT_EQ(WriteParticipants(1, p, messages_, SystemDisk()), FileOutcome::Done);
    RoundNotes notes;
    OpenRoundSheet(1, 1, notes, SystemDisk());
    EXPECT_EQ(notes.strangers, std::vector<std::string>{"E"});
    // No working copy at all.
    std::filesystem::remove(folder_.Path() / "Private/Course.race");
    RoundNotes none;
    EXPECT_EQ(OpenRoundSheet(1, 1, none, SystemDisk()).raced, 0);
    EXPECT_TRUE(none.raceFileMissing);
}

TEST_F(ClassificationFile, TheOverallSumsTheStoredRoundsAndStoresTheRanking) {
    SetCategory(1, 0);
    RoundNotes notes;
    ASSERT_EQ(SaveRoundSheet(OpenRoundSheet(1, 1, notes, SystemDisk()), messages_, SystemDisk()),
              FileOutcome::Done);
    test::WriteHeat(2, 1,
                    {{"F", 12, 300000, 25000}, {"C", 11, 300000, 26000}, {"B", 1, 1000, 1000}},
                    messages_);
    ASSERT_EQ(SaveRoundSheet(OpenRoundSheet(1, 2, notes, SystemDisk()), messages_, SystemDisk()),
              FileOutcome::Done);
    // A participant added since: the round sections hold six lines and are read no further.
    SetCategory(1, 0, 7);
    Participants p{};
    ASSERT_EQ(ReadParticipants(1, p, SystemDisk()), FileOutcome::Done);
    p[6].name = "G";
    ASSERT_EQ(WriteParticipants(1, p, messages_, SystemDisk()), FileOutcome::Done);

    OverallNotes on;
    OverallSheet s = OpenOverallSheet(1, on, SystemDisk());
    EXPECT_TRUE(on.damagedRounds.empty() && on.strangers.empty());
    // Round 1: A11 D9 B8 E8 C6 F0; round 2 (scale 11 2 1...): F11 C9 B8, the others 0.
    EXPECT_EQ(Ranked(s.ranked, 7), "F11 A11 C9 D9 B8 E8 G0 ");
    EXPECT_EQ(NoPointsText(7, s.classified).View(), " 1 drivers have no points ");
    SetBestRounds(s, 2);
    EXPECT_EQ(Ranked(s.ranked, 7), "B16 C15 F11 A11 D9 E8 G0 ");

    std::string before = WorkingCopy();
    ASSERT_EQ(SaveOverallSheet(s, messages_, SystemDisk()), FileOutcome::Done);
    EXPECT_EQ(test::Body(OverallClassificationTitle(1).View()).substr(0, 53),
              "CLASSEMENTToursTemps\t2\t\r\nB\t\r\nC\t\r\nF\t\r\nA\t\r\nD\t\r\nE\t\r\nG\t\r\n");
    EventHeader h;
    ASSERT_EQ(ReadEventHeader(h, SystemDisk()), FileOutcome::Done);
    EXPECT_EQ(Fields(h.categories[0].finalsState, OverallSheetReadOnly(s)), "1|0");

    // A read-only working copy: told, and nothing changes.
    SetWorkingCopy(before);
    FaultyDisk disk(SystemDisk());
    disk.writeProtected.insert("Private/Course.race");
    messages_.Expect(MessageAnswer::Ok);
    EXPECT_EQ(SaveOverallSheet(s, messages_, disk), FileOutcome::Unavailable);
    EXPECT_EQ(messages_.shown.back().text, kRaceFileNotFound);
    EXPECT_EQ(WorkingCopy(), before);
    // No participants: nothing to rank, nothing written.
    SetCategory(1, 0, 0);
    before = WorkingCopy();
    messages_.Expect(MessageAnswer::Ok);
    EXPECT_EQ(SaveOverallSheet(OpenOverallSheet(1, on, SystemDisk()), messages_, SystemDisk()),
              FileOutcome::NoSection);
    EXPECT_EQ(WorkingCopy(), before);
    // A stored line with garbage for a number is left out, and the user told.
    SetCategory(1, 0, 7);
    std::string bytes = WorkingCopy();
    bytes.replace(bytes.find("D\t10\t302000\t"), 12, "D\t10\tzz\t");
    SetWorkingCopy(bytes);
    OverallNotes damaged;
    s = OpenOverallSheet(1, damaged, SystemDisk());
    EXPECT_EQ(s.merged[3].total, 0);  // D's only points were in that line
    messages_.Expect(MessageAnswer::Ok);
    ReportOverallNotes(damaged, messages_);
    EXPECT_EQ(messages_.shown.back().text,
              "Error: Some lines of the round classifications cannot be read and are left "
              "out:\nRound1: 1 line(s)");
}

// The screen and the sheet head one round column per round of the category, as far as they have
// room, and leave the others out rather than fill them with zeros.
TEST(OverallClassification, RoundColumnsFollowTheCategorysRounds) {
    struct Case {
        int rounds, screenColumns, sheetColumns;
        std::string screenHead, sheetHead;
    } cases[] = {
        {0, 1, 1, "the best round", "the best round"},
        {2, 2, 2, "the 2 best rounds", "the 2 best rounds"},
        {4, 4, 4, "the 4 best rounds", "the 4 best rounds"},
        {9, 5, 4, "the 5 best rounds", "the 4 best rounds"},
    };
    const std::vector<std::string> heads{"best", "2nd", "3rd", "4th", "5th"};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.rounds);
        auto sheet = std::make_unique<OverallSheet>();
        sheet->header.rounds = c.rounds;
        sheet->header.participants = 1;
        sheet->ranked[0].name = "ALPHA Anne";
        auto count = [&](const RecordingCanvas& canvas, const std::string& head) {
            return std::count_if(canvas.ops.begin(), canvas.ops.end(),
                                 [&](const RecordingCanvas::Op& op) { return op.text == head; });
        };
        RecordingCanvas screen;
        DrawOverallScreen(screen, *sheet, 0);
        RecordingCanvas page({4800, 6800});
        ASSERT_TRUE(DrawOverallReport(page, *sheet, OverallReportHeader(*sheet)));
        EXPECT_EQ(count(screen, c.screenHead), 1);
        EXPECT_EQ(count(page, c.sheetHead), 1);
        for (std::size_t k = 0; k < heads.size(); ++k) {
            EXPECT_EQ(count(screen, heads[k]), int(k) < c.screenColumns ? 1 : 0) << heads[k];
            const int onSheet = k < 4 && int(k) < c.sheetColumns ? 1 : 0;
            EXPECT_EQ(count(page, heads[k]), onSheet) << heads[k];
        }
    }
}

}  // namespace
}  // namespace velkaro
