#pragma once

#include <cstdint>
#include <random>
#include <vector>

namespace velkaro::sim {

// A field of cars lapping a track, as the decoder sees it.
struct FieldSettings {
    std::vector<std::uint16_t> transponders;  // one per car, car 1 first
    double lapMeanS = 20.0;                   // the field's average lap
    double lapSpreadS = 0.5;                  // how much one car's laps vary (standard deviation)
    double paceSpreadS = 1.0;    // how much the cars' average laps differ (standard deviation)
    double missPercent = 0.0;    // crossings the decoder does not see
    double doublePercent = 0.0;  // crossings it reports twice
    int doubleGapMs = 150;       // the second report's delay
    double staggerS = 0.0;       // cars released one by one this far apart; 0: a grid start
    int maxCrossings = 0;        // a car leaves the track after this many; 0: never
    std::uint32_t seed = 1;
};

// What happens at the line.
struct Crossing {
    enum class Kind { Seen, Missed, Doubled };
    std::int64_t atMs = 0;  // since the start
    int car = 0;            // 1-based
    std::uint16_t transponder = 0;
    int number = 0;  // the car's crossings so far, this one included
    Kind kind = Kind::Seen;
};

inline constexpr int kGridGapMs = 250;  // between two cars leaving a grid

class Field {
  public:
    explicit Field(FieldSettings settings);

    // The cars leave the grid: time 0 of the crossings. A running field starts over.
    void Start();
    // The cars leave the track.
    void Stop();
    bool Running() const { return running_; }
    int Cars() const { return static_cast<int>(cars_.size()); }

    // The time of the next crossing or doubled report, -1 when there is none.
    std::int64_t NextAtMs() const;
    // The next event due at or before nowMs, in time order (car order on a tie).
    bool PopDue(std::int64_t nowMs, Crossing* out);

  private:
    struct Car {
        double paceMs = 0;
        int crossings = 0;
        std::int64_t nextMs = -1;
    };
    std::int64_t LapMs(const Car& car);
    bool Chance(double percent);

    FieldSettings settings_;
    std::mt19937 random_;
    std::vector<Car> cars_;
    std::vector<Crossing> doubled_;
    bool running_ = false;
};

}  // namespace velkaro::sim
