#include "qualification/starting_grids.h"

#include <algorithm>
#include <memory>

namespace velkaro {

std::int32_t LaneOfLetter(char letter, int driversPerHeat) {
    if (letter < 'A' || letter > 'T') return 0;
    const int lane = letter - 'A' + 1;
    return lane == 1 || lane <= driversPerHeat ? lane : 0;
}

void TypeGrid(StartGrid& grid, std::string_view typed, int driversPerHeat) {
    const int lanes = std::clamp(driversPerHeat, 0, kCarSlots);
    typed = typed.substr(0, std::min<std::size_t>(typed.size(), std::size_t(lanes)));
    grid.letters = typed;
    for (int k = 0; k < lanes; ++k) {
        grid.positions[std::size_t(k)] = LaneOfLetter(grid.letters.bytes[std::size_t(k)], lanes);
    }
}

void LettersFromLanes(StartGrid& grid, int driversPerHeat) {
    const int lanes = std::clamp(driversPerHeat, 0, kCarSlots);
    for (int k = 0; k < lanes; ++k) {
        const std::int32_t lane = grid.positions[std::size_t(k)];
        if (lane >= 1 && lane <= kCarSlots)
            grid.letters.bytes[std::size_t(k)] = char('A' + lane - 1);
    }
}

void SetDefaultGrids(GridsWork& work) {
    const int lanes = std::clamp(work.driversPerHeat, 0, kCarSlots);
    for (StartGrid& g : work.grids) {
        g = StartGrid{};
        for (int k = 0; k < lanes; ++k) g.positions[std::size_t(k)] = k + 1;
    }
}

bool OpenGrids(int category, GridsWork& work, Messages& messages, Disk& disk) {
    work = GridsWork{};
    QualifOptions options;
    if (ReadQualifOptions(category, options, disk) == FileOutcome::Unavailable) {
        messages.Error(kRaceFileNotFound);
        return false;
    }
    auto list = std::make_unique<HeatSlotList>(DefaultHeatSlotList());
    if (ReadHeatSlotList(category, *list, disk) == FileOutcome::NoSection) {
        messages.Error(kArrangementTitleNotFound);
    }
    work.qualificationStarted = list->qualificationStarted;
    work.driversPerHeat = std::clamp(list->driversPerHeat, 1, kCarSlots);
    work.rounds = std::clamp(list->rounds, 1, kRounds);
    SetDefaultGrids(work);
    StartingGrids stored;
    if (ReadStartingGrids(category, stored, disk) == FileOutcome::Done &&
        stored.driversPerHeat == work.driversPerHeat && stored.rounds == work.rounds) {
        work.storedExisted = true;
        for (int r = 0; r < work.rounds; ++r) {
            for (int k = 0; k < work.driversPerHeat; ++k) {
                work.grids[std::size_t(r)].positions[std::size_t(k)] =
                    stored.lanes[std::size_t(r)][std::size_t(k)];
            }
        }
    }
    for (StartGrid& g : work.grids) LettersFromLanes(g, work.driversPerHeat);
    work.orderFixed = !(options.startingOrder == StartingOrder::Editable);
    work.readOnly = work.qualificationStarted == 1 || work.orderFixed;
    return true;
}

Text<200> GridLegend(int driversPerHeat) {
    const int lanes = std::clamp(driversPerHeat, 1, kCarSlots);
    Text<200> legend;
    Format(legend,
           "Each letter is a lane of the heat:\nA = lane 1, B = lane 2 ... %c = lane %d.\n"
           "A grid's first letter starts first, and so on.",
           char('A' + lanes - 1), lanes);
    return legend;
}

std::string_view GridsReadOnlyReason(const GridsWork& work) {
    if (work.qualificationStarted == 1) return "Read only: the qualification has started.";
    if (work.orderFixed) {
        return "Read only: tick \"Positions editable (ABC..)\" in the options of qualifying "
               "heats to change the order.";
    }
    return {};
}

Text<256> CheckGrids(const GridsWork& work) {
    const int lanes = std::clamp(work.driversPerHeat, 0, kCarSlots);
    const int rounds = std::clamp(work.rounds, 0, kRounds);
    std::string_view incomplete, outOfRange, duplicated;
    Text<48> range;
    Format(range, "Letters must be entered between A and %c", char('A' + lanes - 1));
    for (int r = 0; r < rounds; ++r) {
        const StartGrid& g = work.grids[std::size_t(r)];
        if (r >= 1 && g.letters.Length() != std::size_t(lanes)) {
            incomplete = "Some grids are not complete";
        }
        for (int k = 0; k < lanes; ++k) {
            const char c = g.letters.bytes[std::size_t(k)];
            if (g.positions[std::size_t(k)] == 0 && c != '\0') outOfRange = range.View();
            if (c == '\0' || c == ' ') continue;
            for (int j = k + 1; j < lanes; ++j) {
                if (g.letters.bytes[std::size_t(j)] == c) duplicated = "There are duplications";
            }
        }
    }
    Text<256> message;
    if (incomplete.empty() && outOfRange.empty() && duplicated.empty()) return message;
    Format(message, "Error: data entered is not correct !\n\n    %.*s\n    %.*s\n    %.*s",
           int(incomplete.size()), incomplete.data(), int(outOfRange.size()), outOfRange.data(),
           int(duplicated.size()), duplicated.data());
    return message;
}

bool StoreGrids(int category, const GridsWork& work, Messages& messages, Disk& disk) {
    StartingGrids stored;
    stored.qualificationStarted = work.qualificationStarted;
    stored.driversPerHeat = work.driversPerHeat;
    stored.rounds = work.rounds;
    for (int r = 0; r < kRounds; ++r) {
        for (int k = 0; k < kCarSlots; ++k) {
            stored.lanes[std::size_t(r)][std::size_t(k)] =
                work.grids[std::size_t(r)].positions[std::size_t(k)];
        }
    }
    FileOutcome written = WriteStartingGrids(category, stored, messages, disk);
    ReportUnavailable(written, messages);
    return written == FileOutcome::Done;
}

bool ConfirmGrids(int category, const GridsWork& work, Messages& messages, Disk& disk) {
    Text<256> problem = CheckGrids(work);
    if (!problem.Empty()) {
        messages.Error(problem.View());
        return false;
    }
    StoreGrids(category, work, messages, disk);
    return true;
}

void CloseGrids(int category, GridsWork& work, Messages& messages, Disk& disk) {
    if (work.storedExisted) return;
    SetDefaultGrids(work);
    for (StartGrid& g : work.grids) LettersFromLanes(g, work.driversPerHeat);
    if (StoreGrids(category, work, messages, disk)) work.storedExisted = true;
}

}  // namespace velkaro
