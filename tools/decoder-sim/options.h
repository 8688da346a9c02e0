#pragma once

#include <string>
#include <vector>

#include "tools/decoder-sim/field.h"
#include "tools/decoder-sim/wire.h"

namespace velkaro::sim {

// When the cars leave the grid (or a replay begins).
enum class StartWhen {
    ClockReset,  // the program zeroes the MK2's clock at the end of its countdown
    Command,     // "go" typed in the simulator
    After,       // a number of seconds after the simulator starts
};

struct Options {
    std::string folder;  // the program folder; empty: the program's own
    int port = 1;        // appears as COMn
    Model model = Model::Mk2;
    bool modelGiven = false;
    FieldSettings field;
    StartWhen start = StartWhen::ClockReset;
    double startAfterS = 0;
    std::string replay;   // a record file to send instead of a field
    std::string record;   // where to write what the decoder sends
    double dropAtS = -1;  // link drop, seconds after the start; negative: none
    double dropForS = 10;
    double rebootAtS = -1;  // MK2 clock restart, seconds after the start; negative: none
    int lineBaud = 0;       // 0: as fast as the pseudo-terminal takes the bytes
    int chunkMin = 0;       // 0: no chunks
    int chunkMax = 0;
    bool quiet = false;
    bool help = false;
    bool startGiven = false;
};

// False with a message when the command line cannot be followed.
bool ParseOptions(const std::vector<std::string>& args, Options* options, std::string* error);

std::string HelpText();

}  // namespace velkaro::sim
