#pragma once

#include <functional>
#include <string_view>

#include "common/commands.h"
#include "platform/clock.h"
#include "platform/dialogs.h"
#include "platform/disk.h"
#include "platform/messages.h"
#include "platform/serial_port.h"
#include "platform/sound_player.h"

class QWidget;

namespace velkaro {

// What the program needs of the machine; the program passes the real ones, tests the fakes.
struct AppPlatform {
    Messages& messages;
    Dialogs& dialogs;
    SoundPlayer& sounds;
    Clock& clock;
    SerialPort& port;
    // Opens a document with its associated program; false when nothing could.
    std::function<bool(std::string_view)> openDocument;
    // Where loading, saving, recording a run and every form write.
    Disk* disk;
};

// What a subsystem's forms get from the application when they register their commands: the
// window to be modal over, the machine, and a way to have the event tree rebuilt after a form
// changed the event. What a subsystem reads and changes of the application's state comes apart,
// as a narrow context declared beside its forms.
struct FormHost {
    QWidget* window;
    AppPlatform& platform;
    std::function<void()> eventChanged;
};

}  // namespace velkaro
