// The preparation of a qualification through the real window offscreen: the forms on their
// files, Cancel on each, and an event taken from nothing to heats that load in the race panel.

#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QPainter>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>
#include <filesystem>
#include <functional>

#include "databases/forms/editor_form.h"
#include "event/event_tree.h"
#include "event/sections.h"
#include "platform/fake/fake_clock.h"
#include "platform/fake/fake_dialogs.h"
#include "platform/fake/fake_messages.h"
#include "platform/fake/fake_serial_port.h"
#include "platform/fake/fake_sound_player.h"
#include "platform/program_folder.h"
#include "qualification/forms/preparation_forms.h"
#include "shell/main_window.h"
#include "tests/support/fake_shell.h"
#include "tests/support/test_support.h"

namespace fs = std::filesystem;

namespace velkaro {
namespace {

template <typename W = QWidget>
W* Control(QWidget& form, int id) {
    W* w = form.findChild<W*>(QString::number(id));
    EXPECT_NE(w, nullptr) << id;
    return w;
}

void Click(QWidget& form, int id) {
    Control<QAbstractButton>(form, id)->click();
}

class Preparation : public ::testing::Test, protected test::FakeShell {
  protected:
    void SetUp() override {
        port.failOpen = true;
        ShowWindow(VELKARO_SHIPPED_DATA);
        w->ConnectDecoder();  // no decoder on this machine: no box either
    }
    void TearDown() override {
        messages.Expect(MessageAnswer::No);
        w->close();
    }

    void Select(int code) {
        for (QTreeWidgetItemIterator it(w->Tree()); *it; ++it) {
            if ((*it)->data(0, Qt::UserRole).toInt() == code) {
                w->Tree()->setCurrentItem(*it);
                return;
            }
        }
        ADD_FAILURE() << "no node " << code;
    }

    // Runs each step in the modal loop of the form opened next, the first by `command`.
    void WhileOpen(CommandId command, std::vector<std::function<void(QWidget&)>> steps) {
        WhileOpen([&] { w->RunCommand(command); }, std::move(steps));
    }
    void WhileOpen(std::function<void()> open, std::vector<std::function<void(QWidget&)>> steps) {
        test::WhileOpenSteps(open, std::move(steps));
    }

    std::string Working() { return test::ReadWholeFile(folder.Path() / "Private/Course.race"); }
};

// From an empty program folder: 30 drivers in the database, a new category, 23 of them taking
// part (a whole club at once, a range, a double-click), two sharing a frequency, options, 3
// heats of 8 over 2 rounds, grids; then heat 2 of each round in the panel.
TEST_F(Preparation, AnEmptyEventBecomesHeatsThatLoadWithTheirDriversGridsAndOptions) {
    test::WriteWholeFile(
        folder.Path() / "BaseDonn\u00E9esClubs.bd",
        "RC Nord" + std::string(8, '\t') + "\r\nRC Sud" + std::string(8, '\t') + "\r\n");
    test::WriteWholeFile(folder.Path() / "BaseDonn\u00E9esFr\u00E9quences.bd", "40.665\r\n");
    WhileOpen(
        CommandId::Drivers, {[](QWidget& form) {
            for (int i = 1; i <= 30; ++i) {
                Control<QLineEdit>(form, kNewEditId)
                    ->setText(QString("Driver %1").arg(i, 2, 10, QChar('0')));
                Click(form, kAddButtonId);
                Control<QLineEdit>(form, kFirstDetailId + 9)
                    ->setText(QString("%1").arg(500 + i, 6, 10, QChar('0')));
                // The first twelve race for the northern club.
                Control<QComboBox>(form, kFirstDetailId + 10)->setCurrentIndex(i <= 12 ? 0 : 1);
            }
            Click(form, kOkId);
        }});
    Select(10000);
    w->RunCommand(CommandId::NewCategory);
    Select(21000);
    QTreeWidgetItem* drivers = w->Tree()->currentItem();  // its main form opens on a double-click
    const QPoint at = w->Tree()->visualItemRect(drivers).center();
    WhileOpen(
        [&] {
            QTest::mouseClick(w->Tree()->viewport(), Qt::LeftButton, {}, at);
            QTest::mouseDClick(w->Tree()->viewport(), Qt::LeftButton, {}, at);
        },
        {[](QWidget& form) {
            auto* database = Control<QListWidget>(form, kDatabaseList);
            ASSERT_EQ(database->count(), 30);
            auto* club = Control<QComboBox>(form, kClubChoice);
            ASSERT_EQ(club->count(), 2);
            club->setCurrentIndex(0);
            emit club->activated(0);
            EXPECT_EQ(database->selectedItems().size(), 12);
            Click(form, kAddParticipantButton);
            EXPECT_EQ(Control<QLineEdit>(form, kParticipantsCount)->text(), "(12)");
            // Drivers 13 to 22 by Shift and the arrows, 23 by a double-click.
            database->setCurrentRow(12);
            for (int k = 0; k < 9; ++k) QTest::keyClick(database, Qt::Key_Down, Qt::ShiftModifier);
            Click(form, kAddParticipantButton);
            QListWidgetItem* last = database->item(22);
            database->scrollToItem(last);
            // A widget's second press of a double-click comes as the double-click itself.
            const QPoint at = database->visualItemRect(last).center();
            QTest::mouseClick(database->viewport(), Qt::LeftButton, {}, at);
            QTest::mouseDClick(database->viewport(), Qt::LeftButton, {}, at);
            EXPECT_EQ(Control<QLineEdit>(form, kParticipantsCount)->text(), "(23)");
            // Drivers 09 and 10, both of heat 2, on one frequency.
            auto* participants = Control<QListWidget>(form, kParticipantsList);
            participants->setCurrentRow(8);
            participants->setCurrentRow(9, QItemSelectionModel::Select);
            Control<QComboBox>(form, kFrequencyChoice)->setCurrentText("40.665");
            Click(form, kSetFrequencyButton);
            EXPECT_EQ(participants->item(9)->text().toStdString(), "Driver 10  (40.665)");
            Click(form, kConfirmButton);
        }});
    EXPECT_EQ(w->State().event.header.categories[1].participants, 23);
    Select(23010);
    WhileOpen(CommandId::QualifParameters, {[](QWidget& form) {
                  Click(form, 4403);
                  Control<QLineEdit>(form, kRunLapsEdit)->setText("12");
                  Control<QLineEdit>(form, kCountdownEdit)->setText("7");
                  Click(form, 4413);
                  EXPECT_FALSE(Control(form, 4417)->isEnabled());
                  Click(form, kEditableOrderBox);
                  Click(form, kConfirmButton);
              }});
    // From the menu bar, for the category of the selection; the tree stays as the director left it.
    test::FindNode(w->Tree(), 10000)->setExpanded(false);
    test::FindNode(w->Tree(), 23000)->setExpanded(true);
    WhileOpen([&] { w->Command(CommandId::QualifArrangement)->trigger(); },
              {[this](QWidget& form) {
                   Control<QLineEdit>(form, kDriversPerHeatEdit)->setText("8");
                   Control<QLineEdit>(form, kRoundsEdit)->setText("2");
                   QTest::mouseClick(&form, Qt::LeftButton, {}, QPoint(375, 160));  // 1 <-> 2
                   EXPECT_EQ(sounds.played.size(), 1u);
                   Click(form, kConfirmButton);
               },
               [](QWidget& form) {
                   EXPECT_FALSE(Control<QLineEdit>(form, kFirstGridEdit)->isEnabled());
                   EXPECT_TRUE(Control<QLineEdit>(form, kFirstGridEdit + 1)->isEnabled());
                   EXPECT_TRUE(Control<QLabel>(form, kGridLegend)->text().contains("H = lane 8"));
                   EXPECT_FALSE(Control(form, kGridsReadOnlyReason)->isVisibleTo(&form));
                   EXPECT_FALSE(Control(form, kFirstGridEdit + 2)->isVisible());
                   Control<QLineEdit>(form, kFirstGridEdit + 1)->setText("HGFEDCBA");
                   Click(form, kConfirmButton);
               }});
    const CategoryRecord& cat = w->State().event.header.categories[1];
    EXPECT_EQ(std::tuple(cat.rounds, cat.heatsPerRound), std::tuple(2, 3));
    EXPECT_EQ(std::tuple(test::FindNode(w->Tree(), 10000)->isExpanded(),
                         test::FindNode(w->Tree(), 23000)->isExpanded(),
                         w->Tree()->currentItem()->data(0, Qt::UserRole).toInt()),
              std::tuple(false, true, 23020));

    // Every pop-up command of every node is in the "Event" menu, enabled alike.
    auto* eventMenu = w->findChild<QMenu*>("Event");
    ASSERT_NE(eventMenu, nullptr);
    int compared = 0;
    std::vector<int> codes;
    for (QTreeWidgetItemIterator it(w->Tree()); *it; ++it) {
        codes.push_back((*it)->data(0, Qt::UserRole).toInt());
    }
    for (int code : codes) {
        if (KindOf(code) == NodeKind::Heat) continue;  // a heat's selection loads it
        Select(code);
        for (const PopupEntry& p : PopupEntries(w->State().event.header, code)) {
            QAction* a = w->Command(p.id);
            ASSERT_TRUE(a && eventMenu->actions().contains(a)) << ToInt(p.id);
            EXPECT_EQ(a->isEnabled(), p.enabled) << code << " " << ToInt(p.id);
            ++compared;
        }
    }
    EXPECT_GT(compared, 30);

    // Drivers 01 and 02 swapped, so heat 2 holds the drivers 09 to 16 in slot order.
    RunEngine& e = w->State().engine;
    QApplication::setActiveWindow(w.get());
    for (int round : {1, 2}) {
        Select(HeatNode(2, round, 1));
        QTest::keyClick(w->Tree(), Qt::Key_F8);  // Race > Next heat
        for (int lane = 1; lane <= 8; ++lane) {
            const int driver = round == 1 ? 8 + lane : 17 - lane;
            const RunCar& car = e.tables.cars[std::size_t(lane - 1)];
            Text<40> name;
            Format(name, "Driver %02d", driver);
            EXPECT_EQ(car.driverName, name) << round;
            EXPECT_EQ(std::string(car.transponder.View()), "000" + std::to_string(500 + driver));
        }
        EXPECT_EQ(e.tables.cars[8].driverName, kEmptySlotName);
        EXPECT_EQ(e.radioConflict, 1);
    }
    EXPECT_EQ(std::tuple(e.options.durationKind == DurationKind::ByLaps, e.options.laps,
                         e.options.countdownSeconds, e.options.startMode == StartMode::Staggered,
                         e.options.lapsEnd == LapsEnd::AllLaps),
              std::tuple(true, 12, 7, true, true));
}

// Every form, edited then cancelled (or closed), leaves the event file as it was; the grids
// form, closed on a category without grids, stores the default ones.
TEST_F(Preparation, CancelLeavesTheEventFileByteIdentical) {
    test::WriteWholeFile(folder.Path() / "BaseDonn\u00E9esPilotes.bd",
                         "Zo\xE9 Park\t" + std::string(12, '\t') + "\r\n");
    Select(11000);
    WhileOpen(CommandId::Participants, {[](QWidget& form) {
                  Control<QListWidget>(form, kDatabaseList)->setCurrentRow(0);
                  Click(form, kAddParticipantButton);
                  Click(form, kConfirmButton);
              }});
    EXPECT_EQ(w->State().event.participantNames[0][0], "Zo\xE9 Park");
    // Selecting a node records it in the header: the file is taken once the node is selected.
    auto unchanged = [this](int node, CommandId command, std::function<void(QWidget&)> step) {
        Select(node);
        const std::string before = Working();
        WhileOpen(command, {step});
        EXPECT_TRUE(Working() == before) << ToInt(command);
    };
    unchanged(1000, CommandId::Track, [](QWidget& form) {
        Control<QLineEdit>(form, kEventNameEdit)->setText("Cup");
        Control<QLineEdit>(form, kMinimumLapEdit)->setText("1");
        Click(form, kCancelButton);
    });
    unchanged(11000, CommandId::Participants, [](QWidget& form) {
        EXPECT_EQ(Control<QListWidget>(form, kParticipantsList)->item(0)->text(), "Zo\u00E9 Park");
        Control<QListWidget>(form, kParticipantsList)->setCurrentRow(0);
        Click(form, kRemoveParticipantButton);
        Click(form, kCancelButton);
    });
    unchanged(13010, CommandId::QualifParameters, [this](QWidget& form) {
        auto* countdown = Control<QLineEdit>(form, kCountdownEdit);
        countdown->clear();
        messages.Expect(MessageAnswer::Ok);  // letters are not taken, and the user is told
        QTest::keyClicks(countdown, "4x2");
        EXPECT_EQ(countdown->text(), "42");
        Click(form, 4413);
        Click(form, kCancelButton);
    });
    // No round yet: no grids form after the arrangement either.
    unchanged(13020, CommandId::QualifArrangement, [](QWidget& form) {
        Control<QLineEdit>(form, kDriversPerHeatEdit)->setText("25");
        EXPECT_EQ(Control<QLineEdit>(form, kDriversPerHeatEdit)->text(), "20");
        QTest::mouseClick(&form, Qt::LeftButton, {}, QPoint(375, 160));
        Click(form, kCancelButton);
    });
}

// The README's pictures: the arrangement with a frequency clash in heat 1, and the starting
// grids, over the window on a 1920 x 1080 screen. Run by hand with VELKARO_SCREENSHOT=<folder>
// and QT_QPA_PLATFORM=offscreen:configfile=tests/data/screen-1920x1080.json.
TEST_F(Preparation, Screenshot) {
    const QString target = qEnvironmentVariable("VELKARO_SCREENSHOT");
    if (target.isEmpty()) GTEST_SKIP() << "set VELKARO_SCREENSHOT to take the pictures";
    const char* names[] = {"Alice Moreau", "Bruno Keller", "Chen Wei",    "Dana Novak",
                           "Emil Varga",   "Fatima Idris", "Greg Olsen",  "Hana Sato",
                           "Ivo Petrov",   "Julia Lind",   "Kofi Mensah", "Lena Brandt"};
    const char* radios[] = {"27.145", "2.4Ghz", "40.665", "27.145", "2.4Ghz", "2.4Ghz"};
    Participants p{};
    HeatSlotList list = DefaultHeatSlotList();
    list.driversPerHeat = 6;
    list.rounds = 3;
    for (std::size_t i = 0; i < 23; ++i) {
        Format(p[i].name, "%s %c.", names[i % 12], char('A' + i / 12));
        Format(p[i].transponder, "%06d", int(4100 + 37 * i));
        p[i].frequencies[0] = radios[i % 6];
        p[i].frequencies[1] = i % 6 == 1 ? "" : "2.4Ghz";
        list.places[i] = p[i].name;
    }
    EventHeader h;
    ASSERT_EQ(ReadEventHeader(h, SystemDisk()), FileOutcome::Done);
    h.categories[0] = {Text<56>("TOURING 1/10"), 23, 0, 0, 3, 4, 0};
    QualifOptions o;
    o.startingOrder = StartingOrder::Editable;
    ASSERT_TRUE(WriteEventHeader(h, SystemDisk()) == FileOutcome::Done &&
                WriteParticipants(1, p, messages, SystemDisk()) == FileOutcome::Done &&
                WriteHeatSlotList(1, list, true, messages, SystemDisk()) == FileOutcome::Done &&
                WriteQualifOptions(1, o, messages, SystemDisk()) == FileOutcome::Done);
    // Loaded as the user's file, so that the tree shows the drivers, rounds and heats.
    const std::string cup = (folder.Path() / "cup.race").string();
    fs::copy_file(folder.Path() / "Private/Course.race", cup);
    dialogs.openAnswers.push_back(cup);
    messages.Expect(MessageAnswer::No);
    w->RunCommand(CommandId::LoadEvent);
    w->Tree()->expandAll();
    w->setGeometry(0, 0, 1920, 1080);  // the whole screen, as maximized without a frame
    auto shoot = [&](ModalForm& form, const QString& file) {
        form.show();
        form.move((w->width() - form.width()) / 2, (w->height() - form.height()) / 2);
        QPixmap shot = w->grab();
        QPainter(&shot).drawPixmap(form.pos(), form.grab());
        ASSERT_TRUE(shot.save(target + "/" + file));
        form.reject();
    };
    ArrangementForm arrangement(1, messages, dialogs, clock, sounds, SystemDisk(), w.get());
    shoot(arrangement, "arrangement-1920x1080.png");
    GridsForm grids(1, messages, SystemDisk(), w.get());
    Control<QLineEdit>(grids, kFirstGridEdit + 1)->setText("FEDCBA");
    Control<QLineEdit>(grids, kFirstGridEdit + 2)->setText("CAEBFD");
    shoot(grids, "grids-1920x1080.png");
}

}  // namespace
}  // namespace velkaro
