#pragma once

#include <cstdint>
#include <functional>

#include "platform/text.h"

namespace velkaro {

// One detection of a transponder at the timing line.
struct Passing {
    Text<7> transponder;       // "%06d" of the transponder number
    std::int64_t timeMs = 0;   // since the run's clock zero, less the run's time offset
    std::int64_t counter = 0;  // the high-resolution counter when the passing was decoded
};

// The clock a run's passing times are measured on.
struct RunTimeBase {
    std::int64_t perfFrequency = 1;  // counts per second of the high-resolution counter
    std::int64_t perfStart = 0;      // the counter when the run's clock was zeroed
    std::uint32_t runStartTick = 0;  // the tick at which the race clock started
    std::int64_t runTimeOffset = 0;  // subtracted from every passing time (first-car start)
    // An MK2 that restarted its clock mid-run (it lost power) is timed on the run's clock from
    // there on: its times are moved by decoderShiftMs.
    std::int32_t decoderZeroed = 0;  // an MK2's clock was zeroed: its times are the run's
    std::int64_t lastDecoderMs = 0;  // the decoder's own time of its newest passing
    std::int64_t decoderShiftMs = 0;
    std::uint32_t decoderRestarts = 0;  // ever seen: the run control tells the director of each
};

// Where decoded passings go, one at a time, in arrival order.
using PassingSink = std::function<void(const Passing&)>;

}  // namespace velkaro
