#include "timing/start_refusal.h"

namespace velkaro {

std::string_view StartRefusal(const RunEngine& e) {
    if (e.phase == RunPhase::NoRun) return kNoRunToStart;
    if (e.phase == RunPhase::Over) return kRunAlreadyRun;
    return {};
}

}  // namespace velkaro
