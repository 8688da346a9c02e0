#include "finals/finals_run.h"

#include <algorithm>
#include <memory>
#include <string>

#include "event/event_file.h"
#include "event/event_tree.h"
#include "event/sections.h"
#include "finals/arrangement.h"
#include "finals/ladder.h"
#include "finals/lanes.h"
#include "timing/classification.h"

namespace velkaro {

int FinalsRunNode(int category, int level, char letter) {
    int offset = level == 0 ? 0 : 2 * level - 1 + (letter == 'B' ? 1 : 0);
    return category * 10000 + node::kFinal + offset;
}

bool FinalsRunOfNode(int code, int& category, int& level, char& letter) {
    if (KindOf(code) != NodeKind::FinalsRun || code / 10000 < 1 || code / 10000 > kCategories) {
        return false;
    }
    int offset = code % 10000 - node::kFinal;
    category = code / 10000;
    level = (offset + 1) / 2;
    letter = offset != 0 && offset % 2 == 0 ? 'B' : 'A';
    return true;
}

LevelPlaces PlaceStoredLevel(int c, const CategoryRecord& cat, int level, char only, Disk& disk) {
    LevelPlaces places;
    level = std::clamp(level, 0, kFinalsLevels);
    OverallClassification overall;
    places.overall = ReadOverallClassification(c, cat.participants, overall, disk);
    FinalsLadder ladder = DefaultFinalsLadder(cat.participants);
    ReadFinalsLadder(c, ladder, disk);
    places.levels = LevelsOf(ladder, cat.finalsRuns);
    for (char run : {'A', 'B'}) {
        if ((level == 0 && run == 'B') || (only != 0 && only != run)) continue;
        std::array<SectionTitle, 2> sourceTitles =
            SourceTitles(c, level, run, places.levels.startLevel);
        std::array<FinalsSource, 2> sources{};
        for (std::size_t i = 0; i < 2; ++i) {
            if (!sourceTitles[i].Empty())
                ReadFinalsSource(sourceTitles[i].View(), sources[i], disk);
            sources[i] = OrderSourceResult(sources[i]);
        }
        // The Final's sources are the two 1/2 runs; a run's own source is the run below it.
        const FinalsSource& orderedB = level == 0 ? sources[1] : sources[0];
        (run == 'A' ? places.a : places.b) =
            PlaceFinalsRun(level, run, places.levels, overall.names, sources[0], orderedB);
    }
    ReadFinalsGrids(c, places.grids, disk);
    places.lanes = places.grids.levels[std::size_t(level)];
    return places;
}

FinalsField PlaceStoredFinalsRun(int c, const CategoryRecord& cat, int level, char letter,
                                 Disk& disk) {
    if (level == 0) letter = 'A';
    level = std::clamp(level, 0, kFinalsLevels);
    // Until the director swaps lanes, a run is its own ladder's places.
    LevelPlaces places = PlaceStoredLevel(c, cat, level, letter, disk);
    if (LanesInForce(places.lanes, level) != LanesInForce({}, level)) {
        places = PlaceStoredLevel(c, cat, level, 0, disk);
    }
    FinalsField field;
    field.overall = places.overall;
    field.levels = places.levels;
    field.names = NamesOnLanes(places.lanes, level, letter, places.a, places.b);
    return field;
}

bool LoadFinalsRun(RunEngine& e, int c, int level, char letter, const EventForRun& event,
                   Disk& disk) {
    if (c < 1 || c > kCategories || level < 0 || level > kFinalsLevels) return false;
    if (level == 0) letter = 'A';
    if (!BeginLoading(e)) return false;
    RunTables& t = e.tables;
    e.finalsStatus = 0;
    e.options = RunOptions{};
    e.options.minimumLapSeconds = event.minimumLapSeconds;
    e.options.circuitIndex = event.circuitIndex;
    e.options.passingLimit = 300;
    e.options.safetyHours = 3;

    Participants participants{};
    FileOutcome read = ReadParticipants(c, participants, disk);
    if (read == FileOutcome::Unavailable) return AbandonLoading(e, kRaceFileNotFound);
    if (read == FileOutcome::NoSection) return AbandonLoading(e, kParticipantsTitleNotFound);
    EventHeader header;
    if (ReadEventHeader(header, disk) != FileOutcome::Done) {
        return AbandonLoading(e, kRaceFileNotFound);
    }
    const CategoryRecord& cat = header.categories[std::size_t(c - 1)];
    FinalsField field = PlaceStoredFinalsRun(c, cat, level, letter, disk);
    if (field.overall == FileOutcome::NoSection) e.messages->Error(kOverallTitleNotFound);
    FinalsOptions finalsOptions;
    ReadFinalsOptions(c, finalsOptions, disk);
    const LevelValues& levels = field.levels;

    int minutes = levels.duration[std::size_t(level)];
    e.options.durationTotalMinutes = minutes;
    e.options.durationHours = minutes / 60;
    e.options.durationMinutes = minutes % 60;
    e.options.delayMinutes = levels.delay[std::size_t(level)];
    e.options.startMode = finalsOptions.start;
    e.options.timeEnd = finalsOptions.endAtTime;
    e.options.countdownSeconds = finalsOptions.countdownSeconds;

    e.kind = RunKind::FinalsRun;
    e.category = c;
    e.round = 0;
    e.heat = 0;
    e.finalsLevel = level;
    e.finalsLetter = letter;
    e.nodeCode = FinalsRunNode(c, level, letter);
    e.normalizedNode = 10000 + e.nodeCode % 10000;

    e.runTitle = FinalsRunTitleText(event.categoryName, level, letter);
    e.runHeader = FinalsRunHeader(level, letter);
    SetEventHeaders(e, event);

    for (int k = 0; k < kCarSlots; ++k)
        t.cars[std::size_t(k)].driverName = field.names[std::size_t(k)];

    e.sectionTitle = FinalsRunTitle(c, level, letter);
    std::int32_t status = 0;
    FileOutcome stored =
        ReadFinalsRunResult(e.sectionTitle.View(), t.cars, status, e.trailer, disk);
    if (stored == FileOutcome::Unavailable) e.messages->Error(kRaceFileNotFound);
    ResetRun(t);
    if (stored == FileOutcome::Done) {
        ReadFinalsRunResult(e.sectionTitle.View(), t.cars, status, e.trailer, disk);
        e.finalsStatus = status;
    }

    // Its result chose who drives a run above it: it can be looked at, not changed.
    FinishLoading(e, participants, event, e.finalsStatus == 2);
    return true;
}

bool FinalsRunToRecord(const RunEngine& e) {
    if (e.kind != RunKind::FinalsRun || e.category < 1 || e.category > kCategories) return false;
    if (RunInProgress(e.phase) || e.finalsStatus == 2) return false;
    return RunHoldsResult(e.tables.cars);
}

FileOutcome StoreLoadedFinalsRun(RunEngine& e, EventModel& model, Messages& messages, Disk& disk) {
    std::size_t c = std::size_t(e.category - 1);
    EventHeader header = model.header;
    CategoryRecord& cat = header.categories[c];
    std::array<SectionTitle, 2> sources =
        SourceTitles(e.category, e.finalsLevel, e.finalsLetter, StartLevelOf(cat.finalsRuns));
    std::array<RelatedRun, 2> related{RelatedRun{sources[0].View(), 2},
                                      RelatedRun{sources[1].View(), 2}};
    cat.finalsState = 2;
    auto flags = std::make_unique<RunDoneFlags>(model.runDone);
    flags->flags[c][std::size_t(FinalsFlagIndex(e.finalsLevel, e.finalsLetter))] =
        RunHoldsResult(e.tables.cars) ? 1 : 0;
    Transaction t{EventStore{disk}};
    PutFinalsRunResult(t, e.tables.cars, e.tables.carsInUse, e.sectionTitle.View(), 1, related,
                       e.trailer, messages);
    FileOutcome out = CommitRunResult(t, e, model, header, *flags, messages);
    if (out == FileOutcome::Done) e.finalsStatus = 1;
    return out;
}

bool RecordEndedRun(RunEngine& e, EventModel& model, Disk& disk) {
    const bool finals = e.kind == RunKind::FinalsRun;
    if (finals ? !FinalsRunToRecord(e) : !RunToRecord(e, model)) return false;
    NoticeMessages quiet(e);
    FileOutcome out = finals ? StoreLoadedFinalsRun(e, model, quiet, disk)
                             : StoreLoadedRun(e, model, quiet, disk);
    if (out == FileOutcome::Unavailable) NoteRunHeld(e, disk);
    return out == FileOutcome::Done;
}

bool RecordLoadedFinalsRun(RunEngine& e, EventModel& model, Messages& messages, Disk& disk) {
    if (!FinalsRunToRecord(e)) return false;
    return RunWritten(StoreLoadedFinalsRun(e, model, messages, disk), messages, disk);
}

std::string LanesLockedReason(const RunEngine* panel, int c, int level, char letter, Disk& disk) {
    if (level == 0) letter = 'A';
    const std::string run = FinalsRunName(level, letter);
    const bool inPanel = panel != nullptr && panel->kind == RunKind::FinalsRun &&
                         panel->category == c && panel->finalsLevel == level &&
                         (level == 0 || panel->finalsLetter == letter);
    if (inPanel && RunInProgress(panel->phase)) {
        return run + " is being run: its lanes can no longer be swapped.";
    }
    auto cars = std::make_unique<RunCars>();
    std::int32_t status = 0;
    RunTrailer trailer;
    ReadFinalsRunResult(FinalsRunTitle(c, level, letter).View(), *cars, status, trailer, disk);
    if (status != 0 || RunHoldsResult(*cars) || (inPanel && RunHoldsResult(panel->tables.cars))) {
        return run + " has already been run: its lanes can no longer be swapped.";
    }
    return {};
}

LaneSwap SwapFinalsLanes(const RunEngine& e, int c, int level, char letterA, int laneA,
                         char letterB, int laneB, Messages& messages, Disk& disk) {
    if (c < 1 || c > kCategories || level < 0 || level > kFinalsLevels) return LaneSwap::Refused;
    for (char run : {letterA, letterB}) {
        std::string why = LanesLockedReason(&e, c, level, run, disk);
        if (!why.empty()) {
            messages.Show(kSwapLanesTitle, why, MessageButtons::Ok, MessageIcon::Information);
            return LaneSwap::Refused;
        }
    }
    FinalsGrids grids;
    if (ReadFinalsGrids(c, grids, disk) == FileOutcome::Unavailable) return LaneSwap::Unwritten;
    LevelLanes& lanes = grids.levels[std::size_t(level)];
    if (!SwapLanes(lanes, level, letterA, laneA, letterB, laneB)) return LaneSwap::Refused;
    Transaction t{EventStore{disk}};
    PutFinalsGrids(t, c, GridsToStore(grids), messages);
    return t.Commit() == FileOutcome::Done ? LaneSwap::Swapped : LaneSwap::Unwritten;
}

std::vector<std::string> FinalsConflictLines(int c, const CategoryRecord& cat,
                                             const Participants& participants, Disk& disk) {
    std::vector<std::string> lines;
    if (cat.finalsRuns < 1) return lines;
    for (int level = std::min(StartLevelOf(cat.finalsRuns), kFinalsLevels); level >= 0; --level) {
        LevelPlaces places = PlaceStoredLevel(c, cat, level, 0, disk);
        for (char run : {'A', 'B'}) {
            if (level == 0 && run == 'B') continue;
            if (!LanesLockedReason(nullptr, c, level, run, disk).empty()) continue;
            RadioGrid grid = RadioGridOf(NamesOnLanes(places.lanes, level, run, places.a, places.b),
                                         participants);
            for (std::string& line : ConflictLines(grid, FindRadioConflicts(grid),
                                                   FinalsLevelText(level, run).View())) {
                lines.push_back(std::move(line));
            }
        }
    }
    return lines;
}

}  // namespace velkaro
