#pragma once

#include <array>
#include <cstdint>
#include <string_view>

#include "event/sections.h"
#include "platform/text.h"

// The bump-up ladder of a category: how many drivers take part, how many per run, how many go
// up from each run, and what that gives as starting level, runs and overall duration.

namespace velkaro {

// Level 0 is the Final, level k the runs 1/2^k A and B; a ladder that needs a 12th level is
// beyond what the event holds.
inline constexpr int kTooManyLevels = 12;

// The defaults of a category of `participants` drivers: 10 per run, 5 to the Final, 3 up from
// every other run; durations 30, 20, 15, 10, 10 minutes; delays 15, 10, 5, 5.
FinalsLadder DefaultFinalsLadder(int participants);

// d0 = per run - 2 x go-to-Final, d1 to d3 = 2 x (per run - go-up), d4 = d3. `clampAtZero`
// shows a negative count as 0 (the planning calculator); the arrangement keeps it negative so
// that it blocks "Generate".
std::array<std::int32_t, 5> ComputeDirectCounts(int perRun, const std::array<std::int32_t, 4>& goUp,
                                                bool clampAtZero = true);

struct FinalsStart {
    int level = 0;    // kTooManyLevels when the ladder cannot hold the participants
    int minutes = 0;  // overall duration
    friend bool operator==(const FinalsStart&, const FinalsStart&) = default;
};
FinalsStart ComputeFinalsStart(int participants, const std::array<std::int32_t, 5>& direct,
                               const std::array<std::int32_t, 5>& durations,
                               const std::array<std::int32_t, 4>& delays);
inline FinalsStart ComputeFinalsStart(const FinalsLadder& l) {
    return ComputeFinalsStart(l.participants, l.direct, l.durations, l.delays);
}

// 2L + 1 runs, none past the ladder's capacity.
int RunsOfLevel(int level);
// "Final", "1/4 final", "1/8th final" ... or "Error: >1/2048th f".
Text<20> FinalsBeginText(int level);
// "1h40min".
Text<16> DurationText(int minutes);

// The fields of the ladder as the forms edit them.
enum class LadderField {
    Participants,
    PerRun,
    DurationFinal,
    DurationHalf,
    DurationQuarter,
    DurationEighth,
    DurationLower,
    DelayHalf,
    DelayQuarter,
    DelayEighth,
    DelayLower,
    GoUpFinal,
    GoUpHalf,
    GoUpQuarter,
    GoUpLower,
};

// Sets a field to what was typed, cut to its limit (`participantsLimit`: the category's drivers,
// or 200 in the calculator), then lowers the go-up counts past a new per-run limit and
// recomputes d0 to d4 (negative kept unless `clampAtZero`). Returns the value the field keeps.
int SetLadderField(FinalsLadder& ladder, LadderField field, int typed, int participantsLimit,
                   bool clampAtZero = false);
int LadderFieldValue(const FinalsLadder& ladder, LadderField field);
// The most a field takes: 3, 2 or 4 digits and the field's own limit.
int LadderFieldLimit(const FinalsLadder& ladder, LadderField field, int participantsLimit);

// "Generate" only for a ladder whose direct counts are all >= 0 and that holds its drivers.
bool GenerateAllowed(const FinalsLadder& ladder);
// Once a finals result is stored, what changes the structure is locked.
bool LadderStructureLocked(int finalsState);
// What is stored: a duration of 0 becomes 1.
FinalsLadder LadderToStore(const FinalsLadder& ladder);
// "Generate": the ladder as stored and the header giving the category's finals runs, in one
// change of the event file.
FileOutcome SaveFinalsArrangement(int category, const EventHeader& header,
                                  const FinalsLadder& ladder, Messages& messages, Disk& disk);

// The finals options: choosing the staggered start forces the drivers to finish their lap and
// takes the sound-signal end away; the other starts give it back.
void ChooseFinalsStart(FinalsOptions& options, StartMode start);
bool SignalEndAllowed(const FinalsOptions& options);
// At most 4 digits and 3600.
int ClampCountdown(int typed);

// "Planning of qualification": heats per round = P / H rounded up, runs = R x heats, each run
// counted with its delay.
struct QualifPlanning {
    Text<54> category;
    std::int32_t participants = 0;
    std::int32_t perHeat = 0;
    std::int32_t rounds = 0;
    std::int32_t runMinutes = 0;
    std::int32_t delayMinutes = 0;
};
enum class PlanningField { Participants, PerHeat, Rounds, RunMinutes, DelayMinutes };
// Cut to the field's limit (200, 20, 9, 120, 99); returns the value kept.
int SetPlanningField(QualifPlanning& planning, PlanningField field, int typed);
struct PlanningResult {
    int runs = 0;
    int minutes = 0;
    friend bool operator==(const PlanningResult&, const PlanningResult&) = default;
};
PlanningResult PlanQualification(const QualifPlanning& planning);

// "Planning of finals": the arrangement's fields with a free category name; the participants go
// up to 200 and the direct counts are shown as 0 when negative.
struct FinalsPlanning {
    Text<54> category;
    FinalsLadder ladder;
};
inline constexpr int kPlanningParticipantsLimit = 200;

}  // namespace velkaro
