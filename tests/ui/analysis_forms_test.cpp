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

#include "event/event_file.h"
#include "platform/fake/fake_dialogs.h"
#include "platform/program_folder.h"
#include "shell/live_screen_widget.h"
#include "shell/main_window.h"
#include "tests/support/fake_shell.h"
#include "tests/timing/engine_fixture.h"

namespace velkaro {
namespace {

using test::WhileOpen;

// The main window with heat 1 of a one-round category loaded, its first car on three laps.
class AnalysisForms : public ::testing::Test, protected test::FakeShell {
  protected:
    void SetUp() override {
        ShowWindow(VELKARO_SHIPPED_DATA);
        test::PrepareEvent(2, 2, 1, messages);
        EventHeader h;
        ASSERT_EQ(ReadEventHeader(h, SystemDisk()), FileOutcome::Done);
        h.categories[0].participants = h.categories[0].rounds = h.categories[0].heatsPerRound = 1;
        ASSERT_EQ(WriteEventHeader(h, SystemDisk()), FileOutcome::Done);
        ASSERT_TRUE(CopyFileReplacing(kWorkingCopy, folder / "club.race"));
        dialogs.openAnswers.push_back(folder / "club.race");
        messages.Expect(MessageAnswer::No);
        w->RunCommand(kLoadEventCommand);
        for (QTreeWidgetItemIterator it(w->Tree()); *it; ++it) {
            if ((*it)->data(0, Qt::UserRole).toInt() == 13101) w->Tree()->setCurrentItem(*it);
        }
        RunCar& car = Engine().tables.cars[0];
        car.passingCount = car.laps = 3;
        car.raceTimes = {500, 12845, 25245, 40000};
        car.totalTime = 40000;
        RebuildLiveOrder(Engine().tables, Engine().options);
    }
    void TearDown() override {
        messages.Expect(MessageAnswer::No);
        w->close();
    }

    RunEngine& Engine() { return w->State().engine; }
    std::string File(const char* name) { return test::ReadWholeFile(folder.Path() / name); }
    template <typename W = QWidget>
    static W* Find(QWidget& in, int id) {
        return in.findChild<W*>(QString::number(id));
    }
};

TEST_F(AnalysisForms, FormsOverTheRunInThePanelAndWhatLeavingTheHeatRecords) {
    ASSERT_EQ(Engine().tables.standings[0].carNumber, 1);
    Engine().trailer.condition = "Wet";
    const std::string cut = "Ice\t" + std::string(98, 'c') + "\t\r\n";
    WhileOpen([&] { w->RunCommand(kAddCommentCommand); },
              [&](QWidget& form) {
                  EXPECT_TRUE(Find<QRadioButton>(form, kWetRadio)->isChecked());
                  messages.Expect(MessageAnswer::Ok);  // the 99th character is refused
                  QTest::keyClicks(Find<QLineEdit>(form, kCommentField), QString(99, 'c'));
                  Find<QRadioButton>(form, kIceRadio)->click();
                  Find<QPushButton>(form, 1)->click();
              });
    EXPECT_EQ(File("CommentaireSerie.res"), cut);
    WhileOpen([&] { w->RunCommand(kAddCommentCommand); },
              [&](QWidget& form) {
                  messages.Expect(MessageAnswer::Ok);  // the comment is full: both refused
                  messages.Expect(MessageAnswer::Ok);
                  QTest::keyClicks(Find<QLineEdit>(form, kCommentField), "zz");
                  Find<QRadioButton>(form, kDryRadio)->click();
                  Find<QPushButton>(form, 2)->click();  // Cancel: nothing written, nothing taken
              });
    EXPECT_EQ(File("CommentaireSerie.res"), cut);
    WhileOpen([&] { w->RunCommand(kRunDetailsCommand); },
              [](QWidget& form) {
                  EXPECT_EQ(static_cast<RunDetailsForm&>(form).Details().cars[0].lapTimes[1],
                            12400);
                  EXPECT_FALSE(Find(form, 6304)->isVisible());  // three laps need no scrolling
                  Find<QPushButton>(form, 2)->click();
              });

    // Ctrl and a click on car 1's row: its laps, from a range typed with a letter and above them.
    WhileOpen([&] { emit w->LiveScreen()->RowClicked(0, 0, 0, true); },
              [&](QWidget& f) {
                  auto& form = static_cast<DriverAnalysisForm&>(f);
                  Find<QRadioButton>(form, 6501)->click();
                  EXPECT_EQ(form.Statistics().best, 12345);
                  auto* last = Find<QLineEdit>(form, 6505);
                  last->clear();
                  messages.Expect(MessageAnswer::Ok);  // the letter is refused, and told
                  QTest::keyClicks(last, "x99");
                  EXPECT_EQ(last->text(), "3");
                  Find<QRadioButton>(form, 6503)->click();
                  EXPECT_EQ(form.Curve().count, 3);
                  Find<QPushButton>(form, 2)->click();
              });

    // Corrected in the live table: car 1's minutes, then its club chip.
    w->LiveScreen()->Remeasure(Engine().tables.carsInUse);
    QSize screen = w->screen()->geometry().size();
    TableLayout l = ComputeLayout({screen.width(), screen.height()}, w->State().widths,
                                  w->LiveScreen()->Measure().rowHeight);
    auto click = [&](int column) {
        int x = (l.columnX[std::size_t(column)] + l.columnX[std::size_t(column + 1)]) / 2;
        emit w->LiveScreen()->RowClicked(0, x, l.rowsTop + l.rowPitch / 2, false);
    };
    w->RunCommand(kModifyRunResultsCommand);
    click(3);
    auto* minutes = Find<QLineEdit>(*w->LiveScreen(), kTotalTimeFields + 1);
    ASSERT_NE(minutes, nullptr);
    EXPECT_EQ(minutes->text(), "00");
    minutes->selectAll();
    QTest::keyClicks(minutes, "75");
    EXPECT_EQ(minutes->text(), "59");

    w->State().transponderSets[0].transponders[3] = "004242";
    w->RunCommand(kClubChipsRadio);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(Find(*w->LiveScreen(), kTotalTimeFields + 1), nullptr);
    click(8);
    auto* chips = Find<QComboBox>(*w->LiveScreen(), kClubChipsList);
    ASSERT_NE(chips, nullptr);
    EXPECT_EQ(chips->count(), 20);
    chips->setCurrentIndex(3);
    emit chips->activated(3);

    // Leaving the heat records the comment, the condition and the corrections.
    w->Tree()->setCurrentItem(w->Tree()->topLevelItem(0));
    test::StoredRun stored = test::ReadRun(HeatTitle(1, 1, 1).View(), SystemDisk());
    EXPECT_EQ(stored.trailer.condition, "Ice");
    EXPECT_EQ(stored.trailer.comment, std::string(98, 'c'));
    EXPECT_EQ(stored.cars[0].totalTime, 59 * 60000 + 40000);
    EXPECT_EQ(Engine().tables.cars[0].transponder, "004242");
}

// The charts as the forms show them, saved where VELKARO_SCREENSHOTS says (docs/): a ten-car
// run of four minutes and the laps of its third car.
TEST_F(AnalysisForms, ChartsOfATenCarRunAndOfADriver) {
    // Without its file the analysis says so and shows an empty histogram.
    messages.Expect(MessageAnswer::Ok);
    int mode = 1;
    DriverAnalysisForm(mode, platform).View()->grab();
    EXPECT_EQ(messages.shown.back().text, "Error: Driver's detailed results file not found");
    const char* names[] = {"MARTIN Luc", "DUBOIS Eva",  "LEROY Paul", "MOREAU Lea",
                           "SIMON Hugo", "LAURENT Zoe", "MICHEL Tom", "GARCIA Ines",
                           "DAVID Noah", "BERTRAND Lou"};
    std::uint32_t seed = 12345;
    std::string details = "CLASSEMENTToursTemps\t\r\n", driver;
    for (int slot = 0; slot < kCarSlots; ++slot) {
        int laps = 0;
        std::string times, name = slot < 10 ? names[slot] : "(NA)";
        for (int t = 0; slot < 10 && t < 240000; times += std::to_string(t) + "\t") {
            seed = seed * 1103515245u + 12345u;
            t += 11800 + 120 * slot + int((seed >> 8) % 1500) + (laps++ == 7 && slot == 2) * 4000;
        }
        details += name + "\t" + std::to_string(laps) + "\t" + times + "\r\n";
        if (slot == 2) {
            driver = name + "\t" + std::to_string(laps) + "\t0\t" + times +
                     "\r\n CAT A - Round1 - Heat2 \tLille\tDuration 4:00 - Laps - Start\t\r\n";
        }
    }
    test::WriteWholeFile(folder.Path() / "DetailResultats.res", details);
    test::WriteWholeFile(folder.Path() / "ResultatPilote.res", driver);
    // Saved when asked; how many pixels of the colour the picture holds.
    auto shot = [](QWidget& form, const char* name, QRgb colour) {
        QImage image = form.grab().toImage();
        QString out = qEnvironmentVariable("VELKARO_SCREENSHOTS");
        if (!out.isEmpty()) image.save(out + "/" + name);
        image.convertTo(QImage::Format_RGB32);
        auto* pixels = reinterpret_cast<const QRgb*>(image.constBits());
        return std::count(pixels, pixels + image.width() * image.height(), colour);
    };
    RunDetailsForm run(messages, SystemDisk());
    Find<QRadioButton>(run, kPositionsRadio)->click();
    EXPECT_GT(shot(run, "positions-10-cars.png", qRgb(230, 25, 75)), 200);  // lane 1's line
    DriverAnalysisForm analysis(mode, platform);
    EXPECT_GT(shot(analysis, "driver-histogram.png", qRgb(30, 90, 200)), 100);  // the bars
    Find<QRadioButton>(analysis, 6503)->click();
    EXPECT_GT(shot(analysis, "driver-curve.png", qRgb(200, 40, 40)), 100);  // the curve
}

}  // namespace
}  // namespace velkaro
