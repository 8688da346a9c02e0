#pragma once

#include <string_view>

#include "timing/run_control.h"

namespace velkaro {

inline constexpr std::string_view kStartRefusedTitle = "Start";
inline constexpr std::string_view kNoRunToStart =
    "No run is loaded.\nChoose a heat or a finals run in the event tree, then press Start.";
inline constexpr std::string_view kRunAlreadyRun =
    "This run has already been run: its results are kept.\n"
    "To run it again, press Clear first; its results will be erased.";

// Why "Start" does nothing, for the director who pressed it; empty when the run starts, and
// when it is already counting down, running or scanning, which the panel shows by itself.
std::string_view StartRefusal(const RunEngine& engine);

}  // namespace velkaro
