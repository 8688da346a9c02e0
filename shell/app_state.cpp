#include "shell/app_state.h"

namespace velkaro {

std::string WindowTitle(const AppState& state) {
    if (state.eventPath.empty()) return "Velkaro";
    return "Velkaro:   " + state.eventPath;
}

std::string WithRaceExtension(std::string name) {
    if (name.find(".race") == std::string::npos) name += ".race";
    return name;
}

EventForRun EventForRunOf(const AppState& state, int category) {
    const CategoryRecord& cat = state.event.header.categories[std::size_t(category - 1)];
    EventForRun forRun;
    forRun.categoryName = cat.name.View();
    forRun.eventName = state.track.eventName.View();
    forRun.circuitName = state.track.circuit.View();
    forRun.minimumLapSeconds = state.minimumLapSeconds;
    forRun.circuitIndex = state.circuitIndex;
    forRun.finalsState = cat.finalsState;
    forRun.personalChips = state.transponderMode == kPersonalChipsRadio;
    return forRun;
}

}  // namespace velkaro
