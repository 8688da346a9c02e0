#pragma once

#include <cstdint>
#include <string_view>

#include "event/sections.h"

// The rules of the "Options of qualifying heats" form: numbers clamped as they are typed, and
// which end choices a duration kind and a start type leave open.

namespace velkaro {

// A typed number after its field's rule; `rewrite` when the edit must show the new value.
struct ClampedNumber {
    std::int32_t value = 0;
    bool rewrite = false;
};

// Run time in minutes: above 60 shows 60; 0 is stored as 1 and left as typed.
ClampedNumber TakeRunMinutes(std::string_view typed);
// Laps: above 150 shows 150; 0 is stored as 1.
ClampedNumber TakeRunLaps(std::string_view typed);
// Countdown in seconds: above 3600 shows 3600; 0 is accepted.
ClampedNumber TakeCountdown(std::string_view typed);
// Delay between two runs: two digits, nothing more.
ClampedNumber TakeDelay(std::string_view typed);

inline constexpr int kRunMinutesDigits = 2;
inline constexpr int kRunLapsDigits = 3;
inline constexpr int kCountdownDigits = 4;
inline constexpr int kDelayDigits = 2;

// What the form shows of the options: the duration edit in use and the end choices open.
struct OptionsControls {
    bool minutesShown = true;  // else the laps edit
    bool timeEndGroup = true;  // "If run duration = time" and its radios
    bool timeEndAtSignal = true;
    bool lapsEndGroup = false;  // "If run duration = nber laps"
    bool lapsEndAtSignal = false;
    bool lapsEndFinishLap = false;
    bool lapsEndAllLaps = false;
    friend bool operator==(const OptionsControls&, const OptionsControls&) = default;
};
OptionsControls ControlsOf(const QualifOptions& options);

// A staggered start ends with every driver finishing the lap (time runs) or doing all the laps
// (laps runs); going back to a group start keeps those choices.
void ChooseStart(QualifOptions& options, StartMode start);

// Reads the category's options over the defaults, the staggered rule applied.
FileOutcome OpenQualifOptions(int category, QualifOptions& options, Disk& disk);

}  // namespace velkaro
