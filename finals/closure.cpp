#include "finals/closure.h"

#include <algorithm>
#include <functional>

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

bool ReadClosureInput(int category, const EventHeader& header, ClosureInput& in, Messages& messages,
                      Disk& disk) {
    in = ClosureInput{};
    if (category < 1 || category > kCategories) return false;
    const CategoryRecord& cat = header.categories[std::size_t(category - 1)];
    in.rankingCount = std::clamp(cat.participants, 0, kParticipants);

    FinalsLadder ladder;
    ladder.participants = in.rankingCount;
    FileOutcome read = ReadFinalsLadder(category, ladder, disk);
    if (read == FileOutcome::Unavailable) {
        messages.Error(kRaceFileNotFound);
        return false;
    }
    in.participants = ladder.participants;
    in.direct = ladder.direct;
    in.startLevel = std::clamp(StartLevelOf(cat.finalsRuns), 0, kFinalsLevels);

    OverallClassification overall;
    if (ReadOverallClassification(category, in.rankingCount, overall, disk) ==
        FileOutcome::Unavailable) {
        messages.Error(kRaceFileNotFound);
        return false;
    }
    in.ranking = overall.names;

    // Each driver's points in his best rounds, as the overall ranking summed them.
    std::array<std::array<std::int32_t, kRounds>, kParticipants> points{};
    int rounds = std::clamp(cat.rounds, 0, kRounds);
    for (int r = 1; r <= rounds; ++r) {
        RoundClassification round;
        if (ReadRoundClassification(category, r, in.rankingCount, round, disk) !=
            FileOutcome::Done) {
            continue;
        }
        for (int i = 0; i < in.rankingCount; ++i) {
            const RoundResult& result = round.entries[std::size_t(i)];
            if (result.name.Empty()) continue;
            for (int pos = 0; pos < in.rankingCount; ++pos) {
                if (in.ranking[std::size_t(pos)] == result.name) {
                    points[std::size_t(pos)][std::size_t(r - 1)] = result.points;
                }
            }
        }
    }
    int best = std::clamp(overall.bestRounds, 0, kRounds);
    for (int pos = 0; pos < in.rankingCount; ++pos) {
        std::array<std::int32_t, kRounds>& p = points[std::size_t(pos)];
        std::sort(p.begin(), p.end(), std::greater<>());
        for (int k = 0; k < best; ++k) in.points[std::size_t(pos)] += p[std::size_t(k)];
    }

    for (int level = 0; level <= in.startLevel; ++level) {
        for (char letter : {'A', 'B'}) {
            if (level == 0 && letter == 'B') continue;
            FinalsSource source{};
            if (ReadFinalsSource(FinalsRunTitle(category, level, letter).View(), source, disk) !=
                FileOutcome::Done) {
                continue;
            }
            bool run = SourceWasRun(source);
            FinalsSource ordered = OrderSourceResult(source);
            if (letter == 'A') {
                in.a[std::size_t(level)] = ordered;
                in.runA[std::size_t(level)] = run;
            } else {
                in.b[std::size_t(level)] = ordered;
                in.runB[std::size_t(level)] = run;
            }
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
