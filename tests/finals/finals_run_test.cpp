// A finals run loaded into the run engine from the stored ranking, ladder and options, and what
// a missing or damaged section leaves of it.

#include "finals/finals_run.h"

#include <gtest/gtest.h>

#include "event/event_file.h"
#include "finals/ladder.h"
#include "finals/lanes.h"
#include "tests/timing/engine_fixture.h"

namespace velkaro {
namespace {

using test::Fields;

class FinalsRunTest : public test::EngineTest {
  protected:
    // 20 drivers ranked in their numbers' order, finals from the 1/4 with short runs.
    void Prepare(bool withRanking = true) {
        test::PrepareEvent(20, 10, 1, messages_);
        EventHeader h;
        ASSERT_EQ(ReadEventHeader(h, SystemDisk()), FileOutcome::Done);
        h.categories[0].participants = 20;
        h.categories[0].finalsState = 1;
        h.categories[0].finalsRuns = 5;
        ASSERT_EQ(WriteEventHeader(h, SystemDisk()), FileOutcome::Done);
        if (withRanking) {
            OverallClassification overall;
            for (int i = 0; i < 20; ++i) Format(overall.names[std::size_t(i)], "Driver %d", i + 1);
            ASSERT_EQ(WriteOverallClassification(1, 20, overall, messages_, SystemDisk()),
                      FileOutcome::Done);
        }
        FinalsLadder ladder = DefaultFinalsLadder(20);
        ladder.durations = {3, 2, 1, 1, 1};
        ladder.delays = {4, 3, 2, 2};
        ASSERT_EQ(WriteFinalsLadder(1, ladder, messages_, SystemDisk()), FileOutcome::Done);
        FinalsOptions options;
        options.countdownSeconds = 0;
        options.start = StartMode::Staggered;
        ASSERT_EQ(WriteFinalsOptions(1, options, messages_, SystemDisk()), FileOutcome::Done);
    }
    bool Load(int level, char letter) {
        EventForRun e{"CAT A", "Spring Cup", "Oval", 2, kNoCircuit, 1, true};
        return LoadFinalsRun(engine_, 1, level, letter, e, SystemDisk());
    }
    std::string Names() {
        std::string names;
        for (const RunCar& car : engine_.tables.cars) {
            if (car.driverName == kEmptySlotName) break;
            names += Fields(car.driverName) + ",";
        }
        return names;
    }
};

TEST_F(FinalsRunTest, TheLadderAndOptionsGovernTheRun) {
    Prepare();
    ASSERT_TRUE(Load(2, 'A'));
    EXPECT_EQ(Names(), "Driver 15,Driver 17,Driver 19,");
    const RunOptions& o = engine_.options;
    EXPECT_EQ(
        Fields(engine_.runTitle, engine_.runHeader, engine_.sectionTitle, engine_.nodeCode,
               Car(0).transponder, o.durationTotalMinutes, o.delayMinutes, o.passingLimit,
               o.startMode, o.countdownSeconds, PhaseName(engine_.phase), engine_.clock.duration),
        " CAT A - Finals 1/4A |Finals : 1/4A|Cat\xE9gorie1Remont\xE9"
        "es4A|14103|001015|"
        "1|3|300|DEPARTDecale|0|armed|0:01:00");
}

TEST_F(FinalsRunTest, MissingSectionsAreToldAndLoadWhatThereIs) {
    Prepare(false);
    messages_.Expect(MessageAnswer::Ok);
    ASSERT_TRUE(Load(0, 'A'));
    EXPECT_EQ(messages_.shown.back().text,
              "Error: Title of qualification overall classification not found");
    EXPECT_EQ(Fields(Names(), engine_.runTitle, engine_.runHeader, PhaseName(engine_.phase)),
              "| CAT A - Final |Finals : Final|armed");

    // A source run stored only in part moves up what it holds; a damaged ladder places nobody;
    // neither changes the file.
    const std::string cut = "1\t\r\nDriver 17\t1\t1\t9000\t9000\t9000\t0\t9000\t\r\nDriver 15\t";
    ASSERT_EQ(WriteSection(FinalsRunTitle(1, 2, 'A').View(), FinalsRunPairs(2), cut,
                           kFinalsRunTitleNotFound, messages_, SystemDisk()),
              FileOutcome::Done);
    messages_.Expect(MessageAnswer::Ok);  // still no ranking
    ASSERT_TRUE(Load(1, 'A'));
    // The cut line reads on into the reservation's filler ("1" TAB ...): one lap in 1 ms.
    EXPECT_EQ(Fields(Car(6).driverName, Car(7).driverName, Car(8).driverName, Car(9).driverName),
              "(NA)|Driver 15|Driver 17|(NA)");
    ASSERT_EQ(WriteSection(FinalsLadderTitle(1).View(), kFinalsLadderPairs, "x\t-5\t\r\n",
                           kFinalsArrangementTitleNotFound, messages_, SystemDisk()),
              FileOutcome::Done);
    const std::string before = test::ReadWholeFile(folder_.Path() / "Private/Course.race");
    messages_.Expect(MessageAnswer::Ok);
    ASSERT_TRUE(Load(1, 'A'));
    EXPECT_EQ(Names(), "");
    EXPECT_EQ(test::ReadWholeFile(folder_.Path() / "Private/Course.race"), before);

    ASSERT_EQ(CreateNewEventFile("CAT A", SystemDisk()), FileOutcome::Done);
    messages_.Expect(MessageAnswer::Ok);
    EXPECT_FALSE(Load(1, 'B'));
    EXPECT_EQ(messages_.shown.back().text, "Error: Title of participants list not found");
    EXPECT_EQ(PhaseName(engine_.phase), "no run");
    EXPECT_FALSE(Load(12, 'A'));
}

TEST_F(FinalsRunTest, SwappedLanesAreStoredAndResolveARadioConflict) {
    Prepare();
    Participants p = test::NumberedParticipants(20);
    p[14].frequencies[0] = p[18].frequencies[0] = "40.665";  // Driver 15 and Driver 19
    ASSERT_EQ(WriteParticipants(1, p, messages_, SystemDisk()), FileOutcome::Done);
    ASSERT_TRUE(Load(2, 'A'));
    EXPECT_EQ(Fields(engine_.radioConflict, engine_.radioConflicts.at(0)),
              "1|Driver 15 / Driver 19 on 40.665");

    // Driver 19 (1/4A, lane 3) trades places with Driver 16 (1/4B, lane 1).
    EXPECT_EQ(SwapFinalsLanes(engine_, 1, 2, 'A', 3, 'B', 1, messages_, SystemDisk()),
              LaneSwap::Swapped);
    FinalsGrids grids;
    ASSERT_EQ(ReadFinalsGrids(1, grids, SystemDisk()), FileOutcome::Done);
    EXPECT_EQ(
        Fields(grids.levels[2][2], grids.levels[2][20], grids.levels[2][0], grids.levels[1][0]),
        "21|3|1|0");
    ASSERT_TRUE(Load(2, 'A'));
    EXPECT_EQ(Fields(Names(), engine_.radioConflict, engine_.radioConflicts.size()),
              "Driver 15,Driver 17,Driver 16,|0|0");
    ASSERT_TRUE(Load(2, 'B'));
    EXPECT_EQ(Names(), "Driver 19,Driver 18,Driver 20,");

    // A run already run keeps its lanes, and so does the run beside it; nothing is written.
    ASSERT_EQ(WriteSection(FinalsRunTitle(1, 2, 'B').View(), FinalsRunPairs(1), "1\t\r\n",
                           kFinalsRunTitleNotFound, messages_, SystemDisk()),
              FileOutcome::Done);
    const std::string before = test::ReadWholeFile(folder_.Path() / "Private/Course.race");
    messages_.Expect(MessageAnswer::Ok);
    EXPECT_EQ(SwapFinalsLanes(engine_, 1, 2, 'A', 1, 'B', 2, messages_, SystemDisk()),
              LaneSwap::Refused);
    EXPECT_EQ(messages_.shown.back().text,
              "Finals 1/4B has already been run: its lanes can no longer be swapped.");
    EXPECT_EQ(test::ReadWholeFile(folder_.Path() / "Private/Course.race"), before);
    // The Final has no B run; a damaged line of lanes is the ladder's order.
    EXPECT_EQ(SwapFinalsLanes(engine_, 1, 0, 'A', 1, 'B', 1, messages_, SystemDisk()),
              LaneSwap::Refused);
    grids.levels[1] = LevelLanes{2, 2};
    EXPECT_EQ(LanesInForce(grids.levels[1], 1), LanesInForce({}, 1));
}

}  // namespace
}  // namespace velkaro
