// A heat from the event file to its stored result: loaded, counted down, timed from the bytes of
// the decoder, ended by its rule, recorded, and read back as it was run.

#include <gtest/gtest.h>

#include "event/event_file.h"
#include "finals/finals_run.h"
#include "platform/fake/faulty_disk.h"
#include "tests/timing/engine_fixture.h"
#include "timing/run_loading.h"

namespace velkaro {
namespace {

using test::Fields;
using test::Kept;

class RunEngineEndToEnd : public test::EngineTest {
  protected:
    // Heat 1 of round 2, four laps ended by the first car home, loaded armed: `ready` before
    // its start.
    template <typename Ready>
    void RunHeat(Ready ready) {
        test::PrepareLapHeats(6, 3, 2, 4, LapsEnd::FinishLap, 3, messages_);
        ASSERT_EQ(ReadEventHeader(model.header, SystemDisk()), FileOutcome::Done);
        ASSERT_TRUE(LoadHeat(engine_, 1, 2, 1, event, SystemDisk()));
        ASSERT_EQ(PhaseName(engine_.phase), "armed");
        ready();
        StartAndGo();
        // Cars 1 and 3 cross together at 33 s: car 1 finishes its fourth lap first, so car 3
        // finishes with its third.
        Laps({{0, 3000, 10000}, {1, 4000, 11000}, {2, 5000, 14000}}, 100000);
        ASSERT_EQ(PhaseName(engine_.phase), "over");  // ended by its rule, inside the tick
    }
    EventModel model;
    EventForRun event{"CAT A", {}, {}};
};

TEST_F(RunEngineEndToEnd, AHeatIsLoadedTimedEndedRecordedAndReadBack) {
    RunHeat([] {});
    EXPECT_EQ(Fields(RaceMs(), Car(0).laps, Car(1).laps, Car(2).laps, Car(2).totalTime,
                     engine_.tables.rows[0].driverName, engine_.tables.rows[2].driverName),
              "37000|4|4|3|33000|Driver 1|Driver 3");

    ASSERT_TRUE(RecordLoadedRun(engine_, model, messages_, SystemDisk()));
    const test::StoredRun stored = test::ReadRun("Cat\xE9gorie1M2S1", SystemDisk());
    EXPECT_EQ(Kept(stored.cars), Kept(engine_.tables.cars));
    EXPECT_EQ(
        stored.trailer.description,
        "Duration 4 laps - STARTSoundSignal - ENDCompleteCurrentLap - Start 05/12/2026 14:30");
    EventHeader header;
    ASSERT_EQ(ReadEventHeader(header, SystemDisk()), FileOutcome::Done);
    RunDoneFlags flags;
    ASSERT_EQ(ReadRunDoneFlags(flags, SystemDisk()), FileOutcome::Done);
    EXPECT_EQ(Fields(header.categories[0].qualificationStarted, flags.flags[0][HeatFlagIndex(2, 1)],
                     flags.flags[0][HeatFlagIndex(1, 1)]),
              "1|1|0");

    // Recording again rewrites the section in place.
    std::string before = test::ReadWholeFile(folder_.Path() / "Private/Course.race");
    ASSERT_TRUE(RecordLoadedRun(engine_, model, messages_, SystemDisk()));
    EXPECT_EQ(test::ReadWholeFile(folder_.Path() / "Private/Course.race"), before);
    // Once the category's final is recorded, its heats are not.
    model.header.categories[0].finalsState = 2;
    EXPECT_FALSE(RecordLoadedRun(engine_, model, messages_, SystemDisk()));

    // Selected again, the heat shows what was run.
    const RunCars run = engine_.tables.cars;
    ASSERT_TRUE(LoadHeat(engine_, 1, 2, 1, event, SystemDisk()));
    EXPECT_EQ(Fields(PhaseName(engine_.phase), engine_.tables.rows[0].driverName), "over|Driver 1");
    EXPECT_EQ(Kept(engine_.tables.cars), Kept(run));
}

TEST_F(RunEngineEndToEnd, AHeatIsRecordedTheMomentItEndsOrHeldUntilTheDiskTakesIt) {
    for (bool full : {false, true}) {
        SCOPED_TRACE(full ? "full disk" : "disk with room");
        FaultyDisk disk(SystemDisk());
        disk.full = full;
        std::uint32_t notices = 0;
        RunHeat([&] {
            engine_.runEnded = [&](RunEngine& e) { RecordEndedRun(e, model, disk); };
            notices = engine_.notices.posted;
        });

        RunDoneFlags flags;
        ASSERT_EQ(ReadRunDoneFlags(flags, SystemDisk()), FileOutcome::Done);
        EXPECT_EQ(flags.flags[0][HeatFlagIndex(2, 1)], full ? 0 : 1);
        EXPECT_EQ(engine_.notices.posted - notices, full ? 1u : 0u);
        if (full) {
            EXPECT_EQ(NoticeAt(engine_.notices, 0).text,
                      "Result of Heat 1 not yet written: the disk is full");
            StopCommand(engine_);  // still full: held, told again
            EXPECT_EQ(engine_.notices.posted - notices, 2u);
            disk.full = false;  // room again: the next Stop writes what was held
            StopCommand(engine_);
            EXPECT_FALSE(engine_.resultHeld);
        }
        EXPECT_EQ(Kept(test::ReadRun("Cat\xE9gorie1M2S1", SystemDisk()).cars),
                  Kept(engine_.tables.cars));
        engine_.runEnded = nullptr;
    }
}

}  // namespace
}  // namespace velkaro
