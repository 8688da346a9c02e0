#include "event/event_file.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "event/section.h"
#include "event/sections.h"
#include "tests/event/event_fixtures.h"
#include "tests/support/test_support.h"

namespace velkaro {
namespace {

namespace fs = std::filesystem;

class EventFileTest : public test::EventFolderTest {
  protected:
    // The three writes that record a heat, as the run control makes them.
    void RecordHeat(const RunCars& cars, int round, int heat, const RunTrailer& trailer,
                    EventHeader& header, RunDoneFlags& flags) {
        ASSERT_EQ(WriteHeatResult(cars, CarsInUse(cars), HeatTitle(1, round, heat).View(), trailer,
                                  messages_),
                  FileOutcome::Done);
        header.categories[0].qualificationStarted = 1;
        ASSERT_EQ(WriteEventHeader(header), FileOutcome::Done);
        flags.flags[0][static_cast<std::size_t>(HeatFlagIndex(round, heat))] =
            RunHoldsResult(cars) ? 1 : 0;
        ASSERT_EQ(WriteRunDoneFlags(flags, messages_), FileOutcome::Done);
    }
};

EventHeader OneCategory(std::string_view name) {
    EventHeader h;
    h.selectedNode = 10000;
    h.categoryCount = 1;
    h.categories[0].name = name;
    return h;
}

TEST_F(EventFileTest, NewEventFileIsTheGoldenByteForByte) {
    SetWorkingCopy("an older event");
    ASSERT_EQ(CreateNewEventFile("CATEGORY 1"), FileOutcome::Done);
    EXPECT_EQ(WorkingCopy(), test::Golden("new_event.race"));
    // Nothing is left beside it: no journal, no copy in progress.
    EXPECT_EQ(
        std::distance(fs::directory_iterator(folder_.Path() / "Private"), fs::directory_iterator()),
        1);
}

TEST_F(EventFileTest, LoadingAnEventCopiesItWhole) {
    SetWorkingCopy(test::Golden("new_event.race"));
    test::WriteWholeFile(folder_.Path() / "Spring Cup.race", test::Golden("heat_recorded.race"));
    ASSERT_EQ(CopyIntoWorkingCopy("Spring Cup.race"), FileOutcome::Done);
    EXPECT_EQ(WorkingCopy(), test::Golden("heat_recorded.race"));
    EXPECT_EQ(CopyIntoWorkingCopy("Nowhere.race"), FileOutcome::Unavailable);
    EXPECT_EQ(WorkingCopy(), test::Golden("heat_recorded.race"));
}

TEST_F(EventFileTest, RecordingATwoCarHeatGivesTheGolden) {
    ASSERT_EQ(CreateNewEventFile("CATEGORY 1"), FileOutcome::Done);
    EventHeader header = OneCategory("CATEGORY 1");
    header.categories[0].participants = 2;
    header.categories[0].rounds = 1;
    header.categories[0].heatsPerRound = 1;
    RunDoneFlags flags;
    RunCars cars = test::TwoCarHeat();
    // B\xC9RANGER Luc has no passing: one cumulative value, whatever lies beyond it.
    cars[1].raceTimes[1] = 777;
    RecordHeat(cars, 1, 1, test::HeatTrailer(), header, flags);
    EXPECT_EQ(WorkingCopy(), test::Golden("heat_recorded.race"));
}

TEST_F(EventFileTest, StoredHeatReadsBack) {
    SetWorkingCopy(test::Golden("heat_recorded.race"));
    RunCars cars = test::EmptyRun();
    RunTrailer trailer;
    trailer.condition = "Wet";
    ASSERT_EQ(ReadRunResult(HeatTitle(1, 1, 1).View(), cars, trailer), FileOutcome::Done);
    const RunCars expected = test::TwoCarHeat();
    for (int i = 0; i < kCarSlots; ++i) {
        const RunCar& a = cars[static_cast<std::size_t>(i)];
        const RunCar& e = expected[static_cast<std::size_t>(i)];
        SCOPED_TRACE(i);
        EXPECT_EQ(a.driverName, e.driverName);
        EXPECT_EQ(a.passingCount, e.passingCount);
        EXPECT_EQ(a.laps, e.laps);
        EXPECT_EQ(a.totalTime, e.totalTime);
        EXPECT_EQ(a.bestLap, e.bestLap);
        EXPECT_EQ(a.lapTimes[static_cast<std::size_t>(a.passingCount)],
                  e.lapTimes[static_cast<std::size_t>(e.passingCount)]);
        for (int p = 0; p <= e.passingCount; ++p) {
            EXPECT_EQ(a.raceTimes[static_cast<std::size_t>(p)],
                      e.raceTimes[static_cast<std::size_t>(p)]);
        }
    }
    EXPECT_EQ(trailer.description, test::HeatTrailer().description);
    EXPECT_EQ(trailer.comment, "Track damp at start");
    EXPECT_EQ(trailer.condition, "Dry");
}

TEST_F(EventFileTest, TheConditionIsOnlyReplacedByAThirdField) {
    std::string heat = test::Golden("new_event.race") + "\r\nCat\xE9gorie1M1S1\t\r\n";
    for (int i = 0; i < kCarSlots; ++i)
        heat += "(NA)\t0\t0\t1500000000\t0\t1500000000\t1500000000\t\n";
    SetWorkingCopy(heat + ".\tno condition here\t\n1\t1\t\n");
    RunCars cars = test::EmptyRun();
    RunTrailer trailer;
    trailer.condition = "Wet";
    ASSERT_EQ(ReadRunResult(HeatTitle(1, 1, 1).View(), cars, trailer), FileOutcome::Done);
    EXPECT_EQ(trailer.description, ".");
    EXPECT_EQ(trailer.comment, "no condition here");
    EXPECT_EQ(trailer.condition, "Wet");
}

TEST_F(EventFileTest, RewritingWithTheSameCarCountChangesOnlyTheReservation) {
    SetWorkingCopy(test::Golden("heat_recorded.race"));
    ASSERT_EQ(WriteHeatResult(test::BusyRun(3, 5, 1), 3, HeatTitle(1, 1, 2).View(),
                              test::HeatTrailer(), messages_),
              FileOutcome::Done);
    const std::string before = WorkingCopy();
    const std::size_t body = FindSectionIn(before, HeatTitle(1, 1, 1).View()).body;
    const std::size_t reserved = 2 * HeatResultPairs(2) + 2;

    RunCars changed = test::BusyRun(2, 9, 7);
    ASSERT_EQ(
        WriteHeatResult(changed, 2, HeatTitle(1, 1, 1).View(), test::HeatTrailer(), messages_),
        FileOutcome::Done);
    const std::string after = WorkingCopy();
    ASSERT_EQ(after.size(), before.size());
    EXPECT_EQ(after.substr(0, body), before.substr(0, body));
    EXPECT_EQ(after.substr(body + reserved), before.substr(body + reserved));
    EXPECT_NE(after.substr(body, reserved), before.substr(body, reserved));
    RunCars read = test::EmptyRun();
    RunTrailer trailer;
    ASSERT_EQ(ReadRunResult(HeatTitle(1, 1, 1).View(), read, trailer), FileOutcome::Done);
    EXPECT_EQ(read[1].driverName, changed[1].driverName);
    EXPECT_EQ(read[1].raceTimes[9], changed[1].raceTimes[9]);
}

TEST_F(EventFileTest, AFirstWriteAppendsASecondOverwrites) {
    SetWorkingCopy(test::Golden("new_event.race"));
    TrackRecord track;
    track.eventName = "Spring Cup";
    track.club = "RC Club Nord";
    track.circuit = "Lille";
    track.minLapTime = "12";
    ASSERT_EQ(WriteTrack(track, messages_), FileOutcome::Done);
    const std::string first = WorkingCopy();
    EXPECT_EQ(first, test::Golden("new_event.race") + "\r\nPisteCourse\t\r\n" +
                         "Spring Cup\tRC Club Nord\tLille\t12\t\r\n" +
                         Reservation(kTrackPairs).substr(35));
    track.eventName = "Autumn Cup";
    ASSERT_EQ(WriteTrack(track, messages_), FileOutcome::Done);
    const std::string second = WorkingCopy();
    EXPECT_EQ(second.size(), first.size());
    TrackRecord read;
    ASSERT_EQ(ReadTrack(read), FileOutcome::Done);
    EXPECT_EQ(read.eventName, "Autumn Cup");
    EXPECT_EQ(read.minLapTime, "12");
}

TEST_F(EventFileTest, AHeatGrowingFromTwoToTwelveCarsMovesTheRestIntact) {
    // Recorded with 2 cars, followed by another heat, then recorded again with 12: the file
    // ends exactly as if the heat had had 12 cars from the start.
    auto build = [&](bool twoCarsFirst) {
        ASSERT_EQ(CreateNewEventFile("CATEGORY 1"), FileOutcome::Done);
        EventHeader header = OneCategory("CATEGORY 1");
        RunDoneFlags flags;
        if (twoCarsFirst)
            RecordHeat(test::TwoCarHeat(), 1, 1, test::HeatTrailer(), header, flags);
        else
            RecordHeat(test::BusyRun(12, 60, 3), 1, 1, test::HeatTrailer(), header, flags);
        RecordHeat(test::BusyRun(4, 20, 5), 1, 2, test::HeatTrailer(), header, flags);
        if (twoCarsFirst)
            RecordHeat(test::BusyRun(12, 60, 3), 1, 1, test::HeatTrailer(), header, flags);
    };
    build(false);
    const std::string twelveFromTheStart = WorkingCopy();
    build(true);
    const std::string grown = WorkingCopy();
    EXPECT_EQ(grown, twelveFromTheStart);

    RunCars heat2 = test::EmptyRun();
    RunTrailer trailer;
    ASSERT_EQ(ReadRunResult(HeatTitle(1, 1, 2).View(), heat2, trailer), FileOutcome::Done);
    EXPECT_EQ(heat2[3].driverName, test::BusyRun(4, 20, 5)[3].driverName);
    EXPECT_EQ(heat2[3].raceTimes[20], test::BusyRun(4, 20, 5)[3].raceTimes[20]);
    EXPECT_EQ(trailer.comment, "Track damp at start");

    // Recorded again with 12 cars, it stays in place.
    ASSERT_EQ(WriteHeatResult(test::BusyRun(12, 61, 4), 12, HeatTitle(1, 1, 1).View(),
                              test::HeatTrailer(), messages_),
              FileOutcome::Done);
    EXPECT_EQ(WorkingCopy().size(), grown.size());
}

TEST_F(EventFileTest, RecordingAFinalMarksItsRelatedRuns) {
    SetWorkingCopy(test::Golden("new_event.race"));
    const SectionTitle halfA = FinalsRunTitle(1, 1, 'A'), halfB = FinalsRunTitle(1, 1, 'B'),
                       final = FinalsRunTitle(1, 0, 'A');
    EXPECT_EQ(halfA,
              "Cat\xE9gorie1Remont\xE9"
              "es2A");
    EXPECT_EQ(final,
              "Cat\xE9gorie1Remont\xE9"
              "esFinale");
    const std::array<RelatedRun, 2> none{};
    ASSERT_EQ(WriteFinalsRunResult(test::BusyRun(10, 30, 1), 10, halfA.View(), 1, none,
                                   test::HeatTrailer(), messages_),
              FileOutcome::Done);
    ASSERT_EQ(WriteFinalsRunResult(test::BusyRun(10, 30, 2), 10, halfB.View(), 1, none,
                                   test::HeatTrailer(), messages_),
              FileOutcome::Done);
    const std::string before = WorkingCopy();
    ASSERT_EQ(WriteFinalsRunResult(test::BusyRun(10, 40, 3), 10, final.View(), 1,
                                   {RelatedRun{halfA.View(), 2}, RelatedRun{halfB.View(), 2}},
                                   test::HeatTrailer(), messages_),
              FileOutcome::Done);
    const std::string after = WorkingCopy();

    // The status lines of both half finals now read 2; nothing else of theirs changed.
    std::size_t a = FindSectionIn(after, halfA.View()).body;
    std::size_t b = FindSectionIn(after, halfB.View()).body;
    EXPECT_EQ(after.substr(a, 4), "2\t\r\n");
    EXPECT_EQ(after.substr(b, 4), "2\t\r\n");
    std::string expected = before;
    expected[a] = '2';
    expected[b] = '2';
    EXPECT_EQ(after.substr(0, before.size()), expected);

    RunCars cars = test::EmptyRun();
    RunTrailer trailer;
    std::int32_t status = 0;
    ASSERT_EQ(ReadFinalsRunResult(final.View(), cars, status, trailer), FileOutcome::Done);
    EXPECT_EQ(status, 1);
    EXPECT_EQ(cars[9].raceTimes[40], test::BusyRun(10, 40, 3)[9].raceTimes[40]);
    ASSERT_EQ(ReadFinalsRunResult(halfB.View(), cars, status, trailer), FileOutcome::Done);
    EXPECT_EQ(status, 2);

    // A second related title left empty, or one without a section, changes nothing more.
    ASSERT_EQ(WriteFinalsRunResult(test::BusyRun(10, 40, 3), 10, final.View(), 1,
                                   {RelatedRun{FinalsRunTitle(1, 2, 'A').View(), 2}, RelatedRun{}},
                                   test::HeatTrailer(), messages_),
              FileOutcome::Done);
    EXPECT_EQ(WorkingCopy(), after);
}

TEST_F(EventFileTest, HeaderOfNineCategoriesReadsBack) {
    SetWorkingCopy(test::Golden("new_event.race"));
    EventHeader h;
    h.selectedNode = 93990;
    h.categoryCount = kCategories;
    for (int c = 0; c < kCategories; ++c) {
        CategoryRecord& r = h.categories[static_cast<std::size_t>(c)];
        r.name = std::string(54, static_cast<char>('A' + c));
        r.participants = 200 - c;
        r.qualificationStarted = c % 2;
        r.finalsState = c % 3;
        r.rounds = 9;
        r.heatsPerRound = 20;
        r.finalsRuns = 23;
    }
    ASSERT_EQ(WriteEventHeader(h), FileOutcome::Done);
    std::string file = WorkingCopy();
    EXPECT_EQ(file.size(), test::Golden("new_event.race").size());
    EXPECT_EQ(file.substr(660), test::Golden("new_event.race").substr(660));

    EventHeader read;
    read.categories[0].name = "stale";
    ASSERT_EQ(ReadEventHeader(read), FileOutcome::Done);
    EXPECT_EQ(read.selectedNode, 93990);
    ASSERT_EQ(read.categoryCount, 9);
    for (int c = 0; c < kCategories; ++c) {
        const CategoryRecord& r = read.categories[static_cast<std::size_t>(c)];
        SCOPED_TRACE(c);
        EXPECT_EQ(r.name.View(), std::string(54, static_cast<char>('A' + c)));
        EXPECT_EQ(r.participants, 200 - c);
        EXPECT_EQ(r.qualificationStarted, c % 2);
        EXPECT_EQ(r.finalsState, c % 3);
        EXPECT_EQ(r.rounds, 9);
        EXPECT_EQ(r.heatsPerRound, 20);
        EXPECT_EQ(r.finalsRuns, 23);
    }

    // Back to one category: the others are cleared on reading, the filler is ignored.
    ASSERT_EQ(WriteEventHeader(OneCategory("SOLO")), FileOutcome::Done);
    ASSERT_EQ(ReadEventHeader(read), FileOutcome::Done);
    EXPECT_EQ(read.categoryCount, 1);
    EXPECT_EQ(read.categories[0].name, "SOLO");
    EXPECT_EQ(read.categories[1].name, "");
    EXPECT_EQ(read.categories[1].participants, 0);
}

TEST_F(EventFileTest, ReadsAFileWithLfLineEndsFromElsewhere) {
    SetWorkingCopy(test::Golden("foreign_lf.race"));
    EventHeader h;
    ASSERT_EQ(ReadEventHeader(h), FileOutcome::Done);
    EXPECT_EQ(h.selectedNode, 10203);
    ASSERT_EQ(h.categoryCount, 2);
    EXPECT_EQ(h.categories[0].name, "JUNIORS");
    EXPECT_EQ(h.categories[0].participants, 12);
    EXPECT_EQ(h.categories[0].rounds, 3);
    EXPECT_EQ(h.categories[1].name, "SENIORS");
    EXPECT_EQ(h.categories[1].finalsRuns, 0);

    RunDoneFlags flags;
    ASSERT_EQ(ReadRunDoneFlags(flags), FileOutcome::Done);
    EXPECT_EQ(flags.flags[0][0], 0);
    EXPECT_EQ(flags.flags[0][1], 1);
    EXPECT_EQ(flags.flags[0][2], 1);
    EXPECT_EQ(flags.flags[8][202], 0);

    ParticipantNames names;
    names[150] = "stale";
    ASSERT_EQ(ReadParticipantNames(1, names), FileOutcome::Done);
    EXPECT_EQ(names[0], "DRIVER 01");
    EXPECT_EQ(names[1], "DRIVER 02");  // its line ends in CR LF
    EXPECT_EQ(names[11], "DRIVER 12");
    EXPECT_EQ(names[12], "");
    EXPECT_EQ(names[150], "");

    TrackRecord track;
    ASSERT_EQ(ReadTrack(track), FileOutcome::Done);
    EXPECT_EQ(track.circuit, "Lille");
    EXPECT_EQ(ParseInt(track.minLapTime.View()), 12);
}

TEST_F(EventFileTest, MissingSectionsLeaveTheirTargetsAlone) {
    SetWorkingCopy(test::Golden("new_event.race"));
    ParticipantNames names;
    names[0] = "kept";
    EXPECT_EQ(ReadParticipantNames(2, names), FileOutcome::NoSection);
    EXPECT_EQ(names[0], "kept");
    RunCars cars = test::TwoCarHeat();
    RunTrailer trailer = test::HeatTrailer();
    EXPECT_EQ(ReadRunResult(HeatTitle(1, 3, 3).View(), cars, trailer), FileOutcome::NoSection);
    EXPECT_EQ(cars[0].driverName, "ALPHA Anne");
    EXPECT_EQ(trailer.comment, "Track damp at start");
}

TEST_F(EventFileTest, WithoutTheWorkingCopyEveryOperationFails) {
    EventHeader h;
    RunDoneFlags flags;
    RunCars cars = test::EmptyRun();
    RunTrailer trailer;
    EXPECT_EQ(ReadEventHeader(h), FileOutcome::Unavailable);
    EXPECT_EQ(WriteEventHeader(h), FileOutcome::Unavailable);
    EXPECT_EQ(WriteRunDoneFlags(flags, messages_), FileOutcome::Unavailable);
    EXPECT_EQ(WriteHeatResult(cars, 0, HeatTitle(1, 1, 1).View(), trailer, messages_),
              FileOutcome::Unavailable);
    EXPECT_EQ(ReadRunResult(HeatTitle(1, 1, 1).View(), cars, trailer), FileOutcome::Unavailable);
    EXPECT_FALSE(fs::exists(folder_.Path() / "Private/Course.race"));

    messages_.Expect(MessageAnswer::Ok);
    EXPECT_FALSE(ReportUnavailable(FileOutcome::Unavailable, messages_));
    EXPECT_TRUE(ReportUnavailable(FileOutcome::NoSection, messages_));
    ASSERT_EQ(messages_.shown.size(), 1u);
    EXPECT_EQ(messages_.shown[0].title, "Error");
    EXPECT_EQ(messages_.shown[0].text, "Error: Race file not found");
}

TEST_F(EventFileTest, ATitleThatCannotBeFoundAgainIsReportedAndNothingWritten) {
    SetWorkingCopy(test::Golden("new_event.race"));
    messages_.Expect(MessageAnswer::Ok);
    messages_.Expect(MessageAnswer::Ok);
    RunCars cars = test::EmptyRun();
    EXPECT_EQ(WriteHeatResult(cars, 0, "", RunTrailer{}, messages_), FileOutcome::NoSection);
    EXPECT_EQ(WriteFinalsRunResult(cars, 0, "A\tB", 1, {}, RunTrailer{}, messages_),
              FileOutcome::NoSection);
    ASSERT_EQ(messages_.shown.size(), 2u);
    EXPECT_EQ(messages_.shown[0].text, "Error: Title of the qualifying heat not found");
    EXPECT_EQ(messages_.shown[1].text, "Error: Title of the finals run not found");
    EXPECT_EQ(WorkingCopy(), test::Golden("new_event.race"));
}

TEST(RunDoneFlags, IndicesOfHeatsAndFinals) {
    EXPECT_EQ(HeatFlagIndex(1, 1), 0);
    EXPECT_EQ(HeatFlagIndex(9, 20), 179);
    EXPECT_EQ(FinalsFlagIndex(0, 'A'), 180);
    EXPECT_EQ(FinalsFlagIndex(1, 'A'), 181);
    EXPECT_EQ(FinalsFlagIndex(1, 'B'), 182);
    EXPECT_EQ(FinalsFlagIndex(11, 'B'), 202);
    EXPECT_EQ(kRunDoneFlagCount, 1827);
}

TEST(RunHoldsResult, NeedsAUsedCarWithAPassingALapOrATime) {
    RunCars cars = test::EmptyRun();  // unused slots hold 1500000000, but are unused
    EXPECT_FALSE(RunHoldsResult(cars));
    cars[4].driverName = "ZED";
    cars[4].totalTime = 0;
    cars[4].bestLap = 0;
    EXPECT_FALSE(RunHoldsResult(cars));
    EXPECT_EQ(CarsInUse(cars), 1);
    cars[4].passingCount = 1;
    EXPECT_TRUE(RunHoldsResult(cars));
    EXPECT_TRUE(RunHoldsResult(test::TwoCarHeat()));
}

}  // namespace
}  // namespace velkaro
