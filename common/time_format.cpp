#include "common/time_format.h"

#include "common/int_text.h"

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
    // "%d:%02d:%02d.%03d", or "%d:%02d.%03d" without hours.
    char buf[48];
    char* p = buf;
    if (h != 0) {
        p = PutInt(p, h);
        *p++ = ':';
        p = PutInt(p, m, 2);
    } else {
        p = PutInt(p, m);
    }
    *p++ = ':';
    p = PutInt(p, s, 2);
    *p++ = '.';
    p = PutInt(p, ms, 3);
    AssignPieces(out, buf, p);
}

void FormatLapTime(TimeText& out, std::int32_t h, std::int32_t m, std::int32_t s, std::int32_t ms) {
    // As a race time, and "%d.%03d" without hours and minutes.
    if (h != 0 || m != 0) {
        FormatRaceTime(out, h, m, s, ms);
        return;
    }
    char buf[32];
    char* p = PutInt(buf, s);
    *p++ = '.';
    p = PutInt(p, ms, 3);
    AssignPieces(out, buf, p);
}

}  // namespace velkaro
