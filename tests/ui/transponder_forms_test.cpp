#include "databases/forms/transponder_forms.h"

#include <gtest/gtest.h>

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTest>
#include <filesystem>
#include <thread>

#include "databases/forms/editor_form.h"
#include "platform/clock.h"
#include "platform/fake/fake_messages.h"
#include "platform/fake/fake_serial_port.h"
#include "platform/qt/qt_serial_port.h"
#include "tests/support/sim_process.h"
#include "tests/support/test_support.h"
#include "timing/decoder_link.h"
#include "timing/run_control.h"

namespace fs = std::filesystem;

namespace velkaro {
namespace {

const std::string kSets = "BaseDonn\u00E9esTranspondeurs.bd";

template <typename W>
W* Control(QWidget& form, int id) {
    W* w = form.findChild<W*>(QString::number(id));
    EXPECT_NE(w, nullptr) << id;
    return w;
}

class TransponderForms : public ::testing::Test {
  protected:
    void SetUp() override {
        test::FailOnUnexpectedMessages(messages);
        std::string sets;
        for (int s = 1; s <= kTransponderSets; ++s) {
            sets += "Set" + std::to_string(s) + std::string(kTranspondersPerSet + 1, '\t') + "\r\n";
        }
        Put(kSets, sets);
        Put("R\u00E9glagesInterface2.rg", "COM7\t1\tVelkaro\r\n");
        Put("BaseDonn\u00E9esFr\u00E9quences.bd", "27.045\r\n40.665\r\n");
        fs::create_directories(folder.Path() / "Private");
        ASSERT_EQ(CreateNewEventFile("CATEGORIE 1", SystemDisk()), FileOutcome::Done);
        Participants p{};
        p[0].name = "Anne";
        p[1].name = "B\xC9RANGER Luc";
        p[1].transponder = "001001";
        p[1].frequencies[2] = "40.665";
        ASSERT_EQ(WriteParticipants(1, p, messages, SystemDisk()), FileOutcome::Done);
        link.clock = &clock;
        link.disk = &SystemDisk();
        engine.link = &link;
    }
    void Put(const std::string& name, const std::string& bytes) {
        test::WriteWholeFile(folder.Path() / name, bytes);
    }
    std::string Get(const std::string& name) { return test::ReadWholeFile(folder.Path() / name); }
    ParticipantRecord Stored(int slot) {
        auto p = std::make_unique<Participants>();
        EXPECT_EQ(ReadParticipants(1, *p, SystemDisk()), FileOutcome::Done);
        return (*p)[static_cast<std::size_t>(slot)];
    }

    test::TempFolder folder;
    test::ScopedCurrentFolder here{folder.Path()};
    FakeMessages messages;
    SystemClock clock;
    DecoderLink link;
    RunEngine engine;
};

TEST_F(TransponderForms, TheSetsAreEditedAndOkAlwaysWritesTwentyLines) {
    const std::string before = Get(kSets);
    {
        TranspondersForm form(messages, SystemDisk());
        EXPECT_EQ(Control<QListWidget>(form, kSetListId)->count(), kTransponderSets);
        EXPECT_EQ(Control<QLineEdit>(form, kSetNameId)->text(), "Set1");
        Control<QListWidget>(form, kSetListId)->setCurrentRow(1);
        EXPECT_EQ(Control<QLineEdit>(form, kSetNameId)->text(), "Set2");
        Control<QLineEdit>(form, kFirstSetTransponderId + 2)->setText("0004821");
        Control<QPushButton>(form, kCancelId)->click();
    }
    EXPECT_EQ(Get(kSets), before);
    {
        TranspondersForm form(messages, SystemDisk());
        Control<QListWidget>(form, kSetListId)->setCurrentRow(1);
        // The letter is refused as it is typed; the number is kept as its six digits.
        QTest::keyClicks(Control<QLineEdit>(form, kFirstSetTransponderId + 2), "48x2");
        EXPECT_EQ(Control<QLineEdit>(form, kFirstSetTransponderId + 2)->text(), "482");
        Control<QPushButton>(form, kOkId)->click();
    }
    std::string expected = before;
    expected.replace(expected.find("Set2\t") + 5, 2, "\t\t000482");
    EXPECT_EQ(Get(kSets), expected);

    fs::remove(folder.Path() / kSets);
    messages.Expect(MessageAnswer::Ok);
    TranspondersForm empty(messages, SystemDisk());
    Control<QPushButton>(empty, kOkId)->click();
    std::string twentyEmptyLines;
    for (int i = 0; i < kTransponderSets; ++i) twentyEmptyLines += std::string(21, '\t') + "\r\n";
    EXPECT_EQ(Get(kSets), twentyEmptyLines);
}

TEST_F(TransponderForms, DriversDetailsShowAndRewriteTheParticipant) {
    FakeSerialPort port;
    link.port = &port;
    DriverDetailsForm form(1, 1, link, engine, messages, SystemDisk());
    EXPECT_EQ(Control<QLineEdit>(form, kDriverNameId)->text(), "B\u00C9RANGER Luc");
    EXPECT_EQ(Control<QComboBox>(form, kFirstFrequencyListId + 2)->currentText(), "40.665");
    EXPECT_EQ(Control<QComboBox>(form, kFirstFrequencyListId)->currentIndex(), -1);
    auto* transponder = Control<QLineEdit>(form, kDriverTransponderId);
    transponder->clear();
    QTest::keyClicks(transponder, "42b4");
    EXPECT_EQ(form.Participant().transponder, "000424");
    QTest::keyClicks(transponder, "2777");  // a seventh digit is refused
    EXPECT_EQ(transponder->text(), "424277");
    transponder->setText("4242");
    EXPECT_EQ(form.Participant().transponder, "004242");
    auto* freq1 = Control<QComboBox>(form, kFirstFrequencyListId);
    freq1->setCurrentIndex(0);
    emit freq1->activated(0);
    Control<QPushButton>(form, kOkId)->click();
    ParticipantRecord stored = Stored(1);
    EXPECT_EQ(stored.transponder, "004242");
    EXPECT_EQ(stored.frequencies[0], "27.045");
    EXPECT_EQ(stored.frequencies[2], "40.665");
    EXPECT_EQ(Stored(0).name, "Anne");
}

TEST_F(TransponderForms, TheScanDecodesMk1PairsAndMk2FramesAndLeavesARunsBytesAlone) {
    struct Case {
        const char* type;
        std::vector<std::vector<std::uint8_t>> reads;
        const char* shown;
    };
    const Case cases[] = {
        {"Velkaro", {{0x01, 0xE2}}, "000482"},
        {"Velkaro", {{0x01, 0xE2, 0x00, 0x07, 0x05}}, "000007"},  // the last whole pair stays
        {"VelkaroMK2", {{0x17, 0xFF, 0xFF, 0xFF, 0xF0, 0x00, 0x2A, 0, 0, 1, 0xB4, 0x5F}}, "000042"},
        // A frame cut by the end of a read is completed by the next.
        {"VelkaroMK2", {{0xFF, 0xFF, 0xFF, 0xF0, 0x03}, {0xE9, 0, 0, 1, 0xB4, 0x5F}}, "001001"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.shown);
        FakeSerialPort port;
        ASSERT_TRUE(OpenPort(port, "COM7"));
        link.port = &port;
        link.settings.interfaceType = c.type;
        DriverDetailsForm form(1, 0, link, engine, messages, SystemDisk());
        auto* scan = Control<QPushButton>(form, kScanId);
        scan->click();
        EXPECT_EQ(Control<QLabel>(form, kScanStatusId)->text(), "On");
        EXPECT_TRUE(Control<QLineEdit>(form, kDriverTransponderId)->isReadOnly());
        for (const auto& read : c.reads) {
            port.QueueRead(read);
            form.Tick();
        }
        EXPECT_EQ(Control<QLineEdit>(form, kDriverTransponderId)->text(), c.shown);
        EXPECT_EQ(form.Participant().transponder, c.shown);

        // A running heat owns the port: the form leaves its bytes to it.
        engine.phase = RunPhase::Running;
        port.QueueRead({0x00, 0x09});
        form.Tick();
        EXPECT_TRUE(port.ReadsPending());
        engine.phase = RunPhase::Armed;
        scan->click();
        EXPECT_EQ(Control<QLabel>(form, kScanStatusId)->text(), "Off");
        form.Tick();  // scanning off: what comes is thrown away
        EXPECT_FALSE(port.ReadsPending());
        EXPECT_EQ(form.Participant().transponder, c.shown);
    }
}

TEST_F(TransponderForms, TheScanReadsTheSimulatorOverAPseudoTerminal) {
    struct Case {
        const char* model;
        const char* type;
        const char* transponder;
    };
    for (const Case& c : {Case{"mk1", "Velkaro", "000482"}, Case{"mk2", "VelkaroMK2", "004321"}}) {
        SCOPED_TRACE(c.model);
        test::SimProcess sim(VELKARO_DECODER_SIM,
                             {"--folder", folder.Path().string(), "--port", "7", "--model", c.model,
                              "--transponders", std::to_string(std::atoi(c.transponder)),
                              "--lap-mean", "0.3", "--start", "0", "--quiet"});
        ASSERT_TRUE(sim.WaitFor("port entry"));
        QtSerialPort port{folder.Path().string()};
        link.port = &port;
        link.settings.interfaceType = c.type;
        ASSERT_TRUE(OpenPort(port, "COM7"));
        DriverDetailsForm form(1, 0, link, engine, messages, SystemDisk());
        Control<QPushButton>(form, kScanId)->click();
        auto* field = Control<QLineEdit>(form, kDriverTransponderId);
        for (test::Deadline end = test::In(std::chrono::seconds(10));
             field->text() != c.transponder && test::Before(end);) {
            form.Tick();
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        EXPECT_EQ(field->text(), c.transponder);
        Control<QPushButton>(form, kOkId)->click();
        EXPECT_EQ(Stored(0).transponder, c.transponder);
        ClosePort(port);
    }
}

}  // namespace
}  // namespace velkaro
