#include "event/event_file.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <string>

#include "event/section.h"
#include "event/sections.h"
#include "platform/fake/faulty_disk.h"
#include "tests/event/event_fixtures.h"

namespace velkaro {
namespace {

namespace fs = std::filesystem;
using test::BusyRun;
using test::Fields;
using test::Golden;
using test::HeatTrailer;
using test::Kept;
using test::ReadRun;

EventHeader OneCategory(std::string_view name) {
    EventHeader h;
    h.selectedNode = 10000;
    h.categoryCount = 1;
    h.categories[0] = {Text<56>(name), 2, 0, 0, 1, 1, 0};
    return h;
}

class EventFileTest : public test::EventFolderTest {
  protected:
    // The three writes that record heat `heat` of round 1, as the run control makes them.
    void RecordHeat(const RunCars& cars, int heat) {
        ASSERT_EQ(WriteHeatResult(cars, CarsInUse(cars), HeatTitle(1, 1, heat).View(),
                                  HeatTrailer(), messages_, SystemDisk()),
                  FileOutcome::Done);
        header_.categories[0].qualificationStarted = 1;
        ASSERT_EQ(WriteEventHeader(header_, SystemDisk()), FileOutcome::Done);
        flags_.flags[0][HeatFlagIndex(1, heat)] = RunHoldsResult(cars) ? 1 : 0;
        ASSERT_EQ(WriteRunDoneFlags(flags_, messages_, SystemDisk()), FileOutcome::Done);
    }

    EventHeader header_ = OneCategory("CATEGORY 1");
    RunDoneFlags flags_;
};

TEST_F(EventFileTest, NewEventFileIsTheGoldenByteForByte) {
    SetWorkingCopy("an older event");
    ASSERT_EQ(CreateNewEventFile("CATEGORY 1", SystemDisk()), FileOutcome::Done);
    EXPECT_EQ(WorkingCopy(), Golden("new_event.race"));
    // Nothing is left beside it: no journal, no copy in progress.
    EXPECT_EQ(
        std::distance(fs::directory_iterator(folder_.Path() / "Private"), fs::directory_iterator()),
        1);
}

TEST_F(EventFileTest, LoadingAndSavingCopyWholeFilesAndAFailedCopyChangesNothing) {
    SetWorkingCopy(Golden("new_event.race"));
    test::WriteWholeFile(folder_.Path() / "Spring Cup.race", Golden("heat_recorded.race"));
    // Its heat's category has neither participants nor arrangement: it is loaded as it is.
    messages_.Expect(MessageAnswer::Yes);
    ASSERT_EQ(CopyIntoWorkingCopy("Spring Cup.race", messages_, SystemDisk()), FileOutcome::Done);
    EXPECT_EQ(WorkingCopy(), Golden("heat_recorded.race"));
    messages_.Expect(MessageAnswer::Ok);
    EXPECT_EQ(CopyIntoWorkingCopy("Nowhere.race", messages_, SystemDisk()),
              FileOutcome::Unavailable);
    EXPECT_EQ(WorkingCopy(), Golden("heat_recorded.race"));

    FaultyDisk disk(SystemDisk());
    disk.full = true;
    disk.writeProtected = {"Autumn Cup.race"};
    test::WriteWholeFile(folder_.Path() / "Autumn Cup.race", Golden("new_event.race"));
    messages_.Expect(MessageAnswer::Ok);
    messages_.Expect(MessageAnswer::Ok);
    EXPECT_EQ(CopyIntoWorkingCopy("Autumn Cup.race", messages_, disk), FileOutcome::Unavailable);
    EXPECT_EQ(SaveWorkingCopyAs("Autumn Cup.race", messages_, disk), FileOutcome::Unavailable);
    EXPECT_EQ(Fields(messages_.shown[2].text.rfind("Error: The disk is full: ", 0),
                     messages_.shown[3].text.find("is write-protected.\nThe race is not saved.") <
                         std::string::npos,
                     WorkingCopy() == Golden("heat_recorded.race"),
                     File("Autumn Cup.race") == Golden("new_event.race")),
              "0|1|1|1");

    // A file nobody may write (a user's, made read-only) is only read, damaged as it is.
    messages_.Expect(MessageAnswer::Yes);
    EXPECT_EQ(CopyIntoWorkingCopy("/sys/kernel/uevent_seqnum", messages_, SystemDisk()),
              FileOutcome::Done);
}

TEST_F(EventFileTest, ATwoCarHeatIsRecordedAsTheGoldenAndReadsBack) {
    ASSERT_EQ(CreateNewEventFile("CATEGORY 1", SystemDisk()), FileOutcome::Done);
    RunCars cars = test::TwoCarHeat();
    // B\xC9RANGER Luc has no passing: one cumulative value, whatever lies beyond it.
    cars[1].raceTimes[1] = 777;
    RecordHeat(cars, 1);
    EXPECT_EQ(WorkingCopy(), Golden("heat_recorded.race"));

    const test::StoredRun back = ReadRun(HeatTitle(1, 1, 1).View(), SystemDisk());
    ASSERT_EQ(back.outcome, FileOutcome::Done);
    EXPECT_EQ(Kept(back.cars), Kept(test::TwoCarHeat()));
    EXPECT_EQ(Kept(back.trailer), Kept(HeatTrailer()));
}

TEST_F(EventFileTest, TheConditionIsOnlyReplacedByAThirdField) {
    std::string file = Golden("new_event.race") + "\r\nCat\xE9gorie1M1S1\t\r\n";
    for (int i = 0; i < kCarSlots; ++i)
        file += "(NA)\t0\t0\t1500000000\t0\t1500000000\t1500000000\t\n";
    SetWorkingCopy(file + ".\tno condition here\t\n1\t1\t\n");
    RunCars cars = test::EmptyRun();
    RunTrailer trailer;
    trailer.condition = "Wet";
    ASSERT_EQ(ReadRunResult(HeatTitle(1, 1, 1).View(), cars, trailer, SystemDisk()),
              FileOutcome::Done);
    EXPECT_EQ(Kept(trailer), ".|no condition here|Wet");
}

TEST_F(EventFileTest, RewritingWithTheSameCarCountChangesOnlyTheReservation) {
    SetWorkingCopy(Golden("heat_recorded.race"));
    ASSERT_EQ(WriteHeatResult(BusyRun(3, 5, 1), 3, HeatTitle(1, 1, 2).View(), HeatTrailer(),
                              messages_, SystemDisk()),
              FileOutcome::Done);
    const std::string before = WorkingCopy();
    const std::size_t body = FindSectionIn(before, HeatTitle(1, 1, 1).View()).body;
    const std::size_t reserved = 2 * HeatResultPairs(2) + 2;

    const RunCars changed = BusyRun(2, 9, 7);
    ASSERT_EQ(WriteHeatResult(changed, 2, HeatTitle(1, 1, 1).View(), HeatTrailer(), messages_,
                              SystemDisk()),
              FileOutcome::Done);
    const std::string after = WorkingCopy();
    ASSERT_EQ(after.size(), before.size());
    EXPECT_EQ(after.substr(0, body), before.substr(0, body));
    EXPECT_EQ(after.substr(body + reserved), before.substr(body + reserved));
    EXPECT_EQ(Kept(ReadRun(HeatTitle(1, 1, 1).View(), SystemDisk()).cars), Kept(changed));
}

TEST_F(EventFileTest, AFirstWriteAppendsASecondOverwrites) {
    SetWorkingCopy(Golden("new_event.race"));
    TrackRecord track{{"Spring Cup"}, {"RC Club Nord"}, {"Lille"}, {"12"}};
    ASSERT_EQ(WriteTrack(track, messages_, SystemDisk()), FileOutcome::Done);
    const std::string first = WorkingCopy();
    EXPECT_EQ(first, Golden("new_event.race") + "\r\nPisteCourse\t\r\n" +
                         "Spring Cup\tRC Club Nord\tLille\t12\t\r\n" +
                         Reservation(kTrackPairs).substr(35));
    track.eventName = "Autumn Cup";
    ASSERT_EQ(WriteTrack(track, messages_, SystemDisk()), FileOutcome::Done);
    EXPECT_EQ(WorkingCopy().size(), first.size());
    TrackRecord read;
    ASSERT_EQ(ReadTrack(read, SystemDisk()), FileOutcome::Done);
    EXPECT_EQ(Fields(read.eventName, read.club, read.circuit, read.minLapTime),
              "Autumn Cup|RC Club Nord|Lille|12");
}

TEST_F(EventFileTest, ALineThatReadsLikeATitleNeverCutsItsSectionShort) {
    // A driver named like a heat's section: each unchanged rewrite covers the same bytes.
    const Text<40> named("Cat\xE9gorie1M1S1");
    Participants people{};
    people[0].name = named;
    RunCars cars = BusyRun(3, 5, 1);
    cars[0].driverName = named;
    const SectionTitle final = FinalsRunTitle(1, 0, 'A');
    const struct {
        const char* section;
        std::function<FileOutcome()> write;
    } cases[] = {
        {"participants", [&] { return WriteParticipants(1, people, messages_, SystemDisk()); }},
        {"its own heat",
         [&] {
             return WriteHeatResult(cars, 3, HeatTitle(1, 1, 1).View(), HeatTrailer(), messages_,
                                    SystemDisk());
         }},
        {"a final",
         [&] {
             return WriteFinalsRunResult(cars, 3, final.View(), 1, {}, HeatTrailer(), messages_,
                                         SystemDisk());
         }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.section);
        SetWorkingCopy(Golden("new_event.race"));
        ASSERT_EQ(c.write(), FileOutcome::Done);
        ASSERT_EQ(WriteTrack(TrackRecord{}, messages_, SystemDisk()),
                  FileOutcome::Done);  // a section after it
        const std::string once = WorkingCopy();
        for (int i = 0; i < 4; ++i) ASSERT_EQ(c.write(), FileOutcome::Done);
        const std::string after = WorkingCopy();
        EXPECT_EQ(after.size(), once.size());
        EXPECT_TRUE(after == once);
    }
}

TEST_F(EventFileTest, AHeatGrowingFromTwoToTwelveCarsMovesTheRestIntact) {
    // Recorded with 2 cars, followed by another heat, then recorded again with 12: the file
    // ends exactly as if the heat had had 12 cars from the start.
    auto build = [&](bool twoCarsFirst) {
        ASSERT_EQ(CreateNewEventFile("CATEGORY 1", SystemDisk()), FileOutcome::Done);
        RecordHeat(twoCarsFirst ? test::TwoCarHeat() : BusyRun(12, 60, 3), 1);
        RecordHeat(BusyRun(4, 20, 5), 2);
        if (twoCarsFirst) RecordHeat(BusyRun(12, 60, 3), 1);
    };
    build(false);
    const std::string twelveFromTheStart = WorkingCopy();
    build(true);
    EXPECT_EQ(WorkingCopy(), twelveFromTheStart);
    const test::StoredRun heat2 = ReadRun(HeatTitle(1, 1, 2).View(), SystemDisk());
    EXPECT_EQ(Kept(heat2.cars), Kept(BusyRun(4, 20, 5)));
    EXPECT_EQ(Kept(heat2.trailer), Kept(HeatTrailer()));

    // Recorded again with 12 cars, it stays in place.
    ASSERT_EQ(WriteHeatResult(BusyRun(12, 61, 4), 12, HeatTitle(1, 1, 1).View(), HeatTrailer(),
                              messages_, SystemDisk()),
              FileOutcome::Done);
    EXPECT_EQ(WorkingCopy().size(), twelveFromTheStart.size());
}

TEST_F(EventFileTest, RecordingAFinalMarksItsRelatedRuns) {
    SetWorkingCopy(Golden("new_event.race"));
    const SectionTitle halfA = FinalsRunTitle(1, 1, 'A'), halfB = FinalsRunTitle(1, 1, 'B'),
                       final = FinalsRunTitle(1, 0, 'A');
    EXPECT_EQ(Fields(halfA, final),
              "Cat\xE9gorie1Remont\xE9"
              "es2A|Cat\xE9gorie1Remont\xE9"
              "esFinale");
    auto write = [&](const SectionTitle& title, int seed, std::array<RelatedRun, 2> related) {
        ASSERT_EQ(WriteFinalsRunResult(BusyRun(10, 30, seed), 10, title.View(), 1, related,
                                       HeatTrailer(), messages_, SystemDisk()),
                  FileOutcome::Done);
    };
    write(halfA, 1, {});
    write(halfB, 2, {});
    const std::string before = WorkingCopy();
    write(final, 3, {RelatedRun{halfA.View(), 2}, RelatedRun{halfB.View(), 2}});
    const std::string after = WorkingCopy();

    // The status lines of both half finals now read 2; nothing else of theirs changed.
    std::string expected = before;
    for (const SectionTitle& half : {halfA, halfB}) {
        std::size_t body = FindSectionIn(after, half.View()).body;
        EXPECT_EQ(after.substr(body, 4), "2\t\r\n");
        expected[body] = '2';
    }
    EXPECT_EQ(after.substr(0, before.size()), expected);

    RunCars cars = test::EmptyRun();
    RunTrailer trailer;
    std::int32_t status = 0;
    ASSERT_EQ(ReadFinalsRunResult(final.View(), cars, status, trailer, SystemDisk()),
              FileOutcome::Done);
    EXPECT_EQ(status, 1);
    EXPECT_EQ(Kept(cars), Kept(BusyRun(10, 30, 3)));
    ASSERT_EQ(ReadFinalsRunResult(halfB.View(), cars, status, trailer, SystemDisk()),
              FileOutcome::Done);
    EXPECT_EQ(status, 2);

    // A second related title left empty, or one without a section, changes nothing more.
    write(final, 3, {RelatedRun{FinalsRunTitle(1, 2, 'A').View(), 2}, RelatedRun{}});
    EXPECT_EQ(WorkingCopy(), after);
}

TEST_F(EventFileTest, HeaderOfNineCategoriesStaysInItsReservationAndReadsBack) {
    const std::string fresh = Golden("new_event.race");
    SetWorkingCopy(fresh);
    EventHeader h;
    h.selectedNode = 93990;
    h.categoryCount = kCategories;
    for (int c = 0; c < kCategories; ++c)
        h.categories[c] = {Text<56>(std::string(54, 'A' + c)), 200 - c, c % 2, c % 3, 9, 20, 23};
    ASSERT_EQ(WriteEventHeader(h, SystemDisk()), FileOutcome::Done);
    const std::string written = WorkingCopy();
    EXPECT_EQ(written.size(), fresh.size());
    EXPECT_EQ(written.substr(660), fresh.substr(660));

    // Read back and written again over a new event, line 1 comes out the same.
    EventHeader read;
    ASSERT_EQ(ReadEventHeader(read, SystemDisk()), FileOutcome::Done);
    EXPECT_EQ(Fields(read.selectedNode, read.categoryCount, read.categories[8].name.Length()),
              "93990|9|54");
    SetWorkingCopy(fresh);
    ASSERT_EQ(WriteEventHeader(read, SystemDisk()), FileOutcome::Done);
    EXPECT_EQ(WorkingCopy(), written);

    // Back to one category: the others are cleared on reading, the filler is ignored.
    ASSERT_EQ(WriteEventHeader(OneCategory("SOLO"), SystemDisk()), FileOutcome::Done);
    ASSERT_EQ(ReadEventHeader(read, SystemDisk()), FileOutcome::Done);
    EXPECT_EQ(Fields(read.categoryCount, read.categories[0].name, read.categories[1].name,
                     read.categories[1].participants),
              "1|SOLO||0");
}

TEST_F(EventFileTest, ReadsAFileWithLfLineEndsFromElsewhere) {
    SetWorkingCopy(Golden("foreign_lf.race"));
    EventHeader h;
    ASSERT_EQ(ReadEventHeader(h, SystemDisk()), FileOutcome::Done);
    const CategoryRecord &juniors = h.categories[0], &seniors = h.categories[1];
    EXPECT_EQ(Fields(h.selectedNode, h.categoryCount, juniors.name, juniors.participants,
                     juniors.rounds, seniors.name, seniors.finalsRuns),
              "10203|2|JUNIORS|12|3|SENIORS|0");
    RunDoneFlags flags;
    ASSERT_EQ(ReadRunDoneFlags(flags, SystemDisk()), FileOutcome::Done);
    const auto& f = flags.flags;
    EXPECT_EQ(Fields(f[0][0], f[0][1], f[0][2], f[8][202]), "0|1|1|0");
    ParticipantNames names;
    names[150] = "stale";
    ASSERT_EQ(ReadParticipantNames(1, names, SystemDisk()), FileOutcome::Done);
    // DRIVER 02's line ends in CR LF.
    EXPECT_EQ(Fields(names[0], names[1], names[11], names[12], names[150]),
              "DRIVER 01|DRIVER 02|DRIVER 12||");
    TrackRecord track;
    ASSERT_EQ(ReadTrack(track, SystemDisk()), FileOutcome::Done);
    EXPECT_EQ(Fields(track.circuit, track.minLapTime), "Lille|12");
}

TEST_F(EventFileTest, MissingSectionsLeaveTheirTargetsAlone) {
    SetWorkingCopy(Golden("new_event.race"));
    ParticipantNames names;
    names[0] = "kept";
    EXPECT_EQ(ReadParticipantNames(2, names, SystemDisk()), FileOutcome::NoSection);
    EXPECT_EQ(names[0], "kept");
    RunCars cars = test::TwoCarHeat();
    RunTrailer trailer = HeatTrailer();
    EXPECT_EQ(ReadRunResult(HeatTitle(1, 3, 3).View(), cars, trailer, SystemDisk()),
              FileOutcome::NoSection);
    EXPECT_EQ(Kept(cars) + Kept(trailer), Kept(test::TwoCarHeat()) + Kept(HeatTrailer()));
}

TEST_F(EventFileTest, WithoutTheWorkingCopyEveryOperationFailsSilently) {
    EventHeader h;
    RunDoneFlags flags;
    RunCars cars = test::EmptyRun();
    RunTrailer trailer;
    QualifOptions options;
    options.runMinutes = 42;
    EXPECT_EQ(ReadEventHeader(h, SystemDisk()), FileOutcome::Unavailable);
    EXPECT_EQ(WriteEventHeader(h, SystemDisk()), FileOutcome::Unavailable);
    EXPECT_EQ(WriteRunDoneFlags(flags, messages_, SystemDisk()), FileOutcome::Unavailable);
    EXPECT_EQ(WriteHeatResult(cars, 0, HeatTitle(1, 1, 1).View(), trailer, messages_, SystemDisk()),
              FileOutcome::Unavailable);
    EXPECT_EQ(ReadRunResult(HeatTitle(1, 1, 1).View(), cars, trailer, SystemDisk()),
              FileOutcome::Unavailable);
    EXPECT_EQ(WriteTrack(TrackRecord{}, messages_, SystemDisk()), FileOutcome::Unavailable);
    EXPECT_EQ(ReadQualifOptions(1, options, SystemDisk()), FileOutcome::Unavailable);
    EXPECT_EQ(options.runMinutes, 42);
    EXPECT_FALSE(fs::exists(folder_.Path() / "Private/Course.race"));

    // The caller reports it.
    messages_.Expect(MessageAnswer::Ok);
    EXPECT_FALSE(ReportUnavailable(FileOutcome::Unavailable, messages_));
    EXPECT_TRUE(ReportUnavailable(FileOutcome::NoSection, messages_));
    ASSERT_EQ(messages_.shown.size(), 1u);
    EXPECT_EQ(messages_.shown[0].title + "|" + messages_.shown[0].text,
              "Error|Error: Race file not found");
}

TEST_F(EventFileTest, ATitleThatCannotBeFoundAgainIsReportedAndNothingWritten) {
    SetWorkingCopy(Golden("new_event.race"));
    messages_.Expect(MessageAnswer::Ok);
    messages_.Expect(MessageAnswer::Ok);
    RunCars cars = test::EmptyRun();
    EXPECT_EQ(WriteHeatResult(cars, 0, "", RunTrailer{}, messages_, SystemDisk()),
              FileOutcome::NoSection);
    EXPECT_EQ(WriteFinalsRunResult(cars, 0, "A\tB", 1, {}, RunTrailer{}, messages_, SystemDisk()),
              FileOutcome::NoSection);
    ASSERT_EQ(messages_.shown.size(), 2u);
    EXPECT_EQ(messages_.shown[0].text, "Error: Title of the qualifying heat not found");
    EXPECT_EQ(messages_.shown[1].text, "Error: Title of the finals run not found");
    EXPECT_EQ(WorkingCopy(), Golden("new_event.race"));
}

TEST(RunDoneFlags, IndicesOfHeatsAndFinals) {
    EXPECT_EQ(Fields(HeatFlagIndex(1, 1), HeatFlagIndex(9, 20), FinalsFlagIndex(0, 'A'),
                     FinalsFlagIndex(1, 'A'), FinalsFlagIndex(1, 'B'), FinalsFlagIndex(11, 'B'),
                     kRunDoneFlagCount),
              "0|179|180|181|182|202|1827");
}

TEST(RunHoldsResult, NeedsAUsedCarWithAPassingALapOrATime) {
    RunCars cars = test::EmptyRun();  // unused slots hold 1500000000, but are unused
    EXPECT_FALSE(RunHoldsResult(cars));
    cars[4].driverName = "ZED";
    cars[4].totalTime = cars[4].bestLap = 0;
    EXPECT_FALSE(RunHoldsResult(cars));
    EXPECT_EQ(CarsInUse(cars), 1);
    cars[4].passingCount = 1;
    EXPECT_TRUE(RunHoldsResult(cars));
}

}  // namespace
}  // namespace velkaro
