#pragma once

#include <cstdint>

namespace velkaro {

struct LocalDateTime {
    int year = 0;
    int month = 0;  // 1 to 12
    int day = 0;    // 1 to 31
    int hour = 0;
    int minute = 0;
    int second = 0;
    int millisecond = 0;
    int dayOfWeek = 0;  // 0 = Sunday
};

// Time as the timing reads it. The run engine never asks the operating system itself, so that
// a test can drive a whole heat with a fake clock.
class Clock {
  public:
    virtual ~Clock() = default;
    // Milliseconds since an arbitrary origin; wraps after 2^32 ms, so compare by subtraction.
    virtual std::uint32_t TickMs() = 0;
    // A high-resolution counter and its counts per second.
    virtual std::int64_t Counter() = 0;
    virtual std::int64_t Frequency() = 0;
    virtual LocalDateTime Now() = 0;
};

// The machine's monotonic clock and local time.
class SystemClock final : public Clock {
  public:
    std::uint32_t TickMs() override;
    std::int64_t Counter() override;
    std::int64_t Frequency() override;
    LocalDateTime Now() override;
};

}  // namespace velkaro
