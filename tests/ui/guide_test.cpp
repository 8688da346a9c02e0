// The race director's guide against the program: every menu path it names is in the window's menu
// bar, every picture it shows exists, and the pictures themselves are taken from the real windows
// over one worked meeting, timed from the decoder simulator.

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QDialog>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QPainter>
#include <QPushButton>
#include <QRegularExpression>
#include <QTest>
#include <QTreeWidget>
#include <algorithm>
#include <filesystem>
#include <functional>
#include <set>
#include <string>
#include <vector>

#include "databases/forms/editor_form.h"
#include "event/event_tree.h"
#include "platform/clock.h"
#include "platform/program_folder.h"
#include "platform/qt/qt_serial_port.h"
#include "qualification/forms/preparation_forms.h"
#include "shell/main_window.h"
#include "shell/race_panel.h"
#include "tests/support/fake_shell.h"
#include "tests/support/sim_process.h"
#include "tests/support/test_support.h"

namespace fs = std::filesystem;

namespace velkaro {
namespace {

using namespace std::chrono_literals;
using test::FindNode;

QString Guide() {
    return QString::fromStdString(test::ReadWholeFile(fs::path(VELKARO_DOCS) / "guide.md"));
}

// A menu's or entry's text as the director reads it: no mnemonic, no shortcut.
QString Plain(QString text) {
    return text.remove('&').section('\t', 0, 0).trimmed();
}

// "Title > Entry" for every entry of the window's menu bar, sub-menus one level deeper.
std::set<QString> MenuPaths(QMenuBar& bar) {
    std::set<QString> paths;
    std::function<void(QMenu*, const QString&)> walk = [&](QMenu* menu, const QString& path) {
        for (QAction* a : menu->actions()) {
            if (a->isSeparator()) continue;
            QString here = path + " > " + Plain(a->text());
            paths.insert(here);
            if (a->menu()) walk(a->menu(), here);
        }
    };
    for (QAction* a : bar.actions()) {
        if (a->menu()) walk(a->menu(), Plain(a->text()));
    }
    return paths;
}

TEST(Guide, EveryMenuPathItNamesIsInTheMenuBar) {
    test::FakeShell shell;
    shell.port.failOpen = true;  // no decoder: no box either
    shell.ShowWindow(VELKARO_SHIPPED_DATA);
    const std::set<QString> paths = MenuPaths(*shell.w->menuBar());
    ASSERT_TRUE(paths.count("File > Load event")) << "the menu bar was not read";
    // A path is written in bold with " > " between its steps: **Settings > Interface**; it may
    // break across lines.
    QRegularExpression bold(R"(\*\*([^*]+)\*\*)");
    std::set<QString> named, missing;
    for (auto it = bold.globalMatch(Guide()); it.hasNext();) {
        QString path = it.next().captured(1).simplified();
        if (!path.contains(" > ")) continue;
        named.insert(path);
        if (!paths.count(path)) missing.insert(path);
    }
    EXPECT_GE(named.size(), 20u) << "the guide names its menus in another markup";
    QStringList list(missing.begin(), missing.end());
    EXPECT_TRUE(missing.empty()) << "not in the menus: " << list.join(" | ").toStdString();
    shell.messages.Expect(MessageAnswer::No);
    shell.w->close();
}

TEST(Guide, EveryPictureItShowsExists) {
    QRegularExpression image(R"(!\[[^\]]*\]\(([^)]+)\))");
    int count = 0;
    for (auto it = image.globalMatch(Guide()); it.hasNext(); ++count) {
        const std::string file = it.next().captured(1).toStdString();
        EXPECT_TRUE(fs::is_regular_file(fs::path(VELKARO_DOCS) / file)) << file;
    }
    EXPECT_GE(count, 10);
}

// The worked meeting of the guide, through the window as a director clicks it: 12 drivers in the
// database, one category, two rounds of two heats of six, the classifications, the 1/2 finals
// and the Final, the closure report. Skipped unless VELKARO_GUIDE_PICTURES names the folder the
// pictures go to.
class GuidePictures : public ::testing::Test {
  protected:
    template <typename W = QWidget>
    static W* Control(QWidget& form, int id) {
        W* c = form.findChild<W*>(QString::number(id));
        EXPECT_NE(c, nullptr) << id;
        return c;
    }
    static void Click(QWidget& form, int id) { Control<QAbstractButton>(form, id)->click(); }
    static void Type(QWidget& form, int id, const QString& text) {
        QLineEdit* edit = Control<QLineEdit>(form, id);
        edit->selectAll();
        QTest::keyClicks(edit, text);
    }

    // The whole window; or a form open over its middle, with a border of the window around it so
    // that the picture stays readable on a printed page. Events are not processed here: that
    // would let the next form's step in.
    void Shoot(const QString& file, QWidget* form = nullptr) {
        QPixmap shot = w->grab();
        if (form != nullptr) {
            form->move((w->width() - form->width()) / 2, (w->height() - form->height()) / 2);
            QPainter(&shot).drawPixmap(form->pos(), form->grab());
            shot = shot.copy(form->geometry().adjusted(-24, -24, 24, 24));
        }
        EXPECT_TRUE(shot.save(target + "/" + file)) << file.toStdString();
    }

    void WhileOpen(const std::function<void()>& open,
                   std::vector<std::function<void(QWidget&)>> steps) {
        test::WhileOpenSteps(open, std::move(steps));
    }
    void WhileOpen(CommandId command, std::vector<std::function<void(QWidget&)>> steps) {
        test::WhileOpenSteps([&] { w->RunCommand(command); }, std::move(steps));
    }
    // The form's picture, then Cancel.
    void Picture(CommandId command, const QString& file) {
        WhileOpen(command, {[&](QWidget& form) {
                      Shoot(file, &form);
                      static_cast<QDialog&>(form).reject();
                  }});
    }
    // A double-click: the node's main form.
    void Open(int code) {
        Select(code);
        w->OpenNode(w->Tree()->currentItem());
    }
    void Select(int code) {
        QTreeWidgetItem* item = FindNode(w->Tree(), code);
        ASSERT_NE(item, nullptr) << code;
        w->Tree()->setCurrentItem(item);
    }

    // Start, every car a few laps, `halfWay` once they have done half of them, Stop; how many
    // cars ran.
    int Run(int code, int laps, const std::function<void()>& halfWay = {}) {
        Select(code);
        RunEngine& e = w->State().engine;
        EXPECT_EQ(PhaseName(e.phase), "armed") << code;
        static_cast<QPushButton*>(w->PanelControl(CommandId::Start))->click();
        test::Deadline end = test::In(120s);
        while (e.phase != RunPhase::Running && test::Before(end)) QTest::qWait(20);
        EXPECT_EQ(PhaseName(e.phase), "running") << code << " never started";
        auto least = [&] {
            int n = 1000;
            for (int s = 0; s < e.tables.carsInUse; ++s) {
                n = std::min(n, e.tables.cars[std::size_t(s)].laps);
            }
            return n;
        };
        bool done = !halfWay;
        while (least() < laps && test::Before(end)) {
            QTest::qWait(50);
            if (!done && least() >= laps / 2) {
                halfWay();
                done = true;
            }
        }
        static_cast<QPushButton*>(w->PanelControl(CommandId::Stop))->click();
        EXPECT_EQ(PhaseName(e.phase), "over") << code;
        EXPECT_GE(least(), laps) << code;
        return e.tables.carsInUse;
    }

    QString target = qEnvironmentVariable("VELKARO_GUIDE_PICTURES");
    test::TempFolder folder;
    test::ScopedCurrentFolder here{folder.Path()};
    FakeMessages messages;
    FakeDialogs dialogs;
    FakeSoundPlayer sounds;
    SystemClock clock;
    QtSerialPort port{folder.Path().string()};
    AppPlatform platform{messages, dialogs, sounds, clock, port, nullptr, &SystemDisk()};
    std::unique_ptr<MainWindow> w;
};

TEST_F(GuidePictures, AWholeMeeting) {
    if (target.isEmpty()) GTEST_SKIP() << "set VELKARO_GUIDE_PICTURES to take the pictures";
    ASSERT_TRUE(fs::create_directories(target.toStdString()) ||
                fs::is_directory(target.toStdString()));
    ASSERT_TRUE(SeedProgramFolder(folder.Path().string(), VELKARO_SHIPPED_DATA).ok);
    test::FailOnUnexpectedMessages(messages);
    // Twelve cars whose chips are 1001 to 1012, a lap every 2.5 s or so.
    test::SimProcess sim(
        VELKARO_DECODER_SIM,
        {"--folder", folder.Path().string(), "--port", "1", "--model", "mk2", "--quiet", "--cars",
         "12", "--lap-mean", "2.5", "--lap-spread", "0.2", "--pace-spread", "0.1", "--seed", "7"});
    ASSERT_TRUE(sim.WaitFor("port entry"));
    w = std::make_unique<MainWindow>(platform);
    w->setGeometry(0, 0, 1920, 1080);  // the whole screen, as maximized without a frame
    w->show();
    messages.Expect(MessageAnswer::Ok);  // the decoder's status at start-up
    w->ConnectDecoder();
    w->StartTimer();
    Shoot("window-empty.png");

    // Set-up.
    Picture(CommandId::Interface, "settings-interface.png");
    Picture(CommandId::Sounds, "settings-sounds.png");
    Picture(CommandId::Display, "settings-display.png");
    Picture(CommandId::LivePage, "settings-live-page.png");

    // The drivers database.
    const char* names[] = {"Alice Moreau", "Bruno Keller", "Chen Wei",    "Dana Novak",
                           "Emil Varga",   "Fatima Idris", "Greg Olsen",  "Hana Sato",
                           "Ivo Petrov",   "Julia Lind",   "Kofi Mensah", "Lena Brandt"};
    WhileOpen(
        CommandId::Drivers, {[&](QWidget& form) {
            for (int i = 0; i < 12; ++i) {
                Control<QLineEdit>(form, kNewEditId)->setText(names[i]);
                Click(form, kAddButtonId);
                Control<QLineEdit>(form, kFirstDetailId + 9)->setText(QString::number(1001 + i));
            }
            Shoot("database-drivers.png", &form);
            Click(form, kOkId);
        }});

    // The event: track, the category's name and drivers, the heats.
    Select(node::kTrack);
    WhileOpen(CommandId::Track, {[&](QWidget& form) {
                  Type(form, kEventNameEdit, "Club Cup - Round 3");
                  Type(form, kFirstCircuitField, "Riverside");
                  Type(form, kMinimumLapEdit, "1");
                  Shoot("event-track.png", &form);
                  Click(form, kConfirmButton);
              }});
    QTreeWidgetItem* category = FindNode(w->Tree(), 10000);
    ASSERT_NE(category, nullptr);
    category->setText(0, "Touring 1/10");
    // The tree's right-click on the drivers of the category.
    QTimer::singleShot(0, [&] {
        QWidget* menu = QApplication::activePopupWidget();
        ASSERT_NE(menu, nullptr);
        QPixmap shot = w->grab();
        QPoint at = w->mapFromGlobal(menu->pos());
        QPainter(&shot).drawPixmap(at, menu->grab());
        EXPECT_TRUE(
            shot.copy(QRect(0, 0, at.x() + menu->width() + 40, at.y() + menu->height() + 40))
                .save(target + "/tree-right-click.png"));
        menu->close();
    });
    QTreeWidgetItem* drivers = FindNode(w->Tree(), 11000);
    ASSERT_NE(drivers, nullptr);
    emit w->Tree()->customContextMenuRequested(w->Tree()->visualItemRect(drivers).center());
    Select(11000);
    WhileOpen(CommandId::Participants, {[&](QWidget& form) {
                  auto* database = Control<QListWidget>(form, kDatabaseList);
                  ASSERT_EQ(database->count(), 12);
                  for (int row = 0; row < 12; ++row) {
                      database->setCurrentRow(row);
                      Click(form, kAddParticipantButton);
                  }
                  EXPECT_EQ(Control<QLineEdit>(form, kParticipantsCount)->text(), "(12)");
                  Shoot("event-participants.png", &form);
                  Click(form, kConfirmButton);
              }});
    ASSERT_EQ(w->State().event.header.categories[0].participants, 12);
    w->Tree()->expandAll();
    WhileOpen([&] { Open(10000 + node::kDrivers + 1); }, {[&](QWidget& form) {
                  Shoot("driver-details.png", &form);
                  static_cast<QDialog&>(form).reject();
              }});
    Select(13010);
    WhileOpen(CommandId::QualifParameters, {[&](QWidget& form) {
                  Type(form, kRunMinutesEdit, "5");
                  Type(form, kDelayEdit, "0");
                  Type(form, kCountdownEdit, "0");
                  Shoot("qualifying-parameters.png", &form);
                  Click(form, kConfirmButton);
              }});
    Select(13020);
    WhileOpen(CommandId::QualifArrangement,
              {[&](QWidget& form) {
                   Control<QLineEdit>(form, kDriversPerHeatEdit)->setText("6");
                   Control<QLineEdit>(form, kRoundsEdit)->setText("2");
                   Shoot("qualifying-arrangement.png", &form);
                   Click(form, kConfirmButton);
               },
               [&](QWidget& form) {
                   Control<QLineEdit>(form, kFirstGridEdit + 1)->setText("FEDCBA");
                   Shoot("qualifying-grids.png", &form);
                   Click(form, kConfirmButton);
               }});
    const CategoryRecord& cat = w->State().event.header.categories[0];
    ASSERT_EQ(std::tuple(cat.rounds, cat.heatsPerRound), std::tuple(2, 2));
    w->Tree()->expandAll();
    Shoot("event-tree.png");

    // Qualifying: four heats, the first photographed while it runs and once it is over.
    // The decoder's cable pulled and plugged again half-way through round 1's second heat.
    auto linkDown = [&] { return w->PanelControl(kLinkDownText)->isVisible(); };
    auto pulled = [&] {
        sim.Send("drop");
        test::Deadline end = test::In(30s);
        while (!linkDown() && test::Before(end)) QTest::qWait(50);
        ASSERT_TRUE(linkDown()) << "the link was never seen lost";
        QTest::qWait(1500);
        Shoot("decoder-link-lost.png");
        sim.Send("restore");
        end = test::In(30s);
        while (linkDown() && test::Before(end)) QTest::qWait(50);
        ASSERT_FALSE(linkDown()) << "the link never came back";
    };
    for (int round : {1, 2}) {
        for (int heat : {1, 2}) {
            std::function<void()> halfWay;
            if (round == 1 && heat == 1) halfWay = [&] { Shoot("heat-running.png"); };
            if (round == 1 && heat == 2) halfWay = pulled;
            EXPECT_EQ(Run(HeatNode(1, round, heat), 4, halfWay), 6);
            if (round == 1 && heat == 1) {
                Shoot("heat-over.png");
                WhileOpen(CommandId::RunDetails, {[&](QWidget& form) {
                              Shoot("run-details.png", &form);
                              static_cast<QDialog&>(form).reject();
                          }});
            }
            if (round == 1 && heat == 2) {
                WhileOpen(CommandId::Notices, {[&](QWidget& form) {
                              auto* list = form.findChild<QListWidget*>();
                              ASSERT_NE(list, nullptr);
                              EXPECT_GE(list->count(), 1) << "the link's loss was not kept";
                              Shoot("notices.png", &form);
                              static_cast<QDialog&>(form).reject();
                          }});
            }
        }
    }
    Select(node::kTrack);  // leaving the last heat records it
    for (int round : {1, 2}) {
        WhileOpen([&] { Open(10000 + node::kClassifications + round); }, {[&](QWidget& form) {
                      if (round == 1) Shoot("classification-round.png", &form);
                      Click(form, kConfirmButton);
                  }});
    }
    WhileOpen([&] { Open(10000 + node::kOverall); }, {[&](QWidget& form) {
                  Shoot("classification-overall.png", &form);
                  Click(form, kConfirmButton);
              }});
    ASSERT_EQ(w->State().event.header.categories[0].finalsState, 1);

    // Finals: one 1/2 for each half of the field, then the Final.
    w->Tree()->expandAll();
    Select(10000 + node::kFinalsParameters);
    WhileOpen(CommandId::FinalsParameters, {[&](QWidget& form) {
                  Shoot("finals-parameters.png", &form);
                  Click(form, kConfirmButton);
              }});
    Select(10000 + node::kFinalsArrangement);
    WhileOpen(CommandId::FinalsArrangement, {[&](QWidget& form) {
                  for (int id : {5007, 5011, 5015, 5019}) Type(form, id, "0");
                  Shoot("finals-arrangement.png", &form);
                  Click(form, kConfirmButton);
              }});
    std::string labels;
    QTreeWidgetItem* finals = FindNode(w->Tree(), 10000 + node::kFinals);
    ASSERT_NE(finals, nullptr);
    for (int i = 0; i < finals->childCount(); ++i)
        labels += finals->child(i)->text(0).toStdString() + " ";
    ASSERT_EQ(labels, "Parameters Arrangement 1/2A 1/2B Final ");
    // Each 1/2 takes half the field; the first five of each go up to the Final.
    EXPECT_EQ(Run(10000 + node::kFinal + 2, 3), 6);
    EXPECT_EQ(Run(10000 + node::kFinal + 1, 3), 6);
    EXPECT_EQ(Run(10000 + node::kFinal, 4, [&] { Shoot("final-running.png"); }), 10);
    Select(node::kTrack);  // leaving the Final records it
    EXPECT_EQ(w->State().event.header.categories[0].finalsState, 2);
    w->Tree()->expandAll();
    Shoot("event-tree-finals.png");

    Select(10000 + node::kClosure);
    WhileOpen(CommandId::ClosureReport, {[&](QWidget& form) {
                  Shoot("closure-report.png", &form);
                  static_cast<QDialog&>(form).reject();
              }});
    messages.Expect(MessageAnswer::No);
    w->close();
}

}  // namespace
}  // namespace velkaro
