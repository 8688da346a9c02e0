#include "finals/lanes.h"

#include <algorithm>

namespace velkaro {

namespace {

int LanesOfLevel(int level) {
    return level == 0 ? kCarSlots : kLevelLanes;
}

LevelLanes LadderOrder() {
    LevelLanes lanes{};
    for (int i = 0; i < kLevelLanes; ++i) lanes[std::size_t(i)] = i + 1;
    return lanes;
}

}  // namespace

int LaneIndex(char letter, int lane) {
    return (letter == 'B' ? kCarSlots : 0) + lane - 1;
}

LevelLanes LanesInForce(const LevelLanes& stored, int level) {
    const int n = LanesOfLevel(level);
    std::array<bool, kLevelLanes> taken{};
    for (int i = 0; i < n; ++i) {
        const std::int32_t place = stored[std::size_t(i)];
        if (place < 1 || place > n || taken[std::size_t(place - 1)]) return LadderOrder();
        taken[std::size_t(place - 1)] = true;
    }
    LevelLanes lanes = LadderOrder();
    std::copy_n(stored.begin(), n, lanes.begin());
    return lanes;
}

FinalsGrids GridsToStore(const FinalsGrids& grids) {
    FinalsGrids out;
    for (int level = 0; level <= kFinalsLevels; ++level) {
        const LevelLanes lanes = LanesInForce(grids.levels[std::size_t(level)], level);
        if (lanes != LadderOrder()) out.levels[std::size_t(level)] = lanes;
    }
    return out;
}

RunNames NamesOnLanes(const LevelLanes& stored, int level, char letter, const RunNames& placedA,
                      const RunNames& placedB) {
    const LevelLanes lanes = LanesInForce(stored, level);
    RunNames names;
    for (int lane = 1; lane <= kCarSlots; ++lane) {
        const int place = lanes[std::size_t(LaneIndex(letter, lane))];
        names[std::size_t(lane - 1)] =
            place <= kCarSlots ? placedA[std::size_t(place - 1)] : placedB[std::size_t(place - 21)];
    }
    return names;
}

bool SwapLanes(LevelLanes& lanes, int level, char letterA, int laneA, char letterB, int laneB) {
    const int n = LanesOfLevel(level);
    const int a = LaneIndex(letterA, laneA), b = LaneIndex(letterB, laneB);
    if (laneA < 1 || laneA > kCarSlots || laneB < 1 || laneB > kCarSlots) return false;
    if (a >= n || b >= n || a == b) return false;
    lanes = LanesInForce(lanes, level);
    std::swap(lanes[std::size_t(a)], lanes[std::size_t(b)]);
    return true;
}

std::string FinalsRunName(int level, char letter) {
    if (level == 0) return "Final";
    return "Finals " + std::string(FinalsLevelText(level, letter).View());
}

}  // namespace velkaro
