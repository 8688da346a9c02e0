#pragma once

#include <string>
#include <vector>

#include "event/event_file.h"
#include "platform/messages.h"
#include "qualification/round_classification.h"

namespace velkaro::test {

struct Car {
    const char* name;
    std::int32_t laps, total, best;
};

// The category "Touring" with `participants` drivers, two rounds of two heats.
void SetCategory(int started, int finalsState, int participants = 6);
// A heat's result as the run control stores it.
void WriteHeat(int round, int heat, const std::vector<Car>& cars, Messages& messages);
// A new working copy: participants A to F on transponders 001001 to 001006, three a heat, the
// track "Club day - Home", the qualification not started.
void PrepareCategory(Messages& messages);
// And round 1's heats run as in the worked example (A, B, C then D, E, F).
void PrepareTwoHeats(Messages& messages);
// The first six places as names and points: "A11 D9 ".
std::string Order(const RoundSheet& sheet);
// The body of a section up to the end of the file, "(missing)" without it.
std::string Body(std::string_view title);

}  // namespace velkaro::test
