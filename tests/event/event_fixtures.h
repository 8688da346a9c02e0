#pragma once

#include <string>

#include "event/event_model.h"
#include "timing/run_car.h"

namespace velkaro::test {

// The contents of a file of tests/data/event.
std::string Golden(const std::string& name);

// Cars as the run engine leaves them: every slot reset, unused slots named "(NA)" with all
// their times absent.
RunCars EmptyRun();

// The heat of the golden files: ALPHA Anne with three passings, BÉRANGER Luc with none, and
// 18 unused slots.
RunCars TwoCarHeat();
RunTrailer HeatTrailer();

// A run of `cars` cars, each with `passings` passings about 30 s apart; `seed` varies names
// and times.
RunCars BusyRun(int cars, int passings, int seed);

}  // namespace velkaro::test
