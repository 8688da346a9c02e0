#include <csignal>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "platform/program_folder.h"
#include "tools/decoder-sim/options.h"
#include "tools/decoder-sim/record_file.h"
#include "tools/decoder-sim/simulator.h"

namespace {

volatile std::sig_atomic_t stopRequested = 0;

void OnSignal(int) {
    stopRequested = 1;
}

int Fail(const std::string& message) {
    std::fprintf(stderr, "decoder-sim: %s\n(decoder-sim --help tells more)\n", message.c_str());
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    using namespace velkaro::sim;
    std::setvbuf(stdout, nullptr, _IOLBF, 0);
    Options options;
    std::string error;
    if (!ParseOptions(std::vector<std::string>(argv + 1, argv + argc), &options, &error)) {
        return Fail(error);
    }
    if (options.help) {
        std::fputs(HelpText().c_str(), stdout);
        return 0;
    }

    Record replay;
    if (!options.replay.empty()) {
        std::ifstream in(options.replay, std::ios::binary);
        if (!in) return Fail("cannot read " + options.replay);
        std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        if (!ParseRecord(text, &replay, &error)) return Fail(options.replay + ", " + error);
        if (replay.model && !options.modelGiven) options.model = *replay.model;
        if (options.model == Model::Mk1 && options.start == StartWhen::ClockReset) {
            if (options.startGiven) return Fail("an MK1 takes no clock reset");
            options.start = StartWhen::Command;
        }
    }

    std::string folder = options.folder.empty() ? velkaro::DefaultProgramFolder() : options.folder;
    if (folder.empty()) return Fail("no program folder: give one with --folder");

    struct sigaction action = {};
    action.sa_handler = OnSignal;
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
    std::signal(SIGPIPE, SIG_IGN);

    Simulator simulator(std::move(options), std::move(replay), folder);
    return simulator.Run(&stopRequested);
}
