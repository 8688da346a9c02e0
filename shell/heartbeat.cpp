#include "shell/heartbeat.h"

#include <algorithm>

namespace velkaro {

Heartbeat::Heartbeat(int intervalMs, std::function<void()> beat, QObject* parent)
    : QObject(parent), beat_(std::move(beat)) {
    timer_.setTimerType(Qt::PreciseTimer);
    timer_.setInterval(intervalMs);
    connect(&timer_, &QTimer::timeout, this, &Heartbeat::Beat);
}

void Heartbeat::Start() {
    last_ = std::chrono::steady_clock::now();
    longestGap_ = {};
    timer_.start();
}

void Heartbeat::Stop() {
    timer_.stop();
}

void Heartbeat::Beat() {
    auto now = std::chrono::steady_clock::now();
    longestGap_ = std::max(longestGap_, std::chrono::duration<double, std::milli>(now - last_));
    last_ = now;
    beat_();
}

}  // namespace velkaro
