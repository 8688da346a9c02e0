// No text of a form or of the race panel is clipped with the program's fonts, and no control of
// a form lies over another: the race panel on the race PC's 1600 x 900 screen, every form on a
// 1366 x 768 and on a 1920 x 1080 screen beside it (the suite runs on such virtual screens).
// Every scrolling table reaches its last row.

#include <gtest/gtest.h>

#include <QAbstractScrollArea>
#include <QApplication>
#include <QMap>
#include <QScreen>
#include <QScrollBar>
#include <QTest>
#include <QWheelEvent>
#include <filesystem>
#include <functional>
#include <memory>

#include "analysis/forms/analysis_forms.h"
#include "databases/forms/editor_form.h"
#include "databases/forms/transponder_forms.h"
#include "finals/forms/finals_forms.h"
#include "forms_kit/form_host.h"
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
#include "tests/support/fake_shell.h"
#include "tests/support/test_support.h"
#include "tests/support/text_fit.h"
#include "timing/forms/interface_form.h"
#include "timing/interface_status.h"

namespace velkaro {
namespace {

// What is wrong with a form on each screen but the race PC's: texts clipped, controls over one
// another, a form larger than the screen, two controls with one id.
std::string LayoutFaults(QWidget& form) {
    QStringList faults;
    for (QScreen* screen : QGuiApplication::screens()) {
        if (screen == QGuiApplication::primaryScreen()) continue;
        form.move(screen->availableGeometry().topLeft());
        form.show();
        const QSize room = screen->availableGeometry().size();
        if (form.frameGeometry().width() > room.width() ||
            form.frameGeometry().height() > room.height()) {
            faults << QString("%1 larger than %2x%3")
                          .arg(form.objectName())
                          .arg(room.width())
                          .arg(room.height());
        }
        faults << test::ClippedTexts(form) << test::OverlappingControls(form);
        form.hide();
    }
    // Tests and assistive tools find a control by its id: one id, one control.
    QMap<QString, int> ids;
    for (const QWidget* c : form.findChildren<QWidget*>()) {
        bool number = false;
        c->objectName().toInt(&number);
        if (number && ++ids[c->objectName()] == 2) faults << "id " + c->objectName() + " twice";
    }
    faults.removeDuplicates();
    return faults.join("\n").toStdString();
}

class TextFit : public ::testing::Test, public test::FormsDesk {
  protected:
    void SetUp() override {
        ASSERT_EQ(QApplication::primaryScreen()->geometry().size(), QSize(1600, 900));
        ASSERT_EQ(QApplication::screens().size(), 3);
        ASSERT_TRUE(SeedProgramFolder(folder.Path().string(), VELKARO_SHIPPED_DATA).ok);
        messages.allowAny = true;
    }
};

TEST_F(TextFit, EveryFormAndTheRacePanel) {
    DecoderLink link;
    link.port = &port;
    link.clock = &clock;
    link.disk = &SystemDisk();
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
    for (QWidget* form : std::initializer_list<QWidget*>{
             &interface, &clubs, &circuits, &drivers, &frequencies, &sets, &details,
             &finalsArrangement, &finalsOptions, &closure, &swapLanes, &qualifPlanning,
             &finalsPlanning, &analysis, &runDetails, &comment, &soundOptions, &displayOptions,
             &liveOptions}) {
        EXPECT_EQ(LayoutFaults(*form), "") << form->objectName().toStdString();
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
    EXPECT_EQ(test::OverlappingControls(window).join("\n").toStdString(), "");
    link.settings.port = "COM49";
    linkDown->setText(ToQString(LinkStateText(link, 0).View()));
    EXPECT_EQ(test::ClippedTexts(window).join("\n").toStdString(), "");
    NoticeLogForm log(NoticeLog{}, clock, messages);
    EXPECT_EQ(LayoutFaults(log), "");
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
    for (QWidget* form : std::initializer_list<QWidget*>{&track, &participants, &options,
                                                         &arrangement, &grids, &round, &overall}) {
        EXPECT_EQ(LayoutFaults(*form), "") << form->objectName().toStdString();
    }
    // A new category's order is fixed: its grids say so and take no typing.
    EXPECT_TRUE(
        grids.findChild<QWidget*>(QString::number(kGridsReadOnlyReason))->isVisibleTo(&grids));
    EXPECT_FALSE(grids.findChild<QWidget*>(QString::number(kFirstGridEdit + 1))->isEnabled());
    // Planted: the minimum lap time over the event's name, and a radio half out of its group.
    track.findChild<QWidget*>(QString::number(kMinimumLapEdit))->move(Dlu(92, 10, 0, 0).topLeft());
    options.findChild<QWidget*>("4418")->move(Dlu(300, 300, 0, 0).topLeft());
    EXPECT_EQ(LayoutFaults(track).substr(0, 22) + "|" + LayoutFaults(options).substr(0, 22),
              "4101 and 4109 overlap |4422 and 4418 overlap ");
}

constexpr int kDrivers = 41;

// A category of 41 drivers, three heats of 14, two rounds of points and the overall, finals
// started; a run of 12 cars over 30 laps; a driver of 20 passings; 60 drivers in the database.
void WriteManyRows(const std::filesystem::path& folder, Messages& messages) {
    std::filesystem::create_directories(folder / "Private");
    ASSERT_EQ(CreateNewEventFile("Touring", SystemDisk()), FileOutcome::Done);
    EventHeader h;
    ASSERT_EQ(ReadEventHeader(h, SystemDisk()), FileOutcome::Done);
    CategoryRecord& c = h.categories[0];
    c.participants = kDrivers;
    c.rounds = 2;
    c.heatsPerRound = 3;
    c.qualificationStarted = c.finalsState = 1;
    ASSERT_EQ(WriteEventHeader(h, SystemDisk()), FileOutcome::Done);
    auto p = std::make_unique<Participants>();
    HeatSlotList heatSlots = DefaultHeatSlotList();
    heatSlots.driversPerHeat = 14;
    heatSlots.rounds = 2;
    OverallClassification overall;
    RoundClassification round;
    for (std::size_t i = 0; i < kDrivers; ++i) {
        Format((*p)[i].name, "Driver %02d", int(i + 1));
        heatSlots.places[i] = overall.names[i] = round.entries[i].name = (*p)[i].name;
        round.entries[i].points = kDrivers - int(i);
    }
    ASSERT_EQ(WriteParticipants(1, *p, messages, SystemDisk()), FileOutcome::Done);
    ASSERT_EQ(WriteHeatSlotList(1, heatSlots, true, messages, SystemDisk()), FileOutcome::Done);
    for (int r = 1; r <= 2; ++r) {
        ASSERT_EQ(WriteRoundClassification(1, r, kDrivers, round, messages, SystemDisk()),
                  FileOutcome::Done);
    }
    ASSERT_EQ(WriteOverallClassification(1, kDrivers, overall, messages, SystemDisk()),
              FileOutcome::Done);
    std::string details = "CLASSEMENTToursTemps\t\r\n", times;
    for (int lap = 1; lap <= 30; ++lap) times += std::to_string(lap * 12000) + "\t";
    for (int slot = 0; slot < kCarSlots; ++slot) {
        details +=
            slot < 12 ? "Car " + std::to_string(slot) + "\t30\t" + times + "\r\n" : "(NA)\t0\t\r\n";
    }
    test::WriteWholeFile(folder / "DetailResultats.res", details);
    std::string database;
    for (int i = 1; i <= 60; ++i)
        database += "Racer " + std::to_string(100 + i) + std::string(12, '\t') + "\r\n";
    test::WriteWholeFile(folder / "BaseDonn\u00E9esPilotes.bd", database);
    test::WriteWholeFile(
        folder / "ResultatPilote.res",
        "Driver 01\t20\t0\t" + times + "\r\n CAT - Round1 - Heat1 \tHome\tLaps\t\r\n");
}

class EveryRow : public TextFit {
  protected:
    void SetUp() override {
        TextFit::SetUp();
        WriteManyRows(folder.Path(), messages);
    }
};

// Every form with a scrolling table reaches its last row by the wheel and by the keys, and its
// handle is as long as the share of the rows in view.
TEST_F(EveryRow, TheWheelAndTheKeysReachTheLastRowOfEveryScrollingTable) {
    TrackRecord track;
    int analysisView = 0;
    using Make = std::function<std::unique_ptr<QWidget>()>;
    struct Case {
        const char* form;
        Make make;
        int bar;
        const char* area;    // the painting child the wheel turns over; none: the form itself
        int shown, maximum;  // a list: -1 and its rows, as many shown as fit
    };
    auto participants = [&] {
        return std::make_unique<ParticipantsForm>(1, messages, dialogs, clock, SystemDisk());
    };
    const Case cases[] = {
        {"closure report",
         [&] {
             return std::make_unique<ClosureReportForm>(1, track, dialogs, clock, messages,
                                                        SystemDisk());
         },
         5102, nullptr, 20, kDrivers - 20},
        {"round classification",
         [&] { return std::make_unique<RoundClassificationForm>(1, 1, platform); }, kRoundScrollBar,
         nullptr, 20, kDrivers - 20},
        {"overall classification",
         [&] { return std::make_unique<OverallClassificationForm>(1, platform); },
         kOverallScrollBar, nullptr, 20, kDrivers - 20},
        {"arrangement",
         [&] {
             return std::make_unique<ArrangementForm>(1, messages, dialogs, clock, sounds,
                                                      SystemDisk());
         },
         kArrangementScroll, nullptr, 20, 42 - 20},
        {"run details, laps",
         [&] { return std::make_unique<RunDetailsForm>(messages, SystemDisk()); }, 6304,
         "detailsView", 20, 10},
        {"run details, cars",
         [&] { return std::make_unique<RunDetailsForm>(messages, SystemDisk()); }, 6305,
         "detailsView", 10, 2},
        {"driver analysis, laps",
         [&] { return std::make_unique<DriverAnalysisForm>(analysisView, platform); },
         kLapStripScroll, "lapStrip", 7, 13},
        {"drivers database",
         [&] {
             return std::make_unique<DriversForm>(kDriversEditor, messages, dialogs, SystemDisk());
         },
         kNameListId, nullptr, -1, 60},
        {"participants' database", participants, kDatabaseList, nullptr, -1, 60},
        {"participants", participants, kParticipantsList, nullptr, -1, kDrivers},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.form);
        std::unique_ptr<QWidget> form = c.make();
        form->show();
        auto* list = form->findChild<QAbstractScrollArea*>(QString::number(c.bar));
        auto* bar =
            list ? list->verticalScrollBar() : form->findChild<QScrollBar*>(QString::number(c.bar));
        ASSERT_NE(bar, nullptr);
        ASSERT_TRUE(bar->isVisible());
        if (list) {
            ASSERT_GT(bar->pageStep(), 1);
            EXPECT_EQ(bar->maximum(), c.maximum - bar->pageStep());
        } else {
            EXPECT_EQ(std::tuple(bar->pageStep(), bar->maximum()), std::tuple(c.shown, c.maximum));
        }
        QWidget* keys = list ? static_cast<QWidget*>(list) : form.get();
        QWidget* area = list     ? list->viewport()
                        : c.area ? form->findChild<QWidget*>(c.area)
                                 : form.get();
        ASSERT_NE(area, nullptr);
        const bool sideways = bar->orientation() == Qt::Horizontal && c.area != nullptr &&
                              std::string_view(c.area) == "detailsView";
        const QPoint at = area->rect().center();
        for (int turn = 0; turn < 50 && bar->value() < bar->maximum(); ++turn) {
            QWheelEvent wheel(at, area->mapToGlobal(at), {},
                              sideways ? QPoint(-120, 0) : QPoint(0, -120), Qt::NoButton,
                              Qt::NoModifier, Qt::NoScrollPhase, false);
            QApplication::sendEvent(area, &wheel);
        }
        const int last = bar->maximum();
        EXPECT_EQ(bar->value(), last);
        if (bar->orientation() == Qt::Vertical) {
            QTest::keyClick(keys, Qt::Key_End);  // a list's current row goes last first
            QTest::keyClick(keys, Qt::Key_Home);
            EXPECT_EQ(bar->value(), 0);
            if (!list) {  // in a list the arrows move the current row first
                QTest::keyClick(keys, Qt::Key_Down);
                EXPECT_EQ(bar->value(), 1);
            }
            QTest::keyClick(keys, Qt::Key_End);
        } else {
            QTest::keyClick(keys, Qt::Key_Left);
            EXPECT_EQ(bar->value(), last - 1);
            QTest::keyClick(keys, Qt::Key_Right);
        }
        EXPECT_EQ(bar->value(), last);
    }
}

}  // namespace
}  // namespace velkaro
