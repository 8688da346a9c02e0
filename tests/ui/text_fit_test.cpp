// No text of a form or of the race panel is clipped with the program's fonts on the smallest
// screen it is made for (1600 x 900: the suite runs on such a virtual screen).

#include <gtest/gtest.h>

#include <QApplication>
#include <QScreen>

#include "analysis/forms/analysis_forms.h"
#include "databases/forms/editor_form.h"
#include "databases/forms/transponder_forms.h"
#include "finals/forms/finals_forms.h"
#include "platform/clock.h"
#include "platform/fake/fake_dialogs.h"
#include "platform/fake/fake_messages.h"
#include "platform/fake/fake_serial_port.h"
#include "platform/fake/fake_sound_player.h"
#include "platform/program_folder.h"
#include "platform/qt/qt_text.h"
#include "qualification/forms/classification_forms.h"
#include "qualification/forms/preparation_forms.h"
#include "shell/live_options.h"
#include "shell/main_window.h"
#include "shell/notice_log_form.h"
#include "shell/options_forms.h"
#include "tests/support/test_support.h"
#include "tests/support/text_fit.h"
#include "timing/forms/interface_form.h"
#include "timing/interface_status.h"

namespace velkaro {
namespace {

class TextFit : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_EQ(QApplication::primaryScreen()->geometry().size(), QSize(1600, 900));
        ASSERT_TRUE(SeedProgramFolder(folder.Path().string(), VELKARO_SHIPPED_DATA).ok);
        messages.allowAny = true;
    }

    test::TempFolder folder;
    test::ScopedCurrentFolder here{folder.Path()};
    FakeMessages messages;
    FakeDialogs dialogs;
    FakeSoundPlayer sounds;
    SystemClock clock;
    FakeSerialPort port;
    AppPlatform platform{messages, dialogs, sounds, clock, port, nullptr, &SystemDisk()};
};

TEST_F(TextFit, EveryFormAndTheRacePanel) {
    DecoderLink link;
    link.port = &port;
    link.clock = &clock;
    InterfaceForm interface(link, messages);
    ClubsForm clubs(kClubsEditor, messages, dialogs, SystemDisk());
    CircuitsForm circuits(kCircuitsEditor, messages, dialogs, SystemDisk());
    DriversForm drivers(kDriversEditor, messages, dialogs, SystemDisk());
    FrequenciesForm frequencies(kFrequenciesEditor, messages, dialogs, SystemDisk());
    TranspondersForm sets(messages, SystemDisk());
    RunEngine engine;
    DriverDetailsForm details(1, 0, link, engine, messages, SystemDisk());
    AppState finalsState;
    finalsState.event.header.categoryCount = 1;
    finalsState.event.header.categories[0].name = std::string(53, 'W');
    FinalsArrangementForm finalsArrangement(1, finalsState.event.header, messages, SystemDisk());
    FinalsOptionsForm finalsOptions(1, finalsState.event.header, messages, SystemDisk());
    ClosureReportForm closure(1, finalsState.track, dialogs, clock, messages, SystemDisk());
    SwapLanesForm swapLanes(1, 1, 'B', finalsState.event.header, engine, messages, SystemDisk());
    PlanningMemory planning;
    planning.qualification.category = std::string(53, 'W');
    QualifPlanningForm qualifPlanning(planning, messages);
    FinalsPlanningForm finalsPlanning(planning, messages);
    int analysisView = 0;
    DriverAnalysisForm analysis(analysisView, platform);
    RunDetailsForm runDetails(messages, SystemDisk());
    CommentForm comment(messages, SystemDisk());
    SoundOptionsForm soundOptions(messages, SystemDisk());
    DisplayOptionsForm displayOptions(dialogs, messages, SystemDisk(), folder.Path().string());
    LiveOptionsForm liveOptions(messages, SystemDisk(), "http://255.255.255.255:65535/");
    for (const QWidget* form : std::initializer_list<const QWidget*>{
             &interface, &clubs, &circuits, &drivers, &frequencies, &sets, &details,
             &finalsArrangement, &finalsOptions, &closure, &swapLanes, &qualifPlanning,
             &finalsPlanning, &analysis, &runDetails, &comment, &soundOptions, &displayOptions,
             &liveOptions}) {
        EXPECT_EQ(test::ClippedTexts(*form).join("\n").toStdString(), "")
            << form->objectName().toStdString();
    }

    sounds.status = "output does not open";  // the longest reason the player gives
    MainWindow window(platform);
    window.show();
    auto* soundOff = static_cast<QLabel*>(window.PanelControl(2231));
    ASSERT_NE(soundOff, nullptr);
    EXPECT_TRUE(soundOff->isVisibleTo(&window));
    EXPECT_EQ(soundOff->text().toStdString(), "Sound off: output does not open");
    // The link state at its longest: lost, and no decoder on its port.
    auto* linkDown = static_cast<QLabel*>(window.PanelControl(2230));
    linkDown->setText("Decoder link lost at 23:59:59\nDown 999:59, retrying");
    window.findChild<QLabel*>("2245")->setText(
        "Decoder silent for 99:59: no byte since 9:59:59.999");
    window.findChild<QLabel*>(QString::number(kLiveAddressPanelText))
        ->setText("Live page: http://255.255.255.255:65535/");
    EXPECT_EQ(test::ClippedTexts(window).join("\n").toStdString(), "");
    link.settings.port = "COM49";
    linkDown->setText(ToQString(LinkStateText(link, 0).View()));
    EXPECT_EQ(test::ClippedTexts(window).join("\n").toStdString(), "");
    NoticeLogForm log(NoticeLog{}, clock, messages);
    EXPECT_EQ(test::ClippedTexts(log).join("\n").toStdString(), "");
}

TEST_F(TextFit, QualificationForms) {
    ASSERT_EQ(
        CreateNewEventFile("A CATEGORY NAME OF FIFTY-FOUR CHARACTERS AT MOST, LONG", SystemDisk()),
        FileOutcome::Done);
    TrackForm track(messages, SystemDisk());
    ParticipantsForm participants(1, messages, dialogs, clock, SystemDisk());
    QualifOptionsForm options(1, messages, SystemDisk());
    ArrangementForm arrangement(1, messages, dialogs, clock, sounds, SystemDisk());
    GridsForm grids(1, messages, SystemDisk());
    RoundClassificationForm round(1, 1, platform);
    OverallClassificationForm overall(1, platform);
    for (const QWidget* form : std::initializer_list<const QWidget*>{
             &track, &participants, &options, &arrangement, &grids, &round, &overall}) {
        EXPECT_EQ(test::ClippedTexts(*form).join("\n").toStdString(), "")
            << form->objectName().toStdString();
    }
}

}  // namespace
}  // namespace velkaro
