#include "timing/decoder_link.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "platform/fake/fake_clock.h"
#include "platform/fake/fake_serial_port.h"

namespace velkaro {
namespace {

using Bytes = std::vector<std::uint8_t>;

const Bytes kMk2Answer{0xFF, 0xFF, 0xFF, 0x01, 0x02, 0x10, 0x20};
const Bytes kResetAnswer{0xFF, 0xFF, 0xFF, 0x02, 0x00, 0x00, 0x00};
// Transponder 258 at 0 h 1 min 5 s, sub-second counter 18917: 65005 ms.
const Bytes kFrame258{0xFF, 0xFF, 0xFF, 0xF0, 0x01, 0x02, 0x00, 0x01, 0x05, 0x49, 0xE5};

Bytes Frame(int transponder, int h, int m, int s, int counter) {
    return {0xFF,
            0xFF,
            0xFF,
            0xF0,
            static_cast<std::uint8_t>(transponder >> 8),
            static_cast<std::uint8_t>(transponder & 0xFF),
            static_cast<std::uint8_t>(h),
            static_cast<std::uint8_t>(m),
            static_cast<std::uint8_t>(s),
            static_cast<std::uint8_t>(counter >> 8),
            static_cast<std::uint8_t>(counter & 0xFF)};
}

Bytes Join(std::initializer_list<Bytes> parts) {
    Bytes all;
    for (const Bytes& p : parts) all.insert(all.end(), p.begin(), p.end());
    return all;
}

Bytes Sent(const std::array<std::uint8_t, 5>& message) {
    return Bytes(message.begin(), message.end());
}

class Link : public ::testing::Test {
  protected:
    void SetUp() override {
        clock.counterStepPerRead = 1000;  // waits on the counter end under test
        link.port = &port;
        link.clock = &clock;
    }
    // The port open on an MK2 that answers each query with `answer`.
    void AnswerQueriesWith(Bytes answer) {
        port.onWrite = [answer](FakeSerialPort& p, const Bytes& written) {
            if (written == Sent(kPresenceQuery) || written == Sent(kClockReset)) {
                p.QueueRead(answer);
            }
        };
    }
    void OpenMk2() {
        ASSERT_TRUE(OpenPort(port, "COM3"));
        link.settings.interfaceType = kMk2Type;
    }
    void Poll() {
        PollDecoder(link, [this](const Passing& p) { passings.push_back(p); });
    }
    std::int64_t CounterMs() {
        std::int64_t step = clock.counterStepPerRead;
        clock.counterStepPerRead = 0;
        std::int64_t ms = clock.Counter() / 1000;
        clock.counterStepPerRead = step;
        return ms;
    }

    FakeSerialPort port;
    FakeClock clock;
    DecoderLink link;
    std::vector<Passing> passings;
};

TEST_F(Link, OpensWithTheDecoderLineSettingsPurgedAndDtrUp) {
    ASSERT_TRUE(OpenPort(port, "COM12"));
    EXPECT_EQ(port.openedName, "COM12");
    const LineSettings& s = port.openedSettings;
    EXPECT_EQ(s.baud, 9600);
    EXPECT_EQ(s.dataBits, 8);
    EXPECT_EQ(s.parity, Parity::None);
    EXPECT_EQ(s.stopBits, 1);
    EXPECT_TRUE(s.dtr && s.rts);
    EXPECT_EQ(s.readTimeoutMs, 1);
    EXPECT_EQ(s.writeTimeoutMs, 100);
    EXPECT_EQ(port.purgeCount, 1);
    EXPECT_TRUE(port.dtrRaised);
    EXPECT_EQ(ClosePort(port), 1);
    EXPECT_FALSE(port.IsOpen());
    port.failOpen = true;
    EXPECT_FALSE(OpenPort(port, "COM12"));
}

TEST_F(Link, DetectionFindsAnMk2PastStrayBytes) {
    AnswerQueriesWith(Join({{0x33, 0xFF}, kMk2Answer}));
    EXPECT_EQ(DetectDecoder(link, "COM4"), DetectResult::Mk2);
    EXPECT_EQ(link.settings.port, "COM4");
    EXPECT_EQ(link.settings.ready, 1);
    EXPECT_EQ(link.settings.interfaceType, kMk2Type);
    ASSERT_EQ(port.writes.size(), 1u);
    EXPECT_EQ(port.writes[0], Sent(kPresenceQuery));
}

TEST_F(Link, SilenceForTheWholeWaitMeansAnMk1) {
    std::int64_t before = CounterMs();
    EXPECT_EQ(DetectDecoder(link, "COM4"), DetectResult::Mk1);
    std::int64_t waited = CounterMs() - before;
    EXPECT_GE(waited, 100);
    EXPECT_LT(waited, 110);
    EXPECT_EQ(link.settings.ready, 1);
    EXPECT_EQ(link.settings.interfaceType, kMk1Type);

    // Another device's answer is not an MK2's.
    Bytes other = kMk2Answer;
    other[4] = 0x03;
    AnswerQueriesWith(other);
    EXPECT_EQ(DetectDecoder(link, "COM4"), DetectResult::Mk1);
}

TEST_F(Link, AnAnswerSplitAcrossTwoReadsIsNotSeen) {
    for (std::size_t cut = 1; cut < kMk2Answer.size(); ++cut) {
        port.onWrite = [cut](FakeSerialPort& p, const Bytes&) {
            p.QueueRead(Bytes(kMk2Answer.begin(), kMk2Answer.begin() + cut));
            p.QueueRead(Bytes(kMk2Answer.begin() + cut, kMk2Answer.end()));
        };
        EXPECT_EQ(DetectDecoder(link, "COM4"), DetectResult::Mk1) << "cut at " << cut;
    }
}

TEST_F(Link, APortThatCannotBeOpenedLeavesTheDecoderNotReady) {
    link.settings.interfaceType = kMk2Type;
    port.failOpen = true;
    EXPECT_EQ(DetectDecoder(link, "COM9"), DetectResult::PortNotOpened);
    EXPECT_EQ(link.settings.ready, 0);
    EXPECT_EQ(link.settings.interfaceType, kMk1Type);
    EXPECT_TRUE(port.writes.empty());
}

TEST_F(Link, AnMk1ClockIsZeroedAtOnce) {
    ASSERT_TRUE(OpenPort(port, "COM3"));
    link.settings.interfaceType = kMk1Type;
    clock.counterStepPerRead = 0;
    clock.AdvanceMs(1234);
    EXPECT_TRUE(SyncDecoderClock(link));
    EXPECT_EQ(link.timeBase.perfStart, 1234000);
    EXPECT_EQ(link.timeBase.perfFrequency, FakeClock::kFrequency);
    EXPECT_TRUE(port.writes.empty());
}

TEST_F(Link, AnMk2ClockIsZeroedOnlyWhenTheDecoderConfirms) {
    OpenMk2();
    std::int64_t before = CounterMs();
    EXPECT_FALSE(SyncDecoderClock(link));
    std::int64_t waited = CounterMs() - before;
    EXPECT_GE(waited, 10);
    EXPECT_LT(waited, 15);
    EXPECT_EQ(port.writes.back(), Sent(kClockReset));

    port.onWrite = [](FakeSerialPort& p, const Bytes&) {
        p.QueueRead(Join({{0x00, 0xFF, 0xFF}, kResetAnswer}));
    };
    EXPECT_TRUE(SyncDecoderClock(link));
    EXPECT_GT(link.timeBase.perfStart, before * 1000);

    port.onWrite = [](FakeSerialPort& p, const Bytes&) {
        p.QueueRead(Bytes(kResetAnswer.begin(), kResetAnswer.begin() + 4));
        p.QueueRead(Bytes(kResetAnswer.begin() + 4, kResetAnswer.end()));
    };
    EXPECT_FALSE(SyncDecoderClock(link));
}

TEST_F(Link, Mk1PairsAreDatedByThePcAndAnOddByteIsDropped) {
    ASSERT_TRUE(OpenPort(port, "COM3"));
    link.settings.interfaceType = kMk1Type;
    clock.counterStepPerRead = 0;
    link.timeBase.perfFrequency = FakeClock::kFrequency;
    link.timeBase.perfStart = clock.Counter();
    link.timeBase.runTimeOffset = 500;
    clock.AdvanceMs(2500);
    port.QueueRead({0x00, 0x12, 0x34});
    Poll();
    ASSERT_EQ(passings.size(), 1u);
    EXPECT_EQ(passings[0].transponder, "000018");
    EXPECT_EQ(passings[0].timeMs, 2000);
    EXPECT_EQ(passings[0].counter, 2500000);
    port.QueueRead({0xFF, 0xFF, 0x01, 0x00});
    Poll();
    ASSERT_EQ(passings.size(), 3u);
    EXPECT_EQ(passings[1].transponder, "065535");
    EXPECT_EQ(passings[2].transponder, "000256");
}

TEST_F(Link, Mk2FramesCarryTheDecoderTime) {
    EXPECT_EQ(Mk2TimeMs(0, 0, 0, 0x48, 0xE5), 0);        // 18661, the second's first count
    EXPECT_EQ(Mk2TimeMs(0, 0, 0, 0xFF, 0xFF), 999);      // 65535
    EXPECT_EQ(Mk2TimeMs(0, 0, 0, 0x00, 0x00), -398);     // truncated toward zero
    EXPECT_EQ(Mk2TimeMs(2, 3, 4, 0x49, 0xE5), 7384005);  // 2 h 3 min 4 s 5 ms

    OpenMk2();
    link.timeBase.runTimeOffset = 5;
    port.QueueRead(Join({{0x42}, kFrame258}));  // a stray byte first
    Poll();
    ASSERT_EQ(passings.size(), 1u);
    EXPECT_EQ(passings[0].transponder, "000258");
    EXPECT_EQ(passings[0].timeMs, 65000);
}

TEST_F(Link, AFullReadEndingInAPartialFrameLosesOnlyThatFrame) {
    OpenMk2();
    Bytes stream;
    for (int i = 0; i < 24; ++i) stream = Join({stream, Frame(100 + i, 0, 0, i, 18661)});
    Bytes second(stream.begin() + kMaxRead, stream.end());  // the last frame's tail
    stream.resize(kMaxRead);
    port.QueueRead(stream);
    Poll();
    ASSERT_EQ(passings.size(), 23u);
    EXPECT_EQ(passings[22].transponder, "000122");
    EXPECT_EQ(passings[22].timeMs, 22000);
    port.QueueRead(Join({second, Frame(7, 0, 1, 0, 18661)}));
    Poll();
    ASSERT_EQ(passings.size(), 24u);
    EXPECT_EQ(passings[23].transponder, "000007");
}

TEST_F(Link, AFrameSplitAtAnyByteIsLostAndTheNextOneIsFound) {
    OpenMk2();
    Bytes next = Frame(4660, 0, 0, 1, 18661);
    for (std::size_t cut = 1; cut < kFrame258.size(); ++cut) {
        passings.clear();
        port.QueueRead(Bytes(kFrame258.begin(), kFrame258.begin() + cut));
        port.QueueRead(Join({Bytes(kFrame258.begin() + cut, kFrame258.end()), next}));
        Poll();
        Poll();
        ASSERT_EQ(passings.size(), 1u) << "cut at " << cut;
        EXPECT_EQ(passings[0].transponder, "004660");
    }
}

TEST_F(Link, OtherMessagesBetweenFramesAreSkipped) {
    OpenMk2();
    port.QueueRead(Join({kFrame258, kMk2Answer, Sent(kKeepAlive), {0xFF, 0xFF, 0xFF}, kFrame258}));
    Poll();
    EXPECT_EQ(passings.size(), 2u);
}

// Random bytes, cut anywhere: never a crash, never a read past the buffer, and every passing
// found is a well-formed one.
TEST_F(Link, GarbageNeverBreaksTheDecoding) {
    std::mt19937 random(20261205);
    for (bool mk2 : {false, true}) {
        ASSERT_TRUE(OpenPort(port, "COM3"));
        link.settings.interfaceType = mk2 ? kMk2Type : kMk1Type;
        for (int round = 0; round < 400; ++round) {
            Bytes chunk(random() % 600);
            for (std::uint8_t& b : chunk) {
                b = random() % 4 == 0 ? 0xFF : static_cast<std::uint8_t>(random());
            }
            if (mk2 && !chunk.empty() && random() % 2) {
                Bytes frame = Frame(random() % 65536, 0, 0, 0, 18661);
                std::size_t at = random() % chunk.size();
                chunk.insert(chunk.begin() + static_cast<long>(at), frame.begin(), frame.end());
            }
            port.QueueRead(chunk);
            passings.clear();
            while (port.ReadsPending()) Poll();
            std::size_t limit = mk2 ? chunk.size() / kMk2PassingSize : chunk.size() / 2;
            EXPECT_LE(passings.size(), limit);
            for (const Passing& p : passings) {
                ASSERT_EQ(p.transponder.Length(), 6u);
                EXPECT_EQ(p.transponder.View().find_first_not_of("0123456789"),
                          std::string_view::npos);
            }
        }
    }
    // Detection and clock zeroing read garbage too.
    port.onWrite = [&random](FakeSerialPort& p, const Bytes&) {
        Bytes noise(300);
        for (std::uint8_t& b : noise) b = random() % 3 == 0 ? 0xFF : 0x01;
        p.QueueRead(noise);
    };
    DetectDecoder(link, "COM3");
    EXPECT_EQ(link.settings.ready, 1);
    link.settings.interfaceType = kMk2Type;
    EXPECT_FALSE(SyncDecoderClock(link));
}

}  // namespace
}  // namespace velkaro
