#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "common/radio_conflicts.h"
#include "common/report_frame.h"
#include "event/sections.h"
#include "platform/canvas.h"

// The heat slot list cut into heats: which driver runs in which heat and lane, the radio
// clashes within a heat, moving drivers with the arrows, the lock while a round is partly run,
// "Generate", and the table as shown and as printed.

namespace velkaro {

inline constexpr int kMostDriversPerHeat = 20;
inline constexpr int kMostRounds = 9;
inline constexpr int kMostHeats = 20;
inline constexpr std::string_view kBeepSound = "sons/beep1.wav";
inline constexpr std::string_view kTooManyHeats =
    "The number of heats generated must be 20 maximum";
inline constexpr std::string_view kHeatCountMismatchTitle = "Erreur";

// One free place or driver per slot, with the participant's transponder and frequencies.
using ArrangedSlots = std::array<ParticipantRecord, kHeatSlots>;

// 1 + the last slot holding a driver; 0 when all are free.
int PlacedCount(const ArrangedSlots& heatSlots);
// (placed - 1) / drivers per heat + 1, truncated toward zero: an empty list still has one heat.
int HeatCount(int placed, int driversPerHeat);
// Heat and lane of a slot, both from 1.
inline int HeatOfSlot(int slot, int driversPerHeat) {
    return slot / driversPerHeat + 1;
}
inline int LaneOfSlot(int slot, int driversPerHeat) {
    return slot % driversPerHeat + 1;
}

// Typed drivers per heat (1 to 20) and rounds (1 to 9): above the limit the edit shows the limit.
struct TakenCount {
    std::int32_t value = 1;
    bool rewrite = false;
};
TakenCount TakeDriversPerHeat(std::string_view typed);
TakenCount TakeRounds(std::string_view typed);

// The slots whose first frequency another driver of the same heat also uses ("2.4Ghz" and
// empty frequencies never clash).
std::array<bool, kHeatSlots> ClashingSlots(const ArrangedSlots& heatSlots, int driversPerHeat);

// The arrangement form's copy.
struct Arrangement {
    int category = 0;
    Text<56> categoryName;
    TrackRecord track;
    ArrangedSlots heatSlots{};
    std::int32_t qualificationStarted = 0;
    std::int32_t driversPerHeat = 10;
    std::int32_t rounds = 1;
    int heats = 1;
    int requiredHeats = 0;  // once the qualification has started, heats may not change
    bool locked = false;    // a round partly run, or a final recorded
    int participants = 0;
    EventHeader header;  // as read on opening; "Generate" writes it back with the new counts
};

// The radio conflicts of every heat, "Heat 2: Evans / King on 40.665".
std::vector<std::string> HeatConflictLines(const Arrangement& a);

// After drivers per heat or a move: heats again, and the header's heats per round.
void Recount(Arrangement& a);
void SetDriversPerHeat(Arrangement& a, std::int32_t driversPerHeat);
void SetRounds(Arrangement& a, std::int32_t rounds);

// Whether each of the category's heat results exists, answered from one reading of the file.
struct HeatResultsPresent {
    std::array<std::array<bool, kMostHeats>, kMostRounds> present{};
    bool Has(int round, int heat) const {
        return present[static_cast<std::size_t>(round - 1)][static_cast<std::size_t>(heat - 1)];
    }
};
HeatResultsPresent FindHeatResults(int category, std::string_view eventBytes);

// Locked while some round has heats with results and heats without, and for good once a
// final's result is recorded.
bool ArrangementLocked(const HeatResultsPresent& results, int rounds, int heats, int finalsState);

// Reads everything the form shows. Each missing section has been told; false when the event
// file itself cannot be opened (also told).
bool OpenArrangement(int category, Arrangement& a, Messages& messages, Disk& disk);

// The visible table: 20 rows of 22 units, the first one's top at y 154.
inline constexpr int kVisibleRows = 20;
inline constexpr int kRowPitch = 22;
inline constexpr int kFirstRowTop = 154;
int ScrollRange(const Arrangement& a);  // 0 when everything fits

// The row r whose pair (r, r + 1) an arrow at (x, y) exchanges, -1 for none.
int ArrowPairAt(const Arrangement& a, int scroll, int x, int y);
// A click on the table: true when two slots were exchanged (the caller beeps).
bool ClickTable(Arrangement& a, int scroll, int x, int y);

enum class GenerateRefusal { None, TooManyHeats, HeatCountChanged };
GenerateRefusal CheckGenerate(const Arrangement& a);
// "The number of heats generated must be equal to %d".
Text<64> HeatCountMismatch(int required);
// "Generate": refused with its message, or the header and the heat slot list written (the list
// only where it exists). True when the form may close.
bool Generate(Arrangement& a, Messages& messages, Disk& disk);

// The table as the form paints it, scrolled by `scroll` rows.
void DrawArrangementTable(Canvas& canvas, const Arrangement& a, int scroll);

// The printout: heats in blocks, as many a page as 40 rows hold.
int ArrangementPageCount(const Arrangement& a);
void DrawArrangementPage(Canvas& canvas, const Arrangement& a, const Text<160>& footer, int page);
PrintOutcome PrintArrangement(const Arrangement& a, Dialogs& dialogs, Messages& messages,
                              Clock& clock);

}  // namespace velkaro
