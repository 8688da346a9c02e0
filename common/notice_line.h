#pragma once

#include <cstdint>

#include "common/notices.h"
#include "platform/clock.h"
#include "platform/text.h"

namespace velkaro {

// A notice as one line for the race panel and its log: the time of day it was posted, then its
// text with its line breaks turned into " / ". nowTick and now are the same instant, on the
// clock's tick and as a local time.
Text<400> NoticeLine(const Notice& notice, std::uint32_t nowTick, const LocalDateTime& now);

}  // namespace velkaro
