// The transponder scan and check through the real window, against the decoder simulator on a
// pseudo-terminal as COM1: an MK1 and an MK2, cars crossing in car order and out of it.

#include <gtest/gtest.h>

#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QTreeWidget>

#include "event/event_file.h"
#include "platform/clock.h"
#include "platform/fake/fake_dialogs.h"
#include "platform/fake/fake_messages.h"
#include "platform/fake/fake_sound_player.h"
#include "platform/program_folder.h"
#include "platform/qt/qt_serial_port.h"
#include "shell/main_window.h"
#include "tests/support/sim_process.h"
#include "tests/support/test_support.h"
#include "tests/timing/engine_fixture.h"
#include "timing/scan_check.h"

namespace velkaro {
namespace {

using namespace std::chrono_literals;

struct Case {
    const char* name;
    const char* model;
    std::vector<int> checkOrder;  // cars 1 to 4
    const char* endSound;
};

class ScanRun : public ::testing::TestWithParam<Case> {};

TEST_P(ScanRun, FourCarsAreScannedThenCheckedThroughTheWindow) {
    const Case& c = GetParam();
    test::TempFolder folder;
    test::ScopedCurrentFolder here{folder.Path()};
    ASSERT_TRUE(SeedProgramFolder(folder.Path().string(), VELKARO_SHIPPED_DATA).ok);
    FakeMessages messages;
    messages.allowAny = true;  // the decoder's status at start-up
    FakeDialogs dialogs;
    FakeSoundPlayer sounds;
    SystemClock clock;
    QtSerialPort port{folder.Path().string()};
    AppPlatform platform{messages, dialogs, sounds, clock, port, nullptr, &SystemDisk()};
    test::SimProcess sim(VELKARO_DECODER_SIM,
                         {"--folder", folder.Path().string(), "--port", "1", "--model", c.model,
                          "--quiet", "--transponders", "4711,4712,4713,4714"});
    ASSERT_TRUE(sim.WaitFor("port entry"));
    MainWindow w(platform);
    w.show();
    w.ConnectDecoder();
    w.StartTimer();
    // A heat of four drivers whose own transponders are not the cars' ones.
    test::PrepareEvent(4, 4, 1, messages);
    EventHeader h;
    ASSERT_EQ(ReadEventHeader(h, SystemDisk()), FileOutcome::Done);
    h.categories[0].participants = 4;
    h.categories[0].rounds = 1;
    h.categories[0].heatsPerRound = 1;
    ASSERT_EQ(WriteEventHeader(h, SystemDisk()), FileOutcome::Done);
    std::string file = folder / "scan.race";
    ASSERT_TRUE(CopyFileReplacing(kWorkingCopy, file, SystemDisk()));
    dialogs.openAnswers.push_back(file);
    messages.Expect(MessageAnswer::No);  // the event prepared above is not saved
    w.RunCommand(CommandId::LoadEvent);

    static_cast<QRadioButton*>(w.PanelControl(kMixedScanRadio))->click();
    QTreeWidgetItem* heat = nullptr;
    for (QTreeWidgetItemIterator it(w.Tree()); *it; ++it) {
        if ((*it)->data(0, Qt::UserRole).toInt() == 13101) heat = *it;
    }
    ASSERT_NE(heat, nullptr);
    w.Tree()->setCurrentItem(heat);
    RunEngine& e = w.State().engine;
    ASSERT_EQ(e.phase, RunPhase::Armed);

    // Each signal is heard over 30 ticks, which the beat polls without waiting.
    sounds.pollsPerSignal = 30;
    auto* scan = static_cast<QPushButton*>(w.PanelControl(CommandId::Scan));
    scan->click();
    EXPECT_EQ(e.phase, RunPhase::ScanSignal);
    test::Deadline heard = test::In(5s);
    while (e.phase == RunPhase::ScanSignal && test::Before(heard)) QTest::qWait(10);
    auto* status = static_cast<QLabel*>(w.PanelControl(kScanStatus));
    EXPECT_EQ(status->text(), QString(" Scan in progress"));
    EXPECT_TRUE(scan->isChecked() && !w.Tree()->isEnabled() &&
                !w.PanelControl(CommandId::Start)->isEnabled() &&
                !w.Command(CommandId::SaveAs)->isEnabled());

    auto crossAndWait = [&](int car, auto done) {
        sim.Send("car " + std::to_string(car));
        test::Deadline end = test::In(5s);
        while (!done() && test::Before(end)) QTest::qWait(10);
        return done();
    };
    for (int car = 1; car <= 4; ++car) {
        ASSERT_TRUE(crossAndWait(car, [&] { return !e.tables.cars[car - 1].transponder.Empty(); }))
            << "car " << car << " never scanned";
        EXPECT_EQ(e.tables.cars[car - 1].transponder, "00471" + std::to_string(car));
    }
    test::Deadline end = test::In(5s);
    while (e.phase != RunPhase::Checking && test::Before(end)) QTest::qWait(10);
    ASSERT_EQ(status->text(), QString(" Check in progress"));
    EXPECT_GE(sounds.polls, 62) << "the beat did not poll the signals to their end";

    for (int car : c.checkOrder) {
        ASSERT_TRUE(crossAndWait(car, [&] { return e.tables.cars[car - 1].laps == 1; }))
            << "car " << car << " never checked";
    }
    end = test::In(5s);
    while (ScanOn(e.phase) && test::Before(end)) QTest::qWait(10);
    EXPECT_EQ(status->text(), QString(" Check completed"));
    EXPECT_TRUE(!scan->isChecked() && w.Tree()->isEnabled() &&
                w.PanelControl(CommandId::Clear)->isEnabled());
    ASSERT_FALSE(sounds.played.empty());  // the whole sequence is the scan's own tests'
    EXPECT_EQ(sounds.played.back().file, c.endSound);
    w.close();
}

INSTANTIATE_TEST_SUITE_P(
    Decoders, ScanRun,
    // Each decoder once; in order or not is the scan's logic, the same for both.
    ::testing::Values(Case{"mk1InOrder", "mk1", {1, 2, 3, 4}, "sons/nokia-sms.wav"},
                      Case{"mk2OutOfOrder", "mk2", {1, 2, 4, 3}, "sons/buzz.wav"}),
    [](const ::testing::TestParamInfo<Case>& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace velkaro
