#include "common/radio_conflicts.h"

#include <algorithm>

namespace velkaro {

RadioConflicts FindRadioConflicts(const RadioGrid& grid, int lanes) {
    RadioConflicts found;
    lanes = std::clamp(lanes, 0, kCarSlots);
    std::array<bool, kCarSlots> counted{};
    for (int i = 0; i < lanes; ++i) {
        const RadioLane& a = grid[std::size_t(i)];
        if (counted[std::size_t(i)] || a.name.Empty() || a.name == kEmptySlotName ||
            a.frequency.Empty() || a.frequency == kNoClashFrequency) {
            continue;
        }
        RadioConflict c;
        c.frequency = a.frequency;
        for (int j = i; j < lanes; ++j) {
            const RadioLane& b = grid[std::size_t(j)];
            if (b.frequency != a.frequency || b.name.Empty() || b.name == kEmptySlotName) continue;
            counted[std::size_t(j)] = true;
            c.lanes[std::size_t(c.count++)] = j;
        }
        // Twenty lanes hold at most ten shared frequencies.
        if (c.count > 1) found.list[std::size_t(found.count++)] = c;
    }
    return found;
}

std::vector<std::string> ConflictLines(const RadioGrid& grid, const RadioConflicts& conflicts,
                                       std::string_view run) {
    std::vector<std::string> lines;
    for (int k = 0; k < conflicts.count; ++k) {
        const RadioConflict& c = conflicts.list[std::size_t(k)];
        std::string line = run.empty() ? std::string() : std::string(run) + ": ";
        for (int i = 0; i < c.count; ++i) {
            if (i > 0) line += " / ";
            line += grid[std::size_t(c.lanes[std::size_t(i)])].name.View();
        }
        line += " on ";
        line += c.frequency.View();
        lines.push_back(std::move(line));
    }
    return lines;
}

std::string FirstAndMore(const std::vector<std::string>& lines) {
    if (lines.empty()) return {};
    if (lines.size() == 1) return lines.front();
    return lines.front() + " +" + std::to_string(lines.size() - 1) + " more";
}

std::string AllLines(const std::vector<std::string>& lines) {
    std::string all;
    for (const std::string& line : lines) {
        if (!all.empty()) all += '\n';
        all += line;
    }
    return all;
}

}  // namespace velkaro
