#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "common/circuits.h"
#include "databases/transponder_sets.h"
#include "event/event_model.h"
#include "event/sections.h"
#include "event/settings_files.h"
#include "platform/clock.h"
#include "platform/dialogs.h"
#include "platform/disk.h"
#include "platform/messages.h"
#include "platform/serial_port.h"
#include "platform/sound_player.h"
#include "shell/live_screen.h"
#include "timing/decoder_link.h"
#include "timing/run_control.h"
#include "timing/run_loading.h"

namespace velkaro {

// What the shell needs of the machine; the program passes the real ones, tests the fakes.
struct ShellPlatform {
    Messages& messages;
    Dialogs& dialogs;
    SoundPlayer& sounds;
    Clock& clock;
    SerialPort& port;
    // Opens a document with its associated program; false when nothing could.
    std::function<bool(std::string_view)> openDocument;
    // Where loading, saving and recording a run write.
    Disk* disk = &SystemDisk();
};

// The last working copy that held an event, beside the dated copies of kCrashFolder.
inline constexpr std::string_view kCrashCopy = "PcCrashRace.race";
inline constexpr std::string_view kHelpFile = "Guides/HelpRaceManagementGB.pdf";
inline constexpr std::string_view kRaceFilter = "Race file (.race)";
inline constexpr std::string_view kRacePattern = "*.race";
inline constexpr int kDefaultMinimumLapSeconds = 2;

// The shell's one application state: the event being worked on and the settings around it.
struct AppState {
    std::string programFolder;  // Windows-1252, as the current directory was made
    std::string eventPath;      // the user's ".race" file; empty after "New event" or a blank start
    // The working copy's fingerprint when the event was last loaded, saved or created.
    std::uint64_t savedFingerprint = 0;
    EventModel event;
    TrackRecord track;
    std::int32_t minimumLapSeconds = kDefaultMinimumLapSeconds;
    std::int32_t circuitIndex = kNoCircuit;  // the event's circuit in engine.circuits
    SoundSettings sound;
    DisplaySettings display;
    CustomColours customColours{};
    std::array<std::int32_t, kColumns> widths{};  // the live screen's working column widths
    DecoderLink link;
    TransponderSets transponderSets{};
    std::int32_t transponderMode = kPersonalChipsRadio;  // the race panel's chosen radio
    RunEngine engine;  // the run in the race panel, and the circuits table
};

// "Velkaro", or "Velkaro:   " and the event's path once it has one.
std::string WindowTitle(const AppState& state);

// The index of the last circuit slot named like the event's circuit, kNoCircuit when the name
// is empty or unknown.
std::int32_t FindCircuit(const CircuitTable& circuits, std::string_view name);

// Save-as names get the extension when they lack it.
std::string WithRaceExtension(std::string name);

// What loading a run of category c (from 1) takes from the event and the panel.
EventForRun EventForRunOf(const AppState& state, int category);

}  // namespace velkaro
