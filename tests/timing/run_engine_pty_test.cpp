// A heat timed by the run engine from the decoder simulator, through the real serial port on a
// pseudo-terminal, then recorded in the event and read back.

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <thread>

#include "event/event_file.h"
#include "platform/clock.h"
#include "platform/fake/fake_messages.h"
#include "platform/fake/fake_sound_player.h"
#include "tests/support/sim_process.h"
#include "tests/support/test_support.h"
#include "tests/timing/engine_fixture.h"
#include "timing/run_loading.h"

// Qt last: its "slots" keyword would eat a field of the heat slot list.
#include <QCoreApplication>

#include "platform/qt/qt_serial_port.h"

namespace velkaro {
namespace {

using namespace std::chrono_literals;

QCoreApplication& App() {
    static int argc = 1;
    static char name[] = "run_engine_pty_tests";
    static char* argv[] = {name, nullptr};
    static QCoreApplication app(argc, argv);
    return app;
}

TEST(RunEngineOnAPty, AHeatIsTimedFromTheDecoderAndRecorded) {
    App();
    test::TempFolder folder;
    test::ScopedCurrentFolder here(folder.Path());
    std::filesystem::create_directories(folder.Path() / "Private");
    FakeMessages messages;
    test::FailOnUnexpectedMessages(messages);
    test::PrepareEvent(3, 3, 1, messages);
    QualifOptions q;
    q.durationKind = kDurationByLaps;
    q.runLaps = 3;
    q.endAtLaps = kLapsEndAllLaps;
    q.countdownSeconds = 0;
    ASSERT_EQ(WriteQualifOptions(1, q, messages), FileOutcome::Done);

    test::SimProcess sim(VELKARO_DECODER_SIM,
                         {"--folder", folder.Path().string(), "--port", "9", "--cars", "3",
                          "--lap-mean", "2.2", "--lap-spread", "0", "--pace-spread", "0"});
    ASSERT_TRUE(sim.Started());
    ASSERT_TRUE(sim.WaitFor("type \"help\""));
    QtSerialPort port(folder.Path().string());
    SystemClock clock;
    DecoderLink link;
    link.port = &port;
    link.clock = &clock;
    ASSERT_EQ(DetectDecoder(link, "COM9"), DetectResult::Mk2);
    ASSERT_TRUE(WriteInterfaceSettings(link.settings));

    FakeSoundPlayer sounds;
    RunEngine engine;
    engine.link = &link;
    engine.clockSource = &clock;
    engine.sound = &sounds;
    engine.messages = &messages;
    EventModel model;
    ASSERT_EQ(ReadEventHeader(model.header), FileOutcome::Done);
    EventForRun event;
    event.categoryName = "CAT A";
    ASSERT_TRUE(LoadHeat(engine, 1, 1, 1, event));

    StartCommand(engine);
    test::Deadline end = test::In(20s);
    while ((engine.preStart != 0 || engine.running != 0) && test::Before(end)) {
        OnTimerTick(engine);
        std::this_thread::sleep_for(2ms);
    }
    ASSERT_EQ(engine.everStarted, 1);
    ASSERT_EQ(engine.running, 0);  // every car did its three laps
    ASSERT_TRUE(sim.WaitFor("clock reset"));

    // Timed by the decoder from its reset: a third of a lap to the line, a grid gap between
    // cars, then laps of 2.2 s (over the 2 s minimum).
    for (int slot = 0; slot < 3; ++slot) {
        SCOPED_TRACE(slot);
        const RunCar& car = engine.tables.cars[static_cast<std::size_t>(slot)];
        ASSERT_EQ(car.passingCount, 3);
        EXPECT_GE(car.raceTimes[1], 733 + 250 * slot);
        EXPECT_LE(car.raceTimes[1], 735 + 250 * slot);
        for (int n = 2; n <= 3; ++n) {
            EXPECT_EQ(car.raceTimes[static_cast<std::size_t>(n)] -
                          car.raceTimes[static_cast<std::size_t>(n - 1)],
                      2200);
        }
        EXPECT_EQ(car.bestLap, 2200);
    }

    ASSERT_TRUE(RecordLoadedRun(engine, model, messages));
    RunCars stored;
    RunTrailer trailer;
    ASSERT_EQ(ReadRunResult("Cat\xE9gorie1M1S1", stored, trailer), FileOutcome::Done);
    test::ExpectSameRun(stored, engine.tables.cars);
    EXPECT_EQ(trailer.description, engine.trailer.description);
}

}  // namespace
}  // namespace velkaro
