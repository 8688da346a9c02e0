#include "timing/start_refusal.h"

namespace velkaro {

std::string_view StartRefusal(const RunEngine& e) {
    if (e.preStart != 0 || e.running != 0 || e.scanMode != 0) return {};
    if (e.runLoaded == 0) return kNoRunToStart;
    if (e.armed == 0) return kRunAlreadyRun;
    return {};
}

}  // namespace velkaro
