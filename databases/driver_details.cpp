#include "databases/driver_details.h"

#include <algorithm>

#include "common/transponder.h"

namespace velkaro {
namespace {

constexpr std::int64_t kCycle = 84;
constexpr std::array<std::int64_t, 4> kWindowStart{0, 21, 42, 63};
constexpr std::int64_t kWindowLength = 20;

}  // namespace

bool TakeTransponderField(std::string_view field, Text<7>& transponder) {
    std::int32_t number = TransponderNumber(field);
    if (number == kNoTransponder && !field.empty()) return false;
    Text<7> taken = TransponderDigits(number);
    if (taken == transponder) return false;
    transponder = taken;
    return true;
}

void StartScanLamp(ScanLamp& lamp, std::int64_t nowHundredths) {
    lamp.startHundredths = nowHundredths;
    lamp.picture = 0;
    lamp.shownInCycle = 0;
}

bool StepScanLamp(ScanLamp& lamp, std::int64_t nowHundredths) {
    std::int64_t elapsed = nowHundredths - lamp.startHundredths;
    if (elapsed >= kCycle) {
        lamp.startHundredths = nowHundredths;
        elapsed = 0;
        lamp.shownInCycle = 0;
    }
    if (lamp.shownInCycle >= static_cast<int>(kWindowStart.size())) return false;
    std::int64_t from = kWindowStart[static_cast<std::size_t>(lamp.shownInCycle)];
    if (elapsed < from || elapsed >= from + kWindowLength) return false;
    lamp.picture = ++lamp.shownInCycle;
    return true;
}

DriverNode DriverNodeOf(int code) {
    return {code / 10000, code % 10000 - 1001};
}

}  // namespace velkaro
