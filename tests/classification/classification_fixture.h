#pragma once

#include <string>
#include <vector>

#include "event/event_file.h"
#include "platform/messages.h"

namespace velkaro::test {

struct Car {
    const char* name;
    std::int32_t laps, total, best;
};

// The category "Touring" with `participants` drivers, two rounds of two heats.
void SetCategory(int started, int finalsState, int participants = 6);
// A heat's result as the run control stores it.
void WriteHeat(int round, int heat, const std::vector<Car>& cars, Messages& messages);
// A new working copy: participants A to F, three a heat, round 1's heats run as in the worked
// example (A, B, C then D, E, F), the qualification not started.
void PrepareTwoHeats(Messages& messages);
// The body of a section up to the end of the file, "(missing)" without it.
std::string Body(std::string_view title);

}  // namespace velkaro::test
