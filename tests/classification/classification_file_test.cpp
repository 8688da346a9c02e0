// The classifications read from and written to the event file: heats missing, cut short or
// damaged, drivers renamed, and the sections written byte for byte.

#include <gtest/gtest.h>

#include "event/section.h"
#include "platform/fake/faulty_disk.h"
#include "qualification/overall_classification.h"
#include "qualification/round_classification.h"
#include "tests/classification/classification_fixture.h"
#include "tests/event/event_fixtures.h"

namespace velkaro {
namespace {

using test::Body;
using test::Order;
using test::SetCategory;

// A category of six, two heats of three a round; round 1's heats as in the worked example.
class ClassificationFile : public test::EventFolderTest {
  protected:
    void SetUp() override {
        EventFolderTest::SetUp();
        test::PrepareTwoHeats(messages_);
    }
    void SetHeader(int started, int finalsState, int participants = 6) {
        SetCategory(started, finalsState, participants);
    }
    void WriteHeat(int round, int heat, const std::vector<test::Car>& cars) {
        test::WriteHeat(round, heat, cars, messages_);
    }
};

TEST_F(ClassificationFile, OneScanFindsWhatEachSearchFinds) {
    // A driver named like heat 2's title stands before it, as a data line.
    test::WriteHeat(1, 1, {{"Cat\xE9gorie1M1S2", 1, 1, 1}, {"B", 1, 1, 1}, {"C", 1, 1, 1}},
                    messages_);
    std::string file = WorkingCopy();
    std::vector<SectionTitle> titles;
    for (int h : {3, 2, 1, 4}) titles.push_back(HeatTitle(1, 1, h));
    titles.push_back(SectionTitle(kTrackTitle));
    std::vector<SectionPosition> all = FindSectionsIn(file, titles);
    ASSERT_EQ(all.size(), titles.size());
    for (std::size_t i = 0; i < titles.size(); ++i) {
        SectionPosition one = FindSectionIn(file, titles[i].View());
        EXPECT_EQ(all[i].found, one.found) << titles[i].View();
        EXPECT_EQ(all[i].body, one.body) << titles[i].View();
    }
}

TEST_F(ClassificationFile, MissingCutAndDamagedHeatsAreToldAndLeftWithoutResult) {
    struct Case {
        const char* what;
        std::string_view from, to;  // a replacement in the working copy
        std::string order;
        int raced;
        std::vector<int> damagedHeatLines;  // heat, lines, first
    };
    std::string heat2 = std::string(HeatTitle(1, 1, 2).View());
    const std::vector<Case> cases{
        {"heat 2 not run", heat2, "Other", "A11 B9 C8 0 0 0 ", 3, {}},
        {"laps not a number", "E\t10\t10\t", "E\t10\tzz\t", "A11 D9 B8 C7 F0 E0 ", 6, {2, 1, 2}},
        {"time past the sentinel",
         "D\t10\t10\t302000",
         "D\t10\t10\t1700000000",
         "A11 B9 E9 C7 F0 D0 ",
         6,
         {2, 1, 1}},
        {"cut short", "F\t0\t0\t0", "", "A11 D9 B8 E8 C6 0 ", 5, {2, 1, 3}},
    };
    std::string original = WorkingCopy();
    for (const Case& c : cases) {
        std::string bytes = original;
        std::size_t at = bytes.rfind(c.from);
        ASSERT_NE(at, std::string::npos) << c.what;
        bytes.replace(at, c.from.size(), c.to);
        if (c.to.empty()) bytes.resize(at);
        SetWorkingCopy(bytes);
        RoundNotes notes;
        RoundSheet s = OpenRoundSheet(1, 1, notes, SystemDisk());
        EXPECT_EQ(Order(s), c.order) << c.what;
        EXPECT_EQ(s.raced, c.raced) << c.what;
        std::vector<int> damaged;
        for (const RoundNotes::Damage& d : notes.damagedHeats) damaged = {d.heat, d.lines, d.first};
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
    ASSERT_EQ(ReadParticipants(1, p), FileOutcome::Done);
    p[4].name = "Eve";
    ASSERT_EQ(WriteParticipants(1, p, messages_), FileOutcome::Done);
    RoundNotes notes;
    OpenRoundSheet(1, 1, notes, SystemDisk());
    EXPECT_EQ(notes.strangers, std::vector<std::string>{"E"});
    // No working copy at all.
    std::filesystem::remove(folder_.Path() / "Private/Course.race");
    RoundNotes none;
    RoundSheet empty = OpenRoundSheet(1, 1, none, SystemDisk());
    EXPECT_TRUE(none.raceFileMissing);
    EXPECT_EQ(empty.raced, 0);
}

TEST_F(ClassificationFile, TheOverallSumsTheStoredRoundsAndStoresTheRanking) {
    SetHeader(1, 0);
    RoundNotes notes;
    ASSERT_EQ(SaveRoundSheet(OpenRoundSheet(1, 1, notes, SystemDisk()), messages_),
              FileOutcome::Done);
    WriteHeat(2, 1, {{"F", 12, 300000, 25000}, {"C", 11, 300000, 26000}, {"B", 1, 1000, 1000}});
    ASSERT_EQ(SaveRoundSheet(OpenRoundSheet(1, 2, notes, SystemDisk()), messages_),
              FileOutcome::Done);
    // A participant added since: the round sections hold six lines and are read no further.
    SetHeader(1, 0, 7);
    Participants p{};
    ASSERT_EQ(ReadParticipants(1, p), FileOutcome::Done);
    p[6].name = "G";
    ASSERT_EQ(WriteParticipants(1, p, messages_), FileOutcome::Done);

    OverallNotes on;
    OverallSheet s = OpenOverallSheet(1, on, SystemDisk());
    EXPECT_TRUE(on.damagedRounds.empty() && on.strangers.empty());
    // Round 1: A11 D9 B8 E8 C6 F0; round 2 (scale 11 2 1...): F11 C9 B8, the others 0.
    auto ranking = [&] {
        std::string out;
        for (int i = 0; i < 7; ++i)
            out += std::string(s.ranked[std::size_t(i)].name.View()) +
                   std::to_string(s.ranked[std::size_t(i)].total) + " ";
        return out;
    };
    EXPECT_EQ(ranking(), "F11 A11 C9 D9 B8 E8 G0 ");
    EXPECT_EQ(NoPointsText(7, s.classified).View(), " 1 drivers have no points ");
    SetBestRounds(s, 2);
    EXPECT_EQ(ranking(), "B16 C15 F11 A11 D9 E8 G0 ");

    std::string before = WorkingCopy();
    ASSERT_EQ(SaveOverallSheet(s, messages_), FileOutcome::Done);
    EXPECT_EQ(Body(OverallClassificationTitle(1).View()).substr(0, 53),
              "CLASSEMENTToursTemps\t2\t\r\nB\t\r\nC\t\r\nF\t\r\nA\t\r\nD\t\r\nE\t\r\nG\t\r\n");
    EventHeader h;
    ASSERT_EQ(ReadEventHeader(h), FileOutcome::Done);
    EXPECT_EQ(h.categories[0].finalsState, 1);
    EXPECT_FALSE(OverallSheetReadOnly(s));

    // A read-only working copy: told, and nothing changes.
    SetWorkingCopy(before);
    FaultyDisk disk(SystemDisk());
    disk.writeProtected.insert("Private/Course.race");
    messages_.Expect(MessageAnswer::Ok);
    EXPECT_EQ(SaveOverallSheet(s, messages_, disk), FileOutcome::Unavailable);
    EXPECT_EQ(messages_.shown.back().text, kRaceFileNotFound);
    EXPECT_EQ(WorkingCopy(), before);
    // No participants: nothing to rank, nothing written.
    SetHeader(1, 0, 0);
    before = WorkingCopy();
    OverallSheet nobody = OpenOverallSheet(1, on, SystemDisk());
    messages_.Expect(MessageAnswer::Ok);
    EXPECT_EQ(SaveOverallSheet(nobody, messages_), FileOutcome::NoSection);
    EXPECT_EQ(WorkingCopy(), before);
    // A stored line with garbage for a number is left out, and the user told.
    SetHeader(1, 0, 7);
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

}  // namespace
}  // namespace velkaro
