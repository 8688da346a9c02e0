#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QScreen>

#include "platform/program_folder.h"
#include "platform/qt/qt_messages.h"
#include "shell/main_window.h"

namespace {

// The shipped skeleton of the program folder: beside an installed program, or the source tree's.
std::string SkeletonFolder() {
    QString installed = QCoreApplication::applicationDirPath() + "/../share/velkaro/data";
    if (QFileInfo(installed).isDir()) return QDir(installed).absolutePath().toStdString();
    return VELKARO_SKELETON_DIR;
}

}  // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName("Velkaro");

    velkaro::QtMessages messages;
    if (!velkaro::PrepareProgramFolder(velkaro::DefaultProgramFolder(), SkeletonFolder(),
                                       messages)) {
        return 1;
    }

    velkaro::MainWindow window;
    messages.SetParent(&window);
    // Without a window manager (a kiosk, a virtual display) "maximized" means nothing: start
    // at the screen's size anyway.
    window.setGeometry(window.screen()->availableGeometry());
    window.showMaximized();
    return QApplication::exec();
}
