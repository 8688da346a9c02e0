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
#include "forms_kit/form_host.h"
#include "shell/live_screen.h"
#include "timing/decoder_link.h"
#include "timing/run_control.h"
#include "timing/run_loading.h"

namespace velkaro {

// The last working copy that held an event, beside the dated copies of kCrashFolder.
inline constexpr std::string_view kCrashCopy = "PcCrashRace.race";
inline constexpr std::string_view kHelpFile = "Guides/HelpRaceManagementGB.pdf";
inline constexpr std::string_view kRaceFilter = "Race file (.race)";
inline constexpr std::string_view kRacePattern = "*.race";

// The shell's one application state: the event being worked on and the settings around it.
struct AppState {
    std::string programFolder;  // Windows-1252, as the current directory was made
    std::string eventPath;      // the user's ".race" file; empty after "New event" or a blank start
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

// Save-as names get the extension when they lack it.
std::string WithRaceExtension(std::string name);

// What loading a run of category c (from 1) takes from the event and the panel.
EventForRun EventForRunOf(const AppState& state, int category);

}  // namespace velkaro
