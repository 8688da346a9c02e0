// The decoder link over the real serial port, with the decoder simulator on a pseudo-terminal;
// then a heat timed by the run engine from it, recorded in the event and read back.

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <map>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "event/event_file.h"
#include "platform/clock.h"
#include "tests/support/sim_process.h"
#include "tests/timing/engine_fixture.h"
#include "timing/decoder_link.h"
#include "timing/run_loading.h"
#include "tools/decoder-sim/record_file.h"

// Qt last: its "slots" keyword would eat a field of the heat slot list.
#include <QCoreApplication>

#include "platform/qt/qt_serial_port.h"

namespace velkaro {
namespace {

using test::Fields;
using test::SimProcess;
using namespace std::chrono_literals;

QCoreApplication& App() {
    static int argc = 1;
    static char name[] = "timing_pty_tests";
    static char* argv[] = {name, nullptr};
    static QCoreApplication app(argc, argv);
    return app;
}

// A passing as the simulator logs it: "... transponder 001001 ... time 1234 ms  kept".
std::optional<std::string> Logged(const std::string& line, const std::string& outcome) {
    std::size_t t = line.find("transponder "), time = line.find("time "), ms = line.find(" ms  ");
    if (t == std::string::npos || time == std::string::npos || ms == std::string::npos ||
        line.substr(ms + 5) != outcome) {
        return std::nullopt;
    }
    return line.substr(t + 12, 6) + "@" + std::to_string(std::stoll(line.substr(time + 5)));
}

std::string Text(const Passing& p) {
    return std::string(p.transponder.View()) + "@" + std::to_string(p.timeMs);
}

// Ticks that move only when told, and the machine's real counter: link supervision in
// milliseconds of test time while its 100 ms waits on the decoder stay real.
class SteppedClock final : public Clock {
  public:
    std::uint32_t TickMs() override { return tick; }
    std::int64_t Counter() override { return real_.Counter(); }
    std::int64_t Frequency() override { return real_.Frequency(); }
    LocalDateTime Now() override { return real_.Now(); }
    std::uint32_t tick = 1000;

  private:
    SystemClock real_;
};

class DecoderOnAPty : public ::testing::Test {
  protected:
    void SetUp() override {
        App();
        link.port = &port;
        link.clock = &clock;
        link.disk = &SystemDisk();
    }
    // The simulator on port COM<port>, lapping without spread, ready for commands.
    std::unique_ptr<SimProcess> Simulator(int comPort, std::vector<std::string> options) {
        std::vector<std::string> args{
            "--folder", folder.Path().string(), "--port", std::to_string(comPort), "--lap-spread",
            "0",        "--pace-spread",        "0"};
        args.insert(args.end(), options.begin(), options.end());
        auto sim = std::make_unique<SimProcess>(VELKARO_DECODER_SIM, args);
        EXPECT_TRUE(sim->WaitFor("type \"help\""));
        return sim;
    }
    // Polls every few milliseconds until done() or the time limit.
    template <typename Done>
    void PollUntil(Done done, std::chrono::milliseconds limit = 20s,
                   std::chrono::milliseconds every = 2ms) {
        for (test::Deadline end = test::In(limit); !done() && test::Before(end);) {
            PollDecoder(link, [this](const Passing& p) { passings.push_back(p); });
            std::this_thread::sleep_for(every);
        }
    }
    // The passings the simulator logged with that outcome ("sent", "kept"), and those decoded.
    std::vector<std::string> LoggedBy(SimProcess& sim, const std::string& outcome) {
        std::vector<std::string> logged;
        for (const std::string& line : sim.Lines()) {
            if (auto p = Logged(line, outcome)) logged.push_back(*p);
        }
        return logged;
    }
    std::vector<std::string> Decoded() const {
        std::vector<std::string> decoded;
        for (const Passing& p : passings) decoded.push_back(Text(p));
        return decoded;
    }
    std::map<std::string, std::vector<std::int64_t>> ByTransponder() const {
        std::map<std::string, std::vector<std::int64_t>> times;
        for (const Passing& p : passings)
            times[std::string(p.transponder.View())].push_back(p.timeMs);
        return times;
    }
    bool EachHas(std::size_t cars, std::size_t count) const {
        auto times = ByTransponder();
        if (times.size() < cars) return false;
        for (const auto& [t, list] : times) {
            if (list.size() < count) return false;
        }
        return true;
    }
    // Lets ms pass on the stepped clock and supervises the link during a run.
    void Tick(std::uint32_t ms) {
        clock.tick += ms;
        SuperviseLink(link, notices, true, [this](const Passing& p) { passings.push_back(p); });
    }
    bool ZeroClock() {
        for (int attempt = 0; attempt < 100; ++attempt) {
            if (SyncDecoderClock(link)) return true;
        }
        return false;
    }

    test::TempFolder folder;
    test::ScopedCurrentFolder here{folder.Path()};
    QtSerialPort port{folder.Path().string()};
    SteppedClock clock;
    DecoderLink link;
    std::vector<Passing> passings;
    NoticeLog notices;
};

TEST_F(DecoderOnAPty, AnMk2IsDetectedItsClockZeroedAndItsPassingsDecodedAsSent) {
    const std::string recordFile = folder / "out.rec";
    auto sim = Simulator(5, {"--cars", "3", "--lap-mean", "0.4", "--record", recordFile});
    ASSERT_EQ(DetectDecoder(link, "COM5"), DetectResult::Mk2);
    EXPECT_TRUE(sim->WaitFor("presence query answered"));
    ASSERT_TRUE(ZeroClock());
    ASSERT_TRUE(sim->WaitFor("clock reset"));
    PollUntil([this] { return EachHas(3, 3); });
    ASSERT_TRUE(EachHas(3, 3));

    // The frames the simulator recorded as it sent them decode to the same passings. (Their
    // times from the zeroed clock are checked with the run engine below.)
    sim::Record record;
    std::string error;
    ASSERT_TRUE(sim::ParseRecord(test::ReadWholeFile(recordFile), &record, &error)) << error;
    std::vector<std::string> recorded, decoded = Decoded();
    for (const sim::RecordBurst& b : record.bursts) {
        DecodeMk2Passings(b.bytes.data(), static_cast<int>(b.bytes.size()), 0, clock,
                          [&recorded](const Passing& p) { recorded.push_back(Text(p)); });
    }
    ASSERT_GE(recorded.size(), decoded.size());
    recorded.resize(decoded.size());
    EXPECT_EQ(recorded, decoded);
}

TEST_F(DecoderOnAPty, ADroppedLinkIsLostThenRestoredWithTheKeptPassings) {
    const auto settingsFile = folder.Path() / "R\xC3\xA9glagesInterface2.rg";
    auto sim = Simulator(6, {"--cars", "2", "--lap-mean", "0.3"});
    ASSERT_EQ(DetectDecoder(link, "COM6"), DetectResult::Mk2);
    ASSERT_TRUE(WriteInterfaceSettings(link.settings, SystemDisk()));
    ASSERT_TRUE(ZeroClock());

    Tick(0);
    ASSERT_EQ(link.state.watchdogOn, 1);
    Tick(401);
    EXPECT_EQ(link.state.missedWrites, 0);
    EXPECT_TRUE(sim->WaitFor("keep-alives from the program"));

    sim->Send("drop");
    ASSERT_TRUE(sim->WaitFor("link dropped"));
    Tick(401);
    EXPECT_EQ(link.state.missedWrites, 1);
    Tick(401);
    ASSERT_EQ(link.state.restoring, 1);
    EXPECT_FALSE(port.IsOpen());
    EXPECT_EQ(test::ReadWholeFile(settingsFile), "COM6\t0\tVelkaro\r\n");

    ASSERT_TRUE(sim->WaitFor("  kept"));  // the cars go on while nobody listens
    sim->Send("restore");
    ASSERT_TRUE(sim->WaitFor("link restored"));
    for (int attempt = 0; attempt < 5 && link.state.restoring == 1; ++attempt) Tick(4501);
    ASSERT_EQ(link.state.restoring, 0);
    ASSERT_GT(NoticeCount(notices), 0u);
    EXPECT_NE(NoticeAt(notices, 0).text.View().find("Connection of the decoder MK2 restored at "),
              std::string::npos);
    EXPECT_EQ(test::ReadWholeFile(settingsFile), "COM6\t1\tVelkaroMK2\r\n");

    // Exactly what the decoder kept, with its own times.
    std::optional<std::string> flushed = sim->WaitFor("kept passings sent");
    ASSERT_TRUE(flushed);
    std::vector<std::string> kept;
    for (const std::string& line : sim->Lines()) {
        if (line == *flushed) break;
        if (auto k = Logged(line, "kept")) kept.push_back(*k);
    }
    ASSERT_FALSE(kept.empty());
    EXPECT_EQ(Decoded(), kept);

    // Supervised again from the next tick.
    Tick(1);
    Tick(401);
    EXPECT_EQ(link.state.missedWrites, 0);
    EXPECT_TRUE(sim->WaitFor("keep-alives from the program"));
}

// 20 cars from a decoder at 9600 baud behind an adapter that cuts its bytes into pieces of 1 to
// 24, polled every 10 ms as the program's tick does: most reads end inside a frame.
TEST_F(DecoderOnAPty, AtLineSpeedInAdapterPiecesNoPassingIsLostLiveOrInARestoration) {
    auto sim =
        Simulator(10, {"--line-speed", "9600", "--chunk", "1-24", "--cars", "20", "--lap-mean",
                       "0.4", "--stagger", "0.02", "--laps", "6", "--seed", "11"});
    ASSERT_EQ(DetectDecoder(link, "COM10"), DetectResult::Mk2);
    ASSERT_TRUE(WriteInterfaceSettings(link.settings, SystemDisk()));
    ASSERT_TRUE(ZeroClock());  // the cars leave the grid
    PollUntil([this] { return passings.size() >= 120; }, 30s, 10ms);
    EXPECT_EQ(Decoded(), LoggedBy(*sim, "sent"));
    ASSERT_EQ(passings.size(), 120u);

    // The race again while the link is down: the decoder keeps it and sends it on restoration,
    // its answer and the first passings in the restoration's reads, the rest in the polls.
    passings.clear();
    Tick(0);
    sim->Send("drop");
    ASSERT_TRUE(sim->WaitFor("link dropped"));
    Tick(401);
    Tick(401);
    sim->Send("go");
    for (int kept = 0; kept < 120; ++kept) ASSERT_TRUE(sim->WaitFor("  kept"));
    sim->Send("restore");
    ASSERT_TRUE(sim->WaitFor("link restored"));
    Tick(4501);
    ASSERT_EQ(link.state.restoring, 0);
    PollUntil([this] { return passings.size() >= 120; }, 10s, 10ms);
    EXPECT_EQ(Decoded(), LoggedBy(*sim, "kept"));
    EXPECT_EQ(passings.size(), 120u);
}

TEST_F(DecoderOnAPty, AnMk1IsTakenForOneAndTimedByThePc) {
    auto sim = Simulator(7, {"--model", "mk1", "--cars", "2", "--lap-mean", "0.3"});
    ASSERT_EQ(DetectDecoder(link, "COM7"), DetectResult::Mk1);
    EXPECT_TRUE(sim->WaitFor("an MK1 ignores it"));
    ASSERT_EQ(DetectDecoder(link, "COM7"), DetectResult::Mk1);  // the port opens again
    ASSERT_TRUE(SyncDecoderClock(link));

    sim->Send("car 2");
    PollUntil([this] { return !passings.empty(); });
    ASSERT_EQ(passings.size(), 1u);
    EXPECT_EQ(passings[0].transponder, "001002");
    EXPECT_GE(passings[0].timeMs, 0);

    // Dated by this machine as read: laps of 300 ms, give or take the polling.
    passings.clear();
    sim->Send("go");
    PollUntil([this] { return EachHas(2, 2); });
    ASSERT_TRUE(EachHas(2, 2));
    for (const auto& [transponder, list] : ByTransponder()) {
        EXPECT_GT(list[1] - list[0], 150) << transponder;
        EXPECT_LT(list[1] - list[0], 650) << transponder;
    }
}

TEST_F(DecoderOnAPty, ARecordIsReplayedFromTheClockReset) {
    auto sim = Simulator(8, {"--replay", VELKARO_TEST_DATA "/timing/replay.rec"});
    ASSERT_EQ(DetectDecoder(link, "COM8"), DetectResult::Mk2);  // the record's model
    ASSERT_TRUE(ZeroClock());
    PollUntil([this] { return passings.size() >= 3; }, 10s);
    ASSERT_EQ(passings.size(), 3u);
    EXPECT_EQ(Fields(Text(passings[0]), Text(passings[1]), Text(passings[2])),
              "001001@1000|001002@1005|001001@13500");
}

// A lap heat of three cars from the simulator on COM<port>, run until its rules end it.
class HeatFromTheSimulator : public DecoderOnAPty {
  protected:
    void Run(int comPort, int laps, std::vector<std::string> simOptions) {
        test::FailOnUnexpectedMessages(messages);
        std::filesystem::create_directories(folder.Path() / "Private");
        test::PrepareLapHeats(3, 3, 1, laps, LapsEnd::AllLaps, 0, messages);
        edit(folder.Path() / "Private/Course.race");
        simOptions.insert(simOptions.begin(), {"--cars", "3", "--lap-mean", "2.2"});
        sim = Simulator(comPort, simOptions);
        link.clock = &realClock;
        link.disk = &SystemDisk();
        ASSERT_EQ(DetectDecoder(link, "COM" + std::to_string(comPort)), DetectResult::Mk2);
        ASSERT_TRUE(WriteInterfaceSettings(link.settings, SystemDisk()));
        engine.link = &link;
        engine.clockSource = &realClock;
        engine.sound = &sounds;
        engine.disk = &SystemDisk();
        engine.messages = &messages;
        EventForRun event;
        event.categoryName = "CAT A";
        ASSERT_TRUE(LoadHeat(engine, 1, 1, 1, event, SystemDisk()));
        StartCommand(engine);
        for (test::Deadline end = test::In(20s);
             RunInProgress(engine.phase) && test::Before(end);) {
            OnTimerTick(engine);
            std::this_thread::sleep_for(2ms);
        }
    }
    // Every car did its laps of 2.2 s. The one across a restart is dated at the passing's
    // arrival, the run's clock at the clock reset's: it is off by the difference of their
    // latencies on the line, a few ms.
    void ExpectEveryLapCounted(int laps, int offBy) {
        EXPECT_EQ(PhaseName(engine.phase), "over");
        std::int32_t furthest = 0;
        for (int slot = 0; slot < 3; ++slot) {
            SCOPED_TRACE(slot);
            const RunCar& car = engine.tables.cars[slot];
            ASSERT_EQ(car.passingCount, laps);
            for (int k = 2; k <= laps; ++k) {
                EXPECT_NEAR(car.lapTimes[k], 2200, offBy) << k;
                EXPECT_EQ(car.raceTimes[k] - car.raceTimes[k - 1], car.lapTimes[k]) << k;
                furthest = std::max(furthest, std::abs(car.lapTimes[k] - 2200));
            }
        }
        std::printf("laps of 2200 ms timed, the furthest off by %d ms\n", furthest);
    }

    std::function<void(const std::filesystem::path&)> edit = [](const auto&) {};
    FakeMessages messages;
    SystemClock realClock;  // the engine's ticks are real here
    FakeSoundPlayer sounds;
    RunEngine engine;
    std::unique_ptr<SimProcess> sim;
};

TEST_F(HeatFromTheSimulator, ARunEngineHeatIsTimedFromTheDecoderAndRecorded) {
    Run(9, 3, {});
    ASSERT_EQ(PhaseName(engine.phase), "over");  // every car did its laps
    ASSERT_TRUE(sim->WaitFor("clock reset"));
    // Timed by the decoder from its reset: a third of a lap to the line, a grid gap between
    // cars, then laps of 2.2 s (over the 2 s minimum).
    for (int slot = 0; slot < 3; ++slot) {
        SCOPED_TRACE(slot);
        const RunCar& car = engine.tables.cars[slot];
        ASSERT_EQ(car.passingCount, 3);
        EXPECT_GE(car.raceTimes[1], 733 + 250 * slot);
        EXPECT_LE(car.raceTimes[1], 735 + 250 * slot);
        EXPECT_EQ(Fields(car.raceTimes[2] - car.raceTimes[1], car.raceTimes[3] - car.raceTimes[2],
                         car.bestLap),
                  "2200|2200|2200");
    }
    EventModel model;
    ASSERT_EQ(ReadEventHeader(model.header, SystemDisk()), FileOutcome::Done);
    ASSERT_TRUE(RecordLoadedRun(engine, model, messages, SystemDisk()));
    const test::StoredRun stored = test::ReadRun("Cat\xE9gorie1M1S1", SystemDisk());
    EXPECT_EQ(test::Kept(stored.cars), test::Kept(engine.tables.cars));
    EXPECT_EQ(stored.trailer.description, engine.trailer.description);
}

// Participants typed with four digits, as a club writes them: the decoder's six-digit numbers
// are theirs all the same.
TEST_F(HeatFromTheSimulator, DriversWithFourDigitTranspondersCountTheirLaps) {
    edit = [](const std::filesystem::path& file) {
        std::string bytes = test::ReadWholeFile(file);
        for (const char* t : {"001001", "001002", "001003"}) {
            std::size_t at = bytes.find(std::string("\t") + t + "\t");
            ASSERT_NE(at, std::string::npos) << t;
            bytes.replace(at + 1, 6, t + 2);
        }
        test::WriteWholeFile(file, bytes);
    };
    Run(10, 3, {});
    EXPECT_EQ(engine.tables.cars[0].transponder, "001001");
    ExpectEveryLapCounted(3, 0);
}

// The decoder restarts 4 s into the run, its clock from 0: no car loses race time, no lap is
// rejected, and the director is told once.
TEST_F(HeatFromTheSimulator, ADecoderThatRestartsMidRunLosesNoRaceTime) {
    Run(11, 4, {"--reboot-at", "4"});
    ASSERT_TRUE(sim->WaitFor("reboot: the decoder clock starts again from 0"));
    ExpectEveryLapCounted(4, 30);
    ASSERT_EQ(NoticeCount(engine.notices), 1u);
    EXPECT_NE(NoticeAt(engine.notices, 0).text.View().find("clock went back"),
              std::string_view::npos);
}

}  // namespace
}  // namespace velkaro
