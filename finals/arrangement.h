#pragma once

#include <array>
#include <cstdint>
#include <string_view>

#include "common/run_car.h"
#include "event/event_file.h"
#include "event/sections.h"
#include "platform/disk.h"
#include "platform/text.h"

// Who drives which finals run: the drivers qualified directly for the run's level, then those
// who move up from the run below, in that run's finishing order.

namespace velkaro {

// One car of a stored finals run, as the ladder reads it.
struct FinalsSourceEntry {
    Text<40> name;
    std::int32_t laps = 0;
    std::int32_t totalTime = 0;
    std::int32_t lastLap = 0;
    friend bool operator==(const FinalsSourceEntry&, const FinalsSourceEntry&) = default;
};
using FinalsSource = std::array<FinalsSourceEntry, kCarSlots>;

// The run's finishing order: most laps, then least total time, then shortest last lap; on a
// complete tie the later car line first; cars without laps last.
FinalsSource OrderSourceResult(const FinalsSource& source);

// Name, laps, total time and the lap time of the last passing of each car.
FinalsSource SourceFromCars(const RunCars& cars);

// A run counts as run once one of its cars has a lap.
bool SourceWasRun(const FinalsSource& source);

// The ladder level by level: index 0 is the Final, k the 1/2^k runs (levels 5 to 11 take the
// 1/16 values). goUp[k] is how many of each run of level k move up; nobody moves up into the
// starting level.
struct LevelValues {
    std::array<std::int32_t, kFinalsLevels + 1> duration{};
    std::array<std::int32_t, kFinalsLevels + 1> delay{};
    std::array<std::int32_t, kFinalsLevels + 1> direct{};
    std::array<std::int32_t, kFinalsLevels + 2> goUp{};
    int startLevel = 0;
    int participants = 0;
};
LevelValues LevelsOf(const FinalsLadder& ladder, int finalsRuns);

using QualifRanking = std::array<Text<40>, kParticipants>;
using RunNames = std::array<Text<40>, kCarSlots>;

// The 20 names of run `letter` ('A' or 'B'; ignored for the Final) of `level`: direct drivers
// from the ranking (A the 1st, 3rd, 5th ... of the level's, B the 2nd, 4th ...), then the first
// go-up drivers of the ordered source (for the Final, of both sources alternately). Places left
// empty are "(NA)".
RunNames PlaceFinalsRun(int level, char letter, const LevelValues& levels,
                        const QualifRanking& ranking, const FinalsSource& orderedA,
                        const FinalsSource& orderedB);

// The source runs of a run: the run one level below with the same letter, or both 1/2 runs for
// the Final; none at the starting level. Titles are empty where there is none.
std::array<SectionTitle, 2> SourceTitles(int category, int level, char letter, int startLevel);

// A stored finals run as the ladder reads it; a missing section leaves `source` untouched.
FileOutcome ReadFinalsSource(std::string_view title, FinalsSource& source, Disk& disk);

// " %s - Finals 1/%dA " / " %s - Final "; "Finals : 1/%dA" / "Finals : Final".
Text<105> FinalsRunTitleText(std::string_view category, int level, char letter);
Text<128> FinalsRunHeader(int level, char letter);
// The tree's level text for a run: "FIN", "1/4A"...
Text<12> FinalsLevelText(int level, char letter);

}  // namespace velkaro
