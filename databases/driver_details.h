#pragma once

#include <array>
#include <cstdint>
#include <string_view>

#include "platform/text.h"

// The rules of the driver's details form: the transponder field and the scan's lamp.

namespace velkaro {

// The participant's transponder as the field now holds it: a number gives its six digits, an
// empty field no chip; a field that is neither (typing refuses it) changes nothing. True when
// it changed.
bool TakeTransponderField(std::string_view field, Text<7>& transponder);

// The lamp that shows a scan is on: four pictures in turn, each for a fifth of a second.
inline constexpr std::array<std::string_view, 4> kScanLamps{
    "images/voyantScanPuce1.bmp", "images/voyantScanPuce2.bmp", "images/voyantScanPuce3.bmp",
    "images/voyantScanPuce4.bmp"};
inline constexpr int kScanLampLeft = 305;
inline constexpr int kScanLampTop = 125;

struct ScanLamp {
    std::int64_t startHundredths = 0;  // when the cycle began
    int picture = 0;                   // 0: none yet, else 1 to 4
    int shownInCycle = 0;
};
// Starts the animation afresh.
void StartScanLamp(ScanLamp& lamp, std::int64_t nowHundredths);
// Picture k is shown in its window of the cycle once picture k - 1 was in this cycle; after 84
// hundredths the cycle starts again. Returns whether the picture changed.
bool StepScanLamp(ScanLamp& lamp, std::int64_t nowHundredths);

// The participant slot (0 to 199) and category (1 to 9) of a driver node of the event tree.
struct DriverNode {
    int category;
    int slot;
};
DriverNode DriverNodeOf(int code);

}  // namespace velkaro
