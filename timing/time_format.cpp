#include "timing/time_format.h"

namespace velkaro {

TimeSplit SplitTime(std::int32_t ms) {
    TimeSplit t;
    t.h = ms / 3600000;
    std::int32_t rest = ms - t.h * 3600000;
    t.m = rest / 60000;
    rest -= t.m * 60000;
    t.s = rest / 1000;
    t.ms = rest % 1000;
    return t;
}

void FormatRaceTime(TimeText& out, std::int32_t h, std::int32_t m, std::int32_t s,
                    std::int32_t ms) {
    if (h != 0) {
        Format(out, "%d:%02d:%02d.%03d", h, m, s, ms);
    } else {
        Format(out, "%d:%02d.%03d", m, s, ms);
    }
}

void FormatLapTime(TimeText& out, std::int32_t h, std::int32_t m, std::int32_t s, std::int32_t ms) {
    if (h != 0) {
        Format(out, "%d:%02d:%02d.%03d", h, m, s, ms);
    } else if (m != 0) {
        Format(out, "%d:%02d.%03d", m, s, ms);
    } else {
        Format(out, "%d.%03d", s, ms);
    }
}

}  // namespace velkaro
