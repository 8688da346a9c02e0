#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

#include "databases/transponder_sets.h"
#include "platform/canvas.h"
#include "platform/sound_player.h"
#include "platform/text.h"
#include "shell/live_screen.h"
#include "timing/run_control.h"

// Correcting a run in the live table: a click on a cell puts edit fields (or, with club chips,
// the transponder list) over it, and every change goes at once into the standing and the cars
// of that driver. The shell makes and removes the controls this logic describes.

namespace velkaro {

inline constexpr int kLapsField = 6201;
inline constexpr int kTotalTimeFields = 6202;  // hours, minutes, seconds, milliseconds
inline constexpr int kLastLapFields = 6206;
inline constexpr int kBestLapFields = 6210;
inline constexpr int kClubChipsList = 2107;
inline constexpr const char* kEditBeep = "sons/beep1.wav";

enum class EditMode { None, Results, ClubChips };

struct LiveTableEditing {
    bool resultEditing = false;
    bool clubChipsEditing = false;
    int editedRow = -1;     // index into the standings
    int editedColumn = -1;  // the column whose controls are shown, -1 for none
    int editedCar = 0;      // car number of the edited row, which follows it when the order moves
};

// One edit field: its id, character limit, text and place.
struct EditField {
    int id = 0;
    int limit = 0;
    Text<8> text;
    Rect rect;
};
struct EditControls {
    int count = 0;  // 0: none; 1 to 4 fields; or the transponder list
    std::array<EditField, 4> fields{};
    bool list = false;
    Rect listRect;
    std::array<Text<7>, kTranspondersPerSet> choices{};
    int selected = -1;  // the car's transponder among the choices, -1 when absent
};

// What a field holds, for the director's tools: "Laps", "Total time: minutes"...
std::string EditFieldLabel(int id);

// "Modify run results": result editing on, club-chips editing off, controls removed.
void StartResultEditing(LiveTableEditing& editing);
// The transponder-mode radios: club-chips editing follows "Club chips"; result editing stops.
void TransponderModeChosen(LiveTableEditing& editing, int radio);
// Loading a run and "Clear" stop both modes.
void StopEditing(LiveTableEditing& editing);

// Where a click lands: what controls to show. mode None: no editing mode is on, the Ctrl-click
// of the live screen applies. The beep is played when a result cell is taken.
struct EditClickResult {
    EditMode mode = EditMode::None;
    EditControls controls;
};
EditClickResult EditClick(LiveTableEditing& editing, const RunTables& tables,
                          const TableLayout& layout, const TableMeasure& measure,
                          int scrollPosition, const TransponderSet& set, SoundPlayer& sounds, int x,
                          int y);

// The controls of the edited cell as they stand now (after the order moved, or a scroll).
EditControls EditControlsFor(const LiveTableEditing& editing, const RunTables& tables,
                             const TableLayout& layout, int scrollPosition,
                             const TransponderSet& set);

// A field's new text. Returns the text the field must show (minutes and seconds above 59 are
// rewritten as 59); the edited value goes into the standing and into every car of the driver,
// the run is disarmed until "Clear", and the live order is rebuilt.
Text<8> FieldChanged(LiveTableEditing& editing, RunEngine& engine, int id, std::string_view text);

// The transponder chosen in the club-chips list goes to the standing and the driver's cars.
void TransponderChosen(LiveTableEditing& editing, RunTables& tables, std::string_view transponder);

}  // namespace velkaro
