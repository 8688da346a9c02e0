#include "shell/main_window.h"

#include <QAction>
#include <QFileInfo>
#include <QMenuBar>
#include <QPalette>

#include "platform/text.h"
#include "shell/menus.h"

namespace velkaro {

MainWindow::MainWindow(QWidget* parent) : QMainWindow(parent) {
    setObjectName("classeF");
    setWindowTitle("Velkaro");
    QPalette p = palette();
    p.setColor(QPalette::Window, QColor(200, 200, 200));
    setPalette(p);
    setAutoFillBackground(true);
    BuildMenuBar();
}

void MainWindow::BuildMenuBar() {
    for (const MenuDef& def : kMenuBar) {
        QMenu* menu =
            menuBar()->addMenu(QString::fromUtf8(def.title.data(), qsizetype(def.title.size())));
        menu->setObjectName(QString::fromUtf8(def.title.data(), qsizetype(def.title.size())));
        for (const MenuEntry& e : def.entries) {
            if (e.id == 0) {
                menu->addSeparator();
                continue;
            }
            QString label = QString::fromUtf8(e.label.data(), qsizetype(e.label.size()));
            QAction* a = menu->addAction(label);
            a->setObjectName(QString::number(e.id));
            if (e.hasBitmap) {
                Text<32> file;
                Format(file, kMenuBitmapFormat, e.id);
                if (QFileInfo::exists(file.CStr())) a->setIcon(QIcon(file.CStr()));
            }
            connect(a, &QAction::triggered, this, [this, id = e.id] {
                if (id == 1005) close();
                emit CommandTriggered(id);
            });
            commands_[e.id] = a;
        }
    }
}

QAction* MainWindow::Command(int id) const {
    auto it = commands_.find(id);
    return it == commands_.end() ? nullptr : it->second;
}

}  // namespace velkaro
