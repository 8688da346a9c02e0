#pragma once

#include "event/sections.h"
#include "finals/arrangement.h"

// The lanes of the finals runs: the ladder fills the places of a level's runs, and the director
// may swap two lanes, within a run or between its A and B runs, until they have run.

namespace velkaro {

// A lane of a level: the A run's lanes 1 to 20 are 0 to 19, the B run's 20 to 39.
int LaneIndex(char letter, int lane);

// The stored lanes of a level when they take each of its places once (the Final's the A run's
// 20), the ladder's order otherwise.
LevelLanes LanesInForce(const LevelLanes& stored, int level);
// What is stored: every level's lanes in force, zeros for a level in the ladder's order.
FinalsGrids GridsToStore(const FinalsGrids& grids);

// The names on the lanes of run `letter` of a level, from its stored lanes and the places the
// ladder filled in its A and B runs.
RunNames NamesOnLanes(const LevelLanes& stored, int level, char letter, const RunNames& placedA,
                      const RunNames& placedB);

// Exchanges two lanes of a level (lanes from 1); false, nothing changed, for a lane outside the
// level (the Final has no B run) or a lane with itself.
bool SwapLanes(LevelLanes& lanes, int level, char letterA, int laneA, char letterB, int laneB);

// "Final", "Finals 1/4A".
std::string FinalsRunName(int level, char letter);

}  // namespace velkaro
