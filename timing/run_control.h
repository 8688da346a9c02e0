#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "common/circuits.h"
#include "common/commands.h"
#include "common/notices.h"
#include "common/run_options.h"
#include "event/event_model.h"
#include "event/settings_files.h"
#include "platform/clock.h"
#include "platform/messages.h"
#include "platform/sound_player.h"
#include "platform/text.h"
#include "timing/announcements.h"
#include "timing/clock_texts.h"
#include "timing/decoder_link.h"
#include "timing/passing_processing.h"
#include "timing/race_clock.h"
#include "timing/unknown_chips.h"

// The run in the race panel from its countdown to its end: the timer tick, the "Start", "Stop"
// and "Clear" buttons, the car buttons and the delay between two runs.

namespace velkaro {

// Greyed from "Start" to "Stop": the event's files and the forms that could change them, the
// results of the run and the tree's commands ("Interface" and "Help" stay available).
inline constexpr std::array kRunLockedCommands{
    CommandId::NewEvent,
    CommandId::LoadEvent,
    CommandId::Save,
    CommandId::SaveAs,
    CommandId::Quit,
    CommandId::Circuits,
    CommandId::Clubs,
    CommandId::Drivers,
    CommandId::Transponders,
    CommandId::Frequencies,
    CommandId::PlanningQualification,
    CommandId::PlanningFinals,
    CommandId::Sounds,
    CommandId::Display,
    CommandId::ModifyRunResults,
    CommandId::RunDetails,
    CommandId::AddComment,
    CommandId::Start,
    CommandId::Clear,
    CommandId::Scan,
    CommandId::Print,
    CommandId::Stop,  // listed so that the shell finds it; the run never greys it
    CommandId::NewCategory,
    CommandId::RenameCategory,
    CommandId::Track,
    CommandId::Participants,
    CommandId::QualifParameters,
    CommandId::QualifArrangement,
    CommandId::FinalsParameters,
    CommandId::FinalsArrangement,
    CommandId::ClosureReport,
    CommandId::DriverDetails,
    CommandId::RoundClassification,
    CommandId::OverallClassification,
    CommandId::NextHeat,
    CommandId::PreviousHeat,
};
inline constexpr std::array<int, 4> kRunLockedControls{kPersonalChipsRadio, kClubChipsRadio,
                                                       kMixedScanRadio, kTransponderSetList};

struct CommandEnabled {
    CommandId id{};
    bool enabled = true;
    friend bool operator==(const CommandEnabled&, const CommandEnabled&) = default;
};
struct IdEnabled {
    int id = 0;
    bool enabled = true;
    friend bool operator==(const IdEnabled&, const IdEnabled&) = default;
};

// What the shell applies to its menus and controls after every command and tick.
struct PanelEnables {
    std::array<CommandEnabled, kRunLockedCommands.size()> commands{};
    std::array<IdEnabled, kRunLockedControls.size()> controls{};
    std::array<bool, kCarSlots> carButtons{};  // "1" to "20", controls 2201 to 2220
    bool eventTree = true;
    bool scanChecked = false;     // the "Scan" button (2105)
    std::string_view scanStatus;  // the box beside it (2106)
    friend bool operator==(const PanelEnables&, const PanelEnables&) = default;
};

// Whether the command or control is enabled; those the run does not govern are.
bool IsEnabled(const PanelEnables& panel, CommandId id);
bool IsEnabled(const PanelEnables& panel, int control);

enum class RunKind { None, Heat, FinalsRun };

// Where the loaded run stands; the commands move it on, the tick does what it says.
enum class RunPhase : std::uint8_t {
    NoRun,        // nothing to drive ("Stop" and "Clear" do nothing)
    Armed,        // loaded or cleared and not run since: "Start" begins the countdown
    GetReady,     // "Start" given, its signal being heard
    Countdown,    // then, at zero, the wait for the decoder to zero its clock
    FirstCar,     // clock zeroed: the run starts when the first car crosses
    Running,      // the race clock runs, passings count
    Over,         // run, or loaded with results: "Clear" before it runs again
    ScanSignal,   // the scan's opening signal being heard: what crosses is nobody's
    Scanning,     // new transponders go to the cars without one
    CheckSignal,  // the check's opening signal being heard
    Checking,     // the cars lap again in car order
};

std::string_view PhaseName(RunPhase phase);
// From "Start" to "Stop": the panel is greyed, closing is refused.
constexpr bool RunInProgress(RunPhase p) {
    return p == RunPhase::GetReady || p == RunPhase::Countdown || p == RunPhase::FirstCar ||
           p == RunPhase::Running;
}
constexpr bool ScanOn(RunPhase p) {
    return p == RunPhase::ScanSignal || p == RunPhase::Scanning || p == RunPhase::CheckSignal ||
           p == RunPhase::Checking;
}

inline constexpr std::string_view kQuitRefusedTitle = "Velkaro";
inline constexpr std::string_view kQuitRefusedText =
    "A race or a scan is in progress!\r\nYou can't quit the application !";
inline constexpr std::string_view kClearQuestion =
    "Are you sure you want to clear the results of the current run?\nThe data will be "
    "definitively lost.";

// The race panel's run: one instance, owned by the shell, holding what every tick and command
// works on.
struct RunEngine {
    // Owned by the shell.
    DecoderLink* link = nullptr;
    Clock* clockSource = nullptr;
    SoundPlayer* sound = nullptr;
    Disk* disk = nullptr;  // where the circuits' records go when a run ends
    Messages* messages = nullptr;

    RunTables tables;
    RunOptions options;
    SoundSettings soundSettings;
    CircuitTable circuits{};  // options.circuitIndex is the event's circuit (kNoCircuit: none)

    RunPhase phase = RunPhase::NoRun;
    // Facts that hold whatever the phase.
    std::int32_t delayActive = 0;   // the delay between two runs counts down
    std::int32_t holdsResults = 0;  // the loaded run's results are on file
    std::int32_t radioConflict = 0;
    std::vector<std::string> radioConflicts;  // one line a frequency shared in the loaded run
    std::int32_t timeUpSignalled = 0;

    // The transponder scan and check (timing/scan_check.h).
    std::int32_t seenCount = 0;       // car slots seen by the scan or the check
    std::int64_t checkFrequency = 1;  // the check's time zero on the high-resolution counter
    std::int64_t checkStart = 0;
    std::string_view scanStatus;
    // The transponders form polls the decoder itself while it is open.
    bool transpondersFormOpen = false;

    // Clocks.
    std::uint32_t countdownStartTick = 0;
    std::int32_t countdownRemaining = 0;  // seconds
    std::uint32_t lastCountdownUpdate = 0;
    RaceClock raceClock;
    std::int64_t raceLimitMs = 0;
    std::uint32_t lastClockUpdate = 0;
    std::uint32_t delayStartTick = 0;
    std::int32_t delayMinutes = 0;
    std::uint32_t lastDelayUpdate = 0;
    std::int32_t delayZeroSignalled = 0;
    ClockTexts clock;
    AnnouncementFlags announced;

    // The loaded run.
    RunKind kind = RunKind::None;
    std::int32_t category = 0;  // from 1
    std::int32_t round = 0;
    std::int32_t heat = 0;
    std::int32_t finalsLevel = 0;  // 0 the Final, k the 1/2^k runs
    char finalsLetter = 'A';
    std::int32_t finalsStatus = 0;  // of the stored finals run: 2 once a run above it is recorded
    std::int32_t nodeCode = 0;
    std::int32_t normalizedNode = 0;
    SectionTitle sectionTitle;
    Text<105> runTitle;
    Text<128> categoryHeader;  // "CATEGORY : %s"
    Text<128> runHeader;       // "Qualification : Round%d - Heat%d"
    Text<128> eventHeader;     // "Event : %s - %s"
    RunTrailer trailer;        // description, comment, track condition

    // What the tick has to tell the director; the race panel shows the newest.
    NoticeLog notices;
    std::uint32_t decoderRestartsSeen = 0;  // of link->timeBase.decoderRestarts
    // Transponders of the run's passings that none of its cars has; emptied at "Start".
    UnknownChips unknownChips;

    // Set by the shell: "Save" is only offered once the event has a file of its own.
    bool saveAllowed = false;
    // Greyed for good once a category's final is recorded.
    bool modifyResultsAllowed = true;
    std::array<bool, kCarSlots> carButtons{};

    // Told of every passing the run deals with (see RunHooks::passingTaken); may be empty.
    std::function<void(const Passing&, int slot, bool counted)> passingLog;
    // Told the moment a run ends (Stop, or its end rules), its cars settled, and at a Stop while
    // an ended run is still held unwritten: the shell records it there and then. May be empty.
    std::function<void(RunEngine&)> runEnded;
    bool resultHeld = false;  // the run ended, the disk refused it: written at the next chance

    // For the shell: re-apply `panel` when panelChanges moves, repaint when repaints moves.
    PanelEnables panel;
    std::uint32_t panelChanges = 0;
    std::uint32_t repaints = 0;
};

// Every 10 ms: link supervision, the delay countdown, then the countdown, the running run, the
// scan, or an idle read that throws the decoder's bytes away.
void OnTimerTick(RunEngine& engine);

// "Start": from an armed run, the countdown; otherwise the rows are rebuilt and repainted.
void StartCommand(RunEngine& engine);
// "Stop", also given by the end rules: a countdown is abandoned (the run stays armed), a running
// run ends, the circuits database keeps the track records it set.
void StopCommand(RunEngine& engine);
// "Clear": asks, then puts the run back as it was loaded, armed and fresh.
void ClearCommand(RunEngine& engine);
void StartDelayCountdown(RunEngine& engine, int minutes);

// A car button ("1" to "20", slot 0 to 19): a manual lap while running, or the first car's
// crossing while a first-car start waits. False when it did nothing.
bool CarButton(RunEngine& engine, int slot);

// Gives the unknown chip `index` to the car in `slot`, during or after the run (see
// AssignUnknownChip). False when refused.
bool AssignUnknownChipCommand(RunEngine& engine, int index, int slot);

// That the decoder has sent nothing for a while, while the run is running; empty otherwise.
Text<64> DecoderSilenceText(const RunEngine& engine, std::uint32_t now);

// Closing the program is refused while a countdown, a run or a scan is on (the shell shows
// kQuitRefusedText, title kQuitRefusedTitle, error icon).
bool QuitRefused(const RunEngine& engine);

// The live order and its rows from the cars, by the run's classification.
void RebuildLiveOrder(RunTables& tables, const RunOptions& options);

// The clock texts of a loaded or cleared run: duration, zero elapsed and remaining clocks, and
// the countdown.
void ResetClockTexts(RunEngine& engine);

PanelEnables ComputePanelEnables(const RunEngine& engine);
// Recomputes the panel and counts a change when there is one.
void RefreshPanel(RunEngine& engine);

}  // namespace velkaro
