#include "timing/scan_check.h"

#include <algorithm>

#include "common/transponder.h"
#include "timing/classification.h"

namespace velkaro {

namespace {

bool Used(const RunCar& car) {
    return !(car.driverName == kEmptySlotName);
}

int CountSeen(const RunCars& cars) {
    return static_cast<int>(
        std::count_if(cars.begin(), cars.end(), [](const RunCar& c) { return c.checkSeen != 0; }));
}

// Empty slots have nobody to wait for.
void MarkOnlyEmptySlotsSeen(RunCars& cars) {
    for (RunCar& car : cars) car.checkSeen = Used(car) ? 0 : 1;
}

// A signal heard to its end. The player keeps the program's timer ticking meanwhile; those
// ticks must not take the scan's next step before this one is over (they throw the decoder's
// bytes away instead).
void WaitForSignal(RunEngine& e) {
    ++e.scanWaiting;
    e.sound->PlayAndWait(kScanSignalSound);
    --e.scanWaiting;
}

void Repaint(RunEngine& e) {
    ++e.repaints;
}

// What crosses the line while the signal plays is thrown away by the ticks of the wait.
void BeginScan(RunEngine& e) {
    e.scanMode = 1;  // greys the panel; no step is taken before the signal has been heard
    e.scanPhase = 0;
    e.checkPhase = 0;
    RefreshPanel(e);
    DiscardDecoderInput(*e.link);
    RunTables& t = e.tables;
    MarkOnlyEmptySlotsSeen(t.cars);
    for (RunCar& car : t.cars) {
        if (Used(car)) car.transponder.Clear();
    }
    for (RunStanding& s : t.standings) s.transponder.Clear();
    for (LiveRow& row : t.rows) row.transponder.Clear();
    Repaint(e);
    WaitForSignal(e);
    e.scanPhase = 1;
    e.scanStatus = kScanInProgress;
    e.seenCount = CountSeen(t.cars);
    RefreshPanel(e);
}

// Cars with a transponder of their own: the run's clock texts and its order start afresh.
void BeginCheck(RunEngine& e) {
    e.armed = 0;
    e.fresh = 0;
    e.scanPhase = 0;
    e.checkPhase = 1;
    e.scanStatus = kCheckInProgress;
    RefreshPanel(e);
    WaitForSignal(e);
    e.checkFrequency = std::max<std::int64_t>(1, e.clockSource->Frequency());
    e.checkStart = e.clockSource->Counter();
    DiscardDecoderInput(*e.link);
    RunTables& t = e.tables;
    MarkOnlyEmptySlotsSeen(t.cars);
    e.seenCount = CountSeen(t.cars);
    for (int i = 0; i < std::clamp(t.carsInUse, 0, kCarSlots); ++i) {
        t.rows[i].totalTime = "00:00.000";
    }
    Repaint(e);
}

// The check's live order is by laps and time whatever the run is classified by.
void CheckOrder(RunTables& t) {
    int count = std::clamp(t.carsInUse, 0, kCarSlots);
    SortByLapsAndTime(t.cars, t.standings, count);
    GapsLapsAndTime(t.standings, count);
    SplitStandingTimes(t.standings, count);
    BuildLiveRows(t.standings, t.rows, Classification::ByLapsAndTime, count);
}

void CountCheckPassing(RunEngine& e, const Passing& p) {
    RunTables& t = e.tables;
    std::int64_t time = (p.counter - e.checkStart) * 1000 / e.checkFrequency;
    for (int slot = 0; slot < kCarSlots; ++slot) {
        RunCar& car = t.cars[slot];
        if (!Used(car) || !SameTransponder(car.transponder.View(), p.transponder.View())) continue;
        if (car.passingCount >= kMaxPassings) continue;
        std::int64_t lap = time - car.raceTimes[car.passingCount];
        if (lap <= kCheckShortestLapMs && car.passingCount != 0) continue;
        ++car.passingCount;
        ++car.laps;
        car.raceTimes[car.passingCount] = static_cast<std::int32_t>(time);
        car.totalTime = static_cast<std::int32_t>(time);
        car.lapTimes[car.passingCount] = static_cast<std::int32_t>(lap);
        car.newPassing = 1;
        car.checkSeen = 1;
        CheckOrder(t);
        e.sound->PlayAsync(kScanBeepSound);
        Repaint(e);
        car.newPassing = 0;
    }
}

// Cars numbered in the order they crossed, or at most one car.
bool CrossedInCarOrder(const RunTables& t) {
    int count = std::clamp(t.carsInUse, 0, kCarSlots);
    for (int i = 1; i < count; ++i) {
        if (t.standings[i].carNumber <= t.standings[i - 1].carNumber) return false;
    }
    return true;
}

void EndCheck(RunEngine& e) {
    e.scanMode = 0;
    e.checkPhase = 0;
    DiscardDecoderInput(*e.link);
    e.scanStatus = kCheckCompleted;
    RefreshPanel(e);
    Repaint(e);
    e.sound->PlayAsync(CrossedInCarOrder(e.tables) ? kScanSignalSound : kOrderWrongSound);
}

void CancelScan(RunEngine& e) {
    e.scanMode = e.scanPhase = e.checkPhase = 0;
    e.scanStatus = kScanOff;
    RefreshPanel(e);
    Repaint(e);
    WaitForSignal(e);
}

}  // namespace

void ScanToggle(RunEngine& e, bool checked) {
    bool idle = e.preStart == 0 && e.running == 0;
    if (checked && e.scanMode == 0 && idle && e.runLoaded != 0 && e.fresh != 0) {
        BeginScan(e);
    } else if (!checked && e.scanMode != 0 && e.scanWaiting == 0) {
        CancelScan(e);
    }
    // A refused click puts the button back as the scan is.
    ++e.panelChanges;
    RefreshPanel(e);
}

void ScanStep(RunEngine& e) {
    RunTables& t = e.tables;
    PollDecoder(*e.link, [&e, &t](const Passing& p) {
        for (int slot = 0; slot < kCarSlots; ++slot) {
            RunCar& car = t.cars[slot];
            if (car.checkSeen != 0) {
                // It stays with its car.
                if (SameTransponder(car.transponder.View(), p.transponder.View())) return;
                continue;
            }
            car.transponder = p.transponder.View();
            car.checkSeen = 1;
            for (int i = 0; i < kCarSlots; ++i) {
                if (t.standings[i].carNumber != slot + 1) continue;
                t.standings[i].transponder = car.transponder.View();
                t.rows[i].transponder = car.transponder.View();
            }
            e.sound->PlayAsync(kScanBeepSound);
            Repaint(e);
            return;
        }
    });
    e.seenCount = CountSeen(t.cars);
    if (e.seenCount == kCarSlots) BeginCheck(e);
}

void CheckStep(RunEngine& e) {
    PollDecoder(*e.link, [&e](const Passing& p) { CountCheckPassing(e, p); });
    e.seenCount = CountSeen(e.tables.cars);
    if (e.seenCount == kCarSlots) EndCheck(e);
}

}  // namespace velkaro
