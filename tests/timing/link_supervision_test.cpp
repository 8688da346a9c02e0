#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/fake/fake_clock.h"
#include "platform/fake/fake_messages.h"
#include "platform/fake/fake_serial_port.h"
#include "tests/support/test_support.h"
#include "timing/decoder_link.h"

namespace velkaro {
namespace {

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
        test::WriteWholeFile(folder.Path() / kOnDisk, "COM3\t1\tVelkaroMK2\r\n");
        clock.counterStepPerRead = 1000;
        link.port = &port;
        link.clock = &clock;
        ASSERT_TRUE(OpenPort(port, "COM3"));  // as the start-up left it
    }
    void Tick(std::uint32_t afterMs, bool running = true) {
        clock.AdvanceMs(afterMs);
        SuperviseLink(link, messages, running, sink);
    }
    int KeepAlives() const {
        int n = 0;
        for (const Bytes& w : port.writes) n += w == kKeepAliveBytes;
        return n;
    }
    std::string SettingsFile() const { return test::ReadWholeFile(folder.Path() / kOnDisk); }
    // Runs until the link is declared lost, the race clock then standing at 1:05.399.
    void LoseTheLink() {
        Tick(0);
        port.writesFail = true;
        Tick(401);
        link.timeBase.runStartTick = clock.TickMs() + 401 - 65399;
        Tick(401);
        ASSERT_EQ(link.state.restoring, 1);
    }

    test::TempFolder folder;
    test::ScopedCurrentFolder here{folder.Path()};
    FakeSerialPort port;
    FakeClock clock;
    FakeMessages messages;
    DecoderLink link;
    std::vector<Passing> restored;
    PassingSink sink = [this](const Passing& p) { restored.push_back(p); };
};

TEST_F(Supervision, AnMk2GetsAKeepAliveEvery400Ms) {
    Tick(0);
    EXPECT_EQ(link.state.watchdogOn, 1);
    Tick(400);
    EXPECT_EQ(KeepAlives(), 0);
    Tick(1);
    EXPECT_EQ(KeepAlives(), 1);
    Tick(401);
    Tick(401);
    EXPECT_EQ(KeepAlives(), 3);
    EXPECT_EQ(port.writes.size(), 3u);
}

TEST_F(Supervision, AnMk1IsNeverSupervised) {
    test::WriteWholeFile(folder.Path() / kOnDisk, "COM3\t1\tVelkaro\r\n");
    for (int i = 0; i < 30; ++i) Tick(500);
    EXPECT_TRUE(port.writes.empty());
    EXPECT_EQ(link.state.watchdogOn, 0);
}

TEST_F(Supervision, OneFailedKeepAliveIsToleratedTwoInARowAreALoss) {
    Tick(0);
    port.writesFail = true;
    Tick(401);
    port.writesFail = false;
    Tick(401);
    EXPECT_EQ(link.state.missedWrites, 0);
    EXPECT_TRUE(port.IsOpen());

    LoseTheLink();
    EXPECT_FALSE(port.IsOpen());
    EXPECT_EQ(link.settings.ready, 0);
    EXPECT_EQ(link.state.watchdogOn, 0);
    EXPECT_EQ(SettingsFile(), "COM3\t0\tVelkaro\r\n");
    EXPECT_EQ(link.state.linkReport, kLoss);
}

TEST_F(Supervision, RestorationTriesEvery4500MsAndReportsEachOutcome) {
    LoseTheLink();
    port.failOpen = true;
    int opens = port.openCount;
    Tick(4500);
    EXPECT_EQ(port.openCount, opens);
    Tick(1);  // a port that cannot be opened: silence
    EXPECT_EQ(port.openCount, opens + 1);

    port.failOpen = false;
    port.writesFail = false;
    messages.Expect(MessageAnswer::Ok);
    Tick(4501);  // opens, but nobody answers
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.shown[0].title, "Error");
    EXPECT_EQ(messages.shown[0].text, kLoss + kNotRestored);
    EXPECT_EQ(port.writes.back(), kQueryBytes);

    // The decoder kept two passings while the link was down and sends them around its answer.
    port.onWrite = [](FakeSerialPort& p, const Bytes& written) {
        if (written != kQueryBytes) return;
        Bytes reply{0xFF, 0xFF, 0xFF, 0xF0, 0x03, 0xE9, 0x00, 0x01, 0x05, 0x49, 0xE5};
        reply.insert(reply.end(), kMk2Answer.begin(), kMk2Answer.end());
        Bytes later{0xFF, 0xFF, 0xFF, 0xF0, 0x03, 0xEA, 0x00, 0x01, 0x07, 0x48, 0xE5};
        reply.insert(reply.end(), later.begin(), later.end());
        p.QueueRead(reply);
    };
    link.timeBase.runTimeOffset = 1000;
    link.timeBase.runStartTick = clock.TickMs() + 4501 - 78950;
    messages.Expect(MessageAnswer::Ok);
    Tick(4501);
    ASSERT_EQ(restored.size(), 2u);
    EXPECT_EQ(restored[0].transponder, "001001");
    EXPECT_EQ(restored[0].timeMs, 64005);
    EXPECT_EQ(restored[1].transponder, "001002");
    EXPECT_EQ(restored[1].timeMs, 66000);
    ASSERT_EQ(messages.shown.size(), 2u);
    EXPECT_EQ(messages.shown[1].title, "Message");
    // No room for all three lines: the loss line stays with the newest.
    EXPECT_EQ(messages.shown[1].text,
              kLoss + "Connection of the decoder MK2 restored at 1:18.900.");
    EXPECT_EQ(SettingsFile(), "COM3\t1\tVelkaroMK2\r\n");
    EXPECT_EQ(link.state.restoring, 0);

    // The next tick reads the settings again and supervises the link as before.
    port.onWrite = nullptr;
    Tick(1);
    EXPECT_EQ(link.state.watchdogOn, 1);
    int before = KeepAlives();
    Tick(401);
    EXPECT_EQ(KeepAlives(), before + 1);
}

TEST_F(Supervision, OutsideARunOnlyFailuresAreShownAndKeptPassingsAreDropped) {
    Tick(0, false);
    port.writesFail = true;
    Tick(401, false);
    Tick(401, false);
    ASSERT_EQ(link.state.restoring, 1);
    EXPECT_TRUE(link.state.linkReport.Empty());

    port.writesFail = false;
    messages.Expect(MessageAnswer::Ok);
    Tick(4501, false);
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.shown[0].text, kNotRestored);

    port.onWrite = [](FakeSerialPort& p, const Bytes& written) {
        if (written != kQueryBytes) return;
        Bytes reply{0xFF, 0xFF, 0xFF, 0xF0, 0x03, 0xE9, 0x00, 0x01, 0x05, 0x49, 0xE5};
        reply.insert(reply.end(), kMk2Answer.begin(), kMk2Answer.end());
        p.QueueRead(reply);
    };
    clock.AdvanceMs(4501);
    SuperviseLink(link, messages, false, PassingSink{});
    EXPECT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(link.settings.ready, 1);
    EXPECT_EQ(SettingsFile(), "COM3\t1\tVelkaroMK2\r\n");
}

TEST_F(Supervision, AMissingSettingsFileIsReportedAndNothingIsSupervised) {
    std::filesystem::remove(folder.Path() / kOnDisk);
    messages.Expect(MessageAnswer::Ok);
    Tick(0);
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.shown[0].title, "Error");
    EXPECT_EQ(messages.shown[0].text, "Error: COM port file not found");
    Tick(1000);
    EXPECT_TRUE(port.writes.empty());
}

TEST_F(Supervision, TheInterfaceFormSuspendsItAndItResumesFromTheFile) {
    Tick(0);
    SuspendLinkSupervision(link);
    Tick(1000);
    EXPECT_EQ(KeepAlives(), 0);
    test::WriteWholeFile(folder.Path() / kOnDisk, "COM3\t1\tVelkaro\r\n");  // an MK1 now
    ReloadLinkSettings(link);
    Tick(1000);
    EXPECT_EQ(KeepAlives(), 0);
    test::WriteWholeFile(folder.Path() / kOnDisk, "COM3\t1\tVelkaroMK2\r\n");
    ReloadLinkSettings(link);
    Tick(0);
    Tick(401);
    EXPECT_EQ(KeepAlives(), 1);
}

TEST_F(Supervision, StartUpDetectsOnTheFilesPortRewritesItAndSaysWhatItFound) {
    port.onWrite = [](FakeSerialPort& p, const Bytes& written) {
        if (written == kQueryBytes) p.QueueRead(kMk2Answer);
    };
    test::WriteWholeFile(folder.Path() / kOnDisk, "COM9\t0\tVelkaro\n");
    messages.Expect(MessageAnswer::Ok);
    EXPECT_EQ(ConnectDecoderAtStartUp(link, messages), DetectResult::Mk2);
    EXPECT_EQ(port.openedName, "COM9");
    EXPECT_EQ(SettingsFile(), "COM9\t1\tVelkaroMK2\r\n");
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.shown[0].title, "Message");
    EXPECT_EQ(messages.shown[0].text, "Interface Velkaro MK2 ready to operate");

    port.onWrite = nullptr;
    messages.Expect(MessageAnswer::Ok);
    EXPECT_EQ(ConnectDecoderAtStartUp(link, messages), DetectResult::Mk1);
    EXPECT_EQ(messages.shown[1].text,
              "COM port opened correctly, OK !\n Interface Velkaro MK1 ready to operate");
    EXPECT_EQ(SettingsFile(), "COM9\t1\tVelkaro\r\n");
}

TEST_F(Supervision, StartUpWithoutASettingsFileReportsItAndAPortThatCannotOpen) {
    std::filesystem::remove(folder.Path() / kOnDisk);
    messages.Expect(MessageAnswer::Ok);
    messages.Expect(MessageAnswer::Ok);
    EXPECT_EQ(ConnectDecoderAtStartUp(link, messages), DetectResult::PortNotOpened);
    ASSERT_EQ(messages.shown.size(), 2u);
    EXPECT_EQ(messages.shown[0].text, "Error: COM port file not found");
    EXPECT_EQ(messages.shown[1].title, "Message");
    EXPECT_EQ(messages.shown[1].text, "Could not open the COM port");
    EXPECT_EQ(SettingsFile(), "\t0\tVelkaro\r\n");
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
