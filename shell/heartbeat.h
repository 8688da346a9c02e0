#pragma once

#include <QObject>
#include <QTimer>
#include <chrono>
#include <functional>

namespace velkaro {

// The 10 ms beat that drives the timing, whatever box or form is open and whoever opened it.
//
// A box or form the user opens runs its own loop, which delivers the beat like any timer. The
// beat itself opens no box (it posts notices), but the scan waits for its signal to be heard
// inside the beat, in a loop of the sound player's. A QTimer never fires again while its own
// slot is still running, so each beat re-arms the timer before it does its work: to the event
// dispatcher the re-armed timer is a new one, and that loop keeps delivering beats, which run
// nested in the one that waits (the scan leaves the decoder alone meanwhile).
class Heartbeat final : public QObject {
  public:
    Heartbeat(int intervalMs, std::function<void()> beat, QObject* parent = nullptr);

    void Start();
    void Stop();
    bool IsActive() const { return timer_.isActive(); }

    // Beats on the stack right now: above 1 inside a loop that a beat runs.
    int Depth() const { return depth_; }
    int DeepestSoFar() const { return deepest_; }
    // The longest time between two beats since Start or the last reset, in milliseconds.
    double LongestGapMs() const { return longestGap_.count(); }
    void ResetGap() { longestGap_ = {}; }

  private:
    void Beat();

    QTimer timer_;
    std::function<void()> beat_;
    int depth_ = 0;
    int deepest_ = 0;
    std::chrono::steady_clock::time_point last_{};
    std::chrono::duration<double, std::milli> longestGap_{};
};

}  // namespace velkaro
