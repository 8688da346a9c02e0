#include "timing/passing_processing.h"

#include "common/time_format.h"
#include "common/transponder.h"
#include "timing/classification.h"

namespace velkaro {
namespace {

constexpr std::string_view kBuzz = "sons/buzz.wav";
constexpr std::int32_t kBuzzQuietMs = 1000;     // at most one buzz a second per car
constexpr std::int32_t kBuzzShortestMs = 2000;  // a doubled detection is not worth a buzz

bool Used(const RunCar& car) {
    return !(car.driverName == kEmptySlotName);
}

// Dates the passing in the car and decides the lap it would close.
void StorePassing(RunCar& car, std::int64_t time, std::int64_t counter) {
    car.perfCounterAtPassing = counter;
    car.passingTime = time;
    car.currentLapTime = static_cast<std::int32_t>(time - car.startReference - car.totalTime);
    car.sinceLastBuzz = static_cast<std::int32_t>(time - car.startReference - car.lastBuzzTime);
}

void CountLap(RunContext& run, int slot) {
    RunTables& t = *run.tables;
    const RunOptions& o = *run.options;
    if (!RecordLap(t.cars, slot, o.startMode.Value())) {
        t.cars[slot].finished = 1;  // histories full: the car can record nothing more
        return;
    }
    UpdateRunBestLap(t.runBestLap, t.cars, slot);
    if (run.circuit) UpdateTrackRecord(*run.circuit, t.cars, slot);
    ApplyFinishRules(t.cars, slot, o);
    if (o.classification == Classification::ByLapsAndTime) {
        SortByLapsAndTime(t.cars, t.standings, t.carsInUse);
        GapsLapsAndTime(t.standings, t.carsInUse);
    } else if (o.classification == Classification::ByBestLap) {
        SortByBestLap(t.cars, t.standings, t.carsInUse);
        GapsBestLap(t.standings, t.carsInUse);
    }
    SplitStandingTimes(t.standings, t.carsInUse);
    BuildLiveRows(t.standings, t.rows, o.classification.Value(), t.carsInUse);
    if (run.hooks.automaticStops) run.hooks.automaticStops(slot);
    if (run.hooks.passingSounds) run.hooks.passingSounds(slot);
    if (run.hooks.repaint) run.hooks.repaint();
    t.cars[slot].newPassing = 0;
}

}  // namespace

void ResetRunCars(RunCars& cars) {
    for (int slot = 0; slot < kCarSlots; ++slot) {
        RunCar& car = cars[slot];
        RunCar fresh;
        fresh.driverName = car.driverName;
        fresh.transponder = car.transponder;
        fresh.carNumber = slot + 1;
        if (!Used(car)) {
            fresh.totalTime = fresh.bestLap = fresh.bestLapFromTimes = kNoTime;
            fresh.raceTimes.fill(kNoTime);
            fresh.finished = fresh.checkSeen = 1;
        }
        car = fresh;
    }
}

void ClearRunCars(RunCars& cars) {
    cars.fill(RunCar{});
}

void HandlePassing(RunContext& run, const Passing& passing) {
    RunTables& t = *run.tables;
    std::int32_t minimumLap = run.options->minimumLapSeconds * 1000;
    const auto& taken = run.hooks.passingTaken;
    bool anyCar = false;
    // Every car is looked at: a transponder given to two cars counts for both.
    for (int slot = 0; slot < kCarSlots; ++slot) {
        RunCar& car = t.cars[slot];
        if (car.finished != 0) continue;
        if (!SameTransponder(car.transponder.View(), passing.transponder.View())) continue;
        anyCar = true;
        StorePassing(car, passing.timeMs, passing.counter);
        bool first = car.passingCount == 0 && car.startReference == 0;
        if (car.currentLapTime > minimumLap || first) {
            CountLap(run, slot);
            if (taken) taken(passing, slot, true);
            continue;
        }
        if (taken) taken(passing, slot, false);
        if (run.lapBeep && car.sinceLastBuzz > kBuzzQuietMs &&
            car.currentLapTime > kBuzzShortestMs) {
            if (run.sounds) run.sounds->PlayAsync(kBuzz);
            car.lastBuzzTime = static_cast<std::int32_t>(passing.timeMs - car.startReference);
        }
    }
    if (!anyCar && taken) taken(passing, -1, false);
}

bool ManualLap(RunContext& run, int slot) {
    if (slot < 0 || slot >= kCarSlots) return false;
    RunCar& car = run.tables->cars[slot];
    if (car.finished != 0) return false;
    const RunTimeBase& base = *run.timeBase;
    std::int64_t counter = run.clock->Counter();
    std::int64_t time = (counter - base.perfStart) * 1000 / base.perfFrequency - base.runTimeOffset;
    StorePassing(car, time, counter);
    CountLap(run, slot);
    return true;
}

bool RecordLap(RunCars& cars, int slot, StartMode startMode) {
    RunCar& car = cars[slot];
    if (car.passingCount < 0 || car.passingCount >= kMaxPassings) return false;
    bool staggered = startMode == StartMode::Staggered;
    int n = ++car.passingCount;
    ++car.laps;
    if (staggered && car.startReference == 0) {
        // The car's own start: its clock runs from here.
        --car.passingCount;
        --car.laps;
        car.startReference = static_cast<std::int32_t>(car.passingTime);
        n = car.passingCount;
    }
    car.totalTime = static_cast<std::int32_t>(car.passingTime - car.startReference);
    car.raceTimes[n] = car.totalTime;
    car.lapTimes[n] = car.currentLapTime;
    car.newPassing = 1;

    // From a grid the first passing ends a partial lap, which is no best lap.
    int firstTimedLap = staggered ? 1 : 2;
    car.newBestLap = 0;
    if (n == firstTimedLap) {
        car.bestLap = car.currentLapTime;
    } else if (n > firstTimedLap && car.currentLapTime < car.bestLap) {
        car.bestLap = car.currentLapTime;
        car.newBestLap = 1;
    }
    return true;
}

void UpdateRunBestLap(std::int32_t& runBestLap, RunCars& cars, int slot) {
    RunCar& car = cars[slot];
    if (car.bestLap == 0 || car.bestLap >= runBestLap) return;
    for (RunCar& other : cars) other.holdsRunBest = 0;
    runBestLap = car.bestLap;
    car.holdsRunBest = 1;
}

bool UpdateTrackRecord(CircuitRecord& circuit, const RunCars& cars, int slot) {
    const RunCar& car = cars[slot];
    if (car.bestLap == 0) return false;
    if (circuit.recordLapTime != 0 && circuit.recordLapTime <= car.bestLap) return false;
    circuit.recordLapTime = car.bestLap;
    circuit.recordHolder = car.driverName;
    TimeSplit t = SplitTime(car.bestLap);
    circuit.recordHours = t.h;
    circuit.recordMinutes = t.m;
    circuit.recordSeconds = t.s;
    circuit.recordMilliseconds = t.ms;
    FormatLapTime(circuit.recordLapText, t);
    return true;
}

void ApplyFinishRules(RunCars& cars, int slot, const RunOptions& options) {
    RunCar& car = cars[slot];
    if (options.durationKind == DurationKind::ByTime) {
        if (options.timeEnd == TimeEnd::FinishLap &&
            car.totalTime >= options.durationTotalMinutes * 60000) {
            car.finished = 1;
        }
    } else if (options.durationKind == DurationKind::ByLaps) {
        bool finishLap = options.lapsEnd == LapsEnd::FinishLap;
        if ((finishLap || options.lapsEnd == LapsEnd::AllLaps) &&
            car.passingCount == options.laps) {
            car.finished = 1;
        }
        if (finishLap) {
            // The first car to complete the laps ends the run for all at their next passing.
            for (const RunCar& other : cars) {
                if (Used(other) && other.finished != 0) car.finished = 1;
            }
        }
    }
    // The histories hold kMaxPassings laps: a car that fills them has finished, whatever the
    // run's rules would let it do.
    if (car.passingCount >= kMaxPassings) car.finished = 1;
}

}  // namespace velkaro
