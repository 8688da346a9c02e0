#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "common/report_frame.h"
#include "event/event_file.h"
#include "event/sections.h"
#include "platform/canvas.h"
#include "platform/text.h"

// The overall qualification: each driver's best rounds summed, then ranked by that total, by his
// round points best first, and on a complete equality by his best single performance. Free
// functions over plain records, shared by the form, the command-line tool and the closure report.

namespace velkaro {

struct RoundPoints {
    std::int32_t points = 0;
    std::int32_t round = 0;  // 0: a round the driver does not appear in
};
struct RoundRun {
    std::int32_t laps = 0;
    std::int32_t totalTime = 0;
    std::int32_t round = 0;
};
struct RoundBestLap {
    std::int32_t bestLap = 0;
    std::int32_t round = 0;
};

struct OverallEntry {
    Text<40> name;
    std::int32_t total = 0;
    std::array<RoundPoints, kRounds> roundPoints{};  // highest first once sorted
    std::array<RoundRun, kRounds> results{};         // best first
    std::array<RoundBestLap, kRounds> bestLaps{};    // smallest first
};
using OverallEntries = std::array<OverallEntry, kParticipants>;

// The participants' names into entries 0 to 199.
OverallEntries EntriesOf(const ParticipantNames& names);

// A stored round classification's lines given to the participants of the same name (round r
// in slot r - 1). Returns the names of the lines that match no participant.
std::vector<std::string> MergeRound(OverallEntries& entries, int participants, int round,
                                    std::span<const RoundResult> lines);

// Points highest first, results best first, best laps smallest first; on equal values the later
// round first. A result of no laps and no time, and a best lap of 0, count as the time of a
// driver who ran without one.
void SortRoundValues(OverallEntry& entry);

// The sum of the first `bestRounds` sorted points (0 to 9 of them).
void ComputeTotals(OverallEntries& entries, int participants, int bestRounds);

// Drivers with points, a result or a best lap.
int ClassifiedCount(const OverallEntries& entries, int participants);

// The ranking: higher total, then the sorted round points one by one, then by the keyword the
// best result (laps, time, best lap) or the best lap (best lap, laps, time); on a complete tie
// the later entry takes the better place. The first `participants` entries, in order.
OverallEntries RankOverall(const OverallEntries& entries, int participants, Classification keyword);

// --- The event file -----------------------------------------------------------------------------

// What reading a stored round classification's driver lines (up to `participants` of them) came
// to: reading stops at the end of what was written (the reservation's filler), so a list of
// participants that grew since the round was validated never reads another section's lines.
// Lines whose numbers cannot be read are skipped and counted.
struct StoredRound {
    FileOutcome outcome = FileOutcome::NoSection;
    int lines = 0;
    int damaged = 0;
};

// Rounds 1 to `rounds` from one opening of the file and one scan of it.
struct StoredRounds {
    FileOutcome outcome = FileOutcome::Unavailable;
    std::array<StoredRound, kRounds> rounds{};
    std::array<std::array<RoundResult, kParticipants>, kRounds> lines{};
};
void ReadStoredRounds(int category, int rounds, int participants, StoredRounds& out, Disk& disk);

struct OverallNotes {
    bool raceFileMissing = false;
    struct Damage {
        int round = 0, lines = 0;
    };
    std::vector<Damage> damagedRounds;
    std::vector<std::string> strangers;  // "Round%d: name"
};

struct OverallSheet {
    int category = 1;
    CategoryRecord header;
    TrackRecord track;
    Keyword<Classification> keyword;
    std::int32_t bestRounds = 1;
    OverallEntries merged;  // in the participants' order, round values sorted
    OverallEntries ranked;  // RankOverall of merged
    int classified = 0;
};

int ParticipantsOf(const OverallSheet& sheet);
bool OverallSheetReadOnly(const OverallSheet& sheet);

OverallSheet OpenOverallSheet(int category, OverallNotes& notes, Disk& disk);
void ReportOverallNotes(const OverallNotes& notes, Messages& messages);

// N typed (one digit, cut to 0..9) or the keyword chosen: totals and ranking at once.
void SetBestRounds(OverallSheet& sheet, std::int32_t bestRounds);
void SetOverallKeyword(OverallSheet& sheet, Classification keyword);

// "Validate": the finals state set to 1 in the header, then the ranked names. A category without
// participants has nothing to rank: told, nothing written (NoSection).
inline constexpr std::string_view kNothingToRank =
    "Error: This category has no participants: there is nothing to classify";
FileOutcome SaveOverallSheet(const OverallSheet& sheet, Messages& messages, Disk& disk);

// --- Texts and drawings -----------------------------------------------------------------------

Text<128> OverallTitleText(std::string_view categoryName);
Text<64> NoPointsText(int participants, int classified);  // empty when everyone has some

// A column per round of the category, up to `most` (the screen has room for 5, the sheet for
// 4): a category of two rounds shows no three columns of zeros.
int OverallRoundColumns(const OverallSheet& sheet, int most);
// "the 4 best rounds" over those columns.
Text<32> BestRoundsHead(int columns);

inline constexpr int kOverallScreenRows = 20;
void DrawOverallScreen(Canvas& canvas, const OverallSheet& sheet, int scroll);

ReportHeader OverallReportHeader(const OverallSheet& sheet);
Text<64> OverallFooterPrefix(int bestRounds);
bool DrawOverallReport(Canvas& canvas, const OverallSheet& sheet, const ReportHeader& header);
PrintOutcome PrintOverallSheet(const OverallSheet& sheet, Dialogs& dialogs, Messages& messages,
                               Clock& clock);

}  // namespace velkaro
