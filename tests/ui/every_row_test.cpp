// Every form with a scrolling table reaches its last row by the wheel and by the keys, and its
// handle is as long as the share of the rows in view.

#include <gtest/gtest.h>

#include <QAbstractScrollArea>
#include <QApplication>
#include <QScrollBar>
#include <QTest>
#include <QWheelEvent>
#include <filesystem>
#include <functional>
#include <memory>

#include "analysis/forms/analysis_forms.h"
#include "databases/forms/editor_form.h"
#include "finals/forms/finals_forms.h"
#include "forms_kit/form_host.h"
#include "platform/clock.h"
#include "platform/fake/fake_dialogs.h"
#include "platform/fake/fake_messages.h"
#include "platform/fake/fake_serial_port.h"
#include "platform/fake/fake_sound_player.h"
#include "qualification/forms/classification_forms.h"
#include "qualification/forms/preparation_forms.h"
#include "tests/support/test_support.h"

namespace velkaro {
namespace {

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

class EveryRow : public ::testing::Test {
  protected:
    void SetUp() override {
        messages.allowAny = true;
        WriteManyRows(folder.Path(), messages);
    }

    test::TempFolder folder;
    test::ScopedCurrentFolder here{folder.Path()};
    FakeMessages messages;
    FakeDialogs dialogs;
    FakeSoundPlayer sounds;
    SystemClock clock;
    FakeSerialPort port;
    AppPlatform platform{messages, dialogs, sounds, clock, port, nullptr, &SystemDisk()};
    TrackRecord track;
    int analysisView = 0;
};

TEST_F(EveryRow, TheWheelAndTheKeysReachTheLastRowOfEveryScrollingTable) {
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
