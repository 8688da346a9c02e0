#include <gtest/gtest.h>

#include <filesystem>
#include <functional>

#include "event/section.h"
#include "finals/closure.h"
#include "qualification/overall_classification.h"
#include "qualification/round_classification.h"
#include "tests/event/event_fixtures.h"
#include "tests/qualification/classification_fixture.h"
#include "tools/results/results_tool.h"

namespace velkaro {
namespace {

namespace fs = std::filesystem;
using results::RunTool;

struct ToolRun {
    int status = -1;
    std::string out, err;
};

ToolRun Tool(const std::vector<std::string>& args) {
    ToolRun r;
    r.status = RunTool(args, r.out, r.err);
    return r;
}

std::string Ms(std::int32_t t) {
    return t == kNoTime || t == kRanWithoutTime ? "" : std::to_string(t);
}

// Touring ("Vitesse été" once renamed): six drivers, round 1 run in two heats, round 2 not run.
class ResultsTool : public test::EventFolderTest {
  protected:
    void SetUp() override {
        EventFolderTest::SetUp();
        test::PrepareCategory(messages_);
        test::SetCategory(1, 0);
        EventHeader h;
        ASSERT_EQ(ReadEventHeader(h, SystemDisk()), FileOutcome::Done);
        h.categories[0].name = "Vitesse \xE9t\xE9";
        ASSERT_EQ(WriteEventHeader(h, SystemDisk()), FileOutcome::Done);
        RunDoneFlags flags;
        flags.flags[0][std::size_t(HeatFlagIndex(1, 1))] = 1;
        flags.flags[0][std::size_t(HeatFlagIndex(1, 2))] = 1;
        ASSERT_EQ(WriteRunDoneFlags(flags, messages_, SystemDisk()), FileOutcome::Done);
        event_ = (folder_.Path() / "Private/Course.race").string();
    }
    std::string event_;
};

// The tool's CSV against the sheets the forms open on the same file: every row, every figure.
TEST_F(ResultsTool, TablesAgreeWithTheFormsLogic) {
    const std::string before = WorkingCopy();
    auto roundCsv = [](int round) {
        RoundNotes notes;
        RoundSheet sheet = OpenRoundSheet(1, round, notes, SystemDisk());
        std::string csv = "Place,Driver,Laps,Racetime (ms),Best lap (ms),Points\r\n";
        for (int i = 0; i < ParticipantsOf(sheet); ++i) {
            const RoundResult& e = sheet.classification.entries[std::size_t(i)];
            csv += std::to_string(i + 1) + "," + std::string(e.name.View()) + "," +
                   std::to_string(e.laps) + "," + Ms(e.totalTime) + "," + Ms(e.bestLap) + "," +
                   std::to_string(e.points) + "\r\n";
        }
        return csv;
    };
    auto overallCsv = [](int best) {
        OverallNotes notes;
        OverallSheet sheet = OpenOverallSheet(1, notes, SystemDisk());
        SetBestRounds(sheet, best);
        std::string csv;
        for (int i = 0; i < ParticipantsOf(sheet); ++i) {
            const OverallEntry& e = sheet.ranked[std::size_t(i)];
            csv += std::to_string(i + 1) + "," + std::string(e.name.View()) + "," +
                   std::to_string(e.total);
            for (int k = 0; k < 2; ++k) {
                const RoundPoints& p = e.roundPoints[std::size_t(k)];
                csv +=
                    "," + std::to_string(p.points) + "," + (p.round ? std::to_string(p.round) : "");
            }
            csv += "," + std::to_string(e.results[0].laps) + "," + Ms(e.results[0].totalTime) +
                   "," + Ms(e.bestLaps[0].bestLap) + "\r\n";
        }
        return csv;
    };
    struct Case {
        std::vector<std::string> args;
        std::function<std::string()> expected;
        std::size_t skipLines;  // the CSV's head, when the expected text has none
    };
    const std::vector<Case> cases = {
        {{"round", event_, "--category", "1", "--round", "1", "--format", "csv"},
         [&] { return roundCsv(1); },
         0},
        {{"round", event_, "--category", "Vitesse \xC3\xA9t\xC3\xA9", "--round", "2", "--format",
          "csv"},
         [&] { return roundCsv(2); },
         0},
        {{"overall", event_, "--category", "1", "--best", "1", "--format", "csv"},
         [&] { return overallCsv(1); },
         1},
        {{"overall", event_, "--category", "1", "--best", "2", "--format", "csv"},
         [&] { return overallCsv(2); },
         1},
        {{"finals", event_, "--category", "1"},
         [] { return "No finals runs: not generated yet\n"; },
         0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.args[0] + " " + c.args.back());
        ToolRun r = Tool(c.args);
        ASSERT_EQ(r.status, 0) << r.err;
        std::size_t at = 0;
        for (std::size_t i = 0; i < c.skipLines; ++i) at = r.out.find('\n', at) + 1;
        EXPECT_EQ(r.out.substr(at), c.expected());
    }
    // Text: the title in UTF-8, the program's time format, the form's note.
    ToolRun text = Tool({"round", event_, "--category", "1", "--round", "1"});
    EXPECT_NE(text.out.find("Vitesse \xC3\xA9t\xC3\xA9 - Round 1\n"), std::string::npos);
    EXPECT_NE(text.out.find("5:00.000"), std::string::npos);
    EXPECT_NE(Tool({"round", event_, "--category", "1", "--round", "2"})
                  .out.find("Round not completed (6 drivers didn't race)"),
              std::string::npos);
    EXPECT_EQ(WorkingCopy(), before);
}

// The overall validated, a Final run, then round 2 validated again with another scale: the
// closure takes its qualification rows, places and points from the ranking as the overall form
// computes it now, in the table the window and the printout show and in the export; the Final's
// rows stay as they were.
TEST_F(ResultsTool, TheClosureRanksTheQualificationAsItStandsNow) {
    test::WriteHeat(2, 1,
                    {{"C", 11, 300000, 27000}, {"B", 10, 301000, 29000}, {"A", 9, 300000, 30000}},
                    messages_);
    test::WriteHeat(2, 2,
                    {{"F", 11, 299000, 26000}, {"E", 10, 303000, 29000}, {"D", 9, 302000, 30000}},
                    messages_);
    auto validateRound = [&](int round, std::int32_t winner, std::int32_t secondsGap) {
        RoundNotes notes;
        RoundSheet sheet = OpenRoundSheet(1, round, notes, SystemDisk());
        SetScaleValue(sheet, 0, winner);
        SetScaleValue(sheet, 1, secondsGap);
        ASSERT_EQ(SaveRoundSheet(sheet, messages_, SystemDisk()), FileOutcome::Done);
    };
    validateRound(1, 11, 2);
    validateRound(2, 11, 2);
    OverallNotes notes;
    auto overall = std::make_unique<OverallSheet>(OpenOverallSheet(1, notes, SystemDisk()));
    SetBestRounds(*overall, 2);
    ASSERT_EQ(SaveOverallSheet(*overall, messages_, SystemDisk()), FileOutcome::Done);

    // A Final of the first four of that ranking.
    EventHeader h;
    ASSERT_EQ(ReadEventHeader(h, SystemDisk()), FileOutcome::Done);
    h.categories[0].finalsRuns = 1;
    ASSERT_EQ(WriteEventHeader(h, SystemDisk()), FileOutcome::Done);
    FinalsLadder ladder;
    ladder.participants = 4;
    ladder.direct = {4, 4, 4, 4, 4};
    ASSERT_EQ(WriteFinalsLadder(1, ladder, messages_, SystemDisk()), FileOutcome::Done);
    RunCars final = test::EmptyRun();
    for (std::size_t i = 0; i < 4; ++i) {
        final[i].driverName = overall->ranked[3 - i].name;
        final[i].passingCount = final[i].laps = 12;
        final[i].totalTime = 300000 + 1000 * std::int32_t(i);
    }
    ASSERT_EQ(WriteFinalsRunResult(final, 4, FinalsRunTitle(1, 0, 'A').View(), 1, {}, RunTrailer{},
                                   messages_, SystemDisk()),
              FileOutcome::Done);

    auto closure = [&] {
        auto in = std::make_unique<ClosureInput>();
        auto table = std::make_unique<ClosureTable>();
        EventHeader header;
        EXPECT_EQ(ReadEventHeader(header, SystemDisk()), FileOutcome::Done);
        EXPECT_TRUE(ReadClosureInput(1, header, *in, messages_, SystemDisk()));
        BuildClosureTable(*in, *table);
        return table;
    };
    auto finalsRows = [](const ClosureTable& t) {
        std::string out;
        for (int r = 0; r < t.count; ++r) {
            const ClosureRow& row = t.rows[std::size_t(r)];
            if (row.FromQualification()) continue;
            out += std::string(row.rank.View()) + ":" + std::string(row.name.View()) + ":" +
                   std::string(row.level.View()) + ":" + std::to_string(row.place) + ":" +
                   std::to_string(row.laps) + ":" + std::to_string(row.totalTime) + " ";
        }
        return out;
    };
    const std::string finalsBefore = finalsRows(*closure());
    ASSERT_EQ(std::count(finalsBefore.begin(), finalsBefore.end(), ' '), 4) << finalsBefore;

    validateRound(2, 60, 20);
    overall = std::make_unique<OverallSheet>(OpenOverallSheet(1, notes, SystemDisk()));
    OverallClassification stored;
    ASSERT_EQ(ReadOverallClassification(1, 6, stored, SystemDisk()), FileOutcome::Done);
    std::string storedOrder, order;
    for (std::size_t i = 0; i < 6; ++i) {
        storedOrder += std::string(stored.names[i].View());
        order += std::string(overall->ranked[i].name.View());
    }
    ASSERT_NE(order.substr(4), storedOrder.substr(4));  // the scene moves the qualification rows

    auto table = closure();
    EXPECT_EQ(finalsRows(*table), finalsBefore);
    ASSERT_EQ(table->count, 6);
    std::string csv = "Rank,Driver,Level,Place,Laps,Racetime (ms),Qualif place,Qualif points\r\n";
    for (int r = 0; r < table->count; ++r) {
        const ClosureRow& row = table->rows[std::size_t(r)];
        SCOPED_TRACE(row.name.View());
        int at = int(order.find(row.name.View()));
        EXPECT_EQ(row.qualifPlace, at + 1);
        EXPECT_EQ(row.qualifPoints, overall->ranked[std::size_t(at)].total);
        if (r >= 4) {
            EXPECT_EQ(row.name.View(), overall->ranked[std::size_t(r)].name.View());
        }
        std::string finals = row.FromQualification()
                                 ? ",,"
                                 : std::to_string(row.place) + "," + std::to_string(row.laps) +
                                       "," + std::to_string(row.totalTime);
        csv += std::string(row.rank.View()) + "," + std::string(row.name.View()) + "," +
               std::string(row.level.View()) + "," + finals + "," + std::to_string(at + 1) + "," +
               std::to_string(row.qualifPoints) + "\r\n";
    }
    // A won round 1 (11) and was 5th of round 2 on the new scale (60 - 20 - 1 - 1 - 1).
    EXPECT_EQ(table->rows[3].name.View(), "A");
    EXPECT_EQ(table->rows[3].qualifPoints, 48);
    ToolRun r = Tool({"closure", event_, "--category", "1", "--format", "csv"});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, csv);
}

// Bad input and damaged files: the status, one line on standard error, the section named.
TEST_F(ResultsTool, BadInputAndDamageAreToldInOneLine) {
    const std::string sound = WorkingCopy();
    const std::string heat2 = "Cat\xE9gorie1M1S2";
    const std::size_t heat2At = sound.find(heat2 + "\t");
    const std::size_t trackAt = sound.find(std::string(kTrackTitle) + "\t");
    ASSERT_NE(heat2At, std::string::npos);
    struct Case {
        const char* name;
        std::function<std::string()> file;
        std::vector<std::string> args;  // after the command and the file
        std::string command;
        int status;
        std::string said;  // in standard error, or standard output for check
    };
    const std::vector<Case> cases = {
        {"sound", [&] { return sound; }, {}, "check", 0, "sound: 1 categories"},
        {"empty", [] { return std::string(); }, {}, "check", 3, "the file is empty"},
        {"foreign",
         [] { return std::string("PK\x03\x04 zip\r\n"); },
         {"--category", "1"},
         "closure",
         3,
         "not an event file"},
        {"no category",
         [&] { return sound; },
         {"--category", "7"},
         "overall",
         2,
         "no category \"7\""},
        {"no round",
         [&] { return sound; },
         {"--category", "1", "--round", "3"},
         "round",
         2,
         "no round 3"},
        {"bad format",
         [&] { return sound; },
         {"--category", "1", "--format", "xml"},
         "closure",
         2,
         "unknown format"},
        {"unknown command", [&] { return sound; }, {}, "publish", 2, "unknown command"},
        {"heat cut at a line end",
         [&] { return sound.substr(0, sound.find('\n', heat2At + 400) + 1); },
         {},
         "check",
         3,
         "\"Cat\xC3\xA9gorie1M1S2\" cut short ("},
        {"heat missing",
         [&] { return std::string(sound).replace(heat2At, heat2.size(), "Unrelated1M1S2"); },
         {},
         "check",
         3,
         "\"Cat\xC3\xA9gorie1M1S2\" missing"},
        {"track overflowing",
         [&] { return std::string(sound).insert(trackAt + 20, std::string(300, 'x')); },
         {},
         "check",
         3,
         "offset " + std::to_string(trackAt) + ": \"PisteCourse\" overflowing"},
        {"lf, no reservations",
         [] { return test::Golden("foreign_lf.race"); },
         {},
         "check",
         3,
         "2 damaged sections"},
        {"ranked, finals not generated",
         [] { return test::Golden("../results/qualification.race"); },
         {},
         "check",
         0,
         "sound: 1 categories"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::string file = (folder_.Path() / "case.race").string();
        test::WriteWholeFile(file, c.file());
        fs::permissions(file, fs::perms::owner_read);  // a read-only file is read as well
        std::vector<std::string> args{c.command, file};
        args.insert(args.end(), c.args.begin(), c.args.end());
        ToolRun r = Tool(args);
        EXPECT_EQ(r.status, c.status);
        EXPECT_NE((c.command == "check" ? r.out + r.err : r.err).find(c.said), std::string::npos)
            << r.out << r.err;
        if (c.status != 0) {
            EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 1) << r.err;
        }
        EXPECT_EQ(test::ReadWholeFile(file), c.file());
        fs::permissions(file, fs::perms::owner_all);
    }
    EXPECT_EQ(Tool({"check", (folder_.Path() / "none.race").string()}).status, 3);
}

}  // namespace
}  // namespace velkaro
