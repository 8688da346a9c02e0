// A heat from the event file to its stored result: loaded, counted down, timed from the bytes of
// the decoder, ended by its rule, recorded, and read back as it was run.

#include <gtest/gtest.h>

#include "event/event_file.h"
#include "tests/timing/engine_fixture.h"
#include "timing/run_loading.h"

namespace velkaro {
namespace {

using test::Fields;
using test::Kept;
using RunEngineEndToEnd = test::EngineTest;

TEST_F(RunEngineEndToEnd, AHeatIsLoadedTimedEndedRecordedAndReadBack) {
    test::PrepareLapHeats(6, 3, 2, 4, LapsEnd::FinishLap, 3, messages_);
    EventModel model;
    ASSERT_EQ(ReadEventHeader(model.header), FileOutcome::Done);
    EventForRun event;
    event.categoryName = "CAT A";
    ASSERT_TRUE(LoadHeat(engine_, 1, 2, 1, event));
    ASSERT_EQ(PhaseName(engine_.phase), "armed");

    StartAndGo();
    // Cars 1 and 3 cross together at 33 s: car 1 finishes its fourth lap first, so car 3
    // finishes with its third.
    Laps({{0, 3000, 10000}, {1, 4000, 11000}, {2, 5000, 14000}}, 100000);
    ASSERT_EQ(PhaseName(engine_.phase), "over");
    EXPECT_EQ(Fields(RaceMs(), Car(0).laps, Car(1).laps, Car(2).laps, Car(2).totalTime,
                     engine_.tables.rows[0].driverName, engine_.tables.rows[2].driverName),
              "37000|4|4|3|33000|Driver 1|Driver 3");

    ASSERT_TRUE(RecordLoadedRun(engine_, model, messages_));
    const test::StoredRun stored = test::ReadRun("Cat\xE9gorie1M2S1");
    EXPECT_EQ(Kept(stored.cars), Kept(engine_.tables.cars));
    EXPECT_EQ(
        stored.trailer.description,
        "Duration 4 laps - STARTSoundSignal - ENDCompleteCurrentLap - Start 05/12/2026 14:30");
    EventHeader header;
    ASSERT_EQ(ReadEventHeader(header), FileOutcome::Done);
    RunDoneFlags flags;
    ASSERT_EQ(ReadRunDoneFlags(flags), FileOutcome::Done);
    EXPECT_EQ(Fields(header.categories[0].qualificationStarted, flags.flags[0][HeatFlagIndex(2, 1)],
                     flags.flags[0][HeatFlagIndex(1, 1)]),
              "1|1|0");

    // Recording again rewrites the section in place.
    std::string before = test::ReadWholeFile(folder_.Path() / "Private/Course.race");
    ASSERT_TRUE(RecordLoadedRun(engine_, model, messages_));
    EXPECT_EQ(test::ReadWholeFile(folder_.Path() / "Private/Course.race"), before);
    // Once the category's final is recorded, its heats are not.
    model.header.categories[0].finalsState = 2;
    EXPECT_FALSE(RecordLoadedRun(engine_, model, messages_));

    // Selected again, the heat shows what was run.
    const RunCars run = engine_.tables.cars;
    ASSERT_TRUE(LoadHeat(engine_, 1, 2, 1, event));
    EXPECT_EQ(Fields(PhaseName(engine_.phase), engine_.tables.rows[0].driverName), "over|Driver 1");
    EXPECT_EQ(Kept(engine_.tables.cars), Kept(run));
}

}  // namespace
}  // namespace velkaro
