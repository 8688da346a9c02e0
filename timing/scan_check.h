#pragma once

#include <string_view>

#include "timing/run_control.h"

// The "Mixed (scan)" transponder mode: cars whose transponders are unknown cross the line one
// by one in car order and each new transponder goes to the next car (the scan); then they lap
// again and the order they crossed in is checked (the check).

namespace velkaro {

inline constexpr std::string_view kScanInProgress = " Scan in progress";
inline constexpr std::string_view kCheckInProgress = " Check in progress";
inline constexpr std::string_view kCheckCompleted = " Check completed";
inline constexpr std::string_view kScanOff = " Off";

inline constexpr std::string_view kScanSignalSound = "sons/nokia-sms.wav";
inline constexpr std::string_view kScanBeepSound = "sons/beep1.wav";
inline constexpr std::string_view kOrderWrongSound = "sons/buzz.wav";

// A check's detections closer than this are one crossing.
inline constexpr std::int64_t kCheckShortestLapMs = 2000;

// The "Scan" button, with the state it was just given: checked on a fresh run begins the scan,
// unchecked while the scan or check is on cancels it. Anything else is refused; the button
// then follows the engine's panel.scanChecked again.
void ScanToggle(RunEngine& engine, bool checked);

// One tick while a signal of the scan or the check is heard: once it is over, the scan or the
// check proper begins.
void ScanSignalStep(RunEngine& engine);
// One tick of the scan: new transponders go to the cars still without one.
void ScanStep(RunEngine& engine);
// One tick of the check: laps on the PC's counter, and the order test at its end.
void CheckStep(RunEngine& engine);

}  // namespace velkaro
