#pragma once

#include <functional>

#include "common/commands.h"
#include "shell/app_state.h"

class QWidget;

namespace velkaro {

// What a subsystem's forms get from the shell when they register their commands: the window to
// be modal over, the machine, the application state, and a way to have the event tree rebuilt
// after a form changed the event.
struct FormHost {
    QWidget* window;
    ShellPlatform& platform;
    AppState& state;
    std::function<void()> eventChanged;
};

}  // namespace velkaro
