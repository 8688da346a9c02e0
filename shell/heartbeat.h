#pragma once

#include <QObject>
#include <QTimer>
#include <chrono>
#include <functional>

namespace velkaro {

// The 10 ms beat that drives the timing, whatever box or form is open and whoever opened it: a
// box or form the user opens runs its own loop, which delivers the beat like any timer. The beat
// itself never waits in a loop of its own (it posts notices, and polls a sound it waits for).
class Heartbeat final : public QObject {
  public:
    Heartbeat(int intervalMs, std::function<void()> beat, QObject* parent = nullptr);

    void Start();
    void Stop();
    bool IsActive() const { return timer_.isActive(); }

    // The longest time between two beats since Start or the last reset, in milliseconds.
    double LongestGapMs() const { return longestGap_.count(); }
    void ResetGap() { longestGap_ = {}; }

  private:
    void Beat();

    QTimer timer_;
    std::function<void()> beat_;
    std::chrono::steady_clock::time_point last_{};
    std::chrono::duration<double, std::milli> longestGap_{};
};

}  // namespace velkaro
