#pragma once

#include <QObject>
#include <QTimer>
#include <chrono>
#include <functional>

namespace velkaro {

// The 10 ms beat that drives the timing, whatever box or form is open and whoever opened it.
//
// A QTimer never fires again while its own slot is still running, so a message box opened from
// inside a beat would stop the race clock until somebody pressed OK. Each beat therefore re-arms
// the timer before it does its work: to the event dispatcher the re-armed timer is a new one, and
// the modal loop of a box opened by the beat keeps delivering beats, as a message box's loop
// keeps dispatching timer messages. Such a beat runs nested in the one that opened the box; the
// timing is written for that (a tick shows its boxes last, once its state is settled).
class Heartbeat final : public QObject {
  public:
    Heartbeat(int intervalMs, std::function<void()> beat, QObject* parent = nullptr);

    void Start();
    void Stop();
    bool IsActive() const { return timer_.isActive(); }

    // Beats on the stack right now: above 1 inside a loop that a beat opened.
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
