// The round and overall classification forms offscreen, with the fakes: what they show, what
// "Validate" writes, what "Cancel" leaves, what they print.

#include <gtest/gtest.h>

#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>

#include "platform/fake/fake_clock.h"
#include "platform/fake/fake_dialogs.h"
#include "platform/fake/fake_serial_port.h"
#include "platform/fake/fake_sound_player.h"
#include "qualification/forms/classification_forms.h"
#include "shell/app_state.h"
#include "tests/classification/classification_fixture.h"
#include "tests/event/event_fixtures.h"

namespace velkaro {
namespace {

using Op = RecordingCanvas::Op;
using test::Order;

template <typename W>
W* Control(QWidget& form, int id) {
    W* w = form.findChild<W*>(QString::number(id));
    EXPECT_NE(w, nullptr) << id;
    return w;
}

void Type(QWidget& form, int id, const char* keys) {
    auto* edit = Control<QLineEdit>(form, id);
    edit->selectAll();
    QTest::keyClicks(edit, keys);
}

// The text drawn with `text`, or an op of no kind.
Op Drawn(const RecordingCanvas& c, std::string_view text) {
    for (const Op& op : c.OfKind(RecordingCanvas::Kind::Text)) {
        if (op.text == text) return op;
    }
    Op none{};
    none.kind = RecordingCanvas::Kind::Page;
    return none;
}

class ClassificationForms : public test::EventFolderTest {
  protected:
    void SetUp() override {
        EventFolderTest::SetUp();
        test::PrepareTwoHeats(messages_);
    }
    FakeDialogs dialogs;
    FakeSoundPlayer sounds;
    FakeClock clock;
    FakeSerialPort port;
    ShellPlatform platform{messages_, dialogs, sounds, clock, port, nullptr};
};

TEST_F(ClassificationForms, RoundFormRecomputesAsTypedAndValidatesOnceStarted) {
    test::SetCategory(1, 0);
    std::string before = WorkingCopy();
    {
        RoundClassificationForm form(1, 1, platform);
        EXPECT_TRUE(Control<QRadioButton>(form, kRoundByLapsRadio)->isChecked());
        EXPECT_EQ(Control<QLineEdit>(form, kFirstScaleEdit)->text(), "11");
        Type(form, kFirstScaleEdit + 1, "3");  // gap 1st/2nd
        EXPECT_EQ(Order(form.Sheet()), "A11 D8 B7 E7 C5 F0 ");
        Type(form, kFirstScaleEdit + 5, "x");  // not a digit: the gap is empty, 0
        EXPECT_EQ(Control<QLineEdit>(form, kFirstScaleEdit + 5)->text(), "");
        Control<QPushButton>(form, 2)->click();
    }
    EXPECT_EQ(WorkingCopy(), before) << "Cancel wrote";

    RoundClassificationForm form(1, 1, platform);
    Type(form, kFirstScaleEdit + 1, "3");
    Control<QRadioButton>(form, kRoundByBestLapRadio)->click();
    EXPECT_EQ(Order(form.Sheet()), "B11 A8 D7 E6 C5 F0 ");
    Control<QPushButton>(form, kRoundPrintButton)->click();
    ASSERT_EQ(dialogs.printed.size(), 1u);
    const RecordingCanvas& page = dialogs.printed[0]->canvas;
    EXPECT_EQ(Drawn(page, "Qualification : Classification Round1").at, (Point{350, 110}));
    EXPECT_EQ(Drawn(page, "Event : Club day - Home").at, (Point{150, 170}));
    Op footer = Drawn(page, "CLASSIFICATIONBestLapTime - Printed the 05/12/2026 at 14:30");
    EXPECT_EQ(footer.at, (Point{100, 220}));
    EXPECT_EQ(Drawn(page, "29.000").at, (Point{840, 310}));  // B's best lap, right on 840
    Control<QPushButton>(form, 1)->click();
    const std::string stored =
        "CLASSEMENTMeilleurTour\t11\t3\t1\t1\t1\t1\t\r\nB\t10\t305000\t29000\t11\t\r\n"
        "A\t10\t300000\t29100\t8\t\r\n";
    EXPECT_EQ(test::Body(RoundClassificationTitle(1, 1).View()).substr(0, stored.size()), stored);

    // The stored scale comes back; once a final's result is recorded the form is only looked at
    // and printed.
    RoundClassificationForm again(1, 1, platform);
    EXPECT_EQ(Control<QLineEdit>(again, kFirstScaleEdit + 1)->text(), "3");
    test::SetCategory(1, 2);
    RoundClassificationForm readOnly(1, 1, platform);
    for (int id :
         {1, kRoundByLapsRadio, kRoundByBestLapRadio, kFirstScaleEdit, kFirstScaleEdit + 5}) {
        EXPECT_FALSE(Control<QWidget>(readOnly, id)->isEnabled()) << id;
    }
    EXPECT_TRUE(Control<QWidget>(readOnly, kRoundPrintButton)->isEnabled());
}

TEST_F(ClassificationForms, RoundScreenTellsOfDriversWhoDidNotRace) {
    test::SetCategory(0, 0, 9);
    RoundNotes notes;
    RoundSheet s = OpenRoundSheet(1, 1, notes);
    RecordingCanvas c;
    DrawRoundScreen(c, s, 0);
    Op missing = Drawn(c, " Round not completed (3 drivers didn't race) ");
    EXPECT_EQ(missing.at, (Point{620, 30}));
    EXPECT_EQ(missing.style.colour, (Rgb{150, 0, 0}));
    EXPECT_EQ(Drawn(c, " Touring : Qualif - Classification Round1").style.align, Align::Right);
    // Validate with the qualification not started closes without writing.
    std::string before = WorkingCopy();
    RoundClassificationForm form(1, 1, platform);
    Control<QPushButton>(form, 1)->click();
    EXPECT_EQ(form.result(), QDialog::Accepted);
    EXPECT_EQ(WorkingCopy(), before);
}

TEST_F(ClassificationForms, OverallFormReranksOnNAndValidatesTheRanking) {
    test::SetCategory(1, 0);
    RoundNotes notes;
    ASSERT_EQ(SaveRoundSheet(OpenRoundSheet(1, 1, notes), messages_), FileOutcome::Done);
    test::WriteHeat(2, 1, {{"F", 12, 300000, 25000}, {"C", 11, 300000, 26000}}, messages_);
    ASSERT_EQ(SaveRoundSheet(OpenRoundSheet(1, 2, notes), messages_), FileOutcome::Done);
    std::string before = WorkingCopy();
    {
        OverallClassificationForm form(1, platform);
        Type(form, kBestRoundsEdit, "3");
        EXPECT_EQ(form.Sheet().ranked[0].name, "C");  // 6 + 9
        Control<QPushButton>(form, 2)->click();
    }
    EXPECT_EQ(WorkingCopy(), before) << "Cancel wrote";

    OverallClassificationForm form(1, platform);
    Type(form, kBestRoundsEdit, "2");
    Control<QPushButton>(form, kOverallPrintButton)->click();
    ASSERT_EQ(dialogs.printed.size(), 1u);
    const RecordingCanvas& page = dialogs.printed[0]->canvas;
    EXPECT_EQ(Drawn(page,
                    "SUM OF POINTS of the best 2 qualifying rounds - Printed the 05/12/2026 "
                    "at 14:30")
                  .at,
              (Point{60, 220}));
    Op round = Drawn(page, "(2)");  // C's best round, beside its points in small print
    EXPECT_EQ(round.at, (Point{575, 310}));
    EXPECT_EQ(round.style.font.height, 13);
    Control<QPushButton>(form, 1)->click();
    EXPECT_EQ(test::Body(OverallClassificationTitle(1).View()).substr(0, 49),
              "CLASSEMENTToursTemps\t2\t\r\nC\t\r\nF\t\r\nA\t\r\nD\t\r\nB\t\r\nE\t\r\n");
    EventHeader h;
    ASSERT_EQ(ReadEventHeader(h), FileOutcome::Done);
    EXPECT_EQ(h.categories[0].finalsState, 1);
}

}  // namespace
}  // namespace velkaro
