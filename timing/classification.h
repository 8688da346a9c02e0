#pragma once

#include <string_view>

#include "common/run_car.h"
#include "common/run_options.h"

namespace velkaro {

// Zeroes every field of the live order.
void ClearStandings(RunStandings& standings);

// The live order before anybody has passed: the used cars in car order, then empty records.
// Returns the number of cars in use.
int InitStandings(RunStandings& standings, const RunCars& cars);

// Clears every row and writes the first count from the standings, positions included.
void InitLiveRows(LiveRows& rows, const RunStandings& standings, int count);

// The first count positions of the live order, chosen among all 20 cars: more laps, then less
// time, then the shorter last lap; a complete tie goes to the higher car number. Cars without a
// lap come after those with one, empty slots last. A car whose lap was just counted learns its
// position in its history.
void SortByLapsAndTime(RunCars& cars, RunStandings& standings, int count);
// As above on the best lap, then the shorter last lap; laps do not count.
void SortByBestLap(RunCars& cars, RunStandings& standings, int count);

void GapsLapsAndTime(RunStandings& standings, int count);
void GapsBestLap(RunStandings& standings, int count);

// Splits the seven times of each position into hours, minutes, seconds and milliseconds.
void SplitStandingTimes(RunStandings& standings, int count);

// The texts of the first count rows, from standings whose times are split. The position column
// is left as InitLiveRows wrote it.
void BuildLiveRows(const RunStandings& standings, LiveRows& rows, Classification classification,
                   int count);

// Each car's best lap from its race times, for printing: the run from the grid to the line is
// not a lap unless the start was staggered.
void ComputeBestLapFromTimes(RunCars& cars, StartMode startMode);

}  // namespace velkaro
