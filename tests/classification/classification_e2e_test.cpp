// The whole program offscreen with the decoder simulator as COM1: two heats run and recorded,
// the round classified and validated from its tree node, the overall validated from its own;
// the sections written are compared whole with what the stored heats say.

#include <gtest/gtest.h>

#include <QApplication>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>
#include <algorithm>

#include "event/section.h"
#include "event/sections.h"
#include "platform/clock.h"
#include "platform/fake/fake_dialogs.h"
#include "platform/fake/fake_sound_player.h"
#include "platform/program_folder.h"
#include "platform/qt/qt_serial_port.h"
#include "shell/main_window.h"
#include "tests/classification/classification_fixture.h"
#include "tests/support/sim_process.h"
#include "tests/support/test_support.h"

namespace velkaro {
namespace {

using namespace std::chrono_literals;
namespace fs = std::filesystem;

// Six drivers on the simulator's first six transponders, one round of two heats of three laps.
void PrepareEvent(Messages& messages, const fs::path& file) {
    test::PrepareCategory(messages);
    test::SetCategory(0, 0);
    EventHeader h;
    ASSERT_EQ(ReadEventHeader(h), FileOutcome::Done);
    h.categories[0].rounds = 1;
    ASSERT_EQ(WriteEventHeader(h), FileOutcome::Done);
    StartingGrids grids;
    grids.driversPerHeat = 3;
    grids.rounds = 1;
    grids.lanes[0] = {1, 2, 3};
    ASSERT_EQ(WriteStartingGrids(1, grids, messages), FileOutcome::Done);
    QualifOptions o;
    o.durationKind = DurationKind::ByLaps;
    o.runLaps = 3;
    o.countdownSeconds = 1;
    o.endAtLaps = LapsEnd::AtSignal;
    ASSERT_EQ(WriteQualifOptions(1, o, messages), FileOutcome::Done);
    ASSERT_TRUE(CopyFileReplacing(kWorkingCopy, file.string()));
}

QTreeWidgetItem* FindNode(QTreeWidget* tree, int code) {
    for (QTreeWidgetItemIterator it(tree); *it; ++it) {
        if ((*it)->data(0, Qt::UserRole).toInt() == code) return *it;
    }
    return nullptr;
}

// Selects a classification node; the form it opens is validated as soon as it shows.
bool SelectAndValidate(MainWindow& w, int code) {
    bool validated = false;
    QTimer::singleShot(0, [&] {
        QWidget* form = QApplication::activeModalWidget();
        if (auto* ok = form ? form->findChild<QPushButton*>("1") : nullptr) {
            validated = ok->isEnabled();
            ok->click();
        }
    });
    w.Tree()->setCurrentItem(FindNode(w.Tree(), code));
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
    ShellPlatform platform{messages, dialogs, sounds, clock, port, nullptr};
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
    w.RunCommand(kLoadEventCommand);

    RunEngine& e = w.State().engine;
    for (int heat : {13101, 13102}) {
        w.Tree()->setCurrentItem(FindNode(w.Tree(), heat));
        ASSERT_EQ(e.armed, 1) << heat;
        static_cast<QPushButton*>(w.PanelControl(kStartButton))->click();
        test::Deadline end = test::In(30s);
        while (e.running == 0 && test::Before(end)) QTest::qWait(20);
        while (e.running == 1 && test::Before(end)) QTest::qWait(20);
        ASSERT_EQ(e.running, 0) << heat << ": the run never ended";
    }
    // Leaving heat 2 for the round's node records it, then the form opens.
    ASSERT_TRUE(SelectAndValidate(w, 13951));
    ASSERT_TRUE(SelectAndValidate(w, 13990));

    // What the two stored heats say, ranked here by laps then time, with the default scale.
    std::vector<RunCar> ran;
    for (int h = 1; h <= 2; ++h) {
        RunCars cars{};
        RunTrailer trailer;
        ASSERT_EQ(ReadRunResult(HeatTitle(1, 1, h).View(), cars, trailer), FileOutcome::Done);
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
    ASSERT_EQ(ReadEventHeader(h), FileOutcome::Done);
    EXPECT_EQ(h.categories[0].qualificationStarted, 1);
    EXPECT_EQ(h.categories[0].finalsState, 1);
    EXPECT_EQ(w.State().event.header.categories[0].finalsState, 1);

    messages.Expect(MessageAnswer::No);
    w.close();
}

}  // namespace
}  // namespace velkaro
