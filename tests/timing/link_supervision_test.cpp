#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "platform/fake/fake_clock.h"
#include "platform/fake/fake_messages.h"
#include "platform/fake/fake_serial_port.h"
#include "tests/event/fields.h"
#include "tests/support/test_support.h"
#include "timing/decoder_link.h"
#include "timing/interface_status.h"

namespace velkaro {
namespace {

using test::Fields;
using Bytes = std::vector<std::uint8_t>;

constexpr const char* kOnDisk = "R\xC3\xA9glagesInterface2.rg";
const Bytes kKeepAliveBytes(kKeepAlive.begin(), kKeepAlive.end());
const Bytes kQueryBytes(kPresenceQuery.begin(), kPresenceQuery.end());
const Bytes kMk2Answer{0xFF, 0xFF, 0xFF, 0x01, 0x02, 0x10, 0x20};
const std::string kLoss = "Failure of the decoder MK2 connection at 1:05.300.\n";
const std::string kNotRestored = "Error : Connection not restored.";

class Supervision : public ::testing::Test {
  protected:
    void SetUp() override {
        test::FailOnUnexpectedMessages(messages);
        Settings("COM3\t1\tVelkaroMK2\r\n");
        clock.counterStepPerRead = 1000;
        link.port = &port;
        link.clock = &clock;
        link.disk = &SystemDisk();
        ASSERT_TRUE(OpenPort(port, "COM3"));  // as the start-up left it
    }
    void Settings(const std::string& bytes) {
        test::WriteWholeFile(folder.Path() / kOnDisk, bytes);
    }
    std::string Settings() const { return test::ReadWholeFile(folder.Path() / kOnDisk); }
    void Tick(std::uint32_t afterMs, bool running = true) {
        clock.AdvanceMs(afterMs);
        SuperviseLink(link, notices, running, sink);
    }
    // Every notice posted so far, oldest first, separated by '|'.
    std::string Notices() const {
        std::string all;
        for (std::size_t i = NoticeCount(notices); i-- > 0;) {
            all += std::string(NoticeAt(notices, i).text.View()) + (i > 0 ? "|" : "");
        }
        return all;
    }
    int KeepAlives() const {
        return static_cast<int>(
            std::count(port.writes.begin(), port.writes.end(), kKeepAliveBytes));
    }
    // Two keep-alives write nothing: the link is lost, the race clock then standing at 1:05.399.
    void LoseTheLink(bool running = true) {
        Tick(0, running);
        port.writesFail = true;
        Tick(401, running);
        link.timeBase.runStartTick = clock.TickMs() + 401 - 65399;
        Tick(401, running);
        ASSERT_EQ(link.state.restoring, 1);
        port.writesFail = false;
    }
    // The decoder answers the presence query, with passings it kept before and after.
    void AnswerWithKeptPassings(std::initializer_list<Bytes> before,
                                std::initializer_list<Bytes> after) {
        Bytes reply;
        for (const Bytes& f : before) reply.insert(reply.end(), f.begin(), f.end());
        reply.insert(reply.end(), kMk2Answer.begin(), kMk2Answer.end());
        for (const Bytes& f : after) reply.insert(reply.end(), f.begin(), f.end());
        port.onWrite = [reply](FakeSerialPort& p, const Bytes& written) {
            if (written == kQueryBytes) p.QueueRead(reply);
        };
    }

    test::TempFolder folder;
    test::ScopedCurrentFolder here{folder.Path()};
    FakeSerialPort port;
    FakeClock clock;
    FakeMessages messages;  // any box fails the test: the tick tells through notices
    NoticeLog notices;
    DecoderLink link;
    std::vector<std::string> restored;
    PassingSink sink = [this](const Passing& p) {
        restored.push_back(Fields(p.transponder) + "@" + std::to_string(p.timeMs));
    };
};

// Transponders 1001 and 1002 at 1:05.005 and 1:07.000 of the decoder's clock.
const Bytes kKept1001{0xFF, 0xFF, 0xFF, 0xF0, 0x03, 0xE9, 0x00, 0x01, 0x05, 0x49, 0xE5};
const Bytes kKept1002{0xFF, 0xFF, 0xFF, 0xF0, 0x03, 0xEA, 0x00, 0x01, 0x07, 0x48, 0xE5};

TEST_F(Supervision, AnMk2GetsAKeepAliveEvery400MsUnlessAnMk1OrSuspended) {
    Settings("COM3\t1\tVelkaro\r\n");
    for (int i = 0; i < 30; ++i) Tick(500);
    EXPECT_EQ(Fields(port.writes.size(), link.state.watchdogOn), "0|0");

    Settings("COM3\t1\tVelkaroMK2\r\n");
    ReloadLinkSettings(link);
    Tick(0);
    EXPECT_EQ(link.state.watchdogOn, 1);
    Tick(400);
    EXPECT_EQ(KeepAlives(), 0);
    Tick(1);
    EXPECT_EQ(KeepAlives(), 1);
    Tick(401);
    Tick(401);
    EXPECT_EQ(Fields(KeepAlives(), port.writes.size()), "3|3");

    // The interface form suspends it; it resumes from the file.
    SuspendLinkSupervision(link);
    Tick(1000);
    Settings("COM3\t1\tVelkaro\r\n");  // an MK1 now
    ReloadLinkSettings(link);
    Tick(1000);
    EXPECT_EQ(KeepAlives(), 3);
    Settings("COM3\t1\tVelkaroMK2\r\n");
    ReloadLinkSettings(link);
    Tick(0);
    Tick(401);
    EXPECT_EQ(KeepAlives(), 4);
}

TEST_F(Supervision, OneFailedKeepAliveIsToleratedTwoInARowAreALoss) {
    Tick(0);
    port.writesFail = true;
    Tick(401);
    port.writesFail = false;
    Tick(401);
    EXPECT_EQ(Fields(link.state.missedWrites, port.IsOpen()), "0|1");

    LoseTheLink();
    EXPECT_EQ(Fields(port.IsOpen(), link.settings.ready, link.state.watchdogOn,
                     link.state.linkReport, Settings()),
              "0|0|0|" + kLoss + "|COM3\t0\tVelkaro\r\n");
    EXPECT_EQ(Notices(), kLoss);
    EXPECT_EQ(NoticeAt(notices, 0).tick, clock.TickMs());
}

// Every outcome is a notice posted by the tick that saw it; no box ever waits for a click.
TEST_F(Supervision, RestorationTriesEvery4500MsAndReportsEachOutcome) {
    clock.now.hour = 14;
    clock.now.minute = 3;
    clock.now.second = 7;
    EXPECT_EQ(LinkDownText(link.state, clock.TickMs()), "");
    LoseTheLink();
    port.failOpen = true;
    const int opens = port.openCount;
    Tick(4500);
    EXPECT_EQ(port.openCount, opens);
    Tick(1);  // a port that cannot be opened: silence
    EXPECT_EQ(Fields(port.openCount, notices.posted), Fields(opens + 1, 1));

    port.failOpen = false;
    Tick(4501);  // opens, but nobody answers
    EXPECT_EQ(Notices(), kLoss + "|" + kLoss + kNotRestored);
    EXPECT_EQ(port.writes.back(), kQueryBytes);
    // Meanwhile the race panel says since when the link is down.
    EXPECT_EQ(LinkDownText(link.state, clock.TickMs() + 60000),
              "Decoder link lost at 14:03:07\nDown 1:09, retrying");
    EXPECT_EQ(LinkStateText(link, clock.TickMs() + 60000),
              "Decoder link lost at 14:03:07\nDown 1:09, retrying");

    // The decoder kept two passings while the link was down and sends them around its answer:
    // handed on with their own times, less the run's offset.
    AnswerWithKeptPassings({kKept1001}, {kKept1002});
    link.timeBase.runTimeOffset = 1000;
    link.timeBase.runStartTick = clock.TickMs() + 4501 - 78950;
    const std::uint32_t attempt = clock.TickMs() + 4501;  // the tick that tried, not its wait
    Tick(4501);
    EXPECT_EQ(restored, (std::vector<std::string>{"001001@64005", "001002@66000"}));
    // No room for all three lines: the loss line stays with the newest.
    EXPECT_EQ(Fields(notices.posted, NoticeAt(notices, 0).text, NoticeAt(notices, 0).tick),
              Fields(3, kLoss + "Connection of the decoder MK2 restored at 1:18.900.", attempt));
    EXPECT_EQ(Fields(Settings(), link.state.restoring), "COM3\t1\tVelkaroMK2\r\n|0");
    EXPECT_EQ(LinkStateText(link, clock.TickMs()), "");

    // The next tick reads the settings again and supervises the link as before.
    port.onWrite = nullptr;
    Tick(1);
    EXPECT_EQ(link.state.watchdogOn, 1);
    const int before = KeepAlives();
    Tick(401);
    EXPECT_EQ(KeepAlives(), before + 1);
}

TEST_F(Supervision, OutsideARunOnlyFailuresAreShownAndKeptPassingsAreDropped) {
    LoseTheLink(false);
    EXPECT_TRUE(link.state.linkReport.Empty());
    EXPECT_EQ(notices.posted, 0u);
    Tick(4501, false);
    EXPECT_EQ(Notices(), kNotRestored);

    AnswerWithKeptPassings({kKept1001}, {});
    clock.AdvanceMs(4501);
    SuperviseLink(link, notices, false, PassingSink{});
    EXPECT_EQ(Fields(notices.posted, link.settings.ready, Settings()),
              "1|1|COM3\t1\tVelkaroMK2\r\n");
}

TEST_F(Supervision, StartUpDetectsOnTheFilesPortRewritesItAndSaysWhatItFound) {
    AnswerWithKeptPassings({}, {});
    Settings("COM9\t0\tVelkaro\n");
    messages.Expect(MessageAnswer::Ok);
    EXPECT_EQ(ConnectDecoderAtStartUp(link, messages, notices), DetectResult::Mk2);
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(Fields(port.openedName, Settings(), messages.shown[0].title, messages.shown[0].text),
              "COM9|COM9\t1\tVelkaroMK2\r\n|Message|Interface Velkaro MK2 ready to operate");

    port.onWrite = nullptr;
    messages.Expect(MessageAnswer::Ok);
    EXPECT_EQ(ConnectDecoderAtStartUp(link, messages, notices), DetectResult::Mk1);
    EXPECT_EQ(Fields(messages.shown[1].text, Settings(), LinkStateText(link, 0)),
              "COM port opened correctly, OK !\n Interface Velkaro MK1 ready to operate|"
              "COM9\t1\tVelkaro\r\n|");

    // No decoder: no box over the empty window, the panel's link state says what to do.
    port.failOpen = true;
    EXPECT_EQ(ConnectDecoderAtStartUp(link, messages, notices), DetectResult::PortNotOpened);
    EXPECT_EQ(Fields(messages.shown.size(), Notices(), LinkStateText(link, 0)),
              "2|Could not open the COM port|No decoder on COM9\nSet its port in Settings > "
              "Interface,\nor start the decoder simulator");
}

TEST_F(Supervision, WithoutASettingsFileStartUpAndTicksReportItAndNothingIsSupervised) {
    std::filesystem::remove(folder.Path() / kOnDisk);
    Tick(0);
    Tick(1000);
    EXPECT_TRUE(port.writes.empty());
    EXPECT_EQ(Notices(), "Error: COM port file not found");  // from the tick: no box
    messages.Expect(MessageAnswer::Ok);
    EXPECT_EQ(ConnectDecoderAtStartUp(link, messages, notices), DetectResult::PortNotOpened);
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(Fields(messages.shown[0].title, messages.shown[0].text, Notices(), Settings(),
                     LinkStateText(link, 0).View().substr(0, 24)),
              "Error|Error: COM port file not found|"
              "Error: COM port file not found|Could not open the COM port|\t0\tVelkaro\r\n|"
              "No decoder on its port\nS");
}

TEST_F(Supervision, IdleReadsThrowAwayOneReadsWorth) {
    port.QueueRead(Bytes(300, 0x55));
    DiscardDecoderInput(link);
    std::uint8_t rest[300];
    int n = 0;
    ASSERT_TRUE(port.Read(rest, 300, &n));
    EXPECT_EQ(n, 300 - kMaxRead);
}

TEST(LinkReport, NeverGrowsPastItsSlotAndKeepsTheLossLine) {
    Text<120> report;
    report = kLoss;
    for (int attempt = 0; attempt < 5; ++attempt) {
        AppendLinkReport(report, kNotRestored);
        EXPECT_LE(report.Length(), 119u);
        EXPECT_EQ(report.View().substr(0, kLoss.size()), kLoss);
    }
    EXPECT_EQ(report, kLoss + kNotRestored);  // every third line starts over after the loss

    report.Clear();
    for (int attempt = 0; attempt < 4; ++attempt) AppendLinkReport(report, kNotRestored);
    EXPECT_EQ(report, kNotRestored);  // no loss line to keep: afresh
    AppendLinkReport(report, std::string(150, 'x'));
    EXPECT_EQ(report, std::string(119, 'x'));
}

}  // namespace
}  // namespace velkaro
