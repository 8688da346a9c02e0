// The finals forms offscreen over a scratch event, and a whole category's finals through the
// real window with the decoder simulator as COM1: generated from the 1/4, each run loaded,
// started, timed, stopped and recorded up to the Final, then the closure report shown and
// printed to PDF.

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>
#include <algorithm>
#include <filesystem>
#include <map>
#include <utility>

#include "event/event_file.h"
#include "event/sections.h"
#include "finals/forms/finals_forms.h"
#include "platform/clock.h"
#include "platform/fake/fake_clock.h"
#include "platform/fake/fake_dialogs.h"
#include "platform/fake/fake_messages.h"
#include "platform/fake/fake_serial_port.h"
#include "platform/fake/fake_sound_player.h"
#include "platform/program_folder.h"
#include "platform/qt/qt_dialogs.h"
#include "platform/qt/qt_serial_port.h"
#include "qualification/overall_classification.h"
#include "shell/main_window.h"
#include "tests/support/fake_shell.h"
#include "tests/support/sim_process.h"
#include "tests/support/test_support.h"

namespace fs = std::filesystem;

namespace velkaro {
namespace {

using namespace std::chrono_literals;
using test::FindNode;
using test::WhileOpen;

// 20 drivers with the simulator's transponders, two rounds of points, ranked by number.
void PrepareCategory(Messages& messages, int drivers = 20) {
    ASSERT_EQ(CreateNewEventFile("Touring", SystemDisk()), FileOutcome::Done);
    EventHeader h;
    ASSERT_EQ(ReadEventHeader(h, SystemDisk()), FileOutcome::Done);
    h.categories[0].participants = drivers;
    h.categories[0].rounds = 2;
    h.categories[0].heatsPerRound = 2;
    h.categories[0].qualificationStarted = 1;
    h.categories[0].finalsState = 1;
    ASSERT_EQ(WriteEventHeader(h, SystemDisk()), FileOutcome::Done);
    TrackRecord track;
    track.eventName = "Club day";
    track.circuit = "Home";
    track.minLapTime = "1";
    ASSERT_EQ(WriteTrack(track, messages, SystemDisk()), FileOutcome::Done);
    Participants p{};
    OverallClassification overall;
    overall.bestRounds = 2;
    for (int i = 0; i < drivers; ++i) {
        Format(p[std::size_t(i)].name, "Driver %d", i + 1);
        Format(p[std::size_t(i)].transponder, "%06d", 1001 + i);
        overall.names[std::size_t(i)] = p[std::size_t(i)].name;
    }
    ASSERT_EQ(WriteParticipants(1, p, messages, SystemDisk()), FileOutcome::Done);
    for (int r = 1; r <= 2; ++r) {
        RoundClassification round;
        for (int i = 0; i < drivers; ++i) {
            round.entries[std::size_t(i)].name = p[std::size_t(i)].name;
            round.entries[std::size_t(i)].points = drivers + 5 - i - (r == 2 && i == 0 ? 1 : 0);
        }
        ASSERT_EQ(WriteRoundClassification(1, r, drivers, round, messages, SystemDisk()),
                  FileOutcome::Done);
    }
    ASSERT_EQ(WriteOverallClassification(1, drivers, overall, messages, SystemDisk()),
              FileOutcome::Done);
}

template <typename W = QAbstractButton>
W* Find(QWidget& form, int id) {
    W* w = form.findChild<W*>(QString::number(id));
    EXPECT_NE(w, nullptr) << id;
    return w;
}

void Type(QWidget& form, int id, const QString& text) {
    QLineEdit* edit = Find<QLineEdit>(form, id);
    edit->selectAll();
    QTest::keyClicks(edit, text);
}

// The texts of labels and fields, each followed by "|".
std::string Shown(QWidget& form, std::initializer_list<int> ids) {
    std::string out;
    for (int id : ids) {
        QWidget* w = Find<QWidget>(form, id);
        auto* label = qobject_cast<QLabel*>(w);
        auto* edit = qobject_cast<QLineEdit*>(w);
        out += (label ? label->text() : edit ? edit->text() : "?").toStdString() + "|";
    }
    return out;
}

// 1 or 0 for each control's enable.
std::string Enabled(QWidget& form, std::initializer_list<int> ids) {
    std::string out;
    for (int id : ids) out += Find<QWidget>(form, id)->isEnabled() ? '1' : '0';
    return out;
}

class FinalsForms : public ::testing::Test {
  protected:
    void SetUp() override {
        fs::create_directories(folder.Path() / "Private");
        test::FailOnUnexpectedMessages(messages);
        PrepareCategory(messages);
        ASSERT_EQ(ReadEventHeader(state.event.header, SystemDisk()), FileOutcome::Done);
    }
    std::string File() { return test::ReadWholeFile(folder.Path() / "Private/Course.race"); }

    test::TempFolder folder;
    test::ScopedCurrentFolder here{folder.Path()};
    FakeMessages messages;
    FakeDialogs dialogs;
    SystemClock clock;
    AppState state;
};

TEST_F(FinalsForms, TheArrangementKeepsItsLimitsAndGeneratesTheLadder) {
    const std::string before = File();
    {
        FinalsArrangementForm form(1, state.event.header, messages, SystemDisk());
        EXPECT_EQ(Shown(form, {5001, 5002, 5022, 5023, 5024}), "Touring|20|1/4 final|5|2h30min|");
        Type(form, 5006, "200");
        Type(form, 5003, "9");
        EXPECT_EQ(Shown(form, {5006, 5008, 5005}), "150|4|1|");
        Type(form, 5003, "3");
        Type(form, 5002, "20");
        EXPECT_EQ(Shown(form, {5022}) + Enabled(form, {1}), "Error: >1/2048th f|0");
        Find(form, 2)->click();  // "Cancel"
    }
    EXPECT_EQ(File(), before);

    FinalsArrangementForm form(1, state.event.header, messages, SystemDisk());
    Type(form, 5012, "4");
    EXPECT_EQ(Shown(form, {5009}), "12|");
    Type(form, 5007, "0");
    Find(form, 1)->click();
    EXPECT_EQ(form.result(), QDialog::Accepted);
    EventHeader header;
    ASSERT_EQ(ReadEventHeader(header, SystemDisk()), FileOutcome::Done);
    FinalsLadder stored;
    ASSERT_EQ(ReadFinalsLadder(1, stored, SystemDisk()), FileOutcome::Done);
    EXPECT_EQ(state.event.header.categories[0].finalsRuns * 10 + header.categories[0].finalsRuns,
              55);
    EXPECT_EQ(stored.direct, (std::array<std::int32_t, 5>{0, 12, 14, 14, 14}));
    EXPECT_EQ(stored.delays[0], 0);

    // Once a finals result is stored the structure is locked, the times are not.
    state.event.header.categories[0].finalsState = 2;
    ASSERT_EQ(WriteEventHeader(state.event.header, SystemDisk()), FileOutcome::Done);
    FinalsArrangementForm locked(1, state.event.header, messages, SystemDisk());
    EXPECT_EQ(Enabled(locked, {5003, 5020, 5018}), "001");
}

TEST_F(FinalsForms, OptionsAndTheClosureReportScroll) {
    const std::string before = File();
    {
        FinalsOptionsForm form(1, state.event.header, messages, SystemDisk());
        Find(form, 4904)->click();
        EXPECT_EQ(Enabled(form, {4906}) + std::to_string(Find(form, 4907)->isChecked()), "01");
        Find(form, 2)->click();
    }
    EXPECT_EQ(File(), before);
    FinalsOptionsForm form(1, state.event.header, messages, SystemDisk());
    Find(form, 4905)->click();
    Find(form, 4906)->click();
    Type(form, 4902, "9999");
    Find(form, 1)->click();
    FinalsOptions o;
    ASSERT_EQ(ReadFinalsOptions(1, o, SystemDisk()), FileOutcome::Done);
    EXPECT_EQ(std::string(o.start.View()) + "|" + std::string(o.endAtTime.View()) + "|" +
                  std::to_string(o.countdownSeconds),
              "DEPARTPremiereVoiture|FINTEMPSSignalSonore|3600");

    // 20 drivers from the qualification alone fit the screen; 21 need the scroll bar.
    ClosureReportForm twenty(1, state.track, dialogs, clock, messages, SystemDisk());
    EXPECT_EQ(twenty.Table().count, 20);
    EXPECT_FALSE(Find<QScrollBar>(twenty, 5102)->isVisibleTo(&twenty));
    EXPECT_EQ(twenty.Table().rows[0].qualifPoints, 49);  // 25 + 24 over the two best rounds
    PrepareCategory(messages, 41);
    ASSERT_EQ(ReadEventHeader(state.event.header, SystemDisk()), FileOutcome::Done);
    ClosureReportForm more(1, state.track, dialogs, clock, messages, SystemDisk());
    QScrollBar* bar = Find<QScrollBar>(more, 5102);
    EXPECT_TRUE(bar->isVisibleTo(&more));
    EXPECT_EQ(bar->maximum(), 21);
    EXPECT_EQ(more.Print(), PrintOutcome::Printed);
    ASSERT_EQ(dialogs.printed.size(), 1u);
    const auto& ops = dialogs.printed[0]->canvas.ops;
    EXPECT_EQ(std::count_if(ops.begin(), ops.end(),
                            [](const auto& op) { return op.text == "Page 2 /2"; }),
              1);  // 41 rows
}

// Round 2 stored again after the overall was validated: the window and the paper rank by the
// rounds as they stand now, as the overall form does, not by the stored order.
TEST_F(FinalsForms, TheClosureReportRanksByTheRoundsAsTheyStand) {
    RoundClassification round;
    for (std::size_t i = 0; i < 20; ++i) {
        Format(round.entries[i].name, "Driver %d", int(i) + 1);
        round.entries[i].points = 3 * std::int32_t(i);
    }
    ASSERT_EQ(WriteRoundClassification(1, 2, 20, round, messages, SystemDisk()), FileOutcome::Done);
    OverallNotes notes;
    auto overall = std::make_unique<OverallSheet>(OpenOverallSheet(1, notes, SystemDisk()));
    ClosureReportForm form(1, state.track, dialogs, clock, messages, SystemDisk());
    ASSERT_EQ(form.Print(), PrintOutcome::Printed);
    std::string printed = "|";
    for (const auto& op : dialogs.printed[0]->canvas.ops) {
        if (!op.text.empty()) printed += op.text + "|";
    }
    ASSERT_EQ(form.Table().count, 20);
    for (int i = 0; i < 20; ++i) {
        const ClosureRow& row = form.Table().rows[std::size_t(i)];
        const OverallEntry& e = overall->ranked[std::size_t(i)];
        EXPECT_EQ(std::string(row.name.View()) + " " + std::to_string(row.qualifPoints),
                  std::string(e.name.View()) + " " + std::to_string(e.total));
        std::string line = "|" + std::to_string(i + 1) + "|" + std::string(e.name.View()) + "|Q|" +
                           std::to_string(i + 1) + "|" + std::to_string(e.total) + "|";
        EXPECT_NE(printed.find(line), std::string::npos) << line;
    }
    // 25 - 19 in round 1 and 3 x 19 in round 2.
    EXPECT_EQ(form.Table().rows[0].name.View(), "Driver 20");
    EXPECT_EQ(form.Table().rows[0].qualifPoints, 63);
}

// Prints to a PDF file where the user would choose a printer.
class PdfDialogs final : public Dialogs {
  public:
    explicit PdfDialogs(std::string path) : path_(std::move(path)) {}
    std::optional<std::string> OpenFile(std::string_view, FileFilter) override { return {}; }
    std::optional<std::string> SaveFile(std::string_view, FileFilter) override { return {}; }
    std::optional<Rgb> ChooseColour(Rgb, std::array<Rgb, 16>&) override { return {}; }
    std::optional<Font> ChooseFont(const Font&) override { return {}; }
    std::unique_ptr<PrintJob> Print(std::string_view name, PageOrientation o) override {
        return PrintToPdfFile(name, o, path_);
    }

  private:
    std::string path_;
};

// The program's own folder, seeded, with the category ranked for its finals.
class FinalsShell : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(SeedProgramFolder(folder.Path().string(), VELKARO_SHIPPED_DATA).ok);
        test::FailOnUnexpectedMessages(messages);
        PrepareCategory(messages);
    }

    test::TempFolder folder;
    test::ScopedCurrentFolder here{folder.Path()};
    FakeMessages messages;
    FakeDialogs dialogs;
    FakeSoundPlayer sounds;
};

TEST_F(FinalsShell, FromTheQuarterFinalsToTheClosureReport) {
    SystemClock clock;
    QtSerialPort port{folder.Path().string()};
    AppPlatform platform{messages, dialogs, sounds, clock, port, nullptr, &SystemDisk()};
    fs::path eventFile = folder.Path() / "finals.race";
    ASSERT_TRUE(CopyFileReplacing(kWorkingCopy, eventFile.string(), SystemDisk()));

    test::SimProcess sim(VELKARO_DECODER_SIM,
                         {"--folder", folder.Path().string(), "--port", "1", "--model", "mk2",
                          "--quiet", "--cars", "20", "--lap-mean", "1.2", "--lap-spread", "0.1",
                          "--pace-spread", "0.15", "--seed", "11"});
    ASSERT_TRUE(sim.WaitFor("port entry"));
    MainWindow w(platform);
    w.show();
    messages.Expect(MessageAnswer::Ok);  // the decoder's status at start-up
    w.ConnectDecoder();
    w.StartTimer();
    dialogs.openAnswers.push_back(eventFile.string());
    messages.Expect(MessageAnswer::No);
    w.RunCommand(CommandId::LoadEvent);

    // The finals from the defaults: 20 drivers start in the 1/4; no delay between runs.
    w.Tree()->setCurrentItem(FindNode(w.Tree(), 14020));
    WhileOpen(w, CommandId::FinalsParameters, [](QWidget& form) {
        Type(form, 4902, "1");
        Find(form, 1)->click();
    });
    WhileOpen(w, CommandId::FinalsArrangement, [](QWidget& form) {
        for (int id : {5007, 5011, 5015, 5019}) Type(form, id, "0");
        Find(form, 1)->click();
    });
    std::string labels;
    QTreeWidgetItem* finals = FindNode(w.Tree(), 14000);
    ASSERT_NE(finals, nullptr);
    for (int i = 0; i < finals->childCount(); ++i)
        labels += finals->child(i)->text(0).toStdString() + " ";
    EXPECT_EQ(labels, "Parameters Arrangement 1/4A 1/4B 1/2A 1/2B Final ");

    RunEngine& e = w.State().engine;
    std::map<int, std::vector<std::string>> order;  // each run's finishing order, by its node
    for (int code : {14103, 14104, 14101, 14102, 14100}) {
        w.Tree()->setCurrentItem(FindNode(w.Tree(), code));
        ASSERT_EQ(e.kind, RunKind::FinalsRun) << code;
        ASSERT_EQ(PhaseName(e.phase), "armed") << code;
        // The 1/2 runs: after their 7 direct drivers, the 1/4 run's first 3 as they finished.
        for (int k = 0; k < 3 && (code == 14101 || code == 14102); ++k) {
            EXPECT_EQ(e.tables.cars[std::size_t(7 + k)].driverName.View(), order[code + 2][k]);
        }
        static_cast<QPushButton*>(w.PanelControl(CommandId::Start))->click();
        test::Deadline end = test::In(30s);
        while (e.phase != RunPhase::Running && test::Before(end)) QTest::qWait(20);
        ASSERT_EQ(PhaseName(e.phase), "running") << code << " never started";
        int least = 0;  // every car in the run does a few laps
        while (least < 2 && test::Before(end)) {
            QTest::qWait(50);
            least = 1000;
            for (int s = 0; s < e.tables.carsInUse; ++s) {
                least = std::min(least, e.tables.cars[std::size_t(s)].laps);
            }
        }
        static_cast<QPushButton*>(w.PanelControl(CommandId::Stop))->click();
        ASSERT_EQ(PhaseName(e.phase), "over");
        ASSERT_GE(least, 2) << code;
        for (int k = 0; k < e.tables.carsInUse; ++k) {
            int car = e.tables.standings[std::size_t(k)].carNumber;
            order[code].push_back(
                std::string(e.tables.cars[std::size_t(car - 1)].driverName.View()));
        }
    }
    // Leaving the Final records it; a run whose drivers moved up is then only shown.
    w.Tree()->setCurrentItem(FindNode(w.Tree(), 14103));
    EXPECT_EQ(w.State().event.header.categories[0].finalsState, 2);
    EXPECT_EQ(e.finalsStatus, 2);
    EXPECT_NE(e.phase, RunPhase::Armed);
    EXPECT_EQ(w.State().event.runDone.flags[0][std::size_t(FinalsFlagIndex(0, 'A'))], 1);
    EXPECT_EQ(FindNode(w.Tree(), 14100)->data(0, Qt::UserRole + 1).toInt(), 8);  // run done
    const std::vector<std::string>& finalOrder = order[14100];
    ASSERT_EQ(finalOrder.size(), 10u);

    fs::path pdf = folder.Path() / "closure.pdf";
    PdfDialogs printer(pdf.string());
    ClosureReportForm report(1, w.State().track, printer, clock, messages, SystemDisk());
    const ClosureTable& t = report.Table();
    // The Final in its own finishing order (who else ranks where the closure's own tests hold).
    for (std::size_t k = 0; k < finalOrder.size(); ++k) {
        EXPECT_EQ(std::string(t.rows[k].name.View()) + "|" + std::string(t.rows[k].level.View()) +
                      "|" + std::string(t.rows[k].rank.View()),
                  finalOrder[k] + "|FIN|" + std::to_string(k + 1));
    }
    EXPECT_EQ(t.count, 10 + 20 + 6);
    EXPECT_EQ(report.Print(), PrintOutcome::Printed);
    EXPECT_GT(fs::file_size(pdf), 1000u);

    // The calculators keep their values from one opening to the next.
    WhileOpen(w, CommandId::PlanningQualification, [](QWidget& form) {
        for (auto [id, value] :
             {std::pair{3502, "37"}, {3503, "8"}, {3504, "3"}, {3505, "5"}, {3506, "3"}}) {
            Type(form, id, value);
        }
        EXPECT_EQ(Shown(form, {3508, 3509}), "15|2h00min|");
        Find(form, 1)->click();
    });
    WhileOpen(w, CommandId::PlanningQualification, [](QWidget& form) {
        Type(form, 3503, "0");
        EXPECT_EQ(Shown(form, {3502, 3508, 3509}), "37|0|0h00min|");
        Find(form, 1)->click();
    });
    WhileOpen(w, CommandId::PlanningFinals, [](QWidget& form) {
        Type(form, 5702, "250");
        EXPECT_EQ(Shown(form, {5702}), "200|");
        Find(form, 1)->click();
    });
    test::KeepEventFile(kWorkingCopy);
    messages.Expect(MessageAnswer::No);
    w.close();
}

// Two drivers of a quarter final on one frequency: the arrangement and the race panel name them,
// and "Swap lanes" on the run's node sends one of them to the run beside it.
TEST_F(FinalsShell, ARadioConflictIsNamedAndSwappedAway) {
    FakeClock clock;
    FakeSerialPort port;
    port.failOpen = true;
    AppPlatform platform{messages, dialogs, sounds, clock, port, nullptr, &SystemDisk()};
    EventHeader h;
    ASSERT_EQ(ReadEventHeader(h, SystemDisk()), FileOutcome::Done);
    h.categories[0].finalsRuns = 5;  // from the 1/4
    ASSERT_EQ(WriteEventHeader(h, SystemDisk()), FileOutcome::Done);
    ASSERT_EQ(WriteFinalsLadder(1, DefaultFinalsLadder(20), messages, SystemDisk()),
              FileOutcome::Done);
    Participants p{};
    ASSERT_EQ(ReadParticipants(1, p, SystemDisk()), FileOutcome::Done);
    p[14].frequencies[0] = p[18].frequencies[0] = "40.665";  // Driver 15 and 19, in 1/4A
    ASSERT_EQ(WriteParticipants(1, p, messages, SystemDisk()), FileOutcome::Done);

    MainWindow w(platform);
    w.show();
    w.ConnectDecoder();
    WhileOpen(w, CommandId::FinalsArrangement, [](QWidget& form) {
        auto* conflicts = Find<QLabel>(form, kFinalsArrangementConflicts);
        EXPECT_EQ(conflicts->toolTip(), "1/4A: Driver 15 / Driver 19 on 40.665");
        EXPECT_EQ(conflicts->text(), "Radio Conflict: 1/4A: Driver 15 / Driver 19 on 40.665");
        Find(form, 2)->click();
    });
    auto* screen = w.findChild<QWidget*>("LiveScreen");
    w.Tree()->setCurrentItem(test::FindNode(w.Tree(), 14103));
    EXPECT_EQ(screen->accessibleDescription(), "Radio Conflict\nDriver 15 / Driver 19 on 40.665");
    // VELKARO_SCREENSHOTS=folder keeps the window and the swap form as pictures.
    const QString shots = qEnvironmentVariable("VELKARO_SCREENSHOTS");
    if (!shots.isEmpty()) {
        EXPECT_TRUE(w.grab().save(shots + "/conflict-panel.png"));
    }

    WhileOpen(w, CommandId::SwapLanes, [&shots](QWidget& form) {
        auto* first = Find<QComboBox>(form, kSwapFirstLane);
        auto* second = Find<QComboBox>(form, kSwapSecondLane);
        EXPECT_EQ(first->count(), 20);
        first->setCurrentIndex(2);
        EXPECT_EQ(Shown(form, {kSwapConflicts}),
                  "Radio Conflict: 1/4A: Driver 15 / Driver 19 on 40.665|");
        second->setCurrentIndex(20);
        EXPECT_EQ((first->currentText() + " / " + second->currentText()).toStdString(),
                  "1/4A lane 3: Driver 19 (40.665) / 1/4B lane 1: Driver 16");
        EXPECT_EQ(Shown(form, {kSwapConflicts}), "No radio conflict after the swap|");
        if (!shots.isEmpty()) {
            EXPECT_TRUE(form.grab().save(shots + "/swap-lanes.png"));
        }
        Find(form, 1)->click();
    });
    const RunEngine& e = w.State().engine;
    EXPECT_EQ(std::string(e.tables.cars[2].driverName.View()) + "|" +
                  screen->accessibleDescription().toStdString(),
              "Driver 16|");

    // Once its result is stored, the run's lanes move no more.
    ASSERT_EQ(WriteSection(FinalsRunTitle(1, 2, 'A').View(), FinalsRunPairs(1), "1\t\r\n",
                           kFinalsRunTitleNotFound, messages, SystemDisk()),
              FileOutcome::Done);
    messages.Expect(MessageAnswer::Ok);
    w.RunCommand(CommandId::SwapLanes);
    EXPECT_EQ(messages.shown.back().text,
              "Finals 1/4A has already been run: its lanes can no longer be swapped.");
    messages.Expect(MessageAnswer::No);
    w.close();
}

}  // namespace
}  // namespace velkaro
