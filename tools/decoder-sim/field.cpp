#include "tools/decoder-sim/field.h"

#include <algorithm>
#include <cmath>

namespace velkaro::sim {
namespace {

double Spread(std::mt19937& random, double mean, double deviation) {
    if (deviation <= 0) return mean;
    return std::normal_distribution<double>(mean, deviation)(random);
}

}  // namespace

Field::Field(FieldSettings settings)
    : settings_(std::move(settings)),
      random_(settings_.seed),
      cars_(settings_.transponders.size()) {}

bool Field::Chance(double percent) {
    if (percent <= 0) return false;
    return std::uniform_real_distribution<double>(0.0, 100.0)(random_) < percent;
}

std::int64_t Field::LapMs(const Car& car) {
    double lap = Spread(random_, car.paceMs, settings_.lapSpreadS * 1000.0);
    // Nobody laps in a third of the field's average, and no lap lasts nothing.
    double shortest = std::max(50.0, settings_.lapMeanS * 1000.0 * 0.3);
    return std::llround(std::max(lap, shortest));
}

void Field::Start() {
    doubled_.clear();
    double mean = settings_.lapMeanS * 1000.0;
    double gap = settings_.staggerS > 0 ? settings_.staggerS * 1000.0 : kGridGapMs;
    for (std::size_t k = 0; k < cars_.size(); ++k) {
        Car& car = cars_[k];
        car.paceMs = std::max(mean * 0.5, Spread(random_, mean, settings_.paceSpreadS * 1000.0));
        car.crossings = 0;
        // From the grid to the line is about a third of a lap.
        double first = mean / 3 + std::abs(Spread(random_, 0, settings_.lapSpreadS * 500.0));
        car.nextMs = std::llround(first + gap * static_cast<double>(k));
    }
    running_ = !cars_.empty();
}

void Field::Stop() {
    for (Car& car : cars_) car.nextMs = -1;
    doubled_.clear();
    running_ = false;
}

std::int64_t Field::NextAtMs() const {
    std::int64_t next = -1;
    for (const Car& car : cars_) {
        if (car.nextMs >= 0 && (next < 0 || car.nextMs < next)) next = car.nextMs;
    }
    for (const Crossing& c : doubled_) {
        if (next < 0 || c.atMs < next) next = c.atMs;
    }
    return next;
}

bool Field::PopDue(std::int64_t nowMs, Crossing* out) {
    int car = -1;
    for (int k = 0; k < Cars(); ++k) {
        std::int64_t at = cars_[k].nextMs;
        if (at >= 0 && at <= nowMs && (car < 0 || at < cars_[car].nextMs)) car = k;
    }
    auto doubled =
        std::min_element(doubled_.begin(), doubled_.end(),
                         [](const Crossing& a, const Crossing& b) { return a.atMs < b.atMs; });
    if (doubled != doubled_.end() && doubled->atMs <= nowMs &&
        (car < 0 || doubled->atMs <= cars_[car].nextMs)) {
        *out = *doubled;
        doubled_.erase(doubled);
        return true;
    }
    if (car < 0) return false;

    Car& c = cars_[car];
    Crossing crossing;
    crossing.atMs = c.nextMs;
    crossing.car = car + 1;
    crossing.transponder = settings_.transponders[car];
    crossing.number = ++c.crossings;
    crossing.kind = Chance(settings_.missPercent) ? Crossing::Kind::Missed : Crossing::Kind::Seen;
    if (crossing.kind == Crossing::Kind::Seen && Chance(settings_.doublePercent)) {
        Crossing again = crossing;
        again.atMs += settings_.doubleGapMs;
        again.kind = Crossing::Kind::Doubled;
        doubled_.push_back(again);
    }
    bool done = settings_.maxCrossings > 0 && c.crossings >= settings_.maxCrossings;
    c.nextMs = done ? -1 : c.nextMs + LapMs(c);
    *out = crossing;
    return true;
}

}  // namespace velkaro::sim
