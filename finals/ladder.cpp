#include "finals/ladder.h"

#include <algorithm>

namespace velkaro {

namespace {

constexpr int kMaxPerRun = 20;
constexpr int kMaxDuration = 150;
constexpr int kMaxDelay = 99;
constexpr int kMaxCountdown = 3600;

struct FieldSlot {
    std::int32_t* value;
    int limit;
};

FieldSlot Slot(FinalsLadder& l, LadderField f, int participantsLimit) {
    int perRun = l.driversPerRun;
    switch (f) {
        case LadderField::Participants:
            return {&l.participants, std::min(999, participantsLimit)};
        case LadderField::PerRun:
            return {&l.driversPerRun, kMaxPerRun};
        case LadderField::DurationFinal:
        case LadderField::DurationHalf:
        case LadderField::DurationQuarter:
        case LadderField::DurationEighth:
        case LadderField::DurationLower:
            return {&l.durations[std::size_t(int(f) - int(LadderField::DurationFinal))],
                    kMaxDuration};
        case LadderField::DelayHalf:
        case LadderField::DelayQuarter:
        case LadderField::DelayEighth:
        case LadderField::DelayLower:
            return {&l.delays[std::size_t(int(f) - int(LadderField::DelayHalf))], kMaxDelay};
        case LadderField::GoUpFinal:
            return {&l.goUp[0], std::min(99, perRun / 2)};
        case LadderField::GoUpHalf:
        case LadderField::GoUpQuarter:
        case LadderField::GoUpLower:
            return {&l.goUp[std::size_t(int(f) - int(LadderField::GoUpFinal))],
                    std::min(99, perRun)};
    }
    return {&l.participants, 0};
}

}  // namespace

FinalsLadder DefaultFinalsLadder(int participants) {
    FinalsLadder l;
    l.participants = participants;
    l.driversPerRun = 10;
    l.durations = {30, 20, 15, 10, 10};
    l.delays = {15, 10, 5, 5};
    l.goUp = {5, 3, 3, 3};
    l.direct = ComputeDirectCounts(l.driversPerRun, l.goUp, false);
    return l;
}

std::array<std::int32_t, 5> ComputeDirectCounts(int perRun, const std::array<std::int32_t, 4>& goUp,
                                                bool clampAtZero) {
    std::array<std::int32_t, 5> d{};
    d[0] = perRun - 2 * goUp[0];
    d[1] = 2 * (perRun - goUp[1]);
    d[2] = 2 * (perRun - goUp[2]);
    d[3] = 2 * (perRun - goUp[3]);
    d[4] = d[3];
    if (clampAtZero) {
        for (std::int32_t& v : d) v = std::max(v, 0);
    }
    return d;
}

FinalsStart ComputeFinalsStart(int p, const std::array<std::int32_t, 5>& d,
                               const std::array<std::int32_t, 5>& dur,
                               const std::array<std::int32_t, 4>& delay) {
    // Each level below the Final runs twice, each run followed by its delay.
    int upTo1 = dur[1] + delay[0];
    int upTo2 = upTo1 + dur[2] + delay[1];
    int upTo3 = upTo2 + dur[3] + delay[2];
    if (p <= d[0]) return {0, dur[0]};
    if (p <= d[0] + d[1]) return {1, dur[0] + 2 * upTo1};
    if (p <= d[0] + d[1] + d[2]) return {2, dur[0] + 2 * upTo2};
    int s = d[0] + d[1] + d[2] + d[3];
    if (p <= s) return {3, dur[0] + 2 * upTo3};
    if (p > s + 8 * d[4]) return {kTooManyLevels, 0};
    int k = 1;
    while (k < 8 && p > s + k * d[4]) ++k;
    return {3 + k, dur[0] + 2 * (upTo3 + k * (dur[4] + delay[3]))};
}

int RunsOfLevel(int level) {
    return level >= kTooManyLevels ? 0 : 2 * level + 1;
}

Text<20> FinalsBeginText(int level) {
    Text<20> t;
    if (level <= 0) {
        t = "Final";
    } else if (level >= kTooManyLevels) {
        t = "Error: >1/2048th f";
    } else if (level <= 2) {
        Format(t, "1/%d final", 1 << level);
    } else {
        Format(t, "1/%dth final", 1 << level);
    }
    return t;
}

Text<16> DurationText(int minutes) {
    Text<16> t;
    Format(t, "%dh%02dmin", minutes / 60, minutes % 60);
    return t;
}

int SetLadderField(FinalsLadder& l, LadderField field, int typed, int participantsLimit,
                   bool clampAtZero) {
    FieldSlot slot = Slot(l, field, participantsLimit);
    *slot.value = std::clamp(typed, 0, std::max(slot.limit, 0));
    if (field == LadderField::PerRun) {
        for (LadderField up : {LadderField::GoUpFinal, LadderField::GoUpHalf,
                               LadderField::GoUpQuarter, LadderField::GoUpLower}) {
            FieldSlot u = Slot(l, up, participantsLimit);
            *u.value = std::min(*u.value, u.limit);
        }
    }
    l.direct = ComputeDirectCounts(l.driversPerRun, l.goUp, clampAtZero);
    return *slot.value;
}

int LadderFieldValue(const FinalsLadder& ladder, LadderField field) {
    FinalsLadder copy = ladder;
    return *Slot(copy, field, 0).value;
}

int LadderFieldLimit(const FinalsLadder& ladder, LadderField field, int participantsLimit) {
    FinalsLadder copy = ladder;
    return Slot(copy, field, participantsLimit).limit;
}

bool GenerateAllowed(const FinalsLadder& l) {
    for (std::int32_t d : l.direct) {
        if (d < 0) return false;
    }
    return ComputeFinalsStart(l).level != kTooManyLevels;
}

bool LadderStructureLocked(int finalsState) {
    return finalsState == 2;
}

FinalsLadder LadderToStore(const FinalsLadder& ladder) {
    FinalsLadder l = ladder;
    for (std::int32_t& d : l.durations) d = std::max(d, 1);
    return l;
}

FileOutcome SaveFinalsArrangement(int category, const EventHeader& header,
                                  const FinalsLadder& ladder, Messages& messages, Disk& disk) {
    Transaction t{EventStore{disk}};
    PutFinalsLadder(t, category, LadderToStore(ladder), messages);
    PutEventHeader(t, header);
    return t.Commit();
}

void ChooseFinalsStart(FinalsOptions& o, StartMode start) {
    o.start = start;
    if (start == StartMode::Staggered) o.endAtTime = TimeEnd::FinishLap;
}

bool SignalEndAllowed(const FinalsOptions& o) {
    return !(o.start == StartMode::Staggered);
}

int ClampCountdown(int typed) {
    return std::clamp(typed, 0, kMaxCountdown);
}

int SetPlanningField(QualifPlanning& q, PlanningField field, int typed) {
    std::int32_t* value = &q.participants;
    int limit = 200;
    switch (field) {
        case PlanningField::Participants:
            break;
        case PlanningField::PerHeat:
            value = &q.perHeat;
            limit = 20;
            break;
        case PlanningField::Rounds:
            value = &q.rounds;
            limit = 9;
            break;
        case PlanningField::RunMinutes:
            value = &q.runMinutes;
            limit = 120;
            break;
        case PlanningField::DelayMinutes:
            value = &q.delayMinutes;
            limit = 99;
            break;
    }
    *value = std::clamp(typed, 0, limit);
    return *value;
}

PlanningResult PlanQualification(const QualifPlanning& q) {
    if (q.perHeat <= 0) return {};
    int heats = q.participants / q.perHeat + (q.participants % q.perHeat != 0 ? 1 : 0);
    int runs = q.rounds * heats;
    return {runs, runs * (q.runMinutes + q.delayMinutes)};
}

}  // namespace velkaro
