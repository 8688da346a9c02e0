#include <QApplication>
#include <QDir>
#include <QFileInfo>

#include "forms_kit/form_kit.h"
#include "platform/clock.h"
#include "platform/program_folder.h"
#include "platform/qt/qt_dialogs.h"
#include "platform/qt/qt_messages.h"
#include "platform/qt/qt_serial_port.h"
#include "platform/qt/qt_sound_player.h"
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
    velkaro::ApplyProgramFont(app);

    velkaro::QtMessages messages;
    std::string folder = velkaro::DefaultProgramFolder();
    if (!velkaro::PrepareProgramFolder(folder, SkeletonFolder(), messages)) return 1;

    velkaro::QtDialogs dialogs;
    velkaro::QtSoundPlayer sounds;
    velkaro::SystemClock clock;
    velkaro::QtSerialPort port(folder);
    velkaro::AppPlatform platform{messages,
                                  dialogs,
                                  sounds,
                                  clock,
                                  port,
                                  velkaro::OpenWithAssociatedProgram,
                                  &velkaro::SystemDisk()};

    velkaro::MainWindow window(platform);
    messages.SetParent(&window);
    dialogs.SetParent(&window);
    window.showMaximized();
    window.ConnectDecoder();
    window.StartTimer();
    return QApplication::exec();
}
