// The main window on a laptop's screen and on larger ones, and the race screen on a projector.
// The offscreen platform gives three screens: "laptop" 1366 x 768, "projector-hd" 1920 x 1080
// and "projector-4k" 3840 x 2160.

#include <tuple>

#include <gtest/gtest.h>

#include <QComboBox>
#include <QGuiApplication>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QSplitter>
#include <QTest>
#include <QTreeWidgetItemIterator>
#include <QWheelEvent>

#include "event/event_file.h"
#include "event/window_settings.h"
#include "platform/program_folder.h"
#include "shell/display_options.h"
#include "shell/live_screen_widget.h"
#include "shell/race_screen.h"
#include "tests/support/fake_shell.h"
#include "tests/support/text_fit.h"
#include "tests/timing/engine_fixture.h"

namespace velkaro {
namespace {

QScreen* ScreenNamed(const char* name) {
    for (QScreen* s : QGuiApplication::screens()) {
        if (s->name() == name) return s;
    }
    ADD_FAILURE() << "no screen " << name;
    return QGuiApplication::primaryScreen();
}

// A full heat of 20 cars loaded, its category named as clubs name them, every node open.
class Screens : public ::testing::Test, protected test::FakeShell {
  protected:
    void SetUp() override {
        ShowWindow(VELKARO_SHIPPED_DATA);
        test::PrepareEvent(20, 20, 2, messages);
        LoadPrepared([](EventHeader& h) {
            h.categories[0].name = "Touring 1:10 Electric Modified";
            h.categories[0].participants = 20;
            h.categories[0].rounds = 2;
            h.categories[0].heatsPerRound = 1;
        });
        if (HasFatalFailure()) return;
        w->Tree()->setCurrentItem(test::FindNode(w->Tree(), 13101));
        RunEngine& e = w->State().engine;
        ASSERT_EQ(e.tables.carsInUse, kCarSlots);
        for (int k = 0; k < kCarSlots; ++k) {
            RunCar& car = e.tables.cars[std::size_t(k)];
            car.passingCount = car.laps = 12 - k / 4;
            car.totalTime = 240000 + 900 * k;
            car.raceTimes[std::size_t(car.passingCount)] = car.totalTime;
            car.bestLap = 18400 + 110 * k;
        }
        RebuildLiveOrder(e.tables, e.options);
        ++e.repaints;
        // A node opened by the director widens the pane at once.
        for (QTreeWidgetItemIterator it(w->Tree()); *it; ++it) (*it)->setExpanded(true);
    }
    void TearDown() override {
        messages.Expect(MessageAnswer::No);
        w->close();
    }

    void PutOn(const char* screenName) {
        QScreen* screen = ScreenNamed(screenName);
        w->setScreen(screen);
        w->setGeometry(screen->availableGeometry());
        QApplication::processEvents();
    }
};

TEST_F(Screens, TheWindowFillsEachScreenWithNothingCut) {
    for (const char* name : {"laptop", "projector-hd", "projector-4k"}) {
        SCOPED_TRACE(name);
        PutOn(name);
        // No label elided, none beyond the pane's right edge.
        const QAbstractItemView* view = w->Tree();
        EXPECT_GE(w->Tree()->columnWidth(0), view->sizeHintForColumn(0));
        EXPECT_EQ(w->Tree()->horizontalScrollBar()->maximum(), 0);
        EXPECT_EQ(test::ClippedTexts(*w).join("\n").toStdString(), "");
        // The race area is used to its edges: the table across it, the panel down to its foot.
        LiveScreenWidget& live = *w->LiveScreen();
        EXPECT_GE(live.width(), w->width() * 3 / 4);
        TableLayout l = ComputeLayout(live.Screen(), w->State().widths, live.Measure().rowHeight);
        EXPECT_GE(l.table.right, live.width() * 4 / 5);
        EXPECT_LE(l.table.right + live.ScrollBar()->width(), live.width());
        EXPECT_GE(w->PanelControl(CommandId::Print)->geometry().right(), live.width() * 19 / 20);
        EXPECT_GE(w->PanelControl(kTranspondersModeFrame)->geometry().bottom(),
                  live.height() * 4 / 5);
        EXPECT_EQ(live.Measure().visibleRows, kCarSlots);
    }
}

// A window too short for the field: the rows below are reached by the wheel and the keys.
TEST_F(Screens, TheLiveTableScrollsToItsLastRowInAShortWindow) {
    PutOn("laptop");
    w->resize(w->width(), 480);
    QApplication::processEvents();
    LiveScreenWidget& live = *w->LiveScreen();
    QScrollBar& bar = *live.ScrollBar();
    ASSERT_TRUE(bar.isVisible());
    EXPECT_EQ(bar.pageStep(), live.Measure().rowsThatFit);
    const QPoint at = live.rect().center();
    for (int turn = 0; turn < 30 && bar.value() < bar.maximum(); ++turn) {
        QWheelEvent wheel(at, live.mapToGlobal(at), {}, QPoint(0, -120), Qt::NoButton,
                          Qt::NoModifier, Qt::NoScrollPhase, false);
        QApplication::sendEvent(&live, &wheel);
    }
    EXPECT_EQ(std::tuple(live.ScrollPosition(), bar.value()),
              std::tuple(kCarSlots - live.Measure().rowsThatFit, bar.maximum()));
    QTest::keyClick(&live, Qt::Key_Home);
    EXPECT_EQ(live.ScrollPosition(), 0);
}

TEST_F(Screens, TheTreeWidthIsTheDirectorsFromOneStartToTheNext) {
    PutOn("projector-hd");
    const int fits = w->Splitter()->sizes()[0];
    w->Splitter()->setSizes({fits + 60, w->width() - fits - 60});
    messages.Expect(MessageAnswer::No);
    w->close();
    w.reset();
    EXPECT_EQ(ReadWindowSettings(SystemDisk()).treeWidth, fits + 60);
    w = std::make_unique<MainWindow>(platform);
    w->show();
    QApplication::processEvents();
    EXPECT_EQ(w->Splitter()->sizes()[0], fits + 60);
    // Narrower than the labels need is refused.
    w->Splitter()->setSizes({20, w->width() - 20});
    EXPECT_GE(w->Splitter()->sizes()[0], w->Tree()->parentWidget()->minimumWidth());
    EXPECT_GT(w->Tree()->parentWidget()->minimumWidth(), 100);
}

TEST_F(Screens, TheRaceScreenOnAProjectorAndBackWhenItGoes) {
    PutOn("laptop");
    for (const char* projector : {"projector-hd", "projector-4k"}) {
        SCOPED_TRACE(projector);
        test::WhileOpen(*w, CommandId::Display, [&](QWidget& form) {
            auto* list = form.findChild<QComboBox*>(QString::number(kRaceScreenList));
            ASSERT_NE(list, nullptr);
            // The laptop's own screen is not offered.
            EXPECT_EQ(list->count(), 3);
            EXPECT_EQ(list->itemText(0).toStdString(), "In the main window");
            EXPECT_LT(list->findData(QString("laptop")), 0);
            list->setCurrentIndex(list->findData(QString(projector)));
            form.findChild<QPushButton*>("1")->click();
        });
        EXPECT_EQ(ReadWindowSettings(SystemDisk()).raceScreen, projector);
        LiveScreenWidget* shown = w->RaceScreen()->View();
        ASSERT_NE(shown, nullptr);
        QApplication::processEvents();
        EXPECT_EQ(shown->screen(), ScreenNamed(projector));
        EXPECT_TRUE(shown->isFullScreen());
        EXPECT_EQ(shown->size(), ScreenNamed(projector)->size());
        // The whole field of 20 on the projector, whatever its size.
        EXPECT_EQ(shown->Measure().visibleRows, kCarSlots);
        EXPECT_EQ(w->screen(), ScreenNamed("laptop"));
    }

    // The offscreen platform has no public way to unplug a screen: the handler its signal calls
    // is driven instead.
    const std::string leader(w->State().engine.tables.rows[0].driverName.View());
    w->RaceScreen()->OnScreenRemoved(ScreenNamed("projector-hd"));
    ASSERT_NE(w->RaceScreen()->View(), nullptr);  // another screen going changes nothing
    w->RaceScreen()->OnScreenRemoved(ScreenNamed("projector-4k"));
    EXPECT_EQ(w->RaceScreen()->View(), nullptr);
    EXPECT_TRUE(w->LiveScreen()->isVisible());
    EXPECT_EQ(w->State().engine.tables.carsInUse, kCarSlots);
    EXPECT_EQ(w->State().engine.tables.rows[0].driverName.View(), leader);
    // Plugged in again, it shows the race once more.
    w->RaceScreen()->OnScreenAdded(ScreenNamed("projector-4k"));
    ASSERT_NE(w->RaceScreen()->View(), nullptr);
    EXPECT_EQ(w->RaceScreen()->View()->screen(), ScreenNamed("projector-4k"));
}

// The README's pictures, taken with VELKARO_SCREENSHOTS=<folder>.
TEST_F(Screens, Screenshots) {
    QByteArray folder = qgetenv("VELKARO_SCREENSHOTS");
    if (folder.isEmpty()) GTEST_SKIP() << "set VELKARO_SCREENSHOTS to a folder to take them";
    const QString to = QString::fromLocal8Bit(folder) + "/";
    for (auto [name, file] : {std::pair{"laptop", "main-window-1366x768.png"},
                              std::pair{"projector-hd", "main-window-1920x1080.png"},
                              std::pair{"projector-4k", "main-window-3840x2160.png"}}) {
        PutOn(name);
        ASSERT_TRUE(w->grab().save(to + file));
    }
    PutOn("laptop");
    for (auto [name, file] : {std::pair{"projector-hd", "race-screen-1920x1080.png"},
                              std::pair{"projector-4k", "race-screen-3840x2160.png"}}) {
        w->TakeWindowSettings({0, name});
        QApplication::processEvents();
        ASSERT_NE(w->RaceScreen()->View(), nullptr);
        ASSERT_TRUE(w->RaceScreen()->View()->grab().save(to + file));
    }
}

}  // namespace
}  // namespace velkaro
