#pragma once

#include "event/event_model.h"
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
