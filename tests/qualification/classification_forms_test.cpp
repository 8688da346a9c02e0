// The round and overall classification forms offscreen, with the fakes: what they show, what
// "Validate" writes, what "Cancel" leaves, what they print. Then the whole program with the
// decoder simulator as COM1: two heats run, the round and the overall validated from their tree
// nodes, the sections written compared whole with what the stored heats say.

#include <gtest/gtest.h>

#include <QApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>
#include <algorithm>

#include "platform/clock.h"
#include "platform/fake/fake_clock.h"
#include "platform/fake/fake_dialogs.h"
#include "platform/fake/fake_serial_port.h"
#include "platform/fake/fake_sound_player.h"
#include "platform/program_folder.h"
#include "platform/qt/qt_serial_port.h"
#include "qualification/forms/classification_forms.h"
#include "shell/main_window.h"
#include "tests/qualification/classification_fixture.h"
#include "tests/support/sim_process.h"

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
        test::PrepareCategory(messages_);
    }
    FakeDialogs dialogs;
    FakeSoundPlayer sounds;
    FakeClock clock;
    FakeSerialPort port;
    AppPlatform platform{messages_, dialogs, sounds, clock, port, nullptr, &SystemDisk()};
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
    RoundSheet s = OpenRoundSheet(1, 1, notes, SystemDisk());
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
    ASSERT_EQ(SaveRoundSheet(OpenRoundSheet(1, 1, notes, SystemDisk()), messages_, SystemDisk()),
              FileOutcome::Done);
    test::WriteHeat(2, 1, {{"F", 12, 300000, 25000}, {"C", 11, 300000, 26000}}, messages_);
    ASSERT_EQ(SaveRoundSheet(OpenRoundSheet(1, 2, notes, SystemDisk()), messages_, SystemDisk()),
              FileOutcome::Done);
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
}

// ---------------------------------------------------------------------------------------------
// The whole program.

using namespace std::chrono_literals;
namespace fs = std::filesystem;

// Six drivers on the simulator's first six transponders, one round of two heats of three laps.
void PrepareEvent(Messages& messages, const fs::path& file) {
    test::PrepareCategory(messages, false);
    test::SetCategory(0, 0, 6, 1);
    StartingGrids grids;
    grids.driversPerHeat = 3;
    grids.rounds = 1;
    grids.lanes[0] = {1, 2, 3};
    QualifOptions o;
    o.durationKind = DurationKind::ByLaps;
    o.runLaps = 3;
    o.countdownSeconds = 1;
    o.endAtLaps = LapsEnd::AtSignal;
    ASSERT_TRUE(WriteStartingGrids(1, grids, messages, SystemDisk()) == FileOutcome::Done &&
                WriteQualifOptions(1, o, messages, SystemDisk()) == FileOutcome::Done);
    ASSERT_TRUE(CopyFileReplacing(kWorkingCopy, file.string(), SystemDisk()));
}

QTreeWidgetItem* FindNode(QTreeWidget* tree, int code) {
    for (QTreeWidgetItemIterator it(tree); *it; ++it) {
        if ((*it)->data(0, Qt::UserRole).toInt() == code) return *it;
    }
    return nullptr;
}

// Opens a classification node; its form is validated as soon as it shows.
bool SelectAndValidate(MainWindow& w, int code) {
    bool validated = false;
    QTimer::singleShot(0, [&] {
        QWidget* form = QApplication::activeModalWidget();
        if (auto* ok = form ? form->findChild<QPushButton*>("1") : nullptr) {
            validated = ok->isEnabled();
            ok->click();
        }
    });
    QTreeWidgetItem* node = FindNode(w.Tree(), code);
    w.Tree()->setCurrentItem(node);
    emit w.Tree()->itemDoubleClicked(node, 0);
    return validated;
}

// The section's reservation with its content written over its start, as the file must hold it.
std::string Region(int pairs, const std::string& content) {
    std::string r = Reservation(pairs);
    return r.replace(0, content.size(), content);
}

TEST(ClassificationEndToEnd, TwoHeatsRunThenTheRoundAndTheOverallAreValidated) {
    test::TempFolder folder;
    test::ScopedCurrentFolder here{folder.Path()};
    ASSERT_TRUE(SeedProgramFolder(folder.Path().string(), VELKARO_SHIPPED_DATA).ok);
    FakeMessages messages;
    test::FailOnUnexpectedMessages(messages);
    FakeDialogs dialogs;
    FakeSoundPlayer sounds;
    SystemClock clock;
    QtSerialPort port{folder.Path().string()};
    AppPlatform platform{messages, dialogs, sounds, clock, port, nullptr, &SystemDisk()};
    fs::path eventFile = folder.Path() / "club day.race";
    PrepareEvent(messages, eventFile);
    if (::testing::Test::HasFatalFailure()) return;
    test::SimProcess sim(
        VELKARO_DECODER_SIM,
        {"--folder", folder.Path().string(), "--port", "1", "--model", "mk2", "--quiet", "--cars",
         "6", "--lap-mean", "1.3", "--lap-spread", "0.05", "--pace-spread", "0.15", "--seed", "3"});
    ASSERT_TRUE(sim.WaitFor("port entry"));
    MainWindow w(platform);
    w.show();
    messages.Expect(MessageAnswer::Ok);  // the decoder's status
    w.ConnectDecoder();
    w.StartTimer();
    dialogs.openAnswers.push_back(eventFile.string());
    messages.Expect(MessageAnswer::No);  // nothing to save first
    w.RunCommand(CommandId::LoadEvent);

    RunEngine& e = w.State().engine;
    for (int heat : {13101, 13102}) {
        w.Tree()->setCurrentItem(FindNode(w.Tree(), heat));
        ASSERT_EQ(PhaseName(e.phase), "armed") << heat;
        static_cast<QPushButton*>(w.PanelControl(CommandId::Start))->click();
        test::Deadline end = test::In(30s);
        while (e.phase != RunPhase::Running && test::Before(end)) QTest::qWait(20);
        while (e.phase == RunPhase::Running && test::Before(end)) QTest::qWait(20);
        ASSERT_EQ(PhaseName(e.phase), "over") << heat << ": the run never ended";
    }
    // Leaving heat 2 for the round's node records it, then the form opens.
    ASSERT_TRUE(SelectAndValidate(w, 13951));
    ASSERT_TRUE(SelectAndValidate(w, 13990));
    EXPECT_EQ(FindNode(w.Tree(), 13990)->text(0), "Overall classific. (validated)");

    // What the two stored heats say, ranked here by laps then time, with the default scale.
    std::vector<RunCar> ran;
    for (int h = 1; h <= 2; ++h) {
        RunCars cars{};
        RunTrailer trailer;
        ASSERT_EQ(ReadRunResult(HeatTitle(1, 1, h).View(), cars, trailer, SystemDisk()),
                  FileOutcome::Done);
        ran.insert(ran.end(), cars.begin(), cars.begin() + 3);
    }
    std::sort(ran.begin(), ran.end(), [](const RunCar& a, const RunCar& b) {
        return a.laps != b.laps ? a.laps > b.laps : a.totalTime < b.totalTime;
    });
    std::string round = "CLASSEMENTToursTemps\t11\t2\t1\t1\t1\t1\t\r\n";
    std::string overall = "CLASSEMENTToursTemps\t1\t\r\n";
    for (std::size_t i = 0; i < ran.size(); ++i) {
        const RunCar& r = ran[i];
        ASSERT_GT(r.laps, 0);
        ASSERT_TRUE(i == 0 || r.totalTime != ran[i - 1].totalTime) << "a tie: change the seed";
        round += std::string(r.driverName.View()) + "\t" + std::to_string(r.laps) + "\t" +
                 std::to_string(r.totalTime) + "\t" + std::to_string(r.bestLap) + "\t" +
                 std::to_string(std::array{11, 9, 8, 7, 6, 5}[i]) + "\t\r\n";
        overall += std::string(r.driverName.View()) + "\t\r\n";
    }
    std::string roundRegion = Region(RoundClassificationPairs(6), round);
    EXPECT_EQ(test::Body(RoundClassificationTitle(1, 1).View()).substr(0, roundRegion.size()),
              roundRegion);
    EXPECT_EQ(test::Body(OverallClassificationTitle(1).View()),
              Region(OverallClassificationPairs(6), overall));
    EventHeader h;
    ASSERT_EQ(ReadEventHeader(h, SystemDisk()), FileOutcome::Done);
    EXPECT_EQ(h.categories[0].qualificationStarted, 1);
    EXPECT_EQ(h.categories[0].finalsState, 1);
    EXPECT_EQ(w.State().event.header.categories[0].finalsState, 1);

    test::KeepEventFile(kWorkingCopy);
    messages.Expect(MessageAnswer::No);
    w.close();
}

}  // namespace
}  // namespace velkaro
