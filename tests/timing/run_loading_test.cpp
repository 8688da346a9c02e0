#include "timing/run_loading.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "event/event_file.h"
#include "tests/timing/engine_fixture.h"

namespace velkaro {
namespace {

using test::Fields;

class RunLoadingTest : public test::EngineTest {
  protected:
    bool Load(int round, int heat, std::int32_t finalsState = 0) {
        EventForRun e{"CAT A", "Spring Cup", "Oval", 3, 4, finalsState, true};
        return LoadHeat(engine_, 1, round, heat, e, SystemDisk());
    }
    std::string Names(int count) {
        std::string names;
        for (int i = 0; i < count; ++i) names += Fields(engine_.tables.cars[i].driverName) + ",";
        return names;
    }
    std::string State() { return Fields(PhaseName(engine_.phase), engine_.holdsResults); }
};

TEST_F(RunLoadingTest, TheGridPlacesTheHeatsDriversOnTheirCars) {
    test::PrepareEvent(24, 8, 3, messages_);
    StartingGrids grids;
    ASSERT_EQ(ReadStartingGrids(1, grids, SystemDisk()), FileOutcome::Done);
    grids.lanes[2] = {3, 1, 2, 4, 5, 6, 7, 8};
    grids.lanes[0] = {1, 0, 9, 4, 5, 6, 7, 8};  // a place never stored, one beyond the heat
    ASSERT_EQ(WriteStartingGrids(1, grids, messages_, SystemDisk()), FileOutcome::Done);

    ASSERT_TRUE(Load(3, 2));
    EXPECT_EQ(Names(9),
              "Driver 11,Driver 9,Driver 10,Driver 12,Driver 13,Driver 14,Driver 15,Driver 16,"
              "(NA),");
    EXPECT_EQ(Fields(Car(0).transponder, Car(8).transponder, engine_.tables.carsInUse,
                     engine_.tables.rows[0].driverName, State()),
              "001011||8|Driver 11|armed|0");
    EXPECT_EQ(Fields(engine_.sectionTitle, engine_.nodeCode, engine_.runTitle,
                     engine_.categoryHeader, engine_.runHeader, engine_.eventHeader),
              "Cat\xE9gorie1M3S2|13302| CAT A - Round3 - Heat2 |CATEGORY : CAT A|"
              "Qualification : Round3 - Heat2|Event : Spring Cup - Oval");
    const RunOptions& o = engine_.options;
    EXPECT_EQ(Fields(o.minimumLapSeconds, o.circuitIndex, o.passingLimit, engine_.clock.duration,
                     engine_.clock.remaining, engine_.clock.countdown),
              "3|4|150|0:01:00|0:00:00|5s");
    EXPECT_EQ(Fields(IsEnabled(engine_.panel, 2208), IsEnabled(engine_.panel, 2209)), "1|0");

    ASSERT_TRUE(Load(1, 1));
    EXPECT_EQ(Names(9), "Driver 1,(NA),(NA),Driver 4,Driver 5,Driver 6,Driver 7,Driver 8,(NA),");
    EXPECT_FALSE(IsEnabled(engine_.panel, 2202));
}

TEST_F(RunLoadingTest, TheCategorysQualifyingOptionsGovernTheHeat) {
    test::PrepareEvent(10, 10, 1, messages_);
    QualifOptions q;
    q.placing = Classification::ByBestLap;
    q.runMinutes = 75;
    q.countdownSeconds = 30;
    q.delayMinutes = 3;
    q.start = StartMode::Staggered;
    q.endAtTime = TimeEnd::AtSignal;
    ASSERT_EQ(WriteQualifOptions(1, q, messages_, SystemDisk()), FileOutcome::Done);
    ASSERT_TRUE(Load(1, 1));
    const RunOptions& o = engine_.options;
    EXPECT_EQ(Fields(o.classification, o.durationHours, o.durationMinutes, o.delayMinutes,
                     o.startMode, o.timeEnd, engine_.clock.duration, engine_.clock.countdown),
              "CLASSEMENTMeilleurTour|1|15|3|DEPARTDecale|FINTEMPSSignalSonore|1:15:00|30s");

    q.durationKind = DurationKind::ByLaps;
    q.runLaps = 12;
    ASSERT_EQ(WriteQualifOptions(1, q, messages_, SystemDisk()), FileOutcome::Done);
    ASSERT_TRUE(Load(1, 1));
    EXPECT_EQ(Fields(engine_.clock.duration, engine_.clock.remaining, engine_.clock.elapsed),
              "12 laps||0:00:00");
}

TEST_F(RunLoadingTest, AStoredEmptyHeatLoadsArmedOneWithALapIsShownAndWaitsForClear) {
    test::PrepareEvent(10, 10, 1, messages_);
    RunCars cars = test::EmptyRun();  // only "(NA)" and no time: as if never run
    RunTrailer trailer = test::HeatTrailer();
    auto store = [&] {
        ASSERT_EQ(WriteHeatResult(cars, CarsInUse(cars), HeatTitle(1, 1, 1).View(), trailer,
                                  messages_, SystemDisk()),
                  FileOutcome::Done);
    };
    store();
    ASSERT_TRUE(Load(1, 1));
    EXPECT_EQ(State(), "armed|0");

    cars[0].driverName = "Driver 2";
    cars[1].driverName = "Driver 1";
    ResetRunCars(cars);
    cars[1].passingCount = cars[1].laps = 1;
    cars[1].totalTime = cars[1].raceTimes[1] = cars[1].lapTimes[1] = 4200;
    trailer.comment = "fine";
    store();
    ASSERT_TRUE(Load(1, 1));
    // The stored order, and the driver's own transponder.
    EXPECT_EQ(Fields(State(), Car(1).totalTime, Car(1).transponder, engine_.trailer.comment,
                     engine_.tables.carsInUse, engine_.tables.rows[0].driverName,
                     engine_.tables.rows[0].totalTime),
              "over|1|4200|001001|fine|2|Driver 1|0:04.200");
    StartCommand(engine_);
    EXPECT_EQ(PhaseName(engine_.phase), "over");
    messages_.Expect(MessageAnswer::Yes);
    ClearCommand(engine_);
    StartCommand(engine_);
    EXPECT_EQ(PhaseName(engine_.phase), "countdown");
}

TEST_F(RunLoadingTest, OnceTheFinalIsRecordedAHeatCanOnlyBeLookedAt) {
    test::PrepareEvent(10, 10, 1, messages_);
    ASSERT_TRUE(Load(1, 1, 2));
    EXPECT_EQ(
        Fields(State(), IsEnabled(engine_.panel, CommandId::ModifyRunResults), Car(0).driverName),
        "no run|0|0|Driver 1");
    StartCommand(engine_);
    EXPECT_FALSE(RunInProgress(engine_.phase));
    ClearCommand(engine_);  // asks nothing
    ASSERT_TRUE(Load(1, 1));
    EXPECT_TRUE(IsEnabled(engine_.panel, CommandId::ModifyRunResults));
    // Unloaded, as after "New event": nothing left of the heat.
    UnloadRun(engine_);
    EXPECT_EQ(Fields(State(), engine_.runTitle, Car(0).driverName, engine_.tables.carsInUse),
              "no run|0||(NA)|0");
}

TEST_F(RunLoadingTest, MissingSectionsAreReported) {
    messages_.Expect(MessageAnswer::Ok);
    EXPECT_FALSE(Load(1, 1));
    ASSERT_EQ(CreateNewEventFile("CAT A", SystemDisk()), FileOutcome::Done);
    messages_.Expect(MessageAnswer::Ok);
    EXPECT_FALSE(Load(1, 1));
    StartCommand(engine_);
    EXPECT_EQ(PhaseName(engine_.phase), "no run");

    ASSERT_EQ(WriteParticipants(1, test::NumberedParticipants(5), messages_, SystemDisk()),
              FileOutcome::Done);
    messages_.Expect(MessageAnswer::Ok);
    messages_.Expect(MessageAnswer::Ok);
    EXPECT_TRUE(Load(1, 1));
    std::vector<std::string> texts;
    for (const FakeMessages::Shown& m : messages_.shown) texts.push_back(m.text);
    EXPECT_EQ(texts,
              (std::vector<std::string>{"Error: Race file not found",
                                        "Error: Title of participants list not found",
                                        "Error: Title of qualification arrangement not found",
                                        "Error: Title of qualification starting grids not found"}));
    EXPECT_EQ(Fields(Names(2), engine_.tables.carsInUse, PhaseName(engine_.phase)),
              "(NA),(NA),|0|armed");
}

TEST_F(RunLoadingTest, PersonalTranspondersAndRadioConflicts) {
    RunCars cars = test::EmptyRun();
    cars[0].driverName = "Ann";
    cars[3].driverName = "Bob";
    cars[3].transponder = "000777";
    cars[4].driverName = "Cid";
    Participants p{};
    p[0].name = p[5].name = "Ann";  // the last participant of that name wins
    p[0].transponder = "000001";
    p[5].transponder = "000002";
    AssignPersonalTransponders(cars, p);
    // A car without a participant of its name keeps its own.
    EXPECT_EQ(Fields(cars[0].transponder, cars[3].transponder), "000002|000777");

    p[1].name = "Bob";
    p[2].name = "Cid";

    // One first frequency for two cars is a conflict, except "2.4Ghz"; empty ones never are.
    p[0].frequencies[0] = p[5].frequencies[0] = p[1].frequencies[0] = "2.4Ghz";
    p[2].frequencies[0] = "27.145";
    EXPECT_EQ(CheckRadioConflict(cars, p), 0);
    p[1].frequencies[0] = "27.145";
    EXPECT_EQ(CheckRadioConflict(cars, p), 1);
    p[2].frequencies[0] = p[1].frequencies[0] = "";
    EXPECT_EQ(CheckRadioConflict(cars, p), 0);

    test::PrepareEvent(4, 4, 1, messages_);
    Participants shared = test::NumberedParticipants(4);
    shared[1].frequencies[0] = shared[3].frequencies[0] = "40.665";
    ASSERT_EQ(WriteParticipants(1, shared, messages_, SystemDisk()), FileOutcome::Done);
    ASSERT_TRUE(Load(1, 1));
    EXPECT_EQ(engine_.radioConflict, 1);
}

}  // namespace
}  // namespace velkaro
