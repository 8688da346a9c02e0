#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "common/report_frame.h"
#include "event/event_file.h"
#include "event/section.h"
#include "event/sections.h"
#include "event/text_lines.h"
#include "platform/canvas.h"
#include "platform/text.h"

// A qualifying round's classification: the heats of the round merged, sorted by laps and time or
// by best lap, and points given by place. The sorts and the points are free functions over plain
// records, shared by the form, the command-line tool and the closure report.

namespace velkaro {

using RoundResults = std::array<RoundResult, kHeatSlots>;
using PointsScale = std::array<std::int32_t, 6>;  // 1st place, then the five gaps
using HeatLines = std::array<RoundResult, kCarSlots>;

// Inside the sorts: the time of a driver who ran without a time.
inline constexpr std::int32_t kRanWithoutTime = 1400000000;

// P + 5 for the winner, then 2, 1, 1, 1, 1.
PointsScale DefaultPointsScale(int participants);

// Line k of the j-th heat that has a result goes to entry j x driversPerHeat + k (from 0); a
// line that would fall past the table is left out and counted in the result. Free places
// ("(NA)") are cleared.
int MergeHeats(std::span<const HeatLines> heatsRun, int driversPerHeat, RoundResults& entries);

// Entries with a name: the drivers whose heat has run.
int RacedCount(const RoundResults& entries);

// The classification order: entries with a result, then those who ran without a time, then the
// entries without a result. On a complete tie the later entry takes the better place. An unknown
// keyword keeps the order as it is.
RoundResults SortRoundResults(const RoundResults& entries, Classification keyword);

// Points by place for the first `participants` entries of a sorted table: tied drivers share the
// better place's points, entries without a result get 0, and no one goes below 0.
void ComputeRoundPoints(RoundResults& entries, const PointsScale& scale, Classification keyword,
                        int participants);

// Sort, then points.
void ClassifyRound(RoundClassification& c, int participants);

// --- Reading the round from the event file ------------------------------------------------------

// What reading a stored heat's car lines came to. The classification takes the name, laps,
// total time and best lap of the first drivers-per-heat lines; a line that cannot be read whole
// (cut short, or numbers out of their range) keeps its driver as one who ran without a time,
// counted in `damaged`.
struct HeatRead {
    FileOutcome outcome = FileOutcome::NoSection;
    int damaged = 0;
    int firstDamaged = 0;  // line number from 1, 0 when none
};

// The round's heats, 1 to `heats`, read from one opening of the file; `found[h - 1]` says
// whether heat h has a section.
struct RoundHeatsRead {
    FileOutcome outcome = FileOutcome::Unavailable;
    std::array<HeatLines, kHeatsPerRound> lines{};
    std::array<HeatRead, kHeatsPerRound> heats{};
};
void ReadRoundHeats(int category, int round, int heats, int perHeat, RoundHeatsRead& out,
                    Disk& disk);

// What opening a round found amiss, to be told to the user; the classification goes on with what
// could be read.
struct RoundNotes {
    bool raceFileMissing = false;
    bool arrangementMissing = false;
    struct Damage {
        int heat = 0, lines = 0, first = 0;
    };
    std::vector<Damage> damagedHeats;
    int linesPastTable = 0;
    std::vector<std::string> strangers;  // drivers of the heats no longer among the participants
};

// Everything the round classification form shows and stores.
struct RoundSheet {
    int category = 1;  // from 1
    int round = 1;
    CategoryRecord header;
    TrackRecord track;
    RoundClassification classification;  // sorted, with points
    int raced = 0;
};

int ParticipantsOf(const RoundSheet& sheet);
// Finals state 2: only looked at and printed.
bool RoundSheetReadOnly(const RoundSheet& sheet);

// The opening: header, track, drivers per heat, the stored keyword and scale (the stored lines
// are not read back), the heats merged, sorted and given points.
RoundSheet OpenRoundSheet(int category, int round, RoundNotes& notes, Disk& disk);

// Names one a line, the first 15 of them, then how many more: a box the screen can hold.
std::string NameLines(const std::vector<std::string>& names);

// The notes as message boxes: the system's texts where it has them, a plain account otherwise.
void ReportRoundNotes(const RoundNotes& notes, int round, Messages& messages);

// A new keyword re-sorts and recomputes; a new scale value only recomputes the points.
void SetRoundKeyword(RoundSheet& sheet, Classification keyword);
void SetScaleValue(RoundSheet& sheet, int index, std::int32_t value);

// A numeric edit's text as it may stand: digits only, at most `maxDigits` of them.
std::string TypedDigits(std::string_view typed, int maxDigits);

// "Validate": stored only once the category's qualification has started. Done also when there
// was nothing to store; Unavailable and NoSection have been told to the user.
FileOutcome SaveRoundSheet(const RoundSheet& sheet, Messages& messages, Disk& disk);

// --- Texts and drawings -----------------------------------------------------------------------

Text<128> RoundTitleText(std::string_view categoryName, int round);
// Empty when every participant raced.
Text<64> RoundNotCompletedText(int participants, int raced);

inline constexpr Rgb kDarkRed{150, 0, 0};
inline constexpr Rgb kTableBackground{230, 230, 220};
inline constexpr Rgb kHeadsYellow{255, 255, 150};
inline constexpr Rgb kRowYellow{255, 255, 200};

// The form's table: 20 rows from the scroll position, and the texts above it.
inline constexpr int kScreenRows = 20;
void DrawRoundScreen(Canvas& canvas, const RoundSheet& sheet, int scroll);

// The scroll bar's range: 0 when every participant shows.
int ScrollMaximum(int participants);

// The report of the round on the printed frame.
ReportHeader RoundReportHeader(const RoundSheet& sheet);
std::string_view RoundFooterPrefix(Classification keyword);  // "CLASSIFICATION... - "
PrintOutcome PrintRoundSheet(const RoundSheet& sheet, Dialogs& dialogs, Messages& messages,
                             Clock& clock);
// The rows of the printout, for a canvas of one's own.
bool DrawRoundReport(Canvas& canvas, const RoundSheet& sheet, const ReportHeader& header);

}  // namespace velkaro
