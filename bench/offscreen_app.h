#pragma once

// The Qt application a benchmark that paints needs, made on first use and kept to the end, on
// the offscreen platform unless QT_QPA_PLATFORM chooses another. QGuiApplication is enough when
// no widget is made.

#include <QApplication>
#include <QGuiApplication>

namespace velkaro::bench {

template <typename Application = QApplication>
Application& OffscreenApp() {
    static int argc = 1;
    static char name[] = "velkaro-bench";
    static char* argv[] = {name, nullptr};
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    static Application app(argc, argv);
    return app;
}

}  // namespace velkaro::bench
