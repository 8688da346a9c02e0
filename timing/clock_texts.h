#pragma once

#include "platform/text.h"

namespace velkaro {

// The clock texts of the race panel, kept by the run control and painted on the live screen.
struct ClockTexts {
    Text<32> duration;     // "%d:%02d:00" or "%d laps"
    Text<32> elapsed;      // "%d:%02d:%02d"
    Text<32> remaining;    // "%d:%02d:%02d", empty for a lap-limited run
    Text<16> countdown;    // "%ds"
    Text<8> delayMinutes;  // "%d:00"
    Text<32> delay;        // "... before start" or "... delay elapsed"
    bool delayOverrun = false;
};

}  // namespace velkaro
