#pragma once

// A private PulseAudio server with a null sink, its monitor recorded, and the sound files found
// in the recording: what the ear of a race director would hear, for the sound tests.

#include <atomic>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "platform/sound_mixer.h"

namespace velkaro::test {

class SimProcess;

inline constexpr std::int64_t kPulseRate = 44100, kSamplesPerMs = kPulseRate / 1000;
using SteadyTime = std::chrono::steady_clock::time_point;

double Ms(std::chrono::steady_clock::duration d);

// Started in a scratch folder, whoever runs the test (root included); the environment points
// every client of this process at it.
class PulseServer {
  public:
    explicit PulseServer(const std::string& folder);
    ~PulseServer();
    // Empty when the server and its null sink are up; otherwise why not, for the skip message.
    const std::string& Unavailable() const { return why_; }

  private:
    std::unique_ptr<SimProcess> process_;
    std::string why_;
};

// The monitor's samples. Each read is stamped with its arrival: the earliest arrival relative to
// its samples ties the recording to the steady clock, late rather than early, so that delays
// measured against it are upper bounds.
class MonitorRecording {
  public:
    MonitorRecording();
    ~MonitorRecording();
    bool Recording() const { return parec_ != nullptr; }
    // Waits until the monitor delivers sound (a loaded machine may take a while to connect it),
    // at most 10 s. False if it never does.
    bool Flowing();
    void Stop();

    std::vector<std::int16_t> samples;
    SteadyTime zero = SteadyTime::max();  // when sample 0 was played
    SteadyTime At(std::int64_t i) const;
    std::int64_t Index(SteadyTime t) const;

  private:
    std::FILE* parec_ = nullptr;
    std::atomic<bool> stop_{false};
    std::atomic<std::size_t> received_{0};
    std::thread reader_;
};

// A sound file as the server plays it (mono at the sink's rate).
PcmSound Reference(const std::string& file);
// How many samples of `ref`, from its start, the recording holds unchanged at `at`.
std::int64_t Heard(const MonitorRecording& r, std::int64_t at, const PcmSound& ref);
// Whether the recording holds the sound's last loud 5 ms after its start (a sound cut by more is
// cut), give or take what the stalls of a loaded machine delay (heard as stutter, not a cut end).
bool EndHeard(const MonitorRecording& r, std::int64_t at, const PcmSound& ref);
// The first place in [from, to) where the sound starts, found by its first loud 10 ms; -1 if none.
// With `byEnd`, a start whose first 10 ms a stall of the machine split is found by the sound's
// last loud 5 ms instead (late by the stall, so still an upper bound of the delay).
std::int64_t Find(const MonitorRecording& r, std::int64_t from, std::int64_t to,
                  const PcmSound& ref, bool byEnd = false);

}  // namespace velkaro::test
