#include "timing/run_loading.h"

#include <algorithm>
#include <memory>
#include <string>

#include "event/event_file.h"
#include "event/event_tree.h"
#include "timing/classification.h"

namespace velkaro {

namespace {

// The run options before the category's own are read.
RunOptions HeatDefaults(const EventForRun& event) {
    RunOptions o;
    o.minimumLapSeconds = event.minimumLapSeconds;
    o.circuitIndex = event.circuitIndex;
    return o;
}

}  // namespace

void ApplyQualifOptions(RunOptions& o, const QualifOptions& q) {
    o.classification = q.placing;
    o.durationKind = q.durationKind;
    o.durationTotalMinutes = q.runMinutes;
    o.durationHours = q.runMinutes / 60;
    o.durationMinutes = q.runMinutes % 60;
    o.laps = q.runLaps;
    o.countdownSeconds = q.countdownSeconds;
    o.delayMinutes = q.delayMinutes;
    o.startMode = q.start;
    o.startingOrder = q.startingOrder;
    o.timeEnd = q.endAtTime;
    o.lapsEnd = q.endAtLaps;
}

bool BeginLoading(RunEngine& e) {
    if (RunInProgress(e.phase) || ScanOn(e.phase)) return false;
    RunTables& t = e.tables;
    e.modifyResultsAllowed = true;
    e.resultHeld = false;
    e.phase = RunPhase::Armed;
    ClearRunCars(t.cars);
    ClearStandings(t.standings);
    t.rows.fill(LiveRow{});
    t.carsInUse = 0;
    e.runTitle.Clear();
    e.categoryHeader.Clear();
    e.runHeader.Clear();
    e.eventHeader.Clear();
    e.trailer = RunTrailer{};
    e.holdsResults = 0;
    e.radioConflict = 0;
    e.radioConflicts.clear();
    return true;
}

bool AbandonLoading(RunEngine& e, std::string_view message) {
    e.phase = RunPhase::NoRun;
    e.kind = RunKind::None;
    e.messages->Error(message);
    return false;
}

void ResetRun(RunTables& t) {
    ResetRunCars(t.cars);
    t.carsInUse = InitStandings(t.standings, t.cars);
    InitLiveRows(t.rows, t.standings, t.carsInUse);
}

void SetEventHeaders(RunEngine& e, const EventForRun& event) {
    std::string categoryName(event.categoryName);
    std::string eventName(event.eventName);
    std::string circuitName(event.circuitName);
    Format(e.categoryHeader, "CATEGORY : %s", categoryName.c_str());
    Format(e.eventHeader, "Event : %s - %s", eventName.c_str(), circuitName.c_str());
}

void FinishLoading(RunEngine& e, const Participants& participants, const EventForRun& event,
                   bool locked) {
    RunTables& t = e.tables;
    if (event.personalChips) AssignPersonalTransponders(t.cars, participants);
    const RadioGrid radio = RadioGridOf(t.cars, participants);
    e.radioConflicts = ConflictLines(radio, FindRadioConflicts(radio));
    e.radioConflict = e.radioConflicts.empty() ? 0 : 1;
    RebuildLiveOrder(t, e.options);

    e.holdsResults = RunHoldsResult(t.cars) ? 1 : 0;
    if (e.holdsResults != 0) {
        e.phase = RunPhase::Over;  // shown as stored; "Clear" before it runs again
    } else {
        e.phase = RunPhase::Armed;
        ResetRun(t);
    }
    if (locked) {
        e.phase = RunPhase::NoRun;
        e.modifyResultsAllowed = false;
    }

    ResetClockTexts(e);
    e.carButtons.fill(false);
    for (int k = 0; k < std::clamp(t.carsInUse, 0, kCarSlots); ++k) {
        int car = t.standings[static_cast<std::size_t>(k)].carNumber;
        if (car >= 1 && car <= kCarSlots) e.carButtons[static_cast<std::size_t>(car - 1)] = true;
    }
    ++e.repaints;
    RefreshPanel(e);
}

bool LoadHeat(RunEngine& e, int c, int r, int h, const EventForRun& event, Disk& disk) {
    if (c < 1 || c > kCategories || r < 1 || r > kRounds || h < 1 || h > kHeatsPerRound) {
        return false;
    }
    if (!BeginLoading(e)) return false;
    RunTables& t = e.tables;

    Participants participants{};
    HeatSlotList slots;  // every slot empty
    StartingGrids grids;
    e.options = HeatDefaults(event);

    FileOutcome read = ReadParticipants(c, participants, disk);
    if (read == FileOutcome::Unavailable) return AbandonLoading(e, kRaceFileNotFound);
    if (read == FileOutcome::NoSection) return AbandonLoading(e, kParticipantsTitleNotFound);
    read = ReadHeatSlotList(c, slots, disk);
    if (read == FileOutcome::Unavailable) return AbandonLoading(e, kRaceFileNotFound);
    if (read == FileOutcome::NoSection) e.messages->Error(kArrangementTitleNotFound);
    read = ReadStartingGrids(c, grids, disk);
    if (read == FileOutcome::Unavailable) return AbandonLoading(e, kRaceFileNotFound);
    if (read == FileOutcome::NoSection) e.messages->Error(kGridsTitleNotFound);
    QualifOptions qualif;
    if (ReadQualifOptions(c, qualif, disk) == FileOutcome::Done) {
        ApplyQualifOptions(e.options, qualif);
    }

    e.kind = RunKind::Heat;
    e.category = c;
    e.round = r;
    e.heat = h;
    e.nodeCode = HeatNode(c, r, h);
    e.normalizedNode = 10000 + e.nodeCode % 10000;

    std::string categoryName(event.categoryName);
    Format(e.runTitle, " %s - Round%d - Heat%d ", categoryName.c_str(), r, h);
    Format(e.runHeader, "Qualification : Round%d - Heat%d", r, h);
    SetEventHeaders(e, event);

    // Car k + 1 takes the driver of the heat slot its grid place points to. A place that points
    // nowhere in this heat (0: the round's grid was never stored) leaves the car empty.
    int perHeat = std::clamp(grids.driversPerHeat, 0, kCarSlots);
    for (int k = 0; k < perHeat; ++k) {
        int lane = grids.lanes[static_cast<std::size_t>(r - 1)][static_cast<std::size_t>(k)];
        int index = (h - 1) * perHeat + lane - 1;
        if (lane < 1 || lane > perHeat || index >= kHeatSlots) continue;
        t.cars[static_cast<std::size_t>(k)].driverName =
            slots.places[static_cast<std::size_t>(index)];
    }
    for (RunCar& car : t.cars) {
        if (car.driverName.Empty()) car.driverName = kEmptySlotName;
    }

    e.sectionTitle = HeatTitle(c, r, h);
    // The first reading gives the stored names, so that the reset counts the stored run's cars;
    // the second puts back the passings and times the reset cleared.
    FileOutcome stored = ReadRunResult(e.sectionTitle.View(), t.cars, e.trailer, disk);
    if (stored == FileOutcome::Unavailable) e.messages->Error(kRaceFileNotFound);
    ResetRun(t);
    if (stored == FileOutcome::Done) ReadRunResult(e.sectionTitle.View(), t.cars, e.trailer, disk);

    FinishLoading(e, participants, event, event.finalsState == 2);
    return true;
}

void AssignPersonalTransponders(RunCars& cars, const Participants& participants) {
    for (RunCar& car : cars) {
        for (const ParticipantRecord& p : participants) {
            if (p.name == car.driverName) car.transponder = p.transponder;
        }
    }
}

RadioGrid RadioGridOf(const std::array<Text<40>, kCarSlots>& names,
                      const Participants& participants) {
    RadioGrid grid{};
    for (std::size_t k = 0; k < grid.size(); ++k) {
        grid[k].name = names[k];
        for (const ParticipantRecord& p : participants) {
            if (p.name == names[k]) grid[k].frequency = p.frequencies[0];
        }
    }
    return grid;
}

RadioGrid RadioGridOf(const RunCars& cars, const Participants& participants) {
    std::array<Text<40>, kCarSlots> names;
    for (std::size_t k = 0; k < names.size(); ++k) names[k] = cars[k].driverName;
    return RadioGridOf(names, participants);
}

int CheckRadioConflict(const RunCars& cars, const Participants& participants) {
    return FindRadioConflicts(RadioGridOf(cars, participants)).count > 0 ? 1 : 0;
}

bool RunToRecord(const RunEngine& e, const EventModel& model) {
    if (e.kind != RunKind::Heat || e.category < 1 || e.category > kCategories) return false;
    if (RunInProgress(e.phase)) return false;
    if (model.header.categories[static_cast<std::size_t>(e.category - 1)].finalsState == 2) {
        return false;
    }
    return RunHoldsResult(e.tables.cars);
}

bool RunWritten(FileOutcome outcome, Messages& messages, const Disk& disk) {
    if (outcome != FileOutcome::Unavailable) return outcome == FileOutcome::Done;
    if (disk.LastFault() == DiskFault::Missing) {
        messages.Error(kRaceFileNotFound);
    } else {
        messages.Error(CannotWrite(disk.LastFault(), kWorkingCopy) + std::string(kRunKept));
    }
    return false;
}

FileOutcome StoreLoadedRun(RunEngine& e, EventModel& model, Messages& messages, Disk& disk) {
    std::size_t c = static_cast<std::size_t>(e.category - 1);
    EventHeader header = model.header;
    header.categories[c].qualificationStarted = 1;
    auto flags = std::make_unique<RunDoneFlags>(model.runDone);
    flags->flags[c][static_cast<std::size_t>(HeatFlagIndex(e.round, e.heat))] = 1;
    // A heat whose result is stored is run and its category started, or none of it is.
    Transaction t{EventStore{disk}};
    PutHeatResult(t, e.tables.cars, e.tables.carsInUse, e.sectionTitle.View(), e.trailer, messages);
    return CommitRunResult(t, e, model, header, *flags, messages);
}

FileOutcome CommitRunResult(Transaction& t, RunEngine& e, EventModel& model,
                            const EventHeader& header, const RunDoneFlags& flags,
                            Messages& messages) {
    PutRunDoneFlags(t, flags, messages);
    PutEventHeader(t, header);
    FileOutcome out = t.Commit();
    if (out != FileOutcome::Done) return out;
    model.header = header;
    model.runDone = flags;
    e.holdsResults = 1;
    e.resultHeld = false;
    return out;
}

bool RecordLoadedRun(RunEngine& e, EventModel& model, Messages& messages, Disk& disk) {
    if (!RunToRecord(e, model)) return false;
    return RunWritten(StoreLoadedRun(e, model, messages, disk), messages, disk);
}

MessageAnswer NoticeMessages::Show(std::string_view, std::string_view text, MessageButtons,
                                   MessageIcon) {
    PostNotice(engine_.notices, engine_.clockSource ? engine_.clockSource->TickMs() : 0, text);
    return MessageAnswer::Ok;
}

void NoteRunHeld(RunEngine& e, const Disk& disk) {
    e.resultHeld = true;
    std::string why;
    switch (disk.LastFault()) {
        case DiskFault::Full:
            why = "the disk is full";
            break;
        case DiskFault::Denied:
            why = "the file is read-only";
            break;
        case DiskFault::Missing:
            why = "the event file is missing";
            break;
        default:
            why = "the disk reported an error";
            break;
    }
    std::string run = e.kind == RunKind::FinalsRun ? std::string(e.runHeader.View())
                                                   : "Heat " + std::to_string(e.heat);
    NoticeMessages(e).Show({}, "Result of " + run + " not yet written: " + why, MessageButtons::Ok,
                           MessageIcon::Information);
}

void UnloadRun(RunEngine& e) {
    e.tables = RunTables{};
    for (RunCar& car : e.tables.cars) car.driverName = kEmptySlotName;
    ResetRunCars(e.tables.cars);
    e.kind = RunKind::None;
    e.phase = RunPhase::NoRun;
    e.holdsResults = e.radioConflict = 0;
    e.radioConflicts.clear();
    e.resultHeld = false;
    e.carButtons.fill(false);
    e.runTitle.Clear();
    e.sectionTitle.Clear();
    e.clock = ClockTexts{};
    RefreshPanel(e);
}

}  // namespace velkaro
