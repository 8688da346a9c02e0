// "Sound options" and "Display options" opened from the real window's menu, on a program folder
// seeded from the shipped data, with the common dialogs and the player faked.

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QPainter>
#include <QTest>
#include <QTimer>

#include "platform/fake/fake_clock.h"
#include "platform/fake/fake_dialogs.h"
#include "platform/fake/fake_messages.h"
#include "platform/fake/fake_serial_port.h"
#include "platform/fake/fake_sound_player.h"
#include "platform/fake/recording_canvas.h"
#include "platform/program_folder.h"
#include "platform/qt/qt_canvas.h"
#include "shell/display_options.h"
#include "shell/live_screen_cache.h"
#include "shell/live_screen_widget.h"
#include "shell/main_window.h"
#include "tests/support/fake_shell.h"
#include "tests/support/test_support.h"
#include "timing/announcements.h"

namespace velkaro {
namespace {

class OptionsForms : public ::testing::Test, protected test::FakeShell {
  protected:
    void SetUp() override {
        port.failOpen = true;
        ShowWindow(VELKARO_SHIPPED_DATA);
    }
    void TearDown() override {
        messages.Expect(MessageAnswer::No);
        w->close();
    }
    template <typename Inside>
    void WhileOpen(CommandId command, Inside inside) {
        test::WhileOpen(*w, command, inside);
    }
    template <typename W = QAbstractButton>
    static W* Control(QWidget& form, int id) {
        return form.findChild<W*>(QString::number(id));
    }
    std::string File(std::string_view name) { return test::ReadWholeFile(folder.Path() / name); }
    std::string Sounds() { return File("R\u00E9glagesSons.rg"); }
    std::string Display() { return File("Private/R\u00E9glagesAffichage.rgsc"); }
};

TEST_F(OptionsForms, TheCountdownSwitchedOffIsNoLongerCalledAndCancelWritesNothing) {
    auto calls = [this] {
        FakeSoundPlayer heard;
        AnnouncementFlags flags;
        AnnounceStartPressed(w->State().engine.soundSettings, 5, heard);
        for (int r = 5; r >= 1; --r)
            AnnounceCountdown(w->State().engine.soundSettings, r, flags, heard);
        return heard.played.size();
    };
    EXPECT_EQ(calls(), 6u);
    std::string before = Sounds();
    WhileOpen(CommandId::Sounds, [](QWidget& form) {
        Control(form, 3705)->click();  // lap beep off, then "Cancel"
        Control(form, 2)->click();
    });
    EXPECT_EQ(Sounds(), before);
    WhileOpen(CommandId::Sounds, [](QWidget& form) {
        EXPECT_TRUE(Control(form, 3701)->isChecked());
        Control(form, 3703)->click();
        Control(form, 3702)->click();
        Control(form, 1)->click();
    });
    EXPECT_EQ(Sounds(),
              "SONLANGUEFrancais\r\nSONDECOMPTEnon\r\nSONDEPARToui\r\nSONPASSAGEoui\r\n"
              "SONMEILLEURTOURoui\r\nSONHORLOGEoui\r\nSONFINCOURSEoui\r\nSONFINVOITUREoui\r\n");
    EXPECT_EQ(calls(), 0u);
    EXPECT_EQ(sounds.reloads, 2);  // once after each closing, the files of the new language

    // Words this program never wrote show as off and French, and stay as they are unless touched.
    test::WriteWholeFile(folder.Path() / "R\u00E9glagesSons.rg", "SONLANGUEKlingon\nFOO\n");
    WhileOpen(CommandId::Sounds, [](QWidget& form) {
        EXPECT_TRUE(Control(form, 3702)->isChecked());
        EXPECT_FALSE(Control(form, 3703)->isChecked());
        Control(form, 3709)->click();
        Control(form, 1)->click();
    });
    EXPECT_EQ(Sounds(), "SONLANGUEKlingon\r\nFOO\r\n\r\n\r\n\r\n\r\n\r\nSONFINVOITUREoui\r\n");
}

TEST_F(OptionsForms, AColourAndAWidthChosenShowOnTheLiveScreenAtOnce) {
    dialogs.colourAnswers.push_back(Rgb{10, 20, 30});
    WhileOpen(CommandId::Display, [](QWidget& form) {
        QTest::mouseClick(&form, Qt::LeftButton, {}, QPoint(240, 155));  // on the frame: nothing
        QTest::mouseClick(&form, Qt::LeftButton, {}, QPoint(220, 155));  // the table's background
        Control<QComboBox>(form, kColumnList)->setCurrentIndex(1);
        EXPECT_EQ(Control<QLineEdit>(form, kWidthField)->text(), "300");
        Control<QLineEdit>(form, kWidthField)->clear();
        QTest::keyClicks(Control<QLineEdit>(form, kWidthField), "998");
        Control(form, kWidthPlus)->click();
        Control(form, kWidthPlus)->click();  // 999 at most
        Control(form, kWidthMinus)->click();
        Control(form, 1)->click();
    });
    AppState& s = w->State();
    // What the live screen paints now: the table's fill and its second column.
    RecordingCanvas canvas;
    LiveScreenInput in;
    in.settings = &s.display;
    in.widths = &s.widths;
    in.screen = {1600, 900};
    PaintLiveScreen(canvas, in);
    TableLayout l = ComputeLayout(in.screen, s.widths, 0);
    EXPECT_EQ(canvas.OfKind(RecordingCanvas::Kind::Fill)[0].colour, (Rgb{10, 20, 30}));
    EXPECT_EQ(l.columnX[2] - l.columnX[1], 998);
    EXPECT_NE(Display().find("\t998\t"), std::string::npos);
}

TEST_F(OptionsForms, ADisplayFileRoundTripsAndBadOnesAreRefusedKeepingTheLook) {
    std::string before = Display();
    std::string longFace = before;
    longFace.replace(longFace.find("Arial"), 5, std::string(200, 'A'));
    test::WriteWholeFile(folder.Path() / "long.scrn", longFace);
    test::WriteWholeFile(folder.Path() / "cut.scrn", before.substr(0, before.size() / 2));
    test::WriteWholeFile(folder.Path() / "other.scrn", "[Desktop Entry]\nName=Look\n");
    dialogs.saveAnswers = {folder / "dark", folder / "again.scrn"};
    dialogs.openAnswers = {folder / "dark.scrn", folder / "long.scrn", folder / "cut.scrn",
                           folder / "other.scrn"};
    WhileOpen(CommandId::Display, [&](QWidget& form) {
        Control(form, kGradientRadio)->click();
        Control(form, kSaveDisplayButton)->click();
        Control(form, kReliefRadio)->click();
        Control(form, kLoadDisplayButton)->click();
        EXPECT_TRUE(Control(form, kGradientRadio)->isChecked());
        Control(form, kSaveDisplayButton)->click();
        for (int bad = 0; bad < 3; ++bad) {
            messages.Expect(MessageAnswer::Ok);
            Control(form, kLoadDisplayButton)->click();
        }
        EXPECT_TRUE(Control(form, kGradientRadio)->isChecked());
        Control(form, 2)->click();
    });
    EXPECT_EQ(File("again.scrn"), File("dark.scrn"));
    EXPECT_EQ(File("dark.scrn").substr(0, 3), "0\t\r");
    ASSERT_EQ(messages.shown.size(), 3u);
    EXPECT_EQ(messages.shown[0].text,
              "Error: Not a display file, the font name \"AAAAAAAAAAAAAAAAAAAA...\" is too long");
    EXPECT_EQ(messages.shown[1].text.rfind("Error: Not a display file, it has ", 0), 0u);
    EXPECT_EQ(messages.shown[2].text.rfind("Error: Not a display file", 0), 0u);
    EXPECT_EQ(Display(), before);  // "Cancel": the program's settings as they were
}

// The kept backdrop gives the very pixels of a full paint, passing after passing, and is painted
// again only when the look changes.
TEST(LiveScreenPainter, PaintsWhatAFullPaintPaintsAndKeepsTheBackdropUntilTheLookChanges) {
    test::ScopedCurrentFolder here{VELKARO_SHIPPED_DATA};  // the logo and the flag
    DisplaySettings look;
    CustomColours custom;
    ASSERT_TRUE(ReadDisplaySettings(VELKARO_DOCS "/projector.scrn", look, custom, SystemDisk()));
    std::array<std::int32_t, kColumns> widths = look.columnWidths;
    LiveRows rows{};
    for (int i = 0; i < 4; ++i) Format(rows[std::size_t(i)].driverName, "Driver %d", i + 1);
    rows[1].finished = 1;
    LiveScreenInput in{&look, &widths, {960, 540}, {}, " Touring - Final ", &rows, 4};
    QImage full(960, 540, QImage::Format_RGB32), kept(960, 540, QImage::Format_RGB32);
    QPainter fullPainter(&full), keptPainter(&kept);
    QtCanvas fullCanvas(fullPainter);
    in.measure = MeasureTable(fullCanvas, look, widths, in.screen, 4);
    LiveScreenPainter painter;
    for (int passing = 0; passing < 4; ++passing) {
        for (LiveRow& r : rows) r.newPassing = 0;
        rows[std::size_t(passing)].newPassing = 1;
        if (passing == 3) look.colours[2] = 0x0000FF;  // another table background
        fullPainter.fillRect(full.rect(), ToQColor(ColourOf(look.colours[0])));
        PaintLiveScreen(fullCanvas, in);
        painter.Paint(keptPainter, in, kept.size());
        EXPECT_TRUE(full == kept) << "passing " << passing;
        EXPECT_EQ(painter.BackdropsPainted(), passing < 3 ? 1 : 2);
    }
}

// VELKARO_SCREENSHOTS=<folder> keeps the form with the projector look of docs/projector.scrn
// loaded, and the window in that look during a ten-car heat (README, docs/).
TEST_F(OptionsForms, Screenshots) {
    QString into = qEnvironmentVariable("VELKARO_SCREENSHOTS");
    if (into.isEmpty()) GTEST_SKIP() << "VELKARO_SCREENSHOTS names no folder";
    dialogs.openAnswers.push_back(VELKARO_DOCS "/projector.scrn");
    WhileOpen(CommandId::Display, [&](QWidget& form) {
        Control(form, kLoadDisplayButton)->click();
        Control<QComboBox>(form, kColumnList)->setCurrentIndex(1);
        EXPECT_TRUE(form.grab().save(into + "/display-options.png"));
        Control(form, 1)->click();
    });
    RunEngine& e = w->State().engine;
    e.runTitle = " Touring - Round2 - Heat3 ";
    e.tables.carsInUse = 10;
    const char* names[] = {"Alice Moreau", "Bruno Keller", "Chen Wei",  "Dana Novak", "Emil Varga",
                           "Fatima Idris", "Greg Olsen",   "Hana Sato", "Ivo Petrov", "Julia Lind"};
    for (int i = 0; i < 10; ++i) {
        LiveRow& r = e.tables.rows[std::size_t(i)];
        r.driverName = names[i];
        Format(r.transponder, "%06d", 4711 + i);
        Format(r.position, "%d", i + 1);
        Format(r.carNumber, "%d", (i * 7) % 10 + 1);
        Format(r.laps, "%d", 24 - i / 3);
        Format(r.totalTime, "5:%02d.%03d", 2 + i * 3, 117 * i % 1000);
        Format(r.lastLap, "12.%03d", 400 + 37 * i);
        Format(r.bestLap, "11.%03d", 800 + 19 * i);
        Format(r.toLeader, "%d.%03d", i * 2, 310 * i % 1000);
        Format(r.toPrevious, "%d.%03d", i ? 1 : 0, 250 + i);
        r.newPassing = i == 2;
        r.holdsRunBest = i == 0;
        r.newBestLap = i == 4;
        r.finished = i < 2;
    }
    e.clock.duration = "0:05:00";
    e.clock.elapsed = "0:04:41";
    e.clock.remaining = "0:00:19";
    e.clock.countdown = "0s";
    w->LiveScreen()->Remeasure(10);
    EXPECT_TRUE(w->grab().save(into + "/projector-look.png"));
}

}  // namespace
}  // namespace velkaro
