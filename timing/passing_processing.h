#pragma once

#include <cstdint>
#include <functional>

#include "common/circuits.h"
#include "common/run_car.h"
#include "common/run_options.h"
#include "platform/clock.h"
#include "platform/sound_player.h"
#include "timing/passing.h"

namespace velkaro {

// The run in the race panel: its cars and the live order built from them.
struct RunTables {
    RunCars cars;
    RunStandings standings;
    LiveRows rows;
    std::int32_t runBestLap = kRunBestLapStart;
    std::int32_t carsInUse = 0;  // what InitStandings counted
};

// Where a counted lap reaches beyond the classification, called in this order once the live
// order is rebuilt. The car's flags (newBestLap, finished) are still those of this lap.
struct RunHooks {
    // The run control's automatic stops (passing limit, laps done at the signal). Stopping the
    // run from here finishes every car, so the rest of the read is ignored.
    std::function<void(int slot)> automaticStops;
    // The announcements of a counted lap (best lap, lap beep, car finished).
    std::function<void(int slot)> passingSounds;
    std::function<void()> repaint;
    // Every passing once dealt with, for a log: once per car that took it, counted or not, or
    // once with slot -1 when no unfinished car has its transponder.
    std::function<void(const Passing&, int slot, bool counted)> passingTaken;
};

// Everything a passing works on. Tables, options, clock and time base must be set; circuit is
// null when the event has none.
struct RunContext {
    RunTables* tables = nullptr;
    const RunOptions* options = nullptr;
    CircuitRecord* circuit = nullptr;
    Clock* clock = nullptr;  // manual laps are dated by its counter, as MK1 passings are
    const RunTimeBase* timeBase = nullptr;
    SoundPlayer* sounds = nullptr;
    bool lapBeep = false;  // "SONPASSAGEoui": a detection that came too soon buzzes
    RunHooks hooks;
};

// Prepares the 20 cars for a run, keeping drivers and transponders. Empty slots ("(NA)") get
// the no-time mark and count as finished and seen.
void ResetRunCars(RunCars& cars);
// Zeroes every field, drivers and transponders included.
void ClearRunCars(RunCars& cars);

// A decoder passing in the running state: every unfinished car with that transponder takes it,
// counted when it comes after the minimum lap time (or is the car's first).
void HandlePassing(RunContext& run, const Passing& passing);
// A car button in the running state: a lap dated now, counted without the minimum lap time.
// False when the slot is out of range or the car has finished.
bool ManualLap(RunContext& run, int slot);

// Counts the passing stored in the car: with a staggered start the car's first crossing only
// starts its clock. False, and nothing written, when the car's histories are full.
bool RecordLap(RunCars& cars, int slot, StartMode startMode);
void UpdateRunBestLap(std::int32_t& runBestLap, RunCars& cars, int slot);
// True when the car's best lap became the circuit's record.
bool UpdateTrackRecord(CircuitRecord& circuit, const RunCars& cars, int slot);
// Decides whether the car that just passed has finished its run.
void ApplyFinishRules(RunCars& cars, int slot, const RunOptions& options);

}  // namespace velkaro
