#include "finals/closure.h"

#include <algorithm>
#include <memory>

#include "qualification/overall_classification.h"

namespace velkaro {

namespace {

int DirectOf(const ClosureInput& in, int level) {
    return in.direct[std::size_t(std::min(level, 4))];
}

bool LevelComplete(const ClosureInput& in, int level) {
    if (level == 0) return in.runA[0];
    return in.runA[std::size_t(level)] && in.runB[std::size_t(level)];
}

}  // namespace

void BuildClosureTable(const ClosureInput& in, ClosureTable& table) {
    table.count = 0;
    auto add = [&](const Text<40>& name) -> ClosureRow* {
        if (table.count >= kClosureRows) return nullptr;
        ClosureRow& row = table.rows[std::size_t(table.count++)];
        row = ClosureRow{};
        row.name = name;
        return &row;
    };
    int count = std::clamp(in.rankingCount, 0, kParticipants);
    int p = std::clamp(in.participants, 0, count);
    int start = std::clamp(in.startLevel, 0, kFinalsLevels);
    auto addQualified = [&](int from, int to) {
        for (int pos = from; pos < to; ++pos) {
            if (ClosureRow* row = add(in.ranking[std::size_t(pos)])) row->level = "Q";
        }
    };

    int complete = -1;
    for (int level = 0; level <= start; ++level) {
        if (LevelComplete(in, level)) {
            complete = level;
            break;
        }
    }
    int d = p;
    if (complete >= 0) {
        d = 0;
        for (int k = 0; k < complete; ++k) d += DirectOf(in, k);
    }
    addQualified(0, std::clamp(d, 0, count));

    auto addCar = [&](const FinalsSourceEntry& car, int level, char letter, int place) {
        if (car.name.Empty() || car.name == kEmptySlotName) return;
        if (ClosureRow* row = add(car.name)) {
            row->level = FinalsLevelText(level, letter);
            row->levelNumber = level;
            row->place = place;
            row->laps = car.laps;
            row->totalTime = car.totalTime;
        }
    };
    for (int level = complete; complete >= 0 && level <= start; ++level) {
        const FinalsSource& a = in.a[std::size_t(level)];
        const FinalsSource& b = in.b[std::size_t(level)];
        for (int i = 0; i < kCarSlots; ++i) {
            addCar(a[std::size_t(i)], level, 'A', i + 1);
            if (level > 0) addCar(b[std::size_t(i)], level, 'B', i + 1);
        }
    }
    addQualified(p, count);

    int rank = 1;
    for (int r = 0; r < table.count; ++r) {
        ClosureRow& row = table.rows[std::size_t(r)];
        for (int pos = 0; pos < count; ++pos) {
            if (in.ranking[std::size_t(pos)] == row.name) {
                row.qualifPlace = pos + 1;
                row.qualifPoints = in.points[std::size_t(pos)];
            }
        }
        bool listed = false;
        for (int earlier = 0; earlier < r && !listed; ++earlier) {
            listed = table.rows[std::size_t(earlier)].name == row.name;
        }
        if (listed) {
            row.rank = "Q";
        } else {
            Format(row.rank, "%d", rank++);
        }
    }
}

namespace {

constexpr std::size_t kLadderAt = 0, kRunsAt = 1;
constexpr std::size_t kClosureSections = kRunsAt + 2 * (kFinalsLevels + 1);

}  // namespace

bool ReadClosureInput(int category, const EventHeader& header, ClosureInput& in, Messages& messages,
                      Disk& disk) {
    in = ClosureInput{};
    if (category < 1 || category > kCategories) return false;
    const CategoryRecord& cat = header.categories[std::size_t(category - 1)];
    in.rankingCount = std::clamp(cat.participants, 0, kParticipants);
    in.participants = in.rankingCount;
    in.startLevel = std::clamp(StartLevelOf(cat.finalsRuns), 0, kFinalsLevels);

    EventFile f;
    if (!f.Open(disk)) {
        messages.Error(kRaceFileNotFound);
        return false;
    }
    std::array<SectionTitle, kClosureSections> titles{};
    titles[kLadderAt] = FinalsLadderTitle(category);
    for (int level = 0; level <= in.startLevel; ++level) {
        titles[kRunsAt + 2 * std::size_t(level)] = FinalsRunTitle(category, level, 'A');
        if (level > 0) {
            titles[kRunsAt + 2 * std::size_t(level) + 1] = FinalsRunTitle(category, level, 'B');
        }
    }
    const std::vector<SectionPosition> at = FindSectionsIn(f.bytes, titles);
    auto found = [&](std::size_t i) { return at[i].found; };

    if (found(kLadderAt)) {
        FieldReader fields(LineReader(f.bytes, at[kLadderAt].body).Next());
        in.participants = fields.NextInt();
        fields.NextInt();                              // drivers per run
        for (int k = 0; k < 9; ++k) fields.NextInt();  // durations and delays
        for (std::int32_t& d : in.direct) d = fields.NextInt();
    }
    // The ranking as the overall form computes it now: a round validated again since the
    // overall classification was stored must move the drivers here as it does there.
    OverallNotes notes;
    auto sheet = std::make_unique<OverallSheet>(OpenOverallSheet(category, notes, disk));
    for (int pos = 0; pos < in.rankingCount; ++pos) {
        const OverallEntry& entry = sheet->ranked[std::size_t(pos)];
        in.ranking[std::size_t(pos)] = entry.name;
        in.points[std::size_t(pos)] = entry.total;
    }

    auto cars = std::make_unique<RunCars>();
    for (int level = 0; level <= in.startLevel; ++level) {
        for (std::size_t side = 0; side < 2; ++side) {
            std::size_t i = kRunsAt + 2 * std::size_t(level) + side;
            if (titles[i].Empty() || !found(i)) continue;
            *cars = RunCars{};
            RunTrailer trailer;
            LineReader lines(f.bytes, at[i].body);
            if (!lines.AtEnd()) lines.Next();  // the status
            ReadRunContent(lines, *cars, trailer);
            FinalsSource source = SourceFromCars(*cars);
            (side == 0 ? in.runA : in.runB)[std::size_t(level)] = SourceWasRun(source);
            (side == 0 ? in.a : in.b)[std::size_t(level)] = OrderSourceResult(source);
        }
    }
    return true;
}

Text<32> ClosureResultText(const ClosureRow& row) {
    Text<32> t;
    if (row.FromQualification()) return t;
    int ms = row.totalTime % 1000;
    int seconds = row.totalTime / 1000;
    if (seconds >= 3600) {
        Format(t, "%dL in %d:%02d:%02d.%03d", row.laps, seconds / 3600, seconds / 60 % 60,
               seconds % 60, ms);
    } else {
        Format(t, "%dL in %d:%02d.%03d", row.laps, seconds / 60, seconds % 60, ms);
    }
    return t;
}

}  // namespace velkaro
