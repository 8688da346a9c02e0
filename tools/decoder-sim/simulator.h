#pragma once

#include <chrono>
#include <csignal>
#include <cstdint>
#include <cstdio>
#include <deque>
#include <string>
#include <vector>

#include "tools/decoder-sim/field.h"
#include "tools/decoder-sim/line.h"
#include "tools/decoder-sim/options.h"
#include "tools/decoder-sim/pty_link.h"
#include "tools/decoder-sim/record_file.h"
#include "tools/decoder-sim/wire.h"

namespace velkaro::sim {

// The running decoder: answers the program, sends the field's passings or a record's bytes,
// keeps passings while the link is down (MK2), and takes commands from the console.
class Simulator {
  public:
    Simulator(Options options, Record replay, std::string programFolder);
    ~Simulator();

    // Runs until "quit", or until *stop is set (by a signal). The exit status.
    int Run(volatile std::sig_atomic_t* stop);

  private:
    std::int64_t Now() const;
    std::int64_t NowUs() const;
    void Log(const char* format, ...) __attribute__((format(printf, 2, 3)));

    void Start();
    void DropLink();
    void RestoreLink();
    void Reboot();
    void FromProgram();
    void Console();
    void Command(const std::string& line);
    void Due(std::int64_t now);
    std::int64_t NextEvent() const;

    // A passing (or a record's burst) produced at time `at`: sent, kept or lost.
    const char* Deliver(const std::uint8_t* bytes, std::size_t count, std::int64_t at);
    // An answer to the program, on the line.
    void Answer(const std::uint8_t* bytes, std::size_t count);
    // Writes what is due on the line; the count the pseudo-terminal did not take.
    std::size_t Flush();
    void ReportLoss(std::size_t lost);
    // A detection of car (0: a transponder typed in) on its crossing `number` (0: by hand).
    void Detection(int car, std::uint16_t transponder, int number, std::int64_t at,
                   const char* note);
    void Status();

    std::chrono::steady_clock::time_point origin_;
    Options options_;
    Record replay_;
    PtyLink link_;
    Line line_;
    Field field_;
    CommandScanner scanner_;
    std::FILE* record_ = nullptr;

    std::int64_t startedAt_ = -1;   // the field's (or replay's) time 0; -1: not started
    std::int64_t decoderZero_ = 0;  // when the MK2's clock was last reset
    std::size_t replayNext_ = 0;
    std::int64_t dropAt_ = -1, restoreAt_ = -1, rebootAt_ = -1;
    std::int64_t startAfter_ = -1;
    bool holding_ = false;  // MK2: keep passings until the program asks for the decoder again
    std::deque<std::vector<std::uint8_t>> kept_;
    std::int64_t lastKeepAlive_ = -1;
    bool keepAlivesFlowing_ = false;
    bool toldMk1Ignores_ = false;
    int manualCrossings_ = 0;
    bool consoleOpen_ = true;
    std::string consoleLine_;
    bool quit_ = false;
};

}  // namespace velkaro::sim
