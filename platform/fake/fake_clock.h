#pragma once

#include "platform/clock.h"

namespace velkaro {

// A clock that moves only when told. Tick and counter move together; the counter runs at 1 MHz.
// counterStepPerRead advances time on every Counter() call, so that code which waits on the
// counter (a busy loop bounded in milliseconds) ends under test.
class FakeClock final : public Clock {
  public:
    static constexpr std::int64_t kFrequency = 1'000'000;

    explicit FakeClock(std::uint32_t startTick = 1000) : tick_(startTick) {}

    std::uint32_t TickMs() override { return tick_; }
    std::int64_t Counter() override {
        std::int64_t now = counter_;
        if (counterStepPerRead > 0) AdvanceMicros(counterStepPerRead);
        return now;
    }
    std::int64_t Frequency() override { return kFrequency; }
    LocalDateTime Now() override { return now; }

    void AdvanceMs(std::uint32_t ms) { AdvanceMicros(static_cast<std::int64_t>(ms) * 1000); }
    void AdvanceMicros(std::int64_t us) {
        counter_ += us;
        pendingMicros_ += us;
        tick_ += static_cast<std::uint32_t>(pendingMicros_ / 1000);
        pendingMicros_ %= 1000;
    }

    std::int64_t counterStepPerRead = 0;  // microseconds
    LocalDateTime now{2026, 12, 5, 14, 30, 0, 0, 6};

  private:
    std::uint32_t tick_;
    std::int64_t counter_ = 0;
    std::int64_t pendingMicros_ = 0;
};

}  // namespace velkaro
