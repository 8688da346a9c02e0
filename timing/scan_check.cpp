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

void Repaint(RunEngine& e) {
    ++e.repaints;
}

// The scan proper begins once its signal has been heard (ScanSignalStep).
void BeginScan(RunEngine& e) {
    e.phase = RunPhase::ScanSignal;
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
    e.sound->PlayWatched(kScanSignalSound);
}

void ScanHeard(RunEngine& e) {
    e.phase = RunPhase::Scanning;
    e.scanStatus = kScanInProgress;
    e.seenCount = CountSeen(e.tables.cars);
    RefreshPanel(e);
}

// Cars with a transponder of their own: the check begins once its signal has been heard.
void BeginCheck(RunEngine& e) {
    e.phase = RunPhase::CheckSignal;  // the run is no longer fresh
    e.scanStatus = kCheckInProgress;
    RefreshPanel(e);
    e.sound->PlayWatched(kScanSignalSound);
}

// The run's clock texts and its order start afresh.
void CheckHeard(RunEngine& e) {
    e.phase = RunPhase::Checking;
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
    e.phase = RunPhase::Over;
    DiscardDecoderInput(*e.link);
    e.scanStatus = kCheckCompleted;
    RefreshPanel(e);
    Repaint(e);
    e.sound->PlayAsync(CrossedInCarOrder(e.tables) ? kScanSignalSound : kOrderWrongSound);
}

// Transponders given stay given; a run the check had begun on is no longer fresh.
void CancelScan(RunEngine& e) {
    bool checking = e.phase == RunPhase::CheckSignal || e.phase == RunPhase::Checking;
    e.phase = checking ? RunPhase::Over : RunPhase::Armed;
    e.scanStatus = kScanOff;
    RefreshPanel(e);
    Repaint(e);
    e.sound->PlayAsync(kScanSignalSound);
}

}  // namespace

void ScanToggle(RunEngine& e, bool checked) {
    if (checked && e.phase == RunPhase::Armed) {
        BeginScan(e);
    } else if (!checked && ScanOn(e.phase)) {
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

void ScanSignalStep(RunEngine& e) {
    if (!e.sound->Heard()) return;
    if (e.phase == RunPhase::ScanSignal) ScanHeard(e);
    if (e.phase == RunPhase::CheckSignal) CheckHeard(e);
}

void CheckStep(RunEngine& e) {
    PollDecoder(*e.link, [&e](const Passing& p) { CountCheckPassing(e, p); });
    e.seenCount = CountSeen(e.tables.cars);
    if (e.seenCount == kCarSlots) EndCheck(e);
}

}  // namespace velkaro
