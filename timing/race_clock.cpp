#include "timing/race_clock.h"

namespace velkaro {

RaceClock ReadClock(std::uint32_t startTick, std::uint32_t now, std::int64_t limitMs) {
    // The tick wraps after 49 days; the difference does not.
    std::int64_t elapsed = static_cast<std::uint32_t>(now - startTick);
    RaceClock c;
    c.elapsedHours = static_cast<std::int32_t>(elapsed / 3600000);
    std::int64_t rest = elapsed - c.elapsedHours * 3600000LL;
    c.elapsedMinutes = static_cast<std::int32_t>(rest / 60000);
    rest -= c.elapsedMinutes * 60000LL;
    c.elapsedSeconds = static_cast<std::int32_t>(rest / 1000);
    c.elapsedMilliseconds = static_cast<std::int32_t>(rest % 1000);

    std::int64_t remaining = limitMs + 1000 - elapsed;
    c.remainingHours = static_cast<std::int32_t>(remaining / 3600000);
    rest = remaining - c.remainingHours * 3600000LL;
    c.remainingMinutes = static_cast<std::int32_t>(rest / 60000);
    rest -= c.remainingMinutes * 60000LL;
    c.remainingSeconds = static_cast<std::int32_t>(rest / 1000);
    return c;
}

bool DisplayDue(std::int32_t elapsedMsPart, std::uint32_t now, std::uint32_t& lastUpdate) {
    if (elapsedMsPart < 1 || elapsedMsPart > 99) return false;
    if (now - lastUpdate < 200) return false;
    lastUpdate = now;
    return true;
}

}  // namespace velkaro
