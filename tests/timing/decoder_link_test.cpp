#include "timing/decoder_link.h"

#include <gtest/gtest.h>

#include <functional>
#include <random>
#include <string>
#include <tuple>
#include <vector>

#include "platform/fake/fake_clock.h"
#include "platform/fake/fake_serial_port.h"
#include "tests/event/fields.h"

namespace velkaro {
namespace {

using test::Fields;
using Bytes = std::vector<std::uint8_t>;

const Bytes kMk2Answer{0xFF, 0xFF, 0xFF, 0x01, 0x02, 0x10, 0x20};
const Bytes kResetAnswer{0xFF, 0xFF, 0xFF, 0x02, 0x00, 0x00, 0x00};
// Transponder 258 at 0 h 1 min 5 s, sub-second counter 18917: 65005 ms.
const Bytes kFrame258{0xFF, 0xFF, 0xFF, 0xF0, 0x01, 0x02, 0x00, 0x01, 0x05, 0x49, 0xE5};

// An MK2 passing frame at s seconds, the sub-second counter at the second's first count.
Bytes Frame(int transponder, int s, int counter = 18661, int h = 0, int m = 0) {
    const int bytes[] = {0xFF, 0xFF, 0xFF, 0xF0,         transponder >> 8, transponder,
                         h,    m,    s,    counter >> 8, counter};
    Bytes frame;
    for (int b : bytes) frame.push_back(static_cast<std::uint8_t>(b));
    return frame;
}

Bytes Join(std::initializer_list<Bytes> parts) {
    Bytes all;
    for (const Bytes& p : parts) all.insert(all.end(), p.begin(), p.end());
    return all;
}

Bytes Sent(const std::array<std::uint8_t, 5>& message) {
    return {message.begin(), message.end()};
}

class Link : public ::testing::Test {
  protected:
    void SetUp() override {
        clock.counterStepPerRead = 1000;  // waits on the counter end under test
        link.port = &port;
        link.clock = &clock;
        link.disk = &SystemDisk();
    }
    // Each write of the presence query or clock reset is answered with these reads.
    void AnswerWith(std::vector<Bytes> reads) {
        port.onWrite = [reads](FakeSerialPort& p, const Bytes& written) {
            if (written != Sent(kPresenceQuery) && written != Sent(kClockReset)) return;
            for (const Bytes& r : reads) p.QueueRead(r);
        };
    }
    void OpenAs(std::string_view type) {
        ASSERT_TRUE(OpenPort(port, "COM3"));
        link.settings.interfaceType = type;
    }
    // The passings the next poll decodes, as "transponder@ms".
    std::string Poll() {
        std::string out;
        PollDecoder(link, [&out](const Passing& p) {
            out +=
                (out.empty() ? "" : " ") + Fields(p.transponder) + "@" + std::to_string(p.timeMs);
        });
        return out;
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
};

TEST_F(Link, OpensWithTheDecoderLineSettingsPurgedAndDtrUp) {
    ASSERT_TRUE(OpenPort(port, "COM12"));
    const LineSettings& s = port.openedSettings;
    EXPECT_EQ(
        Fields(port.openedName, s.baud, s.dataBits, s.parity == Parity::None, s.stopBits, s.dtr,
               s.rts, s.readTimeoutMs, s.writeTimeoutMs, port.purgeCount, port.dtrRaised),
        "COM12|9600|8|1|1|1|1|1|100|1|1");
    EXPECT_EQ(ClosePort(port), 1);
    EXPECT_FALSE(port.IsOpen());
    port.failOpen = true;
    EXPECT_FALSE(OpenPort(port, "COM12"));
}

TEST_F(Link, DetectionTellsAnMk2ByItsAnswer) {
    struct Case {
        std::vector<Bytes> reads;
        DetectResult result;
    };
    Bytes otherDevice = kMk2Answer;
    otherDevice[4] = 0x03;
    std::vector<Case> cases{{{Join({{0x33, 0xFF}, kMk2Answer})}, DetectResult::Mk2},  // past strays
                            {{}, DetectResult::Mk1},                                  // silence
                            {{otherDevice}, DetectResult::Mk1}};
    for (const auto& c : cases) {
        AnswerWith(c.reads);
        port.writes.clear();
        const std::int64_t before = CounterMs();
        EXPECT_EQ(DetectDecoder(link, "COM4"), c.result);
        EXPECT_EQ(Fields(link.settings.port, link.settings.ready, link.settings.interfaceType),
                  Fields("COM4", 1, c.result == DetectResult::Mk2 ? kMk2Type : kMk1Type));
        EXPECT_EQ(port.writes, std::vector<Bytes>{Sent(kPresenceQuery)});
        if (c.result == DetectResult::Mk1) {  // after the whole wait
            EXPECT_GE(CounterMs() - before, 100);
            EXPECT_LT(CounterMs() - before, 110);
        }
    }
    // A port that cannot be opened leaves the decoder not ready.
    port.writes.clear();
    port.failOpen = true;
    EXPECT_EQ(DetectDecoder(link, "COM9"), DetectResult::PortNotOpened);
    EXPECT_EQ(Fields(link.settings.ready, link.settings.interfaceType, port.writes.size()),
              Fields(0, kMk1Type, 0));
}

TEST_F(Link, AnMk1ClockIsZeroedAtOnceAnMk2OnlyWhenTheDecoderConfirms) {
    OpenAs(kMk1Type);
    clock.counterStepPerRead = 0;
    clock.AdvanceMs(1234);
    EXPECT_TRUE(SyncDecoderClock(link));
    EXPECT_EQ(Fields(link.timeBase.perfStart, link.timeBase.perfFrequency, port.writes.size()),
              "1234000|1000000|0");

    OpenAs(kMk2Type);
    clock.counterStepPerRead = 1000;
    const std::int64_t before = CounterMs();
    EXPECT_FALSE(SyncDecoderClock(link));
    EXPECT_GE(CounterMs() - before, 10);
    EXPECT_LT(CounterMs() - before, 15);
    EXPECT_EQ(port.writes.back(), Sent(kClockReset));
    EXPECT_EQ(link.timeBase.perfStart, 1234000);
    AnswerWith({Join({{0x00, 0xFF, 0xFF}, kResetAnswer})});
    EXPECT_TRUE(SyncDecoderClock(link));
    EXPECT_GT(link.timeBase.perfStart, before * 1000);
}

TEST_F(Link, Mk1PairsAreDatedByThePcAndAnOddByteIsDropped) {
    OpenAs(kMk1Type);
    clock.counterStepPerRead = 0;
    link.timeBase.perfFrequency = FakeClock::kFrequency;
    link.timeBase.perfStart = clock.Counter();
    link.timeBase.runTimeOffset = 500;
    clock.AdvanceMs(2500);
    std::vector<Passing> passings;
    port.QueueRead({0x00, 0x12, 0x34});
    PollDecoder(link, [&passings](const Passing& p) { passings.push_back(p); });
    ASSERT_EQ(passings.size(), 1u);
    EXPECT_EQ(Fields(passings[0].transponder, passings[0].timeMs, passings[0].counter),
              "000018|2000|2500000");
    port.QueueRead({0xFF, 0xFF, 0x01, 0x00});
    EXPECT_EQ(Poll(), "065535@2000 000256@2000");
}

TEST_F(Link, Mk2FramesCarryTheDecoderTime) {
    EXPECT_EQ(Mk2TimeMs(0, 0, 0, 0x48, 0xE5), 0);        // 18661, the second's first count
    EXPECT_EQ(Mk2TimeMs(0, 0, 0, 0xFF, 0xFF), 999);      // 65535
    EXPECT_EQ(Mk2TimeMs(0, 0, 0, 0x00, 0x00), -398);     // truncated toward zero
    EXPECT_EQ(Mk2TimeMs(2, 3, 4, 0x49, 0xE5), 7384005);  // 2 h 3 min 4 s 5 ms
    OpenAs(kMk2Type);
    link.timeBase.runTimeOffset = 5;
    port.QueueRead(Join({{0x42}, kFrame258}));  // a stray byte first
    EXPECT_EQ(Poll(), "000258@65000");
}

// Each passing: the decoder's time, its arrival on the counter (ms since the clock zero), and
// the run time it gets.
TEST(Mk2Clock, ARestartIsRebasedOntoTheRunsClockAndALinkDropIsNot) {
    struct Step {
        std::int64_t decoderMs, arrivalMs, runMs;
    };
    struct Case {
        const char* name;
        std::int64_t offset;
        std::vector<Step> steps;
        std::uint32_t restarts;
    };
    const Case cases[] = {
        {"steady", 0, {{10000, 10005, 10000}, {20000, 20004, 20000}}, 0},
        {"kept while the link was down",
         0,
         {{10000, 10005, 10000}, {12000, 16000, 12000}, {14000, 16001, 14000}},
         0},
        {"restart",
         0,
         {{10000, 10005, 10000}, {1500, 31007, 31007}, {3700, 33210, 33207}, {3700, 33300, 33207}},
         1},
        {"restart after a first-car start",
         400,
         {{10400, 10405, 10000}, {900, 20806, 20406}, {3100, 23010, 22606}},
         1},
        {"two restarts",
         0,
         {{5000, 5003, 5000}, {100, 9004, 9004}, {50, 12000, 12000}, {2050, 14001, 14000}},
         2},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        RunTimeBase base;
        base.decoderZeroed = 1;
        base.perfFrequency = 1000;
        base.runTimeOffset = c.offset;
        for (const Step& s : c.steps) {
            Passing p;
            p.timeMs = s.decoderMs - c.offset;
            p.counter = s.arrivalMs;
            OntoRunClock(base, p);
            EXPECT_EQ(p.timeMs, s.runMs) << s.decoderMs;
        }
        EXPECT_EQ(base.decoderRestarts, c.restarts);
    }
}

TEST_F(Link, AFullReadEndingInAPartialFrameHasItCompletedByTheNext) {
    OpenAs(kMk2Type);
    Bytes stream;
    std::string expected;
    for (int i = 0; i < 24; ++i) stream = Join({stream, Frame(100 + i, i)});
    for (int i = 0; i < 23; ++i)
        expected += " 000" + std::to_string(100 + i) + "@" + std::to_string(i * 1000);
    Bytes tail(stream.begin() + kMaxRead, stream.end());  // the last frame's tail
    stream.resize(kMaxRead);
    port.QueueRead(stream);
    EXPECT_EQ(" " + Poll(), expected);
    port.QueueRead(Join({tail, Frame(7, 59)}));
    EXPECT_EQ(Poll(), "000123@23000 000007@59000");
}

// Each message, behind a stray byte, cut at every byte between two reads: the second read
// completes it, and the frame after it is found too.
TEST_F(Link, AMessageCutAtAnyByteIsCompletedByTheNextRead) {
    using Take = std::function<std::string()>;
    const std::vector<std::tuple<Bytes, Take, std::string>> cases{
        {kFrame258, [this] { return Poll().empty() ? Poll() : "early"; },
         "000258@65005 004660@1000"},
        {kResetAnswer, [this] { return SyncDecoderClock(link) ? Poll() : "not zeroed"; }, ""},
        {kMk2Answer,
         [this] { return DetectDecoder(link, "COM3") == DetectResult::Mk2 ? "2" : "1"; }, "2"}};
    OpenAs(kMk2Type);
    for (const auto& [message, take, taken] : cases) {
        for (std::size_t cut = 1; cut < message.size(); ++cut) {
            DiscardDecoderInput(link);
            port.QueueRead(Join({{0x42}, Bytes(message.begin(), message.begin() + cut)}));
            port.QueueRead(Join({Bytes(message.begin() + cut, message.end()), Frame(4660, 1)}));
            EXPECT_EQ(take(), taken) << Fields(message[3], cut);
        }
    }
}

// A frame cut short before the input starts afresh is never completed by what comes after.
TEST_F(Link, APartialFrameIsForgottenWhenTheInputStartsAfresh) {
    const Bytes head(kFrame258.begin(), kFrame258.begin() + 3);
    const std::vector<std::function<void()>> afresh{
        [this] { DiscardDecoderInput(link); }, [this] { DetectDecoder(link, "COM3"); },
        [this, &head] {  // what follows the clock-reset answer in its read is dropped
            port.QueueRead(Join({kResetAnswer, head}));
            ASSERT_TRUE(SyncDecoderClock(link));
        }};
    for (std::size_t k = 0; k < afresh.size(); ++k) {
        OpenAs(kMk2Type);
        port.QueueRead(head);
        EXPECT_EQ(Poll(), "");
        afresh[k]();
        link.settings.interfaceType = kMk2Type;
        port.QueueRead(Join({Bytes(kFrame258.begin() + 3, kFrame258.end()), Frame(4660, 1)}));
        EXPECT_EQ(Poll(), "004660@1000") << "case " << k;
    }
}

// Each read followed by a good frame: what is decoded of it.
TEST_F(Link, AFrameWhoseTimeCannotBeATimeOfDayIsGarbageAndOtherMessagesAreSkipped) {
    OpenAs(kMk2Type);
    std::vector<std::pair<Bytes, std::string>> cases{
        {Join({kFrame258, kMk2Answer, Sent(kKeepAlive), {0xFF, 0xFF, 0xFF}, kFrame258}),
         "000258@65005 000258@65005 "},
        {Frame(258, 59, 65535, 23, 59), "000258@86399999 "},  // the day's last millisecond
        {Frame(258, 0, 18661, 24), ""},
        {Frame(258, 0, 18661, 0, 60), ""},
        {Frame(258, 60), ""},
        {Frame(258, 0, 18660), ""}};  // before the second's first count
    // Cut short and read with the next frame, as hours, minutes or seconds of 0xFF.
    for (long cut = 4; cut <= 8; ++cut)
        cases.push_back({Bytes(kFrame258.begin(), kFrame258.begin() + cut), ""});
    for (std::size_t k = 0; k < cases.size(); ++k) {
        port.QueueRead(Join({cases[k].first, Frame(4660, 1)}));
        EXPECT_EQ(Poll(), cases[k].second + "004660@1000") << "case " << k;
    }
}

// Frames that pass the header check with anything behind it, whole or cut short, read 255 bytes
// at a time: nothing decoded has a time that cannot be a time of day.
TEST_F(Link, FuzzedFramesNeverGiveAnImpossibleTime) {
    OpenAs(kMk2Type);
    std::mt19937 random(20260311);
    const unsigned limits[] = {256, 256, 24, 60, 60, 256, 256};  // Th Tl H M S Ch Cl
    int decoded = 0;
    for (int round = 0; round < 300; ++round) {
        Bytes stream;
        for (int frame = 0; frame < 30; ++frame) {
            stream.insert(stream.end(), {0xFF, 0xFF, 0xFF, 0xF0});
            for (unsigned k = 0, size = random() % 4 ? 7 : random() % 7; k < size; ++k)
                stream.push_back(
                    static_cast<std::uint8_t>(random() % (random() % 4 ? limits[k] : 256)));
        }
        port.QueueRead(stream);
        while (port.ReadsPending()) {
            PollDecoder(link, [&decoded](const Passing& p) {
                ++decoded;
                ASSERT_TRUE(p.timeMs >= 0 && p.timeMs < 24 * 3600000LL) << p.timeMs;
            });
        }
    }
    EXPECT_GT(decoded, 1000);  // the fuzz reaches the decoding
}

// Random bytes, cut anywhere: never a crash, never a read past the buffer, and every passing
// found is a well-formed one.
TEST_F(Link, GarbageNeverBreaksTheDecoding) {
    std::mt19937 random(20261205);
    for (bool mk2 : {false, true}) {
        OpenAs(mk2 ? kMk2Type : kMk1Type);
        for (int round = 0; round < 400; ++round) {
            Bytes chunk(random() % 600);
            for (std::uint8_t& b : chunk) {
                b = random() % 4 == 0 ? 0xFF : static_cast<std::uint8_t>(random());
            }
            if (mk2 && !chunk.empty() && random() % 2) {
                Bytes frame = Frame(random() % 65536, 0);
                std::size_t at = random() % chunk.size();
                chunk.insert(chunk.begin() + static_cast<long>(at), frame.begin(), frame.end());
            }
            port.QueueRead(chunk);
            std::vector<Passing> passings;
            while (port.ReadsPending()) {
                PollDecoder(link, [&passings](const Passing& p) { passings.push_back(p); });
            }
            EXPECT_LE(passings.size(), chunk.size() / (mk2 ? kMk2PassingSize : kMk1PassingSize));
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
