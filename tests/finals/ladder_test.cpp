#include "finals/ladder.h"

#include <gtest/gtest.h>

namespace velkaro {
namespace {

TEST(Ladder, ParticipantsGiveTheStartingLevelRunsAndDuration) {
    struct Case {
        int participants, level, runs;
        const char* begins;
        const char* duration;
    };
    // Defaults: d = 0, 14, 14, 14, 14; durations 30, 20, 15, 10, 10; delays 15, 10, 5, 5.
    const Case cases[] = {
        {0, 0, 1, "Final", "0h30min"},
        {14, 1, 3, "1/2 final", "1h40min"},
        {15, 2, 5, "1/4 final", "2h30min"},
        {28, 2, 5, "1/4 final", "2h30min"},
        {29, 3, 7, "1/8th final", "3h00min"},
        {42, 3, 7, "1/8th final", "3h00min"},
        {43, 4, 9, "1/16th final", "3h30min"},
        {56, 4, 9, "1/16th final", "3h30min"},
        {57, 5, 11, "1/32th final", "4h00min"},
        {154, 11, 23, "1/2048th final", "7h00min"},
        {155, 12, 0, "Error: >1/2048th f", "0h00min"},
    };
    for (const Case& c : cases) {
        FinalsLadder l = DefaultFinalsLadder(c.participants);
        ASSERT_EQ(l.direct, (std::array<std::int32_t, 5>{0, 14, 14, 14, 14}));
        FinalsStart s = ComputeFinalsStart(l);
        EXPECT_EQ(s.level, c.level) << c.participants;
        EXPECT_EQ(RunsOfLevel(s.level), c.runs) << c.participants;
        EXPECT_EQ(FinalsBeginText(s.level).View(), c.begins) << c.participants;
        EXPECT_EQ(DurationText(s.minutes).View(), c.duration) << c.participants;
        EXPECT_EQ(GenerateAllowed(l), c.level != kTooManyLevels) << c.participants;
    }
}

TEST(Ladder, FieldsKeepToTheirLimits) {
    FinalsLadder l = DefaultFinalsLadder(30);
    // Fewer drivers per run first lowers the go-up counts past their new limits.
    EXPECT_EQ(SetLadderField(l, LadderField::PerRun, 9, 30), 9);
    EXPECT_EQ(l.goUp, (std::array<std::int32_t, 4>{4, 3, 3, 3}));
    EXPECT_EQ(l.direct, (std::array<std::int32_t, 5>{1, 12, 12, 12, 12}));
    EXPECT_EQ(SetLadderField(l, LadderField::PerRun, 2, 30), 2);
    EXPECT_EQ(l.goUp, (std::array<std::int32_t, 4>{1, 2, 2, 2}));
    EXPECT_EQ(SetLadderField(l, LadderField::PerRun, 35, 30), 20);
    EXPECT_EQ(SetLadderField(l, LadderField::DurationHalf, 200, 30), 150);
    EXPECT_EQ(SetLadderField(l, LadderField::DelayLower, 250, 30), 99);
    EXPECT_EQ(SetLadderField(l, LadderField::Participants, 45, 30), 30);
    EXPECT_EQ(SetLadderField(l, LadderField::GoUpFinal, 14, 30), 10);
    EXPECT_EQ(SetLadderField(l, LadderField::GoUpHalf, 25, 30), 20);
    EXPECT_EQ(l.direct[1], 0);
    // A stored ladder with more going up than a run holds blocks "Generate"; the calculator
    // shows such a count as 0.
    EXPECT_EQ(ComputeDirectCounts(10, {6, 12, 3, 3}, false),
              (std::array<std::int32_t, 5>{-2, -4, 14, 14, 14}));
    EXPECT_EQ(ComputeDirectCounts(10, {6, 12, 3, 3}),
              (std::array<std::int32_t, 5>{0, 0, 14, 14, 14}));
    l.direct = ComputeDirectCounts(10, {6, 12, 3, 3}, false);
    l.participants = 10;
    EXPECT_FALSE(GenerateAllowed(l));
    l.durations = {0, 20, 0, 10, 10};
    EXPECT_EQ(LadderToStore(l).durations, (std::array<std::int32_t, 5>{1, 20, 1, 10, 10}));
    EXPECT_TRUE(LadderStructureLocked(2));
    EXPECT_FALSE(LadderStructureLocked(1));
}

TEST(Ladder, StaggeredStartTakesTheSignalEndAway) {
    FinalsOptions o;
    o.endAtTime = TimeEnd::AtSignal;
    ChooseFinalsStart(o, StartMode::Staggered);
    EXPECT_TRUE(o.endAtTime == TimeEnd::FinishLap);
    EXPECT_FALSE(SignalEndAllowed(o));
    ChooseFinalsStart(o, StartMode::FirstCar);
    EXPECT_TRUE(SignalEndAllowed(o));
    EXPECT_EQ(ClampCountdown(99999), 3600);
}

TEST(Planning, QualificationRunsAndDuration) {
    struct Case {
        int participants, perHeat, rounds, run, delay, runs;
        const char* duration;
    };
    const Case cases[] = {
        {37, 8, 3, 5, 3, 15, "2h00min"},
        {40, 8, 1, 5, 3, 5, "0h40min"},
        {41, 8, 1, 5, 3, 6, "0h48min"},
        {37, 0, 3, 5, 3, 0, "0h00min"},
    };
    for (const Case& c : cases) {
        QualifPlanning q;
        SetPlanningField(q, PlanningField::Participants, c.participants);
        SetPlanningField(q, PlanningField::PerHeat, c.perHeat);
        SetPlanningField(q, PlanningField::Rounds, c.rounds);
        SetPlanningField(q, PlanningField::RunMinutes, c.run);
        SetPlanningField(q, PlanningField::DelayMinutes, c.delay);
        PlanningResult r = PlanQualification(q);
        EXPECT_EQ(r.runs, c.runs) << c.participants << "/" << c.perHeat;
        EXPECT_EQ(DurationText(r.minutes).View(), c.duration) << c.participants << "/" << c.perHeat;
    }
    QualifPlanning q;
    EXPECT_EQ(SetPlanningField(q, PlanningField::Participants, 250), 200);
    EXPECT_EQ(SetPlanningField(q, PlanningField::PerHeat, 25), 20);
    EXPECT_EQ(SetPlanningField(q, PlanningField::RunMinutes, 500), 120);
}

}  // namespace
}  // namespace velkaro
