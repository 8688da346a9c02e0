#pragma once

#include <cstdint>
#include <string_view>

#include "platform/text.h"

// A transponder is a number from 0 to 999999. However it was typed or stored ("1001", "001001",
// " 1001 "), it is one chip: compared as a number, written as the six digits the files hold.

namespace velkaro {

inline constexpr std::int32_t kNoTransponder = -1;
inline constexpr std::int32_t kLargestTransponder = 999999;
inline constexpr int kTransponderDigits = 6;

using TransponderText = Text<7>;

// The number a field holds: one to six decimal digits, spaces around them allowed; otherwise
// kNoTransponder (an empty field is no chip).
std::int32_t TransponderNumber(std::string_view text);

// The six digits of a number; an empty slot for kNoTransponder or a number out of range.
TransponderText TransponderDigits(std::int32_t number);

// The slot as the files hold it: a number becomes its six digits; anything else is no chip (an
// empty slot), which reads back the same.
TransponderText NormalTransponder(std::string_view text);

// Both hold a number and it is the same.
bool SameTransponder(std::string_view a, std::string_view b);

// What a transponder field may hold while it is typed: digits only, at most six.
bool TransponderTypingAllowed(std::string_view typed);

}  // namespace velkaro
