#include "qualification/qualif_options.h"

#include <algorithm>

#include "qualification/track_participants.h"

namespace velkaro {

namespace {

ClampedNumber Take(std::string_view typed, std::int32_t lowest, std::int32_t highest) {
    ClampedNumber n;
    n.value = NumberOf(typed);
    if (n.value > highest) {
        n.value = highest;
        n.rewrite = true;
    }
    n.value = std::max(n.value, lowest);
    return n;
}

}  // namespace

ClampedNumber TakeRunMinutes(std::string_view typed) {
    return Take(typed, 1, 60);
}

ClampedNumber TakeRunLaps(std::string_view typed) {
    return Take(typed, 1, 150);
}

ClampedNumber TakeCountdown(std::string_view typed) {
    return Take(typed, 0, 3600);
}

ClampedNumber TakeDelay(std::string_view typed) {
    return Take(typed, 0, 99);
}

OptionsControls ControlsOf(const QualifOptions& o) {
    const bool byTime = !(o.durationKind == DurationKind::ByLaps);
    const bool staggered = o.start == StartMode::Staggered;
    OptionsControls c;
    c.minutesShown = byTime;
    c.timeEndGroup = byTime;
    c.timeEndAtSignal = byTime && !staggered;
    c.lapsEndGroup = !byTime;
    c.lapsEndAtSignal = !byTime && !staggered;
    c.lapsEndFinishLap = !byTime && !staggered;
    c.lapsEndAllLaps = !byTime;
    return c;
}

void ChooseStart(QualifOptions& o, StartMode start) {
    o.start = start;
    if (start != StartMode::Staggered) return;
    o.endAtTime = TimeEnd::FinishLap;
    o.endAtLaps = LapsEnd::AllLaps;
}

FileOutcome OpenQualifOptions(int category, QualifOptions& options, Disk& disk) {
    options = QualifOptions{};
    FileOutcome read = ReadQualifOptions(category, options, disk);
    if (options.start == StartMode::Staggered) ChooseStart(options, StartMode::Staggered);
    return read;
}

}  // namespace velkaro
