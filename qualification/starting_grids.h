#pragma once

#include <array>
#include <cstdint>
#include <string_view>

#include "event/sections.h"

// The start order of each round's heats, written as letters: A is the heat's first lane, B its
// second... Position k of a round's grid starts the driver of the lane its k-th letter names.

namespace velkaro {

struct StartGrid {
    Text<21> letters;
    std::array<std::int32_t, kCarSlots> positions{};  // lane of each position, 0 when invalid
};
using StartGridSet = std::array<StartGrid, kRounds>;

// 'A' to 'T' up to the heat's lane count ('A' always); 0 for anything else, lower case included.
std::int32_t LaneOfLetter(char letter, int driversPerHeat);

// The round's text as typed: cut to drivers-per-heat characters, then read lane by lane.
void TypeGrid(StartGrid& grid, std::string_view typed, int driversPerHeat);
// Letters back from the lanes; a lane out of 1 to 20 leaves its letter as it was.
void LettersFromLanes(StartGrid& grid, int driversPerHeat);

// The form's copy of the category's grids.
struct GridsWork {
    StartGridSet grids{};
    std::int32_t qualificationStarted = 0;
    std::int32_t driversPerHeat = 0;
    std::int32_t rounds = 0;
    bool storedExisted = false;
    bool readOnly = true;  // the order is fixed, or the qualification has started
    bool orderFixed = true;
};

// What the letters mean, for the form to show beside the grids.
Text<200> GridLegend(int driversPerHeat);
// Why the grids cannot be changed; empty when they can.
std::string_view GridsReadOnlyReason(const GridsWork& work);

// A, B, C... for every round.
void SetDefaultGrids(GridsWork& work);
// Options, heat slot list and stored grids; stored grids of another size are ignored. False
// when the event file cannot be opened (told); a missing heat slot list is told too.
bool OpenGrids(int category, GridsWork& work, Messages& messages, Disk& disk);

// The "OK" check: empty when every grid is right, else the message to show.
Text<256> CheckGrids(const GridsWork& work);
// Writes the grids as they are.
bool StoreGrids(int category, const GridsWork& work, Messages& messages, Disk& disk);
// "OK": checks, then stores; false (told) keeps the form open.
bool ConfirmGrids(int category, const GridsWork& work, Messages& messages, Disk& disk);
// Any other way of closing: the default grids are stored when none were, so that a heat always
// finds its grid; otherwise nothing is written.
void CloseGrids(int category, GridsWork& work, Messages& messages, Disk& disk);

}  // namespace velkaro
