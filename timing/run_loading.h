#pragma once

#include <cstdint>
#include <string_view>

#include "common/radio_conflicts.h"
#include "event/event_model.h"
#include "event/sections.h"
#include "platform/disk.h"
#include "platform/messages.h"
#include "timing/run_control.h"

// A heat selected in the event tree becomes the race panel's run, and goes back into the event
// once it has been run.

namespace velkaro {

// What the shell knows of the event that a run needs when it is loaded.
struct EventForRun {
    std::string_view categoryName;
    std::string_view eventName;    // from the track section
    std::string_view circuitName;  // likewise
    std::int32_t minimumLapSeconds = 2;
    std::int32_t circuitIndex = kNoCircuit;
    std::int32_t finalsState = 0;  // the category's: 2 once a final's result is recorded
    bool personalChips = true;     // transponder mode "Personal chips"
};

// A category's qualifying options as the run's.
void ApplyQualifOptions(RunOptions& options, const QualifOptions& qualif);

// Loads heat h of round r of category c into the race panel: drivers in grid order, the
// category's qualifying options, the stored result when there is one. Armed when the heat holds
// no result; view-only once the category's final is recorded. False, with nothing loaded, when
// the event file or its participants cannot be read, or while a run or scan is on.
bool LoadHeat(RunEngine& engine, int category, int round, int heat, const EventForRun& event,
              Disk& disk);

// The steps every run's loading shares (heats here, finals runs in finals/). The panel is
// emptied and marked loaded, armed and fresh; false, with nothing touched, while a run or scan
// is on.
bool BeginLoading(RunEngine& engine);

// A load that stops half-way leaves no run to drive: the message shown, false returned.
bool AbandonLoading(RunEngine& engine, std::string_view message);

// The cars as at the start, the standings and live rows rebuilt from them.
void ResetRun(RunTables& tables);

// The category and event lines of the panel's heading.
void SetEventHeaders(RunEngine& engine, const EventForRun& event);

// Once the stored result is read: transponders and radio check, live order, armed only when the
// run holds no result, view-only when `locked`, and the panel refreshed.
void FinishLoading(RunEngine& engine, const Participants& participants, const EventForRun& event,
                   bool locked);

// Every car takes the transponder of the participant of its name (the last one listed wins);
// a car without one keeps its own.
void AssignPersonalTransponders(RunCars& cars, const Participants& participants);

// 1 when two cars of the run share a first frequency, "2.4Ghz" and empty frequencies aside.
int CheckRadioConflict(const RunCars& cars, const Participants& participants);
// The drivers on lanes and the first frequency of each one's participant (the last listed).
RadioGrid RadioGridOf(const std::array<Text<40>, kCarSlots>& names,
                      const Participants& participants);
RadioGrid RadioGridOf(const RunCars& cars, const Participants& participants);

// Whether the run in the panel is one to store when its node is left or the event saved: a
// heat with a timed car, of a category whose final is not yet recorded, and not being run.
bool RunToRecord(const RunEngine& engine, const EventModel& model);

// Told to the user after why a run could not be recorded.
inline constexpr std::string_view kRunKept =
    "\nThe results of the run are kept: they are recorded at the next \"Save\" or when the "
    "heat is left again.";

// A write that records a run: false, the user told why, unless it was done; a run not written
// stays in the panel.
bool RunWritten(FileOutcome outcome, Messages& messages, const Disk& disk);

// Stores the run in its heat's section, marks the category's qualification as started in the
// header and the heat as run in the flags, in one change of the event file. False when there
// was nothing to store or the write failed (the failure was reported, and why); the run is then
// still to be recorded, and another call tries again.
bool RecordLoadedRun(RunEngine& engine, EventModel& model, Messages& messages, Disk& disk);
// The same change for a run RunToRecord accepts, the failure left to the caller to tell.
FileOutcome StoreLoadedRun(RunEngine& engine, EventModel& model, Messages& messages, Disk& disk);
// Commits a run's result, already put on `t`, with the flags and header that go with it; once
// done, the model takes them and the engine holds a recorded result.
FileOutcome CommitRunResult(Transaction& t, RunEngine& engine, EventModel& model,
                            const EventHeader& header, const RunDoneFlags& flags,
                            Messages& messages);

// What a write made inside the tick has to say, posted as a notice of the engine, never a box.
class NoticeMessages final : public Messages {
  public:
    explicit NoticeMessages(RunEngine& engine) : engine_(engine) {}
    MessageAnswer Show(std::string_view title, std::string_view text, MessageButtons buttons,
                       MessageIcon icon) override;

  private:
    RunEngine& engine_;
};

// A run that ended but could not be written is held in the panel, to be written at the next
// chance (the next Stop, leaving its node, "Save"); the notice says which and why.
void NoteRunHeld(RunEngine& engine, const Disk& disk);

// No run in the panel (after start-up, "New event" and "Load event"): empty slots, nothing armed,
// no title, clocks blank.
void UnloadRun(RunEngine& engine);

}  // namespace velkaro
