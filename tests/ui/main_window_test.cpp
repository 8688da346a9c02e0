#include <QAction>
#include <QMenu>
#include <QMenuBar>
#include <QSignalSpy>
#include <QtTest>

#include "shell/main_window.h"

using velkaro::MainWindow;

class MainWindowTest : public QObject {
    Q_OBJECT

  private slots:
    void titleAndBackground() {
        MainWindow w;
        QCOMPARE(w.windowTitle(), QString("Velkaro"));
        QCOMPARE(w.palette().color(QPalette::Window), QColor(200, 200, 200));
    }

    // Every menu with its entries and separators in order: "-" is a separator, else the id.
    void menuBarLayout() {
        MainWindow w;
        QStringList menus, lines;
        for (QAction* top : w.menuBar()->actions()) {
            menus << top->text();
            QStringList entries;
            for (QAction* a : top->menu()->actions()) {
                entries << (a->isSeparator() ? QString("-") : a->objectName() + "=" + a->text());
            }
            lines << entries.join(' ');
        }
        QCOMPARE(menus, (QStringList{"File", "Database", "Planning of race", "Settings", "?"}));
        QCOMPARE(lines[0], QString("1001=New event 1002=Load event - 1003=Save 1004=Save as... - - "
                                   "1005=Quit"));
        QCOMPARE(lines[1], QString("1006=Circuits - 1007=Clubs - 1008=Drivers - 1009=Transponders "
                                   "- 1010=Frequencies"));
        QCOMPARE(lines[2], QString("1011=Planning qualification - 1012=Planning finals"));
        QCOMPARE(lines[3], QString("1013=Sounds - 1014=Display - 1015=Interface"));
        QCOMPARE(lines[4], QString("1017=Help"));
    }

    void commandsAreFoundByIdAndReportTheirId() {
        MainWindow w;
        QSignalSpy spy(&w, &MainWindow::CommandTriggered);
        for (int id : {1001, 1004, 1010, 1017}) {
            QAction* a = w.Command(id);
            QVERIFY2(a, qPrintable(QString::number(id)));
            a->trigger();
        }
        QCOMPARE(spy.count(), 4);
        QCOMPARE(spy.at(2).at(0).toInt(), 1010);
        QVERIFY(w.Command(1016) == nullptr);
    }

    void quitClosesTheWindow() {
        MainWindow w;
        w.showMaximized();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        QVERIFY(w.isVisible());
        w.Command(1005)->trigger();
        QVERIFY(!w.isVisible());
    }
};

QTEST_MAIN(MainWindowTest)
#include "main_window_test.moc"
