#include "timing/run_loading.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "event/event_file.h"
#include "tests/timing/engine_fixture.h"

namespace velkaro {
namespace {

class RunLoadingTest : public test::EngineTest {
  protected:
    EventForRun Event() const {
        EventForRun e;
        e.categoryName = "CAT A";
        e.eventName = "Spring Cup";
        e.circuitName = "Oval";
        e.minimumLapSeconds = 3;
        e.circuitIndex = 4;
        return e;
    }
    bool Load(int round, int heat, const EventForRun& event) {
        return LoadHeat(engine_, 1, round, heat, event);
    }
    std::vector<std::string> Names() {
        std::vector<std::string> names;
        for (const RunCar& car : engine_.tables.cars) names.emplace_back(car.driverName.View());
        return names;
    }
    void StoreHeat(int round, int heat, const RunCars& cars) {
        RunTrailer trailer;
        trailer.description = "Duration 0:05:00 - x";
        trailer.comment = "fine";
        trailer.condition = "Dry";
        ASSERT_EQ(WriteHeatResult(cars, CarsInUse(cars), HeatTitle(1, round, heat).View(), trailer,
                                  messages_),
                  FileOutcome::Done);
    }
};

TEST_F(RunLoadingTest, TheGridPlacesTheHeatsDriversOnTheirCars) {
    test::PrepareEvent(24, 8, 3, messages_);
    StartingGrids grids;
    ASSERT_EQ(ReadStartingGrids(1, grids), FileOutcome::Done);
    grids.lanes[2] = {3, 1, 2, 4, 5, 6, 7, 8};
    grids.lanes[0] = {1, 0, 9, 4, 5, 6, 7, 8};  // a place never stored, one beyond the heat
    ASSERT_EQ(WriteStartingGrids(1, grids, messages_), FileOutcome::Done);

    ASSERT_TRUE(Load(3, 2, Event()));
    std::vector<std::string> expected{"Driver 11", "Driver 9",  "Driver 10", "Driver 12",
                                      "Driver 13", "Driver 14", "Driver 15", "Driver 16"};
    expected.resize(kCarSlots, "(NA)");
    EXPECT_EQ(Names(), expected);
    EXPECT_EQ(Car(0).transponder, "001011");  // the driver's own
    EXPECT_EQ(Car(8).transponder, "");
    EXPECT_EQ(engine_.tables.carsInUse, 8);
    EXPECT_EQ(engine_.tables.rows[0].driverName, "Driver 11");
    EXPECT_EQ(engine_.runLoaded + engine_.armed + engine_.fresh + engine_.everStarted, 4);
    EXPECT_EQ(engine_.holdsResults, 0);
    EXPECT_EQ(engine_.sectionTitle, "Cat\xE9gorie1M3S2");
    EXPECT_EQ(engine_.nodeCode, 13302);
    EXPECT_EQ(engine_.runTitle, " CAT A - Round3 - Heat2 ");
    EXPECT_EQ(engine_.categoryHeader, "CATEGORY : CAT A");
    EXPECT_EQ(engine_.runHeader, "Qualification : Round3 - Heat2");
    EXPECT_EQ(engine_.eventHeader, "Event : Spring Cup - Oval");
    EXPECT_EQ(engine_.options.minimumLapSeconds, 3);
    EXPECT_EQ(engine_.options.circuitIndex, 4);
    EXPECT_EQ(engine_.options.passingLimit, 150);
    EXPECT_EQ(engine_.clock.duration, "0:01:00");
    EXPECT_EQ(engine_.clock.remaining, "0:00:00");
    EXPECT_EQ(engine_.clock.countdown, "5s");
    EXPECT_TRUE(IsEnabled(engine_.panel, 2208));
    EXPECT_FALSE(IsEnabled(engine_.panel, 2209));

    ASSERT_TRUE(Load(1, 1, Event()));
    expected = {"Driver 1", "(NA)",     "(NA)",     "Driver 4",
                "Driver 5", "Driver 6", "Driver 7", "Driver 8"};
    expected.resize(kCarSlots, "(NA)");
    EXPECT_EQ(Names(), expected);
    EXPECT_FALSE(IsEnabled(engine_.panel, 2202));
}

TEST_F(RunLoadingTest, TheCategorysQualifyingOptionsGovernTheHeat) {
    test::PrepareEvent(10, 10, 1, messages_);
    QualifOptions q;
    q.placing = kByBestLap;
    q.runMinutes = 75;
    q.countdownSeconds = 30;
    q.delayMinutes = 3;
    q.start = kStartStaggered;
    q.endAtTime = kTimeEndAtSignal;
    ASSERT_EQ(WriteQualifOptions(1, q, messages_), FileOutcome::Done);
    ASSERT_TRUE(Load(1, 1, Event()));
    const RunOptions& o = engine_.options;
    EXPECT_EQ(o.classification, kByBestLap);
    EXPECT_EQ(o.durationHours * 100 + o.durationMinutes, 115);
    EXPECT_EQ(o.delayMinutes, 3);
    EXPECT_EQ(o.startMode, kStartStaggered);
    EXPECT_EQ(o.timeEnd, kTimeEndAtSignal);
    EXPECT_EQ(engine_.clock.duration, "1:15:00");
    EXPECT_EQ(engine_.clock.countdown, "30s");

    q.durationKind = kDurationByLaps;
    q.runLaps = 12;
    ASSERT_EQ(WriteQualifOptions(1, q, messages_), FileOutcome::Done);
    ASSERT_TRUE(Load(1, 1, Event()));
    EXPECT_EQ(engine_.clock.duration, "12 laps");
    EXPECT_EQ(engine_.clock.remaining, "");
    EXPECT_EQ(engine_.clock.elapsed, "0:00:00");
}

TEST_F(RunLoadingTest, AStoredHeatWithALapIsShownAndWaitsForClear) {
    test::PrepareEvent(10, 10, 1, messages_);
    RunCars cars;
    for (RunCar& car : cars) car.driverName = kEmptySlotName;
    ResetRunCars(cars);
    StoreHeat(1, 1, cars);  // only "(NA)" and no time: as if never run
    ASSERT_TRUE(Load(1, 1, Event()));
    EXPECT_EQ(engine_.armed + engine_.fresh, 2);
    EXPECT_EQ(engine_.holdsResults, 0);

    cars[0].driverName = "Driver 2";
    cars[1].driverName = "Driver 1";
    ResetRunCars(cars);
    cars[1].passingCount = cars[1].laps = 1;
    cars[1].totalTime = cars[1].raceTimes[1] = cars[1].lapTimes[1] = 4200;
    StoreHeat(1, 1, cars);
    ASSERT_TRUE(Load(1, 1, Event()));
    EXPECT_EQ(engine_.armed + engine_.fresh, 0);
    EXPECT_EQ(engine_.holdsResults, 1);
    EXPECT_EQ(Car(1).totalTime, 4200);
    EXPECT_EQ(Car(1).transponder, "001001");
    EXPECT_EQ(engine_.trailer.comment, "fine");
    EXPECT_EQ(engine_.tables.carsInUse, 2);
    EXPECT_EQ(engine_.tables.rows[0].driverName, "Driver 1");  // the stored order
    EXPECT_EQ(engine_.tables.rows[0].totalTime, "0:04.200");
    StartCommand(engine_);
    EXPECT_EQ(engine_.preStart, 0);
    messages_.Expect(MessageAnswer::Yes);
    ClearCommand(engine_);
    StartCommand(engine_);
    EXPECT_EQ(engine_.preStart, 1);
}

TEST_F(RunLoadingTest, OnceTheFinalIsRecordedAHeatCanOnlyBeLookedAt) {
    test::PrepareEvent(10, 10, 1, messages_);
    EventForRun event = Event();
    event.finalsState = 2;
    ASSERT_TRUE(Load(1, 1, event));
    EXPECT_EQ(engine_.runLoaded + engine_.armed + engine_.fresh + engine_.everStarted, 0);
    EXPECT_FALSE(IsEnabled(engine_.panel, kModifyRunResultsCommand));
    EXPECT_EQ(Car(0).driverName, "Driver 1");
    StartCommand(engine_);
    EXPECT_EQ(engine_.preStart, 0);
    ClearCommand(engine_);  // asks nothing
    ASSERT_TRUE(Load(1, 1, Event()));
    EXPECT_TRUE(IsEnabled(engine_.panel, kModifyRunResultsCommand));
}

TEST_F(RunLoadingTest, MissingSectionsAreReported) {
    messages_.Expect(MessageAnswer::Ok);
    EXPECT_FALSE(Load(1, 1, Event()));
    ASSERT_EQ(CreateNewEventFile("CAT A"), FileOutcome::Done);
    messages_.Expect(MessageAnswer::Ok);
    EXPECT_FALSE(Load(1, 1, Event()));
    EXPECT_EQ(engine_.runLoaded, 0);
    StartCommand(engine_);
    EXPECT_EQ(engine_.preStart, 0);

    ASSERT_EQ(WriteParticipants(1, test::NumberedParticipants(5), messages_), FileOutcome::Done);
    messages_.Expect(MessageAnswer::Ok);
    messages_.Expect(MessageAnswer::Ok);
    EXPECT_TRUE(Load(1, 1, Event()));
    std::vector<std::string> texts;
    for (const FakeMessages::Shown& m : messages_.shown) texts.push_back(m.text);
    EXPECT_EQ(texts,
              (std::vector<std::string>{"Error: Race file not found",
                                        "Error: Title of participants list not found",
                                        "Error: Title of qualification arrangement not found",
                                        "Error: Title of qualification starting grids not found"}));
    EXPECT_EQ(Names(), std::vector<std::string>(kCarSlots, "(NA)"));
    EXPECT_EQ(engine_.armed, 1);
}

TEST_F(RunLoadingTest, PersonalTranspondersComeFromTheLastParticipantOfThatName) {
    RunCars cars;
    cars[0].driverName = "Ann";
    cars[1].driverName = "Bob";
    cars[1].transponder = "000777";
    Participants p{};
    p[0].name = p[5].name = "Ann";
    p[0].transponder = "000001";
    p[5].transponder = "000002";
    p[6].name = "Cid";
    p[6].transponder = "000003";
    AssignPersonalTransponders(cars, p);
    EXPECT_EQ(cars[0].transponder, "000002");
    EXPECT_EQ(cars[1].transponder, "000777");
}

TEST_F(RunLoadingTest, TwoCarsOnOneFrequencyAreARadioConflictExceptOn24Ghz) {
    RunCars cars;
    for (RunCar& car : cars) car.driverName = kEmptySlotName;
    cars[0].driverName = "Ann";
    cars[3].driverName = "Bob";
    cars[4].driverName = "Cid";
    Participants p{};
    p[0].name = "Ann";
    p[1].name = "Bob";
    p[2].name = "Cid";
    p[0].frequencies[0] = p[1].frequencies[0] = "2.4Ghz";
    p[2].frequencies[0] = "27.145";
    EXPECT_EQ(CheckRadioConflict(cars, p), 0);
    p[1].frequencies[0] = "27.145";
    EXPECT_EQ(CheckRadioConflict(cars, p), 1);
    p[2].frequencies[0] = "";
    EXPECT_EQ(CheckRadioConflict(cars, p), 0);

    test::PrepareEvent(4, 4, 1, messages_);
    Participants shared = test::NumberedParticipants(4);
    shared[1].frequencies[0] = shared[3].frequencies[0] = "40.665";
    ASSERT_EQ(WriteParticipants(1, shared, messages_), FileOutcome::Done);
    ASSERT_TRUE(Load(1, 1, Event()));
    EXPECT_EQ(engine_.radioConflict, 1);
}

TEST_F(RunLoadingTest, OnlyHeatNodesNameAHeat) {
    int c = 0, r = 0, h = 0;
    ASSERT_TRUE(HeatOfNode(13302, c, r, h));
    EXPECT_EQ(c * 100 + r * 10 + h, 132);
    ASSERT_TRUE(HeatOfNode(93920, c, r, h));
    EXPECT_EQ(c * 10000 + r * 100 + h, 90920);
    for (int node : {13300, 13100, 13000, 13921, 13950, 13990, 14101, 11001, 1000, 3101}) {
        EXPECT_FALSE(HeatOfNode(node, c, r, h)) << node;
    }
}

}  // namespace
}  // namespace velkaro
