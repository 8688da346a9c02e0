#include "timing/run_control.h"

#include <algorithm>

#include "common/time_format.h"
#include "common/transponder.h"
#include "databases/circuits_file.h"
#include "event/run_results_files.h"
#include "timing/classification.h"
#include "timing/scan_check.h"

namespace velkaro {

namespace {

constexpr std::string_view kFreshTotalTime = "00:00.000";

bool LapKind(const RunOptions& o) {
    return o.durationKind == DurationKind::ByLaps;
}

bool Used(const RunCar& car) {
    return !(car.driverName == kEmptySlotName);
}

int RowsInUse(const RunTables& t) {
    return std::clamp(t.carsInUse, 0, kCarSlots);
}

void Repaint(RunEngine& e) {
    ++e.repaints;
}

// The lap just counted for this car ends the run there and then.
bool StopsTheRun(const RunOptions& o, const RunCar& car) {
    if (!LapKind(o)) return car.passingCount >= o.passingLimit;
    return o.lapsEnd == LapsEnd::AtSignal && car.passingCount >= o.laps;
}

CircuitRecord* EventCircuit(RunEngine& e) {
    int index = e.options.circuitIndex;
    if (index < 0 || index >= kCircuitRecords) return nullptr;
    return &e.circuits[static_cast<std::size_t>(index)];
}

// The passing processing of this run, with the run's own stops and sounds after each lap.
RunContext MakeContext(RunEngine& e) {
    RunContext run;
    run.tables = &e.tables;
    run.options = &e.options;
    run.circuit = EventCircuit(e);
    run.clock = e.clockSource;
    run.timeBase = &e.link->timeBase;
    run.sounds = e.sound;
    run.lapBeep = e.soundSettings.passing == kPassingOn;
    RunEngine* engine = &e;
    run.hooks.automaticStops = [engine](int slot) {
        if (engine->phase == RunPhase::Running &&
            StopsTheRun(engine->options, engine->tables.cars[slot])) {
            StopCommand(*engine);
        }
    };
    run.hooks.passingSounds = [engine](int slot) {
        const RunCar& car = engine->tables.cars[slot];
        AnnounceCountedLap(engine->soundSettings, car, StopsTheRun(engine->options, car),
                           *engine->sound);
    };
    run.hooks.repaint = [engine] { Repaint(*engine); };
    run.hooks.passingTaken = e.passingLog;
    return run;
}

void FormatDuration(RunEngine& e) {
    if (LapKind(e.options)) {
        Format(e.clock.duration, "%d laps", e.options.laps);
    } else {
        Format(e.clock.duration, "%d:%02d:00", e.options.durationHours, e.options.durationMinutes);
    }
}

void FormatRaceClock(RunEngine& e) {
    const RaceClock& c = e.raceClock;
    FormatDuration(e);
    Format(e.clock.elapsed, "%d:%02d:%02d", c.elapsedHours, c.elapsedMinutes, c.elapsedSeconds);
    if (LapKind(e.options)) {
        e.clock.remaining.Clear();
    } else {
        Format(e.clock.remaining, "%d:%02d:%02d", c.remainingHours, c.remainingMinutes,
               c.remainingSeconds);
    }
}

const char* StartWord(const RunOptions& o) {
    if (o.startMode == StartMode::AtSignal) return "STARTSoundSignal";
    if (o.startMode == StartMode::Staggered) return "STARTStaggered";
    if (o.startMode == StartMode::FirstCar) return "START1stCar";
    return "";
}

const char* EndWord(const RunOptions& o) {
    if (LapKind(o)) {
        if (o.lapsEnd == LapsEnd::AtSignal) return "ENDSoundSignal";
        if (o.lapsEnd == LapsEnd::FinishLap) return "ENDCompleteCurrentLap";
        if (o.lapsEnd == LapsEnd::AllLaps) return "ENDCompleteAllLaps";
        return "";
    }
    if (o.timeEnd == TimeEnd::AtSignal) return "ENDSoundSignal";
    if (o.timeEnd == TimeEnd::FinishLap) return "ENDCompleteCurrentLap";
    return "";
}

void BuildRunDescription(RunEngine& e) {
    LocalDateTime t = e.clockSource->Now();
    Format(e.trailer.description, "Duration %s - %s - %s - Start %02u/%02u/%04u %u:%02u",
           e.clock.duration.CStr(), StartWord(e.options), EndWord(e.options),
           static_cast<unsigned>(t.day), static_cast<unsigned>(t.month),
           static_cast<unsigned>(t.year), static_cast<unsigned>(t.hour),
           static_cast<unsigned>(t.minute));
}

// The race clock starts. A first-car start keeps the counter and offset its first car set.
void Go(RunEngine& e, std::uint32_t now, bool retakeCounter) {
    RunTimeBase& base = e.link->timeBase;
    base.runStartTick = now;
    if (retakeCounter) {
        base.perfFrequency = e.clockSource->Frequency();
        base.perfStart = e.clockSource->Counter();
        base.runTimeOffset = 0;
    }
    e.phase = RunPhase::Running;
    e.lastClockUpdate = now;
    e.raceClock = RaceClock{};
    e.raceClock.remainingSeconds = 1;
    const RunOptions& o = e.options;
    e.raceLimitMs = LapKind(o) ? o.safetyHours * 3600000LL
                               : (o.durationHours * 60LL + o.durationMinutes) * 60000LL;
    for (int i = 0; i < RowsInUse(e.tables); ++i) e.tables.rows[i].totalTime = kFreshTotalTime;
    Repaint(e);
}

// A passing of the running run: counted for its cars, or kept as an unknown chip's.
void TakePassing(RunEngine& e, RunContext& run, const Passing& p) {
    HandlePassing(run, p);
    NoteUnknownPassing(e.unknownChips, e.tables.cars, p);
}

void StartWithFirstCar(RunEngine& e, int slot, std::int64_t crossingMs, std::uint32_t now) {
    AnnounceStartSignal(e.soundSettings, *e.sound);
    e.link->timeBase.runTimeOffset = crossingMs;
    e.tables.cars[slot].passingTime = 0;  // the crossing itself is no lap
    Go(e, now, false);
}

int SlotWithTransponder(const RunCars& cars, const Text<7>& transponder) {
    for (int slot = 0; slot < kCarSlots; ++slot) {
        const RunCar& car = cars[slot];
        if (Used(car) && SameTransponder(car.transponder.View(), transponder.View())) return slot;
    }
    return -1;
}

void WaitForFirstCar(RunEngine& e, std::uint32_t now) {
    // The whole read is decoded before the first car moves the time offset, so that every
    // passing of the read is measured from the same zero.
    std::array<Passing, kMaxRead / kMk1PassingSize> read;
    int count = 0;
    PollDecoder(*e.link, [&read, &count](const Passing& p) {
        if (count < static_cast<int>(read.size())) read[static_cast<std::size_t>(count++)] = p;
    });
    RunContext run = MakeContext(e);
    for (int i = 0; i < count; ++i) {
        Passing p = read[static_cast<std::size_t>(i)];
        if (e.phase == RunPhase::FirstCar) {
            int slot = SlotWithTransponder(e.tables.cars, p.transponder);
            if (slot >= 0) StartWithFirstCar(e, slot, p.timeMs, now);
            continue;
        }
        if (e.phase != RunPhase::Running) break;
        p.timeMs -= e.link->timeBase.runTimeOffset;
        TakePassing(e, run, p);
    }
}

void PreStartStep(RunEngine& e, std::uint32_t now) {
    if (e.phase == RunPhase::Countdown && e.countdownRemaining > 0) {
        RaceClock c = ReadClock(e.countdownStartTick, now, e.options.countdownSeconds * 1000LL);
        e.countdownRemaining =
            c.remainingHours * 3600 + c.remainingMinutes * 60 + c.remainingSeconds;
        if (DisplayDue(c.elapsedMilliseconds, now, e.lastCountdownUpdate)) {
            Format(e.clock.countdown, "%ds", e.countdownRemaining);
            Repaint(e);
        }
        AnnounceCountdown(e.soundSettings, e.countdownRemaining, e.announced, *e.sound);
        DiscardDecoderInput(*e.link);  // nothing counts before the start
    }
    if (e.countdownRemaining > 0) return;

    // An MK2 that does not answer holds the run at zero; the next tick asks again.
    bool zeroed = e.phase != RunPhase::Countdown;
    if (!zeroed && SyncDecoderClock(*e.link)) {
        zeroed = true;
        e.link->timeBase.runTimeOffset = 0;
        if (e.options.startMode == StartMode::FirstCar) e.phase = RunPhase::FirstCar;
    }
    BuildRunDescription(e);
    if (!zeroed) return;
    if (e.phase == RunPhase::FirstCar) {
        WaitForFirstCar(e, now);
        return;
    }
    AnnounceStartSignal(e.soundSettings, *e.sound);
    Go(e, now, true);
}

bool AllFinished(const RunCars& cars) {
    return std::all_of(cars.begin(), cars.end(), [](const RunCar& c) { return c.finished != 0; });
}

void RunningStep(RunEngine& e, std::uint32_t now) {
    if (e.raceClock.Counting()) {
        e.raceClock = ReadClock(e.link->timeBase.runStartTick, now, e.raceLimitMs);
        // The clock stops at zero: that last change is shown whenever it comes.
        if (DisplayDue(e.raceClock.elapsedMilliseconds, now, e.lastClockUpdate) ||
            e.raceClock.AtZero()) {
            FormatRaceClock(e);
            Repaint(e);
        }
        if (e.raceClock.AtZero() && e.timeUpSignalled == 0 &&
            !(e.options.startMode == StartMode::Staggered)) {
            e.sound->PlayAsync(kTimeUpSound);
            e.timeUpSignalled = 1;
        }
    }
    AnnounceRaceClock(e.soundSettings, e.raceClock, e.options.durationHours,
                      e.options.durationMinutes, e.announced, *e.sound);

    RunContext run = MakeContext(e);
    PollDecoder(*e.link, [&e, &run](const Passing& p) {
        if (e.phase == RunPhase::Running) TakePassing(e, run, p);
    });
    if (e.phase != RunPhase::Running) return;

    bool atZero = e.raceClock.AtZero();
    if (atZero && (LapKind(e.options) || e.options.timeEnd == TimeEnd::AtSignal)) {
        StopCommand(e);
    } else if (AllFinished(e.tables.cars)) {
        StopCommand(e);
    }
}

// The passings of an MK2 that restarted are on the run's clock already; the director is told, as
// the decoder may have lost power and may do it again.
void NoticeDecoderRestart(RunEngine& e, std::uint32_t now) {
    const RunTimeBase& base = e.link->timeBase;
    if (base.decoderRestarts == e.decoderRestartsSeen) return;
    e.decoderRestartsSeen = base.decoderRestarts;
    if (e.phase != RunPhase::Running) return;
    TimeText at;
    FormatRaceTime(at, SplitTime(static_cast<std::int32_t>(
                           static_cast<std::uint32_t>(now - base.runStartTick) & 0x7FFFFFFFu)));
    Text<256> text;
    Format(text,
           "The decoder's clock went back at %s (it restarted): its passings are timed on the "
           "program's clock from there on.",
           at.CStr());
    PostNotice(e.notices, now, text.View());
}

void DelayStep(RunEngine& e, std::uint32_t now) {
    std::int64_t elapsed = static_cast<std::uint32_t>(now - e.delayStartTick);
    if (!DisplayDue(static_cast<std::int32_t>(elapsed % 1000), now, e.lastDelayUpdate)) return;
    std::int64_t limit = e.delayMinutes * 60000LL;
    std::int64_t remaining = limit + 1000 - elapsed;
    Format(e.clock.delayMinutes, "%d:00", e.delayMinutes);
    if (remaining > 0) {
        int m = static_cast<int>(remaining / 60000);
        int s = static_cast<int>(remaining % 60000 / 1000);
        Format(e.clock.delay, "%d:%02d before start", m, s);
        e.clock.delayOverrun = false;
        if (m == 0 && s == 0 && e.delayZeroSignalled == 0) {
            e.sound->PlayAsync(kDelayOverSound);
            e.delayZeroSignalled = 1;
        }
    } else {
        // Shown as the time gone since the delay ran out, not as a negative remainder.
        std::int64_t over = elapsed - limit;
        Format(e.clock.delay, "%d:%02d delay elapsed", static_cast<int>(over / 60000),
               static_cast<int>(over % 60000 / 1000));
        e.clock.delayOverrun = true;
    }
    Repaint(e);
}

}  // namespace

std::string_view PhaseName(RunPhase phase) {
    switch (phase) {
        case RunPhase::NoRun:
            return "no run";
        case RunPhase::Armed:
            return "armed";
        case RunPhase::GetReady:
            return "get ready";
        case RunPhase::Countdown:
            return "countdown";
        case RunPhase::FirstCar:
            return "first car";
        case RunPhase::Running:
            return "running";
        case RunPhase::Over:
            return "over";
        case RunPhase::ScanSignal:
            return "scan signal";
        case RunPhase::Scanning:
            return "scanning";
        case RunPhase::CheckSignal:
            return "check signal";
        case RunPhase::Checking:
            return "checking";
    }
    return "?";
}

bool IsEnabled(const PanelEnables& panel, CommandId id) {
    for (const CommandEnabled& c : panel.commands) {
        if (c.id == id) return c.enabled;
    }
    return true;
}

bool IsEnabled(const PanelEnables& panel, int id) {
    for (const IdEnabled& c : panel.controls) {
        if (c.id == id) return c.enabled;
    }
    if (id >= kFirstCarButton && id < kFirstCarButton + kCarSlots) {
        return panel.carButtons[static_cast<std::size_t>(id - kFirstCarButton)];
    }
    return true;
}

void OnTimerTick(RunEngine& e) {
    DecoderLink& link = *e.link;
    if (e.phase == RunPhase::Running) {
        // Passings the decoder kept while its link was down arrive with their own times.
        RunContext run = MakeContext(e);
        SuperviseLink(link, e.notices, true, [&e, &run](const Passing& p) {
            if (e.phase == RunPhase::Running) TakePassing(e, run, p);
        });
    } else {
        SuperviseLink(link, e.notices, false, PassingSink{});
    }

    std::uint32_t now = e.clockSource->TickMs();
    if (e.delayActive != 0) DelayStep(e, now);
    switch (e.phase) {
        case RunPhase::Countdown:
        case RunPhase::FirstCar:
            PreStartStep(e, now);
            break;
        case RunPhase::Running:
            RunningStep(e, now);
            break;
        case RunPhase::Scanning:
            ScanStep(e);
            break;
        case RunPhase::Checking:
            CheckStep(e);
            break;
        case RunPhase::ScanSignal:
        case RunPhase::CheckSignal:
            // What crosses while the signal is heard is no car's.
            DiscardDecoderInput(link);
            ScanSignalStep(e);
            break;
        case RunPhase::NoRun:
        case RunPhase::Armed:
        case RunPhase::GetReady:
        case RunPhase::Over:
            if (!e.transpondersFormOpen) DiscardDecoderInput(link);
            break;
    }
    NoticeDecoderRestart(e, now);
    RefreshPanel(e);
}

void StartCommand(RunEngine& e) {
    if (e.phase != RunPhase::Armed) {
        RebuildLiveOrder(e.tables, e.options);
        Repaint(e);
        return;
    }
    e.delayActive = 0;
    e.clock.delayMinutes.Clear();
    e.clock.delay.Clear();
    e.clock.delayOverrun = false;
    Repaint(e);
    e.phase = RunPhase::GetReady;
    RefreshPanel(e);
    DiscardDecoderInput(*e.link);
    AnnounceStartPressed(e.soundSettings, e.options.countdownSeconds, *e.sound);

    std::uint32_t now = e.clockSource->TickMs();  // after the signal, which took its time
    e.countdownStartTick = now;
    e.lastCountdownUpdate = now - 1000;  // the full countdown shows at once
    e.phase = RunPhase::Countdown;
    e.countdownRemaining = 1;
    e.announced = AnnouncementFlags{};
    e.timeUpSignalled = 0;
    e.tables.runBestLap = kRunBestLapStart;
    ClearUnknownChips(e.unknownChips);
}

void StopCommand(RunEngine& e) {
    if (e.phase == RunPhase::NoRun) {
        Repaint(e);
        return;
    }
    // A countdown abandoned leaves the run armed.
    if (RunInProgress(e.phase) && e.phase != RunPhase::Running) e.phase = RunPhase::Armed;
    bool circuitsLost = false;
    const bool ended = e.phase == RunPhase::Running;
    if (ended) {
        e.phase = RunPhase::Over;
        AnnounceRunStopped(e.soundSettings, *e.sound);
        for (RunCar& car : e.tables.cars) car.finished = 1;
        for (RunStanding& s : e.tables.standings) s.finished = 1;
        for (LiveRow& row : e.tables.rows) row.finished = 1;
        if (e.options.delayMinutes > 0) StartDelayCountdown(e, e.options.delayMinutes);
        // Only a run on the event's circuit can have set a record worth keeping.
        circuitsLost = EventCircuit(e) != nullptr && !SaveCircuits(e.circuits, *e.disk);
    }
    if (e.phase != RunPhase::Armed) RebuildLiveOrder(e.tables, e.options);
    Repaint(e);
    RefreshPanel(e);
    if ((ended || e.resultHeld) && e.runEnded) e.runEnded(e);
    // The end rules stop the run from inside the tick: told without a box, like the link.
    if (circuitsLost) PostNotice(e.notices, e.clockSource->TickMs(), kCircuitsFileNotFound);
}

void ClearCommand(RunEngine& e) {
    if (e.phase != RunPhase::Armed && e.phase != RunPhase::Over) return;
    if (e.messages->Show("Velkaro", kClearQuestion, MessageButtons::YesNo, MessageIcon::Question) !=
        MessageAnswer::Yes) {
        return;
    }
    e.phase = RunPhase::Armed;
    e.holdsResults = 0;
    e.resultHeld = false;  // the director chose to erase it
    RunTables& t = e.tables;
    ResetRunCars(t.cars);
    t.carsInUse = InitStandings(t.standings, t.cars);
    InitLiveRows(t.rows, t.standings, t.carsInUse);
    e.trailer.comment.Clear();
    e.trailer.description = ".";
    ResetClockTexts(e);
    Repaint(e);
    RefreshPanel(e);
    WriteRunDetails(t.cars, e.options.classification.View(), *e.messages,
                    *e.disk);  // reports a failure
}

void StartDelayCountdown(RunEngine& e, int minutes) {
    std::uint32_t now = e.clockSource->TickMs();
    e.delayActive = 1;
    e.delayStartTick = now;
    e.delayMinutes = minutes;
    e.lastDelayUpdate = now - 1000;  // the whole delay shows at once
    e.delayZeroSignalled = 0;
    e.clock.delayOverrun = false;
}

bool CarButton(RunEngine& e, int slot) {
    if (slot < 0 || slot >= kCarSlots) return false;
    bool acted = false;
    if (e.phase == RunPhase::Running) {
        RunContext run = MakeContext(e);
        acted = ManualLap(run, slot);
    } else if (e.phase == RunPhase::FirstCar && Used(e.tables.cars[slot])) {
        const RunTimeBase& base = e.link->timeBase;
        std::int64_t counter = e.clockSource->Counter();
        e.tables.cars[slot].perfCounterAtPassing = counter;
        StartWithFirstCar(e, slot, (counter - base.perfStart) * 1000 / base.perfFrequency,
                          e.clockSource->TickMs());
        acted = true;
    }
    RefreshPanel(e);
    return acted;
}

bool AssignUnknownChipCommand(RunEngine& e, int index, int slot) {
    if ((RunInProgress(e.phase) && e.phase != RunPhase::Running) || ScanOn(e.phase)) return false;
    RunContext run = MakeContext(e);
    if (!AssignUnknownChip(run, e.unknownChips, index, slot)) return false;
    if (e.phase != RunPhase::Running) RebuildLiveOrder(e.tables, e.options);
    Repaint(e);
    RefreshPanel(e);
    return true;
}

Text<64> DecoderSilenceText(const RunEngine& e, std::uint32_t now) {
    if (e.phase != RunPhase::Running) return {};
    std::uint32_t last = e.link->state.lastByteTick, start = e.link->timeBase.runStartTick;
    auto sinceStart = static_cast<std::int32_t>(last - start);
    return DecoderSilentText(DecoderSilentMs(last, start, now), sinceStart < 0 ? -1 : sinceStart);
}

bool QuitRefused(const RunEngine& e) {
    return RunInProgress(e.phase) || ScanOn(e.phase);
}

void RebuildLiveOrder(RunTables& t, const RunOptions& o) {
    int count = RowsInUse(t);
    if (o.classification == Classification::ByLapsAndTime) {
        SortByLapsAndTime(t.cars, t.standings, count);
        GapsLapsAndTime(t.standings, count);
    } else if (o.classification == Classification::ByBestLap) {
        SortByBestLap(t.cars, t.standings, count);
        GapsBestLap(t.standings, count);
    }
    SplitStandingTimes(t.standings, count);
    BuildLiveRows(t.standings, t.rows, o.classification.Value(), count);
}

void ResetClockTexts(RunEngine& e) {
    e.raceClock = RaceClock{};
    FormatRaceClock(e);
    Format(e.clock.countdown, "%ds", e.options.countdownSeconds);
}

PanelEnables ComputePanelEnables(const RunEngine& e) {
    PanelEnables p;
    bool scanning = ScanOn(e.phase);
    bool free = !RunInProgress(e.phase) && !scanning;
    for (std::size_t i = 0; i < kRunLockedCommands.size(); ++i) {
        CommandId id = kRunLockedCommands[i];
        bool enabled = free || (id == CommandId::Stop && !scanning);
        if (id == CommandId::Save) enabled = enabled && e.saveAllowed;
        if (id == CommandId::ModifyRunResults) enabled = enabled && e.modifyResultsAllowed;
        // The scan is driven by its button, in the mode that shows it.
        if (scanning && id == CommandId::Scan) enabled = true;
        p.commands[i] = {id, enabled};
    }
    for (std::size_t i = 0; i < kRunLockedControls.size(); ++i) {
        int id = kRunLockedControls[i];
        p.controls[i] = {id, free || (scanning && id == kMixedScanRadio)};
    }
    p.carButtons = e.carButtons;
    p.eventTree = free;
    p.scanChecked = scanning;
    p.scanStatus = e.scanStatus;
    return p;
}

void RefreshPanel(RunEngine& e) {
    PanelEnables p = ComputePanelEnables(e);
    if (p == e.panel) return;
    e.panel = p;
    ++e.panelChanges;
}

}  // namespace velkaro
