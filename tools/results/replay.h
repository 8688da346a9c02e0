#pragma once

#include <string>
#include <vector>

#include "event/sections.h"
#include "platform/clock.h"
#include "tools/decoder-sim/record_file.h"

// A decoder capture played through the race panel's own run, tick by tick, as the program reads
// its port: what each passing did, the live order after each lap, and the heat's result lines.

namespace velkaro::results {

struct ReplayCar {
    std::uint32_t transponder = 0;
    std::string name;  // Windows-1252, at most 39 bytes
};

struct ReplaySetup {
    sim::Model model = sim::Model::Mk2;
    QualifOptions options;  // as the qualifying options form leaves them
    int minimumLapSeconds = 2;
    // At most 20; none: one car per transponder of the capture, in order of first appearance.
    std::vector<ReplayCar> cars;
    LocalDateTime startedAt;  // the run's start date in its description
};

struct ReplayOutcome {
    std::string log;    // UTF-8, LF line ends
    std::string fault;  // empty unless the capture ends inside a passing
};

ReplayOutcome Replay(const sim::Record& capture, const ReplaySetup& setup);

}  // namespace velkaro::results
