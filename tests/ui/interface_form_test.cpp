#include "timing/forms/interface_form.h"

#include <gtest/gtest.h>

#include <QComboBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <filesystem>

#include "platform/fake/fake_messages.h"
#include "platform/qt/qt_serial_port.h"
#include "tests/support/sim_process.h"
#include "tests/support/test_support.h"

namespace fs = std::filesystem;

namespace velkaro {
namespace {

class InterfaceFormTest : public ::testing::Test {
  protected:
    void SetUp() override {
        test::FailOnUnexpectedMessages(messages);
        link.port = &port;
        link.clock = &clock;
        link.disk = &SystemDisk();
        test::WriteWholeFile(folder.Path() / "R\u00E9glagesInterface2.rg", "COM1\t0\tVelkaro\r\n");
    }

    template <typename W>
    W* Control(InterfaceForm& form, const char* id) {
        W* w = form.findChild<W*>(id);
        EXPECT_NE(w, nullptr) << id;
        return w;
    }

    // Chooses the port in the list and presses "Connect", as a user would.
    void ConnectTo(InterfaceForm& form, const QString& port) {
        auto* list = Control<QComboBox>(form, "3904");
        list->setCurrentIndex(list->findText(port));
        Control<QPushButton>(form, "3905")->click();
    }

    std::string SettingsFile() {
        return test::ReadWholeFile(folder.Path() / "R\u00E9glagesInterface2.rg");
    }

    test::TempFolder folder;
    test::ScopedCurrentFolder here{folder.Path()};
    FakeMessages messages;
    QtSerialPort port{folder.Path().string()};
    SystemClock clock;
    DecoderLink link;
};

TEST_F(InterfaceFormTest, OpensOnTheFileAndListsFortyNinePorts) {
    InterfaceForm form(link, messages);
    auto* list = Control<QComboBox>(form, "3904");
    EXPECT_EQ(list->count(), 49);
    EXPECT_EQ(list->itemText(48), "COM49");
    EXPECT_EQ(list->currentText(), "COM1");
    EXPECT_TRUE(Control<QRadioButton>(form, "3901")->isChecked());
    EXPECT_EQ(Control<QPlainTextEdit>(form, "3903")->toPlainText(), " COM Port is not open !\n");
    EXPECT_EQ(form.windowTitle(), "Interface");
}

TEST_F(InterfaceFormTest, AMissingSettingsFileIsReportedAndAPortBeyondTheListSelectsNothing) {
    fs::remove(folder.Path() / "R\u00E9glagesInterface2.rg");
    messages.Expect(MessageAnswer::Ok);
    {
        InterfaceForm form(link, messages);
        ASSERT_EQ(messages.shown.size(), 1u);
        EXPECT_EQ(messages.shown[0].text, "Error: Interface file not found");
    }
    test::WriteWholeFile(folder.Path() / "R\u00E9glagesInterface2.rg", "COM57\t1\tVelkaroMK2\r\n");
    InterfaceForm form(link, messages);
    EXPECT_EQ(Control<QComboBox>(form, "3904")->currentIndex(), -1);
    EXPECT_TRUE(Control<QRadioButton>(form, "3902")->isChecked());
    EXPECT_EQ(Control<QPlainTextEdit>(form, "3903")->toPlainText(),
              " Interface MK2 ready to operate.\n");
}

TEST_F(InterfaceFormTest, ConnectingToAMissingPortWritesNotReady) {
    fs::create_directories(folder.Path() / "ports");
    fs::create_symlink("/dev/velkaro-no-such-device", folder.Path() / "ports" / "COM3");
    InterfaceForm form(link, messages);
    ConnectTo(form, "COM3");
    EXPECT_EQ(Control<QPlainTextEdit>(form, "3903")->toPlainText(),
              " COM Port opening attempt :\n Could not open the COM Port !\n");
    EXPECT_EQ(SettingsFile(), "COM3\t0\tVelkaro\r\n");
    EXPECT_EQ(form.Settings().ready, 0);
}

TEST_F(InterfaceFormTest, AnMk1IsFoundBySilenceAndAnMk2ByItsAnswer) {
    test::SimProcess mk1(VELKARO_DECODER_SIM, {"--folder", folder.Path().string(), "--port", "4",
                                               "--model", "mk1", "--quiet"});
    test::SimProcess mk2(VELKARO_DECODER_SIM, {"--folder", folder.Path().string(), "--port", "5",
                                               "--model", "mk2", "--quiet"});
    ASSERT_TRUE(mk1.WaitFor("port entry"));
    ASSERT_TRUE(mk2.WaitFor("port entry"));

    InterfaceForm form(link, messages);
    ConnectTo(form, "COM4");
    EXPECT_EQ(Control<QPlainTextEdit>(form, "3903")->toPlainText(),
              " COM Port opening attempt :\n COM Port opened correctly, OK !\n Interface MK1 "
              "ready to operate !\n");
    EXPECT_TRUE(Control<QRadioButton>(form, "3901")->isChecked());
    EXPECT_EQ(SettingsFile(), "COM4\t1\tVelkaro\r\n");

    // The MK2 is recognised whichever radio was checked before.
    Control<QRadioButton>(form, "3901")->click();
    ConnectTo(form, "COM5");
    EXPECT_TRUE(Control<QRadioButton>(form, "3902")->isChecked());
    EXPECT_EQ(SettingsFile(), "COM5\t1\tVelkaroMK2\r\n");
    EXPECT_EQ(form.Settings().ready, 1);
}

}  // namespace
}  // namespace velkaro
