#pragma once

#include <array>
#include <cstdint>
#include <string_view>

#include "event/event_file.h"
#include "event/event_model.h"
#include "event/sections.h"
#include "finals/arrangement.h"
#include "platform/disk.h"
#include "platform/messages.h"
#include "platform/text.h"

// The final classification of a category: the drivers by how far they got in the finals, then
// by their place in their last final, with their qualification place and points.

namespace velkaro {

struct ClosureRow {
    Text<40> name;
    Text<4> rank;    // "%d", or "Q" for a driver already listed higher up
    Text<12> level;  // "FIN", "1/%dA", "1/%dB", or "Q" for a row from the qualification
    std::int32_t levelNumber = 0;
    std::int32_t place = 0;  // 1 to 20 in that final; 0 for a "Q" row
    std::int32_t laps = 0;
    std::int32_t totalTime = 0;
    std::int32_t qualifPlace = 0;  // 1-based; 0 when the name is not in the ranking
    std::int32_t qualifPoints = 0;
    bool FromQualification() const { return level == "Q"; }
};

// Every driver at most once from the qualification, and every car of every finals run.
inline constexpr int kClosureRows = kParticipants + kCarSlots * (2 * kFinalsLevels + 1);

struct ClosureTable {
    std::array<ClosureRow, kClosureRows> rows;
    int count = 0;
};

// What the table is built from: the qualification ranking with its points, the ladder, and the
// ordered result of every finals run (index = level; index 0 of `a` is the Final).
struct ClosureInput {
    QualifRanking ranking{};
    std::array<std::int32_t, kParticipants> points{};
    int rankingCount = 0;  // the category's participants
    int participants = 0;  // P of the ladder
    std::array<std::int32_t, 5> direct{};
    int startLevel = 0;
    std::array<FinalsSource, kFinalsLevels + 1> a{};
    std::array<FinalsSource, kFinalsLevels + 1> b{};
    std::array<bool, kFinalsLevels + 1> runA{};
    std::array<bool, kFinalsLevels + 1> runB{};
};

void BuildClosureTable(const ClosureInput& input, ClosureTable& table);

// Gathers the input from the event file: the overall ranking and its totals as the overall form
// computes them from the stored round classifications (with the stored keyword and number of
// best rounds), the ladder, and the finals runs (a missing run counts as not run). False when
// the event file cannot be read (reported).
bool ReadClosureInput(int category, const EventHeader& header, ClosureInput& input,
                      Messages& messages, Disk& disk);

// "%dL in %d:%02d.%03d", or with hours once the time reaches an hour; "" for a "Q" row.
Text<32> ClosureResultText(const ClosureRow& row);

}  // namespace velkaro
