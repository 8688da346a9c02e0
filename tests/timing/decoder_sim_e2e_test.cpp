// The decoder link over the real serial port, with the decoder simulator on a pseudo-terminal.

#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QCoreApplication>
#include <chrono>
#include <map>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "platform/clock.h"
#include "platform/fake/fake_messages.h"
#include "platform/qt/qt_serial_port.h"
#include "tests/support/sim_process.h"
#include "tests/support/test_support.h"
#include "timing/decoder_link.h"
#include "tools/decoder-sim/record_file.h"

namespace velkaro {
namespace {

using test::Before;
using test::Deadline;
using test::In;
using test::SimProcess;
using namespace std::chrono_literals;

QCoreApplication& App() {
    static int argc = 1;
    static char name[] = "timing_pty_tests";
    static char* argv[] = {name, nullptr};
    static QCoreApplication app(argc, argv);
    return app;
}

// What the simulator says it did with a passing: "... transponder 001001 ... time 1234 ms  sent".
struct Logged {
    std::string transponder;
    std::int64_t timeMs = 0;
    std::string what;
};

std::optional<Logged> ParseLogged(const std::string& line) {
    std::size_t t = line.find("transponder "), ms = line.find(" ms  ");
    std::size_t time = line.find("time ");
    if (t == std::string::npos || ms == std::string::npos || time == std::string::npos) {
        return std::nullopt;
    }
    return Logged{line.substr(t + 12, 6), std::stoll(line.substr(time + 5)), line.substr(ms + 5)};
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
    }
    // Polls every few milliseconds until done() or the time limit.
    template <typename Done>
    void PollUntil(Done done, std::chrono::milliseconds limit = 20s) {
        Deadline end = In(limit);
        while (!done() && Before(end)) {
            PollDecoder(link, [this](const Passing& p) { passings.push_back(p); });
            std::this_thread::sleep_for(2ms);
        }
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
    bool ZeroClock() {
        for (int attempt = 0; attempt < 100; ++attempt) {
            if (SyncDecoderClock(link)) return true;
        }
        return false;
    }

    test::TempFolder folder;
    QtSerialPort port{folder.Path().string()};
    SteppedClock clock;
    DecoderLink link;
    std::vector<Passing> passings;
};

TEST_F(DecoderOnAPty, AnMk2IsDetectedItsClockZeroedAndItsPassingsDecodedExactly) {
    std::string recordFile = folder / "out.rec";
    SimProcess sim(VELKARO_DECODER_SIM,
                   {"--folder", folder.Path().string(), "--port", "5", "--cars", "3", "--lap-mean",
                    "0.4", "--lap-spread", "0", "--pace-spread", "0", "--record", recordFile});
    ASSERT_TRUE(sim.Started());
    ASSERT_TRUE(sim.WaitFor("type \"help\""));

    ASSERT_EQ(DetectDecoder(link, "COM5"), DetectResult::Mk2);
    EXPECT_TRUE(sim.WaitFor("presence query answered"));
    ASSERT_TRUE(ZeroClock());
    ASSERT_TRUE(sim.WaitFor("clock reset"));
    PollUntil([this] { return EachHas(3, 3); });
    ASSERT_TRUE(EachHas(3, 3));

    // Every passing is one the decoder sent, with the decoder's own time.
    std::vector<Logged> sent;
    for (const std::string& line : sim.Lines()) {
        if (auto l = ParseLogged(line); l && l->what == "sent") sent.push_back(*l);
    }
    for (const Passing& p : passings) {
        bool found = false;
        for (const Logged& l : sent)
            found |= l.transponder == p.transponder.View() && l.timeMs == p.timeMs;
        EXPECT_TRUE(found) << p.transponder.View() << " at " << p.timeMs;
    }
    // From a zeroed clock: a third of a lap to the line, a grid gap between cars, 400 ms laps.
    auto times = ByTransponder();
    for (int car = 0; car < 3; ++car) {
        char t[8];
        std::snprintf(t, sizeof t, "%06d", 1001 + car);
        const std::vector<std::int64_t>& list = times[t];
        ASSERT_GE(list.size(), 3u) << t;
        EXPECT_GE(list[0], 133 + 250 * car);
        EXPECT_LE(list[0], 135 + 250 * car);
        for (std::size_t i = 1; i < list.size(); ++i) EXPECT_EQ(list[i] - list[i - 1], 400);
    }

    // The record file holds the same frames.
    sim::Record record;
    std::string error;
    ASSERT_TRUE(sim::ParseRecord(test::ReadWholeFile(recordFile), &record, &error)) << error;
    std::vector<Passing> recorded;
    for (const sim::RecordBurst& b : record.bursts) {
        DecodeMk2Passings(b.bytes.data(), static_cast<int>(b.bytes.size()), 0, clock,
                          [&recorded](const Passing& p) { recorded.push_back(p); });
    }
    ASSERT_GE(recorded.size(), passings.size());
    for (std::size_t i = 0; i < passings.size(); ++i) {
        EXPECT_EQ(recorded[i].transponder, passings[i].transponder.View());
        EXPECT_EQ(recorded[i].timeMs, passings[i].timeMs);
    }
}

TEST_F(DecoderOnAPty, ADroppedLinkIsLostThenRestoredWithTheKeptPassings) {
    test::ScopedCurrentFolder here(folder.Path());
    FakeMessages messages;
    test::FailOnUnexpectedMessages(messages);
    SimProcess sim(VELKARO_DECODER_SIM,
                   {"--folder", folder.Path().string(), "--port", "6", "--cars", "2", "--lap-mean",
                    "0.3", "--lap-spread", "0", "--pace-spread", "0"});
    ASSERT_TRUE(sim.WaitFor("type \"help\""));
    ASSERT_EQ(DetectDecoder(link, "COM6"), DetectResult::Mk2);
    ASSERT_TRUE(WriteInterfaceSettings(link.settings));
    ASSERT_TRUE(ZeroClock());

    std::vector<Passing> restored;
    auto tick = [&](std::uint32_t ms) {
        clock.tick += ms;
        SuperviseLink(link, messages, true,
                      [&restored](const Passing& p) { restored.push_back(p); });
    };
    tick(0);
    ASSERT_EQ(link.state.watchdogOn, 1);
    tick(401);
    EXPECT_EQ(link.state.missedWrites, 0);
    EXPECT_TRUE(sim.WaitFor("keep-alives from the program"));

    sim.Send("drop");
    ASSERT_TRUE(sim.WaitFor("link dropped"));
    tick(401);
    EXPECT_EQ(link.state.missedWrites, 1);
    tick(401);
    ASSERT_EQ(link.state.restoring, 1);
    EXPECT_FALSE(port.IsOpen());
    EXPECT_EQ(test::ReadWholeFile(folder.Path() / "R\xC3\xA9glagesInterface2.rg"),
              "COM6\t0\tVelkaro\r\n");

    ASSERT_TRUE(sim.WaitFor("  kept"));  // the cars go on while nobody listens
    sim.Send("restore");
    ASSERT_TRUE(sim.WaitFor("link restored"));
    for (int attempt = 0; attempt < 5 && link.state.restoring == 1; ++attempt) {
        messages.Expect(MessageAnswer::Ok);
        tick(4501);
    }
    ASSERT_EQ(link.state.restoring, 0);
    ASSERT_FALSE(messages.shown.empty());
    EXPECT_EQ(messages.shown.back().title, "Message");
    EXPECT_NE(messages.shown.back().text.find("Connection of the decoder MK2 restored at "),
              std::string::npos);

    // Exactly what the decoder kept, with its own times.
    std::optional<std::string> flushed = sim.WaitFor("kept passings sent");
    ASSERT_TRUE(flushed);
    std::vector<Logged> kept;
    for (const std::string& line : sim.Lines()) {
        if (line == *flushed) break;
        if (auto l = ParseLogged(line); l && l->what == "kept") kept.push_back(*l);
    }
    ASSERT_FALSE(kept.empty());
    ASSERT_EQ(restored.size(), kept.size());
    for (std::size_t i = 0; i < kept.size(); ++i) {
        EXPECT_EQ(restored[i].transponder, kept[i].transponder);
        EXPECT_EQ(restored[i].timeMs, kept[i].timeMs);
    }
    EXPECT_EQ(test::ReadWholeFile(folder.Path() / "R\xC3\xA9glagesInterface2.rg"),
              "COM6\t1\tVelkaroMK2\r\n");

    // Supervised again from the next tick.
    tick(1);
    tick(401);
    EXPECT_EQ(link.state.missedWrites, 0);
    EXPECT_TRUE(sim.WaitFor("keep-alives from the program"));
}

TEST_F(DecoderOnAPty, AnMk1IsTakenForOneAndTimedByThePc) {
    SimProcess sim(VELKARO_DECODER_SIM,
                   {"--folder", folder.Path().string(), "--port", "7", "--model", "mk1", "--cars",
                    "2", "--lap-mean", "0.3", "--lap-spread", "0", "--pace-spread", "0"});
    ASSERT_TRUE(sim.WaitFor("type \"help\""));
    ASSERT_EQ(DetectDecoder(link, "COM7"), DetectResult::Mk1);
    EXPECT_TRUE(sim.WaitFor("an MK1 ignores it"));
    ASSERT_EQ(DetectDecoder(link, "COM7"), DetectResult::Mk1);  // the port opens again
    ASSERT_TRUE(SyncDecoderClock(link));

    sim.Send("car 2");
    PollUntil([this] { return !passings.empty(); });
    ASSERT_EQ(passings.size(), 1u);
    EXPECT_EQ(passings[0].transponder, "001002");
    EXPECT_GE(passings[0].timeMs, 0);

    passings.clear();
    sim.Send("go");
    PollUntil([this] { return EachHas(2, 4); });
    auto times = ByTransponder();
    ASSERT_EQ(times.size(), 2u);
    for (const auto& [transponder, list] : times) {
        ASSERT_GE(list.size(), 4u) << transponder;
        // Dated by this machine as read: 300 ms laps, give or take the polling.
        for (std::size_t i = 1; i < list.size(); ++i) {
            EXPECT_GT(list[i] - list[i - 1], 150) << transponder;
            EXPECT_LT(list[i] - list[i - 1], 650) << transponder;
        }
    }
}

TEST_F(DecoderOnAPty, ARecordIsReplayedFromTheClockReset) {
    SimProcess sim(VELKARO_DECODER_SIM, {"--folder", folder.Path().string(), "--port", "8",
                                         "--replay", VELKARO_TEST_DATA "/timing/replay.rec"});
    ASSERT_TRUE(sim.WaitFor("type \"help\""));
    ASSERT_EQ(DetectDecoder(link, "COM8"), DetectResult::Mk2);  // the record's model
    ASSERT_TRUE(ZeroClock());
    PollUntil([this] { return passings.size() >= 3; }, 10s);
    ASSERT_EQ(passings.size(), 3u);
    EXPECT_EQ(passings[0].transponder, "001001");
    EXPECT_EQ(passings[0].timeMs, 1000);
    EXPECT_EQ(passings[1].transponder, "001002");
    EXPECT_EQ(passings[1].timeMs, 1005);
    EXPECT_EQ(passings[2].transponder, "001001");
    EXPECT_EQ(passings[2].timeMs, 13500);
}

}  // namespace
}  // namespace velkaro
