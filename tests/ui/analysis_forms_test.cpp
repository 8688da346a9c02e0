#include "analysis/forms/analysis_forms.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>
#include <filesystem>

#include "event/event_file.h"
#include "platform/fake/fake_clock.h"
#include "platform/fake/fake_dialogs.h"
#include "platform/fake/fake_messages.h"
#include "platform/fake/fake_serial_port.h"
#include "platform/fake/fake_sound_player.h"
#include "platform/program_folder.h"
#include "shell/live_screen_widget.h"
#include "shell/main_window.h"
#include "tests/support/test_support.h"
#include "tests/timing/engine_fixture.h"

namespace fs = std::filesystem;

namespace velkaro {
namespace {

class AnalysisForms : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(SeedProgramFolder(folder.Path().string(), VELKARO_SHIPPED_DATA).ok);
        test::FailOnUnexpectedMessages(messages);
        port.failOpen = true;
    }

    std::unique_ptr<MainWindow> Start() {
        auto w = std::make_unique<MainWindow>(platform);
        w->show();
        messages.Expect(MessageAnswer::Ok);  // no decoder
        w->ConnectDecoder();
        return w;
    }

    void Quit(std::unique_ptr<MainWindow>& w) {
        messages.Expect(MessageAnswer::No);
        w->close();
        w.reset();
    }

    // A heat of one round loaded in the panel, its first car with three laps.
    void LoadHeat(MainWindow& w) {
        test::PrepareEvent(2, 2, 1, messages);
        EventHeader h;
        ASSERT_EQ(ReadEventHeader(h), FileOutcome::Done);
        h.categories[0].participants = h.categories[0].rounds = h.categories[0].heatsPerRound = 1;
        ASSERT_EQ(WriteEventHeader(h), FileOutcome::Done);
        const fs::path club = folder.Path() / "club.race";
        ASSERT_TRUE(CopyFileReplacing(kWorkingCopy, club.string()));
        dialogs.openAnswers.push_back(club.string());
        messages.Expect(MessageAnswer::No);
        w.RunCommand(kLoadEventCommand);
        for (QTreeWidgetItemIterator it(w.Tree()); *it; ++it) {
            if ((*it)->data(0, Qt::UserRole).toInt() == 13101) w.Tree()->setCurrentItem(*it);
        }
        RunCar& car = w.State().engine.tables.cars[0];
        car.passingCount = car.laps = 3;
        car.raceTimes = {};
        car.raceTimes[0] = 500;
        car.raceTimes[1] = 12845;
        car.raceTimes[2] = 25245;
        car.raceTimes[3] = 40000;
        car.totalTime = 40000;
    }

    template <typename Inside>
    void WhileOpen(MainWindow& w, int command, Inside inside) {
        bool ran = false;
        QTimer::singleShot(0, [&] {
            QWidget* form = QApplication::activeModalWidget();
            ASSERT_NE(form, nullptr);
            inside(*form);
            ran = true;
        });
        w.RunCommand(command);
        EXPECT_TRUE(ran);
    }

    std::string File(const char* name) { return test::ReadWholeFile(folder.Path() / name); }

    test::TempFolder folder;
    test::ScopedCurrentFolder here{folder.Path()};
    FakeMessages messages;
    FakeDialogs dialogs;
    FakeSoundPlayer sounds;
    FakeClock clock;
    FakeSerialPort port;
    ShellPlatform platform{messages, dialogs, sounds, clock, port, nullptr};
};

TEST_F(AnalysisForms, ACommentTypedTooLongIsCutAndStoredWithTheRun) {
    auto w = Start();
    LoadHeat(*w);
    w->State().engine.trailer.condition = "Wet";
    WhileOpen(*w, kAddCommentCommand, [](QWidget& form) {
        EXPECT_TRUE(form.findChild<QRadioButton*>("6402")->isChecked());
        auto* comment = form.findChild<QLineEdit*>("6404");
        QTest::keyClicks(comment, QString(120, 'c'));
        EXPECT_EQ(comment->text().size(), 98);
        form.findChild<QRadioButton*>("6403")->click();
        form.findChild<QPushButton*>("1")->click();
    });
    EXPECT_EQ(File("CommentaireSerie.res"), "Ice\t" + std::string(98, 'c') + "\t\r\n");
    EXPECT_EQ(w->State().engine.trailer.condition, "Ice");

    // Cancel: the file stays as the window handed it over, the run keeps its comment.
    WhileOpen(*w, kAddCommentCommand, [](QWidget& form) {
        QTest::keyClicks(form.findChild<QLineEdit*>("6404"), "zz");
        form.findChild<QRadioButton*>("6401")->click();
        form.findChild<QPushButton*>("2")->click();
    });
    EXPECT_EQ(File("CommentaireSerie.res"), "Ice\t" + std::string(98, 'c') + "\t\r\n");

    // Leaving the heat records the comment and the condition in the event file.
    w->Tree()->setCurrentItem(w->Tree()->topLevelItem(0));
    test::StoredRun stored = test::ReadRun(HeatTitle(1, 1, 1).View());
    EXPECT_EQ(stored.trailer.condition, "Ice");
    EXPECT_EQ(stored.trailer.comment, std::string(98, 'c'));
    Quit(w);
}

TEST_F(AnalysisForms, CtrlClickOpensTheDriversAnalysisWithItsClampedRange) {
    auto w = Start();
    LoadHeat(*w);
    RunEngine& e = w->State().engine;
    RebuildLiveOrder(e.tables, e.options);
    int standing = -1;
    for (int k = 0; k < e.tables.carsInUse; ++k) {
        if (e.tables.standings[std::size_t(k)].carNumber == 1) standing = k;
    }
    ASSERT_GE(standing, 0);
    bool ran = false;
    QTimer::singleShot(0, [&] {
        auto* form = dynamic_cast<DriverAnalysisForm*>(QApplication::activeModalWidget());
        ASSERT_NE(form, nullptr);
        EXPECT_EQ(form->Car().passingCount, 3);
        form->findChild<QRadioButton*>("6501")->click();
        EXPECT_EQ(form->Statistics().best, 12345);
        EXPECT_EQ(form->Statistics().worstIndex, 3);
        auto* last = form->findChild<QLineEdit*>("6505");
        last->clear();
        QTest::keyClicks(last, "x99");  // the letter refused, 99 above the laps becomes 3
        EXPECT_EQ(last->text(), "3");
        auto* first = form->findChild<QLineEdit*>("6504");
        first->clear();
        QTest::keyClicks(first, "0");
        EXPECT_EQ(first->text(), "1");
        QTest::keyClicks(first, "2");  // "12": above the laps
        EXPECT_EQ(form->FirstLap(), 3);
        EXPECT_EQ(form->Statistics().count, 1);
        form->findChild<QRadioButton*>("6503")->click();
        EXPECT_EQ(form->Curve().count, 1);
        form->findChild<QPushButton*>("2")->click();
        ran = true;
    });
    emit w->LiveScreen()->RowClicked(standing, 0, 0, true);
    EXPECT_TRUE(ran);
    EXPECT_EQ(File("ResultatPilote.res")
                  .find(std::string(e.tables.cars[0].driverName.View()) + "\t3\t500\t12845\t"),
              0u);

    // Without the file: said once, and every view stays empty.
    fs::remove(folder.Path() / "ResultatPilote.res");
    messages.Expect(MessageAnswer::Ok);
    int mode = 2;
    DriverAnalysisForm empty(mode, platform);
    EXPECT_EQ(messages.shown.back().text, "Error: Driver's detailed results file not found");
    EXPECT_EQ(empty.Curve().count, 0);
    empty.findChild<QRadioButton*>("6502")->click();
    empty.View()->grab();
    Quit(w);
}

TEST_F(AnalysisForms, RunDetailsFromTheResultsPopup) {
    auto w = Start();
    LoadHeat(*w);
    WhileOpen(*w, kRunDetailsCommand, [](QWidget& form) {
        auto& details = static_cast<RunDetailsForm&>(form).Details();
        EXPECT_EQ(details.realCars, 2);
        EXPECT_EQ(details.cars[0].lapTimes[1], 12400);
        EXPECT_FALSE(form.findChild<QWidget*>("6304")->isVisible());
        form.findChild<QRadioButton*>("7003")->click();
        form.findChild<QPushButton*>("2")->click();
    });
    fs::remove(folder.Path() / "DetailResultats.res");
    messages.Expect(MessageAnswer::Ok);
    RunDetailsForm missing(messages);
    EXPECT_EQ(messages.shown.back().text, "Error: Detailed results file not found");
    EXPECT_EQ(missing.Details().realCars, 0);
    Quit(w);
}

TEST_F(AnalysisForms, ResultsCorrectedInTheLiveTableAreWhatLeavingTheNodeRecords) {
    auto w = Start();
    LoadHeat(*w);
    RunEngine& e = w->State().engine;
    RebuildLiveOrder(e.tables, e.options);
    w->LiveScreen()->Remeasure(e.tables.carsInUse);
    QSize screen = w->screen()->geometry().size();
    TableLayout l = ComputeLayout({screen.width(), screen.height()}, w->State().widths,
                                  w->LiveScreen()->Measure().rowHeight);
    auto click = [&](int column) {
        int x = (l.columnX[std::size_t(column)] + l.columnX[std::size_t(column + 1)]) / 2;
        emit w->LiveScreen()->RowClicked(0, x, l.rowsTop + l.rowPitch / 2, false);
    };
    ASSERT_EQ(e.tables.standings[0].carNumber, 1);
    w->RunCommand(kModifyRunResultsCommand);
    click(3);
    auto* minutes = w->LiveScreen()->findChild<QLineEdit*>("6203");
    ASSERT_NE(minutes, nullptr);
    EXPECT_EQ(minutes->text(), "00");
    minutes->selectAll();
    QTest::keyClicks(minutes, "75");
    EXPECT_EQ(minutes->text(), "59");
    EXPECT_EQ(e.tables.cars[0].totalTime, 59 * 60000 + 40000);

    // Club chips: the list over the transponder cell gives the car its new transponder.
    w->State().transponderSets[0].transponders[3] = "004242";
    w->RunCommand(kClubChipsRadio);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(w->LiveScreen()->findChild<QLineEdit*>("6203"), nullptr);
    click(8);
    auto* chips = w->LiveScreen()->findChild<QComboBox*>("2107");
    ASSERT_NE(chips, nullptr);
    EXPECT_EQ(chips->count(), 20);
    chips->setCurrentIndex(3);
    emit chips->activated(3);
    EXPECT_EQ(e.tables.cars[0].transponder, "004242");

    w->Tree()->setCurrentItem(w->Tree()->topLevelItem(0));
    test::StoredRun stored = test::ReadRun(HeatTitle(1, 1, 1).View());
    EXPECT_EQ(stored.cars[0].totalTime, 59 * 60000 + 40000);
    Quit(w);
}

// The charts as the forms show them, saved where VELKARO_SCREENSHOTS says (docs/ in the
// repository): a 10-car run's positions and a driver's histogram and curve.
TEST_F(AnalysisForms, ChartsOfATenCarRunAndOfADriver) {
    std::string details = "CLASSEMENTToursTemps\t\r\n";
    const char* names[] = {"MARTIN Luc", "DUBOIS Eva",  "LEROY Paul", "MOREAU Lea",
                           "SIMON Hugo", "LAURENT Zoe", "MICHEL Tom", "GARCIA Ines",
                           "DAVID Noah", "BERTRAND Lou"};
    std::uint32_t seed = 12345;
    auto noise = [&seed](int spread) {
        seed = seed * 1103515245u + 12345u;
        return int((seed >> 8) % std::uint32_t(spread));
    };
    std::string driver;
    for (int slot = 0; slot < kCarSlots; ++slot) {
        if (slot >= 10) {
            details += "(NA)\t0\t\r\n";
            continue;
        }
        // Four minutes, then the lap under way: the faster cars make more laps.
        int laps = 0, t = 0;
        std::string line, cumulative = "0\t";
        while (t < 240000 && laps < 40) {
            t += 11800 + 120 * slot + noise(1500) + (laps == 7 && slot == 2 ? 4000 : 0);
            ++laps;
            line += std::to_string(t) + "\t";
            cumulative += std::to_string(t) + "\t";
        }
        line = std::string(names[slot]) + "\t" + std::to_string(laps) + "\t" + line;
        details += line + "\r\n";
        if (slot == 2) {
            driver = std::string(names[slot]) + "\t" + std::to_string(laps) + "\t" + cumulative +
                     "\r\n CAT A - Round1 - Heat2 \tLille\tDuration 4:00 - Laps - Start\t\r\n";
        }
    }
    test::WriteWholeFile(folder.Path() / "DetailResultats.res", details);
    test::WriteWholeFile(folder.Path() / "ResultatPilote.res", driver);
    const char* out = std::getenv("VELKARO_SCREENSHOTS");
    auto save = [out](QWidget& w, const char* name) {
        QImage image = w.grab().toImage();
        if (out) image.save(QString(out) + "/" + name);
        return image;
    };
    // How many pixels of a colour the picture holds.
    auto count = [](const QImage& image, QColor colour) {
        int n = 0;
        for (int y = 0; y < image.height(); ++y) {
            for (int x = 0; x < image.width(); ++x) n += image.pixelColor(x, y) == colour;
        }
        return n;
    };

    RunDetailsForm run(messages);
    run.resize(1070, 735);
    run.findChild<QRadioButton*>("7003")->click();
    ASSERT_TRUE(PositionsChartShown(run.Details()));
    QImage positions = save(run, "positions-10-cars.png");
    EXPECT_GT(count(positions, QColor(230, 25, 75)), 200);  // lane 1's line is drawn

    int mode = 1;
    DriverAnalysisForm analysis(mode, platform);
    QImage histogram = save(analysis, "driver-histogram.png");
    EXPECT_GT(count(histogram, QColor(30, 90, 200)), 100);  // the bars
    analysis.findChild<QRadioButton*>("6503")->click();
    QImage curve = save(analysis, "driver-curve.png");
    EXPECT_GT(count(curve, QColor(200, 40, 40)), 100);  // the curve
    EXPECT_EQ(analysis.Curve().count, analysis.Car().passingCount);
}

}  // namespace
}  // namespace velkaro
