#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>
#include <filesystem>

#include "databases/forms/editor_form.h"
#include "databases/forms/transponder_forms.h"
#include "event/damage.h"
#include "event/event_file.h"
#include "platform/fake/fake_clock.h"
#include "platform/fake/fake_dialogs.h"
#include "platform/fake/fake_messages.h"
#include "platform/fake/fake_serial_port.h"
#include "platform/fake/fake_sound_player.h"
#include "platform/fake/faulty_disk.h"
#include "platform/program_folder.h"
#include "shell/live_options.h"
#include "shell/main_window.h"
#include "shell/race_panel.h"
#include "tests/support/fake_shell.h"
#include "tests/support/test_support.h"
#include "tests/timing/engine_fixture.h"
#include "timing/run_loading.h"

namespace fs = std::filesystem;

namespace velkaro {
namespace {

using test::WhileOpen;

class Shell : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(SeedProgramFolder(folder.Path().string(), VELKARO_SHIPPED_DATA).ok);
        test::FailOnUnexpectedMessages(messages);
        port.failOpen = true;  // no decoder on this machine
    }

    // Starts the program as main() does; the decoder's absence opens no box.
    std::unique_ptr<MainWindow> Start() {
        auto w = std::make_unique<MainWindow>(platform);
        w->show();
        w->ConnectDecoder();
        return w;
    }

    // Closes without saving, as the user answering "No".
    void Quit(std::unique_ptr<MainWindow>& w) {
        messages.Expect(MessageAnswer::No);
        w->close();
        w.reset();
    }

    QTreeWidgetItem* FindNode(MainWindow& w, int code) {
        for (QTreeWidgetItemIterator it(w.Tree()); *it; ++it) {
            if ((*it)->data(0, Qt::UserRole).toInt() == code) return *it;
        }
        return nullptr;
    }

    std::string Working() { return test::ReadWholeFile(folder.Path() / "Private" / "Course.race"); }
    std::string Path(std::string_view name) { return (folder.Path() / name).string(); }

    test::TempFolder folder;
    test::ScopedCurrentFolder here{folder.Path()};
    FakeMessages messages;
    FakeDialogs dialogs;
    FakeSoundPlayer sounds;
    FakeClock clock;
    FakeSerialPort port;
    std::vector<std::string> opened;
    AppPlatform platform{messages,
                         dialogs,
                         sounds,
                         clock,
                         port,
                         [this](std::string_view f) {
                             opened.emplace_back(f);
                             return true;
                         },
                         &SystemDisk()};
};

// No box over the empty window: the race panel says there is no decoder and what to do.
TEST_F(Shell, AFirstStartOnTheShippedFolderOpensNoBoxAndSaysThereIsNoDecoder) {
    auto w = Start();
    EXPECT_EQ(messages.shown.size(), 0u);
    auto* linkState = static_cast<QLabel*>(w->PanelControl(kLinkDownText));
    EXPECT_TRUE(linkState->isVisible());
    EXPECT_EQ(linkState->text().toStdString(),
              "No decoder on COM1\nSet its port in Settings > Interface,\nor start the decoder "
              "simulator");
    auto* newest = static_cast<QLabel*>(w->PanelControl(kNoticeLine));
    EXPECT_TRUE(newest->toolTip().endsWith("  Could not open the COM port"))
        << newest->toolTip().toStdString();
    EXPECT_LE(newest->fontMetrics().horizontalAdvance(newest->text()), newest->width());
    EXPECT_EQ(w->windowTitle(), "Velkaro");
    EXPECT_FALSE(w->Command(CommandId::Save)->isEnabled());
    // The new event: the track, one category named for a first start, its subtree.
    QStringList top;
    for (int i = 0; i < w->Tree()->topLevelItemCount(); ++i) {
        top << w->Tree()->topLevelItem(i)->text(0);
    }
    EXPECT_EQ(top, (QStringList{"Track", "CATEGORY 1"}));
    Quit(w);
}

TEST_F(Shell, TheMenuBarWithItsIdsAndSeparators) {
    auto w = Start();
    QStringList menus, lines;
    for (QAction* top : w->menuBar()->actions()) {
        menus << top->text();
        QStringList entries;
        for (QAction* a : top->menu()->actions()) {
            QString key = a->shortcut().toString();
            entries << (a->isSeparator() ? QString("-")
                                         : a->objectName() + "=" + a->text() +
                                               (key.isEmpty() ? "" : "[" + key + "]"));
        }
        lines << entries.join(' ');
    }
    EXPECT_EQ(menus, (QStringList{"File", "Event", "Race", "Database", "Planning of race",
                                  "Settings", "?"}));
    EXPECT_EQ(lines[0].toStdString(),
              "1001=New event 1002=Load event - 1003=Save 1004=Save as... - Recent events=Recent "
              "events - 1005=Quit");
    EXPECT_EQ(lines[1].toStdString(),
              "1051=New category 1052=Rename category - 1053=Track for the race 1054=List of "
              "participants - 1055=Qualifying heats Parameters 1056=Qualifying heats Arrangement "
              "- 4301=Round classification 4302=Overall classification - 1057=Finals runs "
              "Parameters 1058=Finals runs Arrangement - 1059=Show the report");
    EXPECT_EQ(lines[2].toStdString(),
              "2001=Start[F5] 2002=Stop[F6] 2003=Clear - 1061=Next heat[F8] 1062=Previous "
              "heat[F7]");
    EXPECT_EQ(lines[3].toStdString(),
              "1006=Circuits - 1007=Clubs - 1008=Drivers - 1009=Transponders - 1010=Frequencies");
    EXPECT_EQ(lines[4].toStdString(), "1011=Planning qualification - 1012=Planning finals");
    EXPECT_EQ(lines[5].toStdString(),
              "1013=Sounds - 1014=Display - 1015=Interface - 1018=Live page");
    EXPECT_EQ(lines[6].toStdString(), "1017=Help");
    // Entries with a picture have one, the others none.
    EXPECT_FALSE(w->Command(CommandId::NewEvent)->icon().isNull());
    EXPECT_TRUE(w->Command(CommandId::LoadEvent)->icon().isNull());
    Quit(w);
}

// A start after the program ended reopens the event, under its file's name, and says so; the
// event stays through a second start, its dated copy is kept once, and the blank event of "New
// event" never replaces it. "Recent events" brings the saved file back.
TEST_F(Shell, ARestartResumesTheEventAndABlankNeverReplacesItsCopy) {
    auto w = Start();
    const fs::path saved = folder.Path() / "club day.race";
    dialogs.saveAnswers.push_back(saved.string());
    w->RunCommand(CommandId::NewCategory);  // a second category, saved
    w->RunCommand(CommandId::SaveAs);
    w->RunCommand(CommandId::NewCategory);  // a third, not saved
    const std::string event = Working();
    Quit(w);
    auto copies = [&] {
        std::string kept;
        for (const auto& e : fs::directory_iterator(folder.Path() / "Private/Crash")) {
            if (e.path().extension() == ".race") kept += test::ReadWholeFile(e.path()) + "|";
        }
        return kept + test::ReadWholeFile(folder.Path() / "PcCrashRace.race");
    };
    auto resumed = [&] {
        const NoticeLog& notices = w->State().engine.notices;
        std::string said;
        for (std::size_t i = 0; i < NoticeCount(notices); ++i) {
            std::string_view text = NoticeAt(notices, i).text.View();
            if (text.starts_with("Resumed ")) said += std::string(text.substr(0, 31)) + "|";
        }
        return said;
    };
    for (int start = 0; start < 2; ++start) {
        w = Start();
        EXPECT_EQ(
            test::Fields(w->Tree()->topLevelItemCount(), w->windowTitle().toStdString(), resumed()),
            test::Fields(4, "Velkaro:   " + saved.string(), "Resumed club day, last changed |"));
        EXPECT_TRUE(Working() == event);
        Quit(w);
    }
    EXPECT_TRUE(copies() == event + "|" + event);

    w = Start();
    messages.Expect(MessageAnswer::No);  // "Be careful": do not save the current one
    w->RunCommand(CommandId::NewEvent);
    Quit(w);
    w = Start();
    EXPECT_EQ(
        test::Fields(w->Tree()->topLevelItemCount(), w->windowTitle().toStdString(), resumed()),
        test::Fields(2, "Velkaro", ""));
    EXPECT_TRUE(copies() == event + "|" + event);

    auto* recent = w->findChild<QMenu*>("Recent events");
    ASSERT_NE(recent, nullptr);
    ASSERT_EQ(recent->actions().size(), 1);
    EXPECT_EQ(recent->actions()[0]->text().toStdString(), saved.string());
    messages.Expect(MessageAnswer::No);  // nothing to save first
    recent->actions()[0]->trigger();
    EXPECT_EQ(test::Fields(w->State().event.header.categoryCount, w->windowTitle().toStdString()),
              test::Fields(2, "Velkaro:   " + saved.string()));
    Quit(w);
}

TEST_F(Shell, NewCategoryStopsAtNine) {
    auto w = Start();
    for (int i = 0; i < 10; ++i) w->RunCommand(CommandId::NewCategory);
    EXPECT_EQ(w->State().event.header.categoryCount, 9);
    EXPECT_EQ(w->Tree()->topLevelItemCount(), 10);
    EventHeader h;
    ASSERT_EQ(ReadEventHeader(h, SystemDisk()), FileOutcome::Done);
    EXPECT_EQ(h.categoryCount, 9);
    EXPECT_EQ(h.categories[8].name, "CATEGORY 9");
    Quit(w);
}

TEST_F(Shell, RenamingACategoryKeepsFiftyThreeTypedCharacters) {
    auto w = Start();
    QTreeWidgetItem* cat = FindNode(*w, 10000);
    ASSERT_NE(cat, nullptr);
    w->Tree()->setCurrentItem(cat);
    w->RunCommand(CommandId::RenameCategory);
    auto* editor = w->Tree()->findChild<QLineEdit*>();
    ASSERT_NE(editor, nullptr);
    editor->selectAll();
    for (int k = 53; k < 60; ++k) messages.Expect(MessageAnswer::Ok);  // each refused key is told
    QTest::keyClicks(editor, QString(60, 'R'));
    QTest::keyClick(editor, Qt::Key_Return);
    QCoreApplication::processEvents();  // the view commits the edit in a queued call
    EXPECT_EQ(cat->text(0), QString(53, 'R'));
    EventHeader h;
    ASSERT_EQ(ReadEventHeader(h, SystemDisk()), FileOutcome::Done);
    EXPECT_EQ(h.categories[0].name.View(), std::string(53, 'R'));
    Quit(w);
}

TEST_F(Shell, SaveWithoutAPathDoesNothingAndSaveAsAddsTheExtension) {
    auto w = Start();
    w->RunCommand(CommandId::Save);
    EXPECT_TRUE(dialogs.saveInitialNames.empty());

    fs::path target = folder.Path() / "club day";
    dialogs.saveAnswers.push_back(target.string());
    w->RunCommand(CommandId::SaveAs);
    ASSERT_EQ(dialogs.saveInitialNames.size(), 1u);
    EXPECT_EQ(dialogs.saveInitialNames[0], CurrentFolder() + "/*.race");
    EXPECT_EQ(test::ReadWholeFile(target.string() + ".race"), Working());
    EXPECT_FALSE(fs::exists(target));
    EXPECT_EQ(w->windowTitle().toStdString(), "Velkaro:   " + target.string() + ".race");
    EXPECT_TRUE(w->Command(CommandId::Save)->isEnabled());
    Quit(w);
}

TEST_F(Shell, LoadEventBringsTheFileInAndNewEventStartsAfresh) {
    auto w = Start();
    for (int i = 0; i < 2; ++i) w->RunCommand(CommandId::NewCategory);
    fs::path saved = folder.Path() / "three.race";
    dialogs.saveAnswers.push_back(saved.string());
    w->RunCommand(CommandId::SaveAs);

    messages.Expect(MessageAnswer::No);  // "Be careful": do not save the current one
    w->RunCommand(CommandId::NewEvent);
    EXPECT_EQ(w->State().event.header.categoryCount, 1);
    EXPECT_EQ(w->State().event.header.categories[0].name, "CATEGORIE 1");
    EXPECT_EQ(w->windowTitle(), "Velkaro");

    // The fresh event is changed by a second category: Cancel keeps it, No leaves it unsaved.
    w->RunCommand(CommandId::NewCategory);
    const std::string changed = Working();
    dialogs.openAnswers.push_back(saved.string());
    messages.Expect(MessageAnswer::Cancel);
    w->RunCommand(CommandId::LoadEvent);
    EXPECT_EQ(messages.shown.back().text, "Do you want to save the current race?");
    EXPECT_EQ(messages.shown.back().buttons, MessageButtons::YesNoCancel);
    EXPECT_EQ(Working(), changed);
    dialogs.openAnswers.push_back(saved.string());
    messages.Expect(MessageAnswer::No);
    w->RunCommand(CommandId::LoadEvent);
    EXPECT_EQ(w->State().event.header.categoryCount, 3);
    EXPECT_EQ(w->Tree()->topLevelItemCount(), 4);
    EXPECT_EQ(Working(), test::ReadWholeFile(saved));
    // Loaded and not changed since: loading again asks nothing.
    const std::size_t boxes = messages.shown.size();
    dialogs.openAnswers.push_back(saved.string());
    w->RunCommand(CommandId::LoadEvent);
    EXPECT_EQ(messages.shown.size(), boxes);
    Quit(w);
}

TEST_F(Shell, ALoadThatCannotReadItsFileSaysSoAndChangesNothing) {
    auto w = Start();
    const fs::path club = folder.Path() / "club.race", gone = folder.Path() / "gone.race";
    test::WriteWholeFile(club, test::Golden("new_event.race"));
    for (const fs::path& chosen : {club, gone}) {  // gone after it was chosen
        dialogs.openAnswers.push_back(chosen.string());
        // The first load leaves an unchanged event, the second one a changed one.
        if (chosen == gone) messages.Expect(MessageAnswer::No);
        if (chosen == gone) messages.Expect(MessageAnswer::Ok);
        w->RunCommand(CommandId::LoadEvent);
        if (chosen == club) w->RunCommand(CommandId::NewCategory);  // a second category since
    }
    EXPECT_EQ(messages.shown.back().text, "Error: \"" + gone.string() +
                                              "\" could not be read: the file does not exist.\n"
                                              "The race on screen stays as it was.");
    EventHeader h;
    ASSERT_EQ(ReadEventHeader(h, SystemDisk()), FileOutcome::Done);
    EXPECT_EQ(test::Fields(w->windowTitle().toStdString(), w->State().eventPath,
                           w->Tree()->topLevelItemCount(), h.categoryCount),
              test::Fields("Velkaro:   " + club.string(), club.string(), 3, 2));
    Quit(w);
}

// Real events that end inside one of their sections, loaded through the menu: the director is
// told which section before anything changes; No leaves the working copy byte for byte, Yes
// loads what can be read.
TEST_F(Shell, ADamagedFileIsToldBeforeItReplacesTheEvent) {
    auto w = Start();
    w->RunCommand(CommandId::NewCategory);  // the event on screen has two categories
    const std::string before = Working();
    const std::string touring = "Category \"Touring\", ";
    struct Case {
        const char* file;
        SectionTitle title;
        std::string line;
    };
    const std::vector<Case> cases = {
        {"qualification.race", HeatTitle(1, 1, 2), touring + "Round 1 - Heat 2: cut short"},
        {"qualification.race", ParticipantsTitle(1), touring + "list of participants: cut short"},
        {"qualification.race", SectionTitle(kTrackTitle), "\nTrack for the race: cut short"},
        {"finals.race", OverallClassificationTitle(1), touring + "overall classification: cut"},
        {"finals.race", FinalsLadderTitle(1), touring + "finals ladder: cut short"},
        {"finals.race", FinalsRunTitle(1, 2, 'B'), touring + "Finals 1/4B: cut short"},
    };
    const fs::path file = folder.Path() / "cut.race";
    std::string heatBox;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.line);
        test::WriteWholeFile(file, test::CutInside(test::RealEvent(c.file), c.title.View()));
        dialogs.openAnswers.push_back(file.string());
        messages.Expect(MessageAnswer::No);  // nothing to save first
        messages.Expect(MessageAnswer::No);  // keep the event on screen
        w->RunCommand(CommandId::LoadEvent);
        EXPECT_EQ(messages.shown.back().title, kDamagedTitle);
        if (heatBox.empty()) heatBox = messages.shown.back().text;
        EXPECT_NE(messages.shown.back().text.find(c.line), std::string::npos)
            << messages.shown.back().text;
        EXPECT_EQ(Working(), before);
        EXPECT_EQ(test::Fields(w->windowTitle().toStdString(), w->Tree()->topLevelItemCount()),
                  "Velkaro|3");
    }

    EXPECT_EQ(heatBox, "The event file is damaged:\n" + touring +
                           "Round 1 - Heat 2: cut short, the file ends inside it\n" + touring +
                           "overall classification: missing\n\n"
                           "Load what can be read?\nNo keeps the event on screen as it was.");

    const std::string cut =
        test::CutInside(test::RealEvent("qualification.race"), HeatTitle(1, 1, 2).View());
    test::WriteWholeFile(file, cut);
    dialogs.openAnswers.push_back(file.string());
    messages.Expect(MessageAnswer::No);
    messages.Expect(MessageAnswer::Yes);
    w->RunCommand(CommandId::LoadEvent);
    EXPECT_EQ(Working(), cut);
    ASSERT_EQ(w->Tree()->topLevelItemCount(), 2);
    EXPECT_EQ(w->Tree()->topLevelItem(1)->text(0), "Touring");
    // The cut heat opens with the cars its whole lines hold.
    w->Tree()->setCurrentItem(FindNode(*w, 13102));
    const RunCars& cars = w->State().engine.tables.cars;
    EXPECT_EQ(test::Fields(w->State().engine.nodeCode, cars[0].driverName.View(), cars[0].laps,
                           cars[2].driverName.View(), cars[2].laps),
              "13102|D|3|F|2");
    Quit(w);
}

// At a start, a working copy that a fault left damaged is told; the director goes on with what
// can be read of it or starts a blank event, and the crash copy keeps it either way.
TEST_F(Shell, AWorkingCopyLeftDamagedIsToldAtStartUp) {
    const std::string cut =
        test::CutInside(test::RealEvent("finals.race"), FinalsRunTitle(1, 1, 'B').View());
    for (MessageAnswer answer : {MessageAnswer::Yes, MessageAnswer::No}) {
        test::WriteWholeFile(folder.Path() / "Private" / "Course.race", cut);
        messages.shown.clear();
        messages.Expect(answer);
        auto w = Start();
        ASSERT_EQ(messages.shown.size(), 1u);  // the damage, before any other box
        EXPECT_NE(messages.shown[0].text.find("Category \"Touring\", Finals 1/2B: cut short"),
                  std::string::npos)
            << messages.shown[0].text;
        EXPECT_EQ(test::ReadWholeFile(folder.Path() / "PcCrashRace.race"), cut);
        EXPECT_EQ(Working() == cut, answer == MessageAnswer::Yes);
        EXPECT_EQ(w->Tree()->topLevelItem(1)->text(0),
                  answer == MessageAnswer::Yes ? "Touring" : "CATEGORY 1");
        Quit(w);
    }
}

TEST_F(Shell, ARunTheDiskRefusesStaysInThePanelUntilASaveRecordsIt) {
    FaultyDisk disk(SystemDisk());
    platform.disk = &disk;
    auto w = Start();
    test::PrepareEvent(2, 2, 1, messages);
    EventHeader h;
    ASSERT_EQ(ReadEventHeader(h, SystemDisk()), FileOutcome::Done);
    h.categories[0].participants = h.categories[0].rounds = h.categories[0].heatsPerRound = 1;
    ASSERT_EQ(WriteEventHeader(h, SystemDisk()), FileOutcome::Done);
    const fs::path club = folder.Path() / "club.race";
    ASSERT_TRUE(CopyFileReplacing(kWorkingCopy, club.string(), SystemDisk()));
    dialogs.openAnswers.push_back(club.string());
    messages.Expect(MessageAnswer::No);
    w->RunCommand(CommandId::LoadEvent);
    QTreeWidgetItem* heat = FindNode(*w, 13101);
    ASSERT_NE(heat, nullptr);
    w->Tree()->setCurrentItem(heat);
    RunCar& car = w->State().engine.tables.cars[0];
    car.passingCount = car.laps = 1;
    car.totalTime = car.raceTimes[1] = 31000;

    disk.full = true;
    messages.Expect(MessageAnswer::Ok);
    w->Tree()->setCurrentItem(FindNode(*w, 1000));
    EXPECT_EQ(messages.shown.back().text, "Error: The disk is full: \"" + Path(kWorkingCopy) +
                                              "\" could not be written." + std::string(kRunKept));
    EXPECT_EQ(w->Tree()->currentItem(), heat);
    EXPECT_EQ(w->State().engine.tables.cars[0].totalTime, 31000);

    disk.full = false;
    w->RunCommand(CommandId::Save);
    EXPECT_EQ(test::ReadRun(HeatTitle(1, 1, 1).View(), SystemDisk()).cars[0].totalTime, 31000);
    EXPECT_TRUE(test::ReadWholeFile(club) == Working());
    Quit(w);
}

TEST_F(Shell, TheTransponderModeShowsItsOwnControls) {
    auto w = Start();
    auto visible = [&](int id) { return w->PanelControl(id)->isVisible(); };
    EXPECT_FALSE(visible(2104) || visible(2105) || visible(2106));
    static_cast<QAbstractButton*>(w->PanelControl(2102))->click();
    EXPECT_TRUE(visible(2104));
    auto* sets = static_cast<QComboBox*>(w->PanelControl(2104));
    ASSERT_EQ(sets->count(), 20);  // the shipped sets, by name
    EXPECT_EQ(sets->itemText(0).toStdString(), w->State().transponderSets[0].name.View());
    EXPECT_FALSE(sets->itemText(0).isEmpty());
    EXPECT_FALSE(visible(2105));
    static_cast<QAbstractButton*>(w->PanelControl(2103))->click();
    EXPECT_FALSE(visible(2104));
    EXPECT_TRUE(visible(2105) && visible(2106));
    static_cast<QAbstractButton*>(w->PanelControl(2101))->click();
    EXPECT_FALSE(visible(2104) || visible(2105) || visible(2106));
    Quit(w);
}

TEST_F(Shell, HelpOpensTheGuide) {
    auto w = Start();
    w->RunCommand(CommandId::Help);
    ASSERT_EQ(opened.size(), 1u);
    EXPECT_TRUE(fs::exists(opened[0])) << opened[0];
    Quit(w);
}

TEST_F(Shell, TheWindowTakesCircuitsAndSetsAfreshOnceTheirEditorsClose) {
    auto w = Start();
    w->State().track.circuit = "Oval";
    WhileOpen(*w, CommandId::Circuits, [](QWidget& form) {
        form.findChild<QLineEdit*>(QString::number(kNewEditId))->setText("Oval");
        form.findChild<QPushButton*>(QString::number(kAddButtonId))->click();
        form.findChild<QPushButton*>(QString::number(kOkId))->click();
    });
    EXPECT_EQ(w->State().engine.circuits[0].name, "Oval");
    EXPECT_EQ(w->State().circuitIndex, 0);

    WhileOpen(*w, CommandId::Transponders, [this](QWidget& form) {
        test::WriteWholeFile(folder.Path() / "BaseDonn\u00E9esTranspondeurs.bd", "Red\t\r\n");
        form.findChild<QPushButton*>(QString::number(kCancelId))->click();
    });
    EXPECT_EQ(static_cast<QComboBox*>(w->PanelControl(2104))->itemText(0), "Red");
    EXPECT_EQ(w->State().transponderSets[1].name, "");
    Quit(w);
}

TEST_F(Shell, ADriversScanIsTheOnlyReaderOfThePort) {
    auto w = Start();
    port.failOpen = false;
    ASSERT_TRUE(OpenPort(port, "COM1"));
    Participants p{};
    p[0].name = "Anne";
    ASSERT_EQ(WriteParticipants(1, p, messages, SystemDisk()), FileOutcome::Done);
    w->State().event.header.selectedNode = 11001;
    WhileOpen(*w, CommandId::DriverDetails, [&](QWidget& form) {
        form.findChild<QPushButton*>(QString::number(kScanId))->click();
        port.QueueRead({0x01, 0xE2});
        OnTimerTick(w->State().engine);  // the main window's beat
        EXPECT_TRUE(port.ReadsPending());
        static_cast<DriverDetailsForm&>(form).Tick();
        EXPECT_EQ(form.findChild<QLineEdit*>(QString::number(kDriverTransponderId))->text(),
                  "000482");
        form.findChild<QPushButton*>(QString::number(kOkId))->click();
    });
    EXPECT_FALSE(w->State().engine.transpondersFormOpen);
    port.QueueRead({0x01, 0xE2});
    OnTimerTick(w->State().engine);  // idle again: the beat throws the bytes away
    EXPECT_FALSE(port.ReadsPending());
    ASSERT_EQ(ReadParticipants(1, p, SystemDisk()), FileOutcome::Done);
    EXPECT_EQ(p[0].transponder, "000482");
    Quit(w);
}

}  // namespace
}  // namespace velkaro

namespace velkaro {
namespace {

// Whether something answers "/" on the port of this machine.
bool PageServed(quint16 port) {
    QTcpSocket s;
    s.connectToHost(QHostAddress::LocalHost, port);
    if (!s.waitForConnected(2000)) return false;
    s.write("GET / HTTP/1.1\r\nHost: x\r\n\r\n");
    QByteArray got;
    for (int i = 0; i < 100 && !got.contains("</html>"); ++i) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        s.waitForReadyRead(20);
        got += s.readAll();
    }
    return got.startsWith("HTTP/1.1 200") && got.contains("</html>");
}

TEST_F(Shell, TheLivePageIsOffUntilTurnedOnAndItsPortClosesWhenTurnedOff) {
    quint16 port = 0;
    {
        QTcpServer free;  // a port nobody uses
        ASSERT_TRUE(free.listen(QHostAddress::Any));
        port = free.serverPort();
    }
    auto w = Start();
    auto* shown = w->findChild<QLabel*>(QString::number(kLiveAddressPanelText));
    ASSERT_NE(shown, nullptr);
    EXPECT_TRUE(shown->text().isEmpty());
    EXPECT_FALSE(PageServed(port));

    auto turn = [&](bool on, const QString& typedPort) {
        WhileOpen(*w, CommandId::LivePage, [&](QWidget& form) {
            form.findChild<QCheckBox*>(QString::number(kLiveOnCheck))->setChecked(on);
            auto* edit = form.findChild<QLineEdit*>(QString::number(kLivePortEdit));
            edit->setText("80");  // a port of the system's is refused, the form stays open
            messages.Expect(MessageAnswer::Ok);
            form.findChild<QPushButton*>("1")->click();
            EXPECT_TRUE(form.isVisible());
            EXPECT_EQ(messages.shown.back().text, kLivePortRefused);
            edit->setText(typedPort);
            form.findChild<QPushButton*>("1")->click();
        });
    };
    turn(true, QString::number(port));
    EXPECT_EQ(test::ReadWholeFile(folder.Path() / "LivePage.txt"),
              "on " + std::to_string(port) + "\r\n");
    EXPECT_TRUE(shown->text().endsWith(QString(":%1/").arg(port))) << shown->text().toStdString();
    EXPECT_TRUE(PageServed(port));

    turn(false, QString::number(port));
    EXPECT_TRUE(shown->text().isEmpty());
    EXPECT_FALSE(PageServed(port));
    Quit(w);

    // Left on, it is on again at the next start.
    test::WriteWholeFile(folder.Path() / "LivePage.txt", "on " + std::to_string(port) + "\r\n");
    w = Start();
    EXPECT_TRUE(PageServed(port));
    Quit(w);
}

}  // namespace
}  // namespace velkaro
