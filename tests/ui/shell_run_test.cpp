// The whole program offscreen: the decoder simulator on a pseudo-terminal as COM1, an event
// loaded, a heat selected, started, timed by its 10 ms timer, stopped by its end rule and
// recorded when its node is left.

#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QListWidget>
#include <QMessageBox>
#include <QPushButton>
#include <QRegularExpression>
#include <QScreen>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>
#include <algorithm>
#include <cstdio>
#include <filesystem>

#include "event/event_file.h"
#include "event/sections.h"
#include "platform/clock.h"
#include "platform/fake/fake_dialogs.h"
#include "platform/fake/fake_messages.h"
#include "platform/fake/fake_sound_player.h"
#include "platform/program_folder.h"
#include "platform/qt/qt_serial_port.h"
#include "platform/qt/qt_sound_player.h"
#include "shell/live_screen_widget.h"
#include "shell/main_window.h"
#include "shell/notice_log_form.h"
#include "shell/race_panel.h"
#include "shell/unknown_chips_panel.h"
#include "tests/support/fake_shell.h"
#include "tests/support/pulse_audio.h"
#include "tests/support/sim_process.h"
#include "tests/support/test_support.h"
#include "timing/announcements.h"
#include "timing/run_control.h"
#include "timing/run_printout.h"
#include "tools/results/results_tool.h"

namespace fs = std::filesystem;

namespace velkaro {
namespace {

using namespace std::chrono_literals;
using namespace test;

// Drivers whose transponders are the simulator's first cars, one heat of a race of `laps`
// laps, a one-second minimum lap.
void PrepareEvent(const fs::path& file, Messages& messages, int drivers = 3, int laps = 3,
                  int countdown = 1) {
    ASSERT_EQ(CreateNewEventFile("Touring", SystemDisk()), FileOutcome::Done);
    EventHeader h;
    ASSERT_EQ(ReadEventHeader(h, SystemDisk()), FileOutcome::Done);
    h.categories[0].participants = drivers;
    h.categories[0].rounds = 1;
    h.categories[0].heatsPerRound = 2;
    ASSERT_EQ(WriteEventHeader(h, SystemDisk()), FileOutcome::Done);
    TrackRecord track;
    track.eventName = "Club day";
    track.circuit = "Home";
    track.minLapTime = "1";
    ASSERT_EQ(WriteTrack(track, messages, SystemDisk()), FileOutcome::Done);
    Participants p{};
    const char* names[] = {"Alice Moreau", "Bruno Keller", "Chen Wei",    "Dana Novak",
                           "Emil Varga",   "Fatima Idris", "Greg Olsen",  "Hana Sato",
                           "Ivo Petrov",   "Julia Lind",   "Kofi Mensah", "Lena Brandt"};
    for (int i = 0; i < drivers; ++i) {
        if (drivers <= 3) {
            Format(p[std::size_t(i)].name, "Driver %d", i + 1);
        } else {
            p[std::size_t(i)].name = names[i % 12];
        }
        Format(p[std::size_t(i)].transponder, "%06d", 1001 + i);
    }
    ASSERT_EQ(WriteParticipants(1, p, messages, SystemDisk()), FileOutcome::Done);
    HeatSlotList heatSlots = DefaultHeatSlotList();
    heatSlots.driversPerHeat = drivers;
    for (int i = 0; i < drivers; ++i) heatSlots.places[std::size_t(i)] = p[std::size_t(i)].name;
    ASSERT_EQ(WriteHeatSlotList(1, heatSlots, true, messages, SystemDisk()), FileOutcome::Done);
    StartingGrids grids;
    grids.driversPerHeat = drivers;
    grids.rounds = 1;
    for (int k = 0; k < drivers; ++k) grids.lanes[0][std::size_t(k)] = k + 1;
    if (drivers == 3) grids.lanes[0] = {2, 1, 3};
    ASSERT_EQ(WriteStartingGrids(1, grids, messages, SystemDisk()), FileOutcome::Done);
    QualifOptions o;
    o.durationKind = DurationKind::ByLaps;
    o.runLaps = laps;
    o.countdownSeconds = countdown;
    o.endAtLaps = LapsEnd::AtSignal;
    ASSERT_EQ(WriteQualifOptions(1, o, messages, SystemDisk()), FileOutcome::Done);
    ASSERT_TRUE(CopyFileReplacing(kWorkingCopy, file.string(), SystemDisk()));
}

// Every sound the program asks for, stamped, passed on to the fake or to a real player.
struct StampedPlayer final : SoundPlayer {
    explicit StampedPlayer(SoundPlayer& player) : to(&player) {}
    void PlayAsync(std::string_view file) override {
        requests.emplace_back(std::string(file), std::chrono::steady_clock::now());
        to->PlayAsync(file);
    }
    void PlayAndWait(std::string_view file) override {
        requests.emplace_back(std::string(file), std::chrono::steady_clock::now());
        to->PlayAndWait(file);
    }
    std::string_view Status() const override { return to->Status(); }
    void Reload() override { to->Reload(); }

    SoundPlayer* to;
    std::vector<std::pair<std::string, std::chrono::steady_clock::time_point>> requests;
};

// The program on a seeded folder with the simulator's cars on COM1 and the event loaded.
class ShellRun : public ::testing::Test {
  protected:
    void Open(int drivers, int laps, std::vector<std::string> field, bool strict = true) {
        ASSERT_TRUE(SeedProgramFolder(folder.Path().string(), VELKARO_SHIPPED_DATA).ok);
        if (strict) {
            test::FailOnUnexpectedMessages(messages);
        } else {
            messages.allowAny = true;
        }
        PrepareEvent(eventFile, messages, drivers, laps, countdown);
        if (realSound) {  // reads "sons/" of the seeded folder
            realPlayer = std::make_unique<QtSoundPlayer>();
            sounds.to = realPlayer.get();
        }
        std::vector<std::string> args{"--folder", folder.Path().string(), "--port", "1", "--model",
                                      "mk2"};
        if (quietSimulator) args.push_back("--quiet");
        if (!record.empty()) args.insert(args.end(), {"--record", record});
        args.insert(args.end(), field.begin(), field.end());
        sim = std::make_unique<test::SimProcess>(VELKARO_DECODER_SIM, args);
        ASSERT_TRUE(sim->WaitFor("port entry"));
        w = std::make_unique<MainWindow>(platform);
        w->show();
        if (strict) messages.Expect(MessageAnswer::Ok);  // the decoder's status at start-up
        w->ConnectDecoder();
        ASSERT_EQ(messages.shown.back().text, "Interface Velkaro MK2 ready to operate");
        w->StartTimer();
        dialogs.openAnswers.push_back(eventFile.string());
        if (strict) messages.Expect(MessageAnswer::No);  // nothing to save first
        w->RunCommand(CommandId::LoadEvent);
    }

    bool quietSimulator = true;  // false: it lists every passing it sends
    bool realSound = false;      // the program's own player instead of the fake
    std::string record;          // where the simulator records what it sends
    int countdown = 1;
    test::TempFolder folder;
    test::ScopedCurrentFolder here{folder.Path()};
    fs::path eventFile = folder.Path() / "club day.race";
    FakeMessages messages;
    FakeDialogs dialogs;
    FakeSoundPlayer fakeSounds;
    std::unique_ptr<QtSoundPlayer> realPlayer;
    StampedPlayer sounds{fakeSounds};
    SystemClock clock;
    QtSerialPort port{folder.Path().string()};
    AppPlatform platform{messages, dialogs, sounds, clock, port, nullptr, &SystemDisk()};
    std::unique_ptr<test::SimProcess> sim;
    std::unique_ptr<MainWindow> w;
};

TEST_F(ShellRun, AHeatIsLoadedTimedStoppedByItsRuleAndRecordedWhenLeft) {
    record = (folder.Path() / "heat.rec").string();
    Open(3, 3,
         {"--cars", "3", "--lap-mean", "1.3", "--lap-spread", "0.05", "--pace-spread", "0.1",
          "--seed", "7"});
    if (HasFatalFailure()) return;
    MainWindow& w = *this->w;
    QTreeWidgetItem* heat = FindNode(w.Tree(), 13101);
    ASSERT_NE(heat, nullptr);
    w.Tree()->setCurrentItem(heat);
    RunEngine& e = w.State().engine;
    ASSERT_EQ(PhaseName(e.phase), "armed");
    EXPECT_EQ(e.tables.cars[0].driverName, "Driver 2");  // the grid's order
    EXPECT_EQ(e.tables.cars[1].transponder, "001001");   // personal chips

    static_cast<QPushButton*>(w.PanelControl(2001))->click();
    EXPECT_FALSE(w.Tree()->isEnabled());
    EXPECT_FALSE(w.Command(CommandId::NewEvent)->isEnabled());
    EXPECT_FALSE(w.PanelControl(CommandId::Print)->isEnabled());
    // Closing is refused while the run is on.
    messages.Expect(MessageAnswer::Ok);
    w.close();
    EXPECT_EQ(messages.shown.back().text, kQuitRefusedText);
    EXPECT_TRUE(w.isVisible());

    test::Deadline end = test::In(30s);
    while (RunInProgress(e.phase) && e.phase != RunPhase::Running && test::Before(end))
        QTest::qWait(20);
    ASSERT_EQ(PhaseName(e.phase), "running") << "the run never started";
    while (e.phase == RunPhase::Running && test::Before(end)) QTest::qWait(20);
    ASSERT_EQ(PhaseName(e.phase), "over") << "the end rule never stopped the run";
    EXPECT_TRUE(w.Tree()->isEnabled());
    // "Print" sends the finished run's sheet, its leader on the first row.
    ASSERT_TRUE(w.PanelControl(CommandId::Print)->isEnabled());
    static_cast<QPushButton*>(w.PanelControl(CommandId::Print))->click();
    ASSERT_EQ(dialogs.printed.size(), 1u);
    EXPECT_EQ(dialogs.printed[0]->name, "Club day - Touring - Round1 - Heat1 results");
    bool leaderFirst = false;
    for (const RecordingCanvas::Op& op : dialogs.printed[0]->canvas.ops) {
        leaderFirst |= op.at == Point{286, 335} && op.text == e.tables.rows[0].driverName.View();
    }
    EXPECT_TRUE(leaderFirst);
    int most = 0;
    for (const RunCar& car : e.tables.cars) most = std::max(most, car.passingCount);
    EXPECT_EQ(most, 3);  // stopped at the signal when the first car had done its laps
    RunCars ran = e.tables.cars;

    // Ctrl and a click on the leader's row hands that driver's passings to the analysis.
    TableLayout layout = ComputeLayout(w.LiveScreen()->Screen(), w.State().widths,
                                       w.LiveScreen()->Measure().rowHeight);
    // The analysis opens over the window; closing it goes back to the run.
    bool analysed = false;
    QTimer::singleShot(0, [&] {
        QWidget* form = QApplication::activeModalWidget();
        analysed = form && form->objectName() == "ANALYSEPILOTE";
        if (form) form->close();
    });
    QTest::mouseClick(w.LiveScreen(), Qt::LeftButton, Qt::ControlModifier,
                      QPoint(layout.columnX[1] + 5, layout.rowsTop + layout.rowPitch / 2));
    EXPECT_TRUE(analysed);
    int leader = e.tables.standings[0].carNumber - 1;
    std::string results = test::ReadWholeFile(folder.Path() / "ResultatPilote.res");
    EXPECT_EQ(results.rfind(std::string(ran[std::size_t(leader)].driverName.View()), 0), 0u)
        << results.substr(0, 40);

    // Leaving the node records the heat: its section, the header and the flags.
    w.Tree()->setCurrentItem(FindNode(w.Tree(), 13102));
    RunCars stored{};
    RunTrailer trailer;
    ASSERT_EQ(ReadRunResult(HeatTitle(1, 1, 1).View(), stored, trailer, SystemDisk()),
              FileOutcome::Done);
    for (int slot = 0; slot < 3; ++slot) {
        EXPECT_EQ(stored[std::size_t(slot)].driverName, ran[std::size_t(slot)].driverName);
        EXPECT_EQ(stored[std::size_t(slot)].passingCount, ran[std::size_t(slot)].passingCount);
        EXPECT_EQ(stored[std::size_t(slot)].totalTime, ran[std::size_t(slot)].totalTime);
    }
    EXPECT_NE(std::string(trailer.description.View()).find("Duration 3 laps"), std::string::npos)
        << trailer.description.View();
    EventHeader h;
    ASSERT_EQ(ReadEventHeader(h, SystemDisk()), FileOutcome::Done);
    EXPECT_EQ(h.categories[0].qualificationStarted, 1);
    RunDoneFlags flags;
    ASSERT_EQ(ReadRunDoneFlags(flags, SystemDisk()), FileOutcome::Done);
    EXPECT_EQ(flags.flags[0][std::size_t(HeatFlagIndex(1, 1))], 1);
    EXPECT_EQ(heat->data(0, Qt::UserRole + 1).toInt(), 8);  // the run-done picture
    EXPECT_EQ(w.State().event.runDone.flags[0][std::size_t(HeatFlagIndex(1, 1))], 1);

    // What the decoder sent, replayed by the results tool, gives the cars' lines the program
    // stored live.
    std::string out, err;
    ASSERT_EQ(results::RunTool(
                  {"replay", record, "--car", "1002=Driver 2", "--car", "1001=Driver 1", "--car",
                   "1003=Driver 3", "--laps", "3", "--end", "signal", "--min-lap", "1"},
                  out, err),
              0)
        << err;
    std::string lines;
    AppendRunContent(lines, stored, RunTrailer{});
    std::erase(lines, '\r');
    lines.resize(lines.rfind('\n', lines.size() - 2) + 1);  // the cars, not the trailer
    EXPECT_NE(out.find("Result lines:\n" + lines), std::string::npos) << out << "\n" << lines;

    messages.Expect(MessageAnswer::No);
    w.close();
}

// Three chips that no car has cross with the field; Driver 3's own never does. The panel lists
// them with their passings; one given to Driver 3's lane counts its passings so far, then on,
// and the participant keeps it.
TEST_F(ShellRun, ChipsNoCarHasAreShownAndOneGivenToALaneCounts) {
    // Laps over the run's 2 s minimum: every passing counts.
    Open(3, 5,
         {"--cars", "5", "--transponders", "1001,1002,4001,4002,4003", "--lap-mean", "2.2",
          "--lap-spread", "0", "--pace-spread", "0"});
    if (HasFatalFailure()) return;
    MainWindow& w = *this->w;
    w.Tree()->setCurrentItem(FindNode(w.Tree(), 13101));
    RunEngine& e = w.State().engine;
    static_cast<QPushButton*>(w.PanelControl(2001))->click();
    const UnknownChips& u = e.unknownChips;
    test::Deadline end = test::In(30s);
    auto twice = [&u] {
        return u.count == 3 && std::all_of(u.chips.begin(), u.chips.begin() + 3,
                                           [](const UnknownChip& c) { return c.passings >= 2; });
    };
    while (!twice() && test::Before(end)) QTest::qWait(20);
    ASSERT_EQ(PhaseName(e.phase), "running");
    auto* panel = w.findChild<QWidget*>("unknownChips");
    auto* list = w.findChild<QListWidget*>(QString::number(kUnknownChipsList));
    auto* lanes = w.findChild<QComboBox*>(QString::number(kChipTakerList));
    ASSERT_TRUE(panel && list && lanes);
    EXPECT_TRUE(panel->isVisible());
    ASSERT_EQ(list->count(), 3);
    for (int i = 0; i < 3; ++i) {
        const UnknownChip& chip = u.chips[std::size_t(i)];
        EXPECT_EQ(chip.number, 4001 + i);
        EXPECT_GE(chip.passings, 2);
        EXPECT_EQ(list->item(i)->text().toStdString(), UnknownChipLine(chip).View());
    }
    // Only Driver 3 has counted nothing.
    ASSERT_EQ(lanes->count(), 1);
    int slot = lanes->itemData(0).toInt();
    EXPECT_EQ(e.tables.cars[std::size_t(slot)].driverName, "Driver 3");
    list->setCurrentRow(0);
    w.findChild<QCheckBox*>(QString::number(kChipToParticipantCheck))->setChecked(true);
    const int before = u.chips[0].passings;
    w.findChild<QPushButton*>(QString::number(kGiveChipButton))->click();
    const RunCar& car = e.tables.cars[std::size_t(slot)];
    EXPECT_EQ(car.transponder, "004001");
    EXPECT_EQ(car.passingCount, before);
    EXPECT_EQ(u.count, 2);
    while (e.phase == RunPhase::Running && test::Before(end)) QTest::qWait(20);
    ASSERT_EQ(PhaseName(e.phase), "over");
    EXPECT_GT(car.passingCount, before) << car.raceTimes[1] << " " << car.raceTimes[2] << " "
                                        << e.tables.cars[0].passingCount;  // and on
    for (int k = 2; k <= car.passingCount; ++k) EXPECT_GT(car.lapTimes[std::size_t(k)], 2000);
    Participants p{};
    ASSERT_EQ(ReadParticipants(1, p, SystemDisk()), FileOutcome::Done);
    EXPECT_EQ(p[2].transponder, "004001");
    messages.Expect(MessageAnswer::No);
    w.close();
}

// A link lost and restored during a run is told on the race panel and kept in the log: no box
// opens from the tick (any box fails the test) and every passing the decoder sends is counted,
// those it kept while the link was down included. A box the director's own action opens, and the
// log he opens, leave the beat coming.
TEST_F(ShellRun, ALinkLostAndRestoredDuringARunIsToldByNoticesNotBoxes) {
    quietSimulator = false;
    Open(4, 1000,
         {"--cars", "4", "--lap-mean", "1.5", "--lap-spread", "0.05", "--pace-spread", "0.1",
          "--seed", "5"});
    if (HasFatalFailure()) return;
    sim->Lines();
    MainWindow& w = *this->w;
    w.Tree()->setCurrentItem(FindNode(w.Tree(), 13101));
    RunEngine& e = w.State().engine;
    static_cast<QPushButton*>(w.PanelControl(2001))->click();
    test::Deadline end = test::In(20s);
    while (e.phase != RunPhase::Running && test::Before(end)) QTest::qWait(20);
    ASSERT_EQ(PhaseName(e.phase), "running") << "the run never started";
    const std::size_t boxes = messages.shown.size();

    auto* linkState = static_cast<QLabel*>(w.PanelControl(kLinkDownText));
    auto* newest = static_cast<QLabel*>(w.PanelControl(kNoticeLine));
    auto waitFor = [&](auto done, std::chrono::seconds within) {
        for (test::Deadline until = test::In(within); !done() && test::Before(until);) {
            QTest::qWait(20);
        }
        return done();
    };
    QTest::qWait(2000);
    sim->Send("drop");
    ASSERT_TRUE(sim->WaitFor("link dropped"));
    ASSERT_TRUE(sim->WaitFor("kept", 5s));  // the cars go on while nobody listens
    EXPECT_TRUE(waitFor([&] { return linkState->isVisible(); }, 5s))
        << "nothing on the panel says the link is down";
    EXPECT_TRUE(
        waitFor([&] { return newest->toolTip().contains("Failure of the decoder MK2"); }, 5s))
        << newest->toolTip().toStdString();
    sim->Send("restore");
    ASSERT_TRUE(waitFor([&] { return newest->toolTip().contains("restored at"); }, 20s))
        << "no restoration notice";
    EXPECT_FALSE(linkState->isVisible());
    EXPECT_EQ(messages.shown.size(), boxes);

    // The director's own action asks its question in a box: the run goes on timed under it.
    int under = 0;
    double longestUnderBox = 0;
    messages.whileOpen = [&](const FakeMessages::Shown&) {
        QMessageBox box(QMessageBox::Warning, "Velkaro", "", QMessageBox::Ok, &w);
        QTimer::singleShot(2000, &box, &QDialog::accept);
        w.Beat().ResetGap();
        under = -static_cast<int>(e.tables.cars[0].passingCount);
        box.exec();
        under += e.tables.cars[0].passingCount;
        longestUnderBox = w.Beat().LongestGapMs();
    };
    messages.Expect(MessageAnswer::Ok);
    w.close();
    EXPECT_EQ(messages.shown.back().text, kQuitRefusedText);
    EXPECT_GE(under, 1) << "no lap counted under the box";
    EXPECT_LT(longestUnderBox, 200.0) << "the beat stalled under the box";
    messages.whileOpen = nullptr;

    // The log, newest first, each with its time; the beat goes on while it is open.
    QStringList logged;
    double longestUnderLog = 0;
    QTimer::singleShot(1500, [&] {
        QWidget* form = QApplication::activeModalWidget();
        if (form == nullptr || form->objectName() != "NOTICES") return;
        auto* list = form->findChild<QListWidget*>(QString::number(kNoticeList));
        for (int i = 0; list && i < list->count(); ++i) logged << list->item(i)->text();
        longestUnderLog = w.Beat().LongestGapMs();
        form->close();
    });
    w.Beat().ResetGap();
    static_cast<QPushButton*>(w.PanelControl(CommandId::Notices))->click();
    ASSERT_GE(logged.size(), 2) << logged.join("\n").toStdString();
    EXPECT_TRUE(logged[0].contains(QRegularExpression(
        "^\\d\\d:\\d\\d:\\d\\d  Failure of .* / Connection of the decoder MK2 restored at")))
        << logged[0].toStdString();
    // Past the start's own notices (the event prepared before it is resumed).
    EXPECT_TRUE(std::any_of(logged.begin() + 1, logged.end(), [](const QString& line) {
        return line.contains("Failure of the decoder MK2 connection at");
    })) << logged.join("\n").toStdString();
    EXPECT_LT(longestUnderLog, 200.0);

    QTest::qWait(1000);
    sim->Send("stop");
    ASSERT_TRUE(sim->WaitFor("leave the track"));
    QTest::qWait(500);
    int sent = 0;
    for (const std::string& line : sim->Lines()) {
        if (line.find("  time ") == std::string::npos) continue;
        if (line.find("ms  sent") != std::string::npos ||
            line.find("ms  kept") != std::string::npos)
            ++sent;
    }
    int counted = 0;
    for (const RunCar& car : e.tables.cars) counted += car.passingCount;
    EXPECT_GT(sent, 12);  // laps of 1.5 s: the run went on all along
    EXPECT_EQ(counted, sent);
    std::printf(
        "%d passings sent, %d counted; longest beat gap under a box %.1f ms, under the "
        "log %.1f ms\n",
        sent, counted, longestUnderBox, longestUnderLog);
    StopCommand(e);
    EXPECT_EQ(messages.shown.size(), boxes + 1);  // the quit refused, nothing else
}

// A heat timed from the simulator and heard through a real PulseAudio server: every sound the
// program asks for is in the recording, in order, and whole unless the next request replaced it;
// the countdown calls a second apart, the horn on the clock zero, a beep for every counted
// passing. Prints the delays from the clock zero and from each passing's arrival at the port.
TEST_F(ShellRun, EverySoundOfAHeatIsHeardWholeAndOnTime) {
    TempFolder audio;
    PulseServer server(audio.Path().string());
    if (!server.Unavailable().empty()) GTEST_SKIP() << server.Unavailable();
    quietSimulator = false;
    realSound = true;
    countdown = 6;
    Open(4, 1000,
         {"--cars", "4", "--lap-mean", "1.4", "--lap-spread", "0.1", "--pace-spread", "0.15",
          "--seed", "3"},
         false);
    if (HasFatalFailure()) return;
    ASSERT_EQ(sounds.Status(), "");
    MonitorRecording rec;
    ASSERT_TRUE(rec.Recording());
    ASSERT_TRUE(rec.Flowing()) << "the monitor records nothing";
    // The program's stream is open long before a run; a null sink idles with a 2 s block that a
    // new stream waits out once.
    for (auto end = In(10s); realPlayer->FramesPlayed() < kPulseRate && Before(end);) {
        QTest::qWait(10);
    }
    MainWindow& w = *this->w;
    w.Tree()->setCurrentItem(FindNode(w.Tree(), 13101));
    RunEngine& e = w.State().engine;
    sounds.requests.clear();
    static_cast<QPushButton*>(w.PanelControl(2001))->click();
    for (auto end = In(20s); e.phase != RunPhase::Running && Before(end);) QTest::qWait(5);
    ASSERT_EQ(PhaseName(e.phase), "running") << "the run never started";
    const SteadyTime zero{std::chrono::nanoseconds(e.link->timeBase.perfStart)};
    QTest::qWait(7000);
    const SteadyTime stopped = std::chrono::steady_clock::now();
    StopCommand(e);
    QTest::qWait(1500);  // the end-of-race horn
    rec.Stop();

    // When each passing the simulator sent left it, on this process's steady clock: its decoder
    // time after the clock reset, which the log places on the simulator's own clock.
    double origin = -1, reset = -1;
    std::vector<SteadyTime> arrivals;
    for (const std::string& line : sim->Lines()) {
        std::sscanf(line.c_str(), "  log times count from %lf ms", &origin);
        double at = 0;
        long long time = 0;
        if (line.find("clock reset") != std::string::npos)
            std::sscanf(line.c_str(), "[%lf]", &reset);
        if (line.find("ms  sent") != std::string::npos &&
            std::sscanf(line.c_str(), "[%lf] car %*d transponder %*d lap %*d time %lld", &at,
                        &time) == 2) {
            arrivals.push_back(SteadyTime{std::chrono::microseconds(
                                   std::int64_t((origin + reset * 1000) * 1000))} +
                               std::chrono::milliseconds(time));
        }
    }
    ASSERT_GE(origin, 0) << "the simulator did not say where its times start";
    ASSERT_GE(reset, 0) << "the decoder clock was never reset";
    ASSERT_FALSE(arrivals.empty());

    int counted = 0;
    for (const RunCar& car : e.tables.cars) counted += car.passingCount;
    // Every passing sent before the stop counts, so the k-th beep is the k-th passing's.
    EXPECT_EQ(std::lower_bound(arrivals.begin(), arrivals.end(), stopped) - arrivals.begin(),
              counted);
    std::vector<double> fromArrival, fromRequest;
    double horn = -1;
    int beeps = 0, replaced = 0;
    std::int64_t from = 0, previousCall = -1;
    const auto& requests = sounds.requests;
    for (std::size_t i = 0; i < requests.size(); ++i) {
        const auto& [file, when] = requests[i];
        PcmSound ref = Reference(file);
        const auto length = std::int64_t(ref.samples.size());
        // A request followed within its length is cut, as it must be. A beep always gets its
        // start heard; another sound replaced at once may not be.
        const double gap = i + 1 < requests.size() ? Ms(requests[i + 1].second - when) : 1e9;
        beeps += file == kLapBeepSound;
        // A sound starts soon after its request, one replaced at once before the next sound; a
        // sound heard to its end may be found by its end.
        const bool whole = gap > 1000.0 * double(length) / kPulseRate + 20;
        std::int64_t at = Find(
            rec, std::max(from, rec.Index(when) - 20 * kSamplesPerMs),
            rec.Index(when) + std::int64_t(std::min(gap + 100, 150.0)) * kSamplesPerMs, ref, whole);
        if (at < 0 && gap < 60 && file != kLapBeepSound) {
            ++replaced;
            continue;
        }
        ASSERT_GE(at, 0) << file << " asked for at " << Ms(when - rec.zero) << " ms not heard";
        if (whole) {
            EXPECT_TRUE(EndHeard(rec, at, ref)) << file << " cut";
        }
        fromRequest.push_back(Ms(rec.At(at) - when));
        if (file.find("GB.wav") != std::string::npos) {
            if (previousCall >= 0) {
                EXPECT_NEAR(Ms(rec.At(at) - rec.At(previousCall)), 1000.0, 30.0) << file;
            }
            previousCall = at;
        }
        if (file == kStartSignalSound && horn < 0) horn = Ms(rec.At(at) - zero);
        if (file == kLapBeepSound && std::size_t(beeps) <= arrivals.size()) {
            const SteadyTime arrival = arrivals[std::size_t(beeps - 1)];
            EXPECT_LE(Ms(arrival - when), 1.0) << "a beep asked for before its passing was sent";
            fromArrival.push_back(Ms(rec.At(at) - arrival));
        }
        from = at + 1;
    }
    EXPECT_EQ(beeps, counted) << "a beep for every counted passing";
    EXPECT_GT(counted, 8);
    EXPECT_GE(horn, 0) << "no horn at the start";
    ASSERT_FALSE(fromArrival.empty());
    std::sort(fromArrival.begin(), fromArrival.end());
    std::sort(fromRequest.begin(), fromRequest.end());
    std::printf(
        "%zu sounds asked for, %d replaced at once; clock zero to the horn %.1f ms; passing's "
        "arrival to its beep over %zu beeps: median %.1f ms, worst %.1f ms; request to first "
        "sample: median %.1f ms, worst %.1f ms\n",
        requests.size(), replaced, horn, fromArrival.size(), fromArrival[fromArrival.size() / 2],
        fromArrival.back(), fromRequest[fromRequest.size() / 2], fromRequest.back());
}

// The README's picture: a ten-car heat on a 1920 x 1080 screen, taken mid-race. Run by hand with
// VELKARO_SCREENSHOT=file.png, on a display of that size (Xvfb).
TEST_F(ShellRun, Screenshot) {
    QByteArray target = qgetenv("VELKARO_SCREENSHOT");
    if (target.isEmpty()) GTEST_SKIP() << "set VELKARO_SCREENSHOT to take the picture";
    Open(10, 30,
         {"--cars", "10", "--lap-mean", "2.2", "--lap-spread", "0.15", "--pace-spread", "0.2",
          "--seed", "11"},
         false);
    if (HasFatalFailure()) return;
    MainWindow& w = *this->w;
    w.showMaximized();
    w.Tree()->expandAll();
    w.Tree()->setCurrentItem(FindNode(w.Tree(), 13101));
    static_cast<QPushButton*>(w.PanelControl(2001))->click();
    QTest::qWait(13000);
    ASSERT_EQ(PhaseName(w.State().engine.phase), "running");
    ASSERT_TRUE(w.grab().save(QString::fromLocal8Bit(target)));
    StopCommand(w.State().engine);
}

}  // namespace
}  // namespace velkaro
