#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "event/event_model.h"
#include "event/sections.h"
#include "finals/arrangement.h"
#include "platform/disk.h"
#include "platform/messages.h"
#include "timing/run_control.h"
#include "timing/run_loading.h"

// A finals run selected in the event tree becomes the race panel's run, filled by the ladder,
// and goes back into the event once it has been run.

namespace velkaro {

// The tree node of a finals run: 4100 the Final, 4100 + 2i - 1 and 4100 + 2i the 1/2^i runs.
int FinalsRunNode(int category, int level, char letter);
// The run a node stands for; false for any other node.
bool FinalsRunOfNode(int code, int& category, int& level, char& letter);

// The field of a finals run as the ladder places it from what the event file holds: the stored
// overall ranking, the ladder, and the ordered results of the source runs. `overall` says how
// reading the ranking went (NoSection: the ranking was never validated).
struct FinalsField {
    FileOutcome overall = FileOutcome::Unavailable;
    LevelValues levels;
    RunNames names{};
};
FinalsField PlaceStoredFinalsRun(int category, const CategoryRecord& record, int level, char letter,
                                 Disk& disk);

// A level's places as the ladder fills its A and B runs (only the run `only` when not 0; the
// Final has no B run), and the lanes the director stored.
struct LevelPlaces {
    FileOutcome overall = FileOutcome::Unavailable;
    LevelValues levels;
    RunNames a{}, b{};
    FinalsGrids grids;
    LevelLanes lanes{};  // the level's own, as stored
};
LevelPlaces PlaceStoredLevel(int category, const CategoryRecord& record, int level, char only,
                             Disk& disk);

// Why the lanes of a finals run can no longer change, empty when they can: its result is
// stored, or it is the panel's run (when one is given) and is being run or holds passings.
std::string LanesLockedReason(const RunEngine* panel, int category, int level, char letter,
                              Disk& disk);
inline constexpr std::string_view kSwapLanesTitle = "Swap lanes";

// Exchanges two lanes of a level's runs and stores the level's lanes in one change of the event
// file. Refused, with its reason told and nothing written, when either run's lanes are locked.
enum class LaneSwap { Swapped, Refused, Unwritten };
LaneSwap SwapFinalsLanes(const RunEngine& engine, int category, int level, char letterA, int laneA,
                         char letterB, int laneB, Messages& messages, Disk& disk);

// The radio conflicts of the category's finals runs not yet run, "1/4A: Evans / King on 40.665";
// a run already run can no longer change.
std::vector<std::string> FinalsConflictLines(int category, const CategoryRecord& record,
                                             const Participants& participants, Disk& disk);

// Loads the run of `level` (0 the Final) and `letter` of category c: its drivers placed by the
// ladder and matched to their transponders, the finals options, the level's duration and delay,
// and the stored result when there is one. A run whose result fed a recorded run above it is
// shown, not run again. False, with nothing loaded, when the event file or its participants
// cannot be read, or while a run or scan is on.
bool LoadFinalsRun(RunEngine& engine, int category, int level, char letter,
                   const EventForRun& event, Disk& disk);

// A finals run with a timed car, not being run, whose status still lets it be recorded.
bool FinalsRunToRecord(const RunEngine& engine);

// Stores the run (status 1) and marks the runs it was filled from (status 2), sets the
// category's finals state to 2 in the header and the run as run in the flags, in one change of
// the event file. False when there was nothing to store or the write failed (reported); the run
// then waits for another try.
bool RecordLoadedFinalsRun(RunEngine& engine, EventModel& model, Messages& messages, Disk& disk);
// The run that has just ended, heat or finals run, recorded there and then (from the tick, so
// nothing opens a box): true when it was written. What could not be is held in the panel and
// told as a notice, to be written at the next chance.
bool RecordEndedRun(RunEngine& engine, EventModel& model, Disk& disk);

// The same change for a run FinalsRunToRecord accepts, the failure left to the caller to tell.
FileOutcome StoreLoadedFinalsRun(RunEngine& engine, EventModel& model, Messages& messages,
                                 Disk& disk);

}  // namespace velkaro
