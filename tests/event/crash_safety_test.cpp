#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <iostream>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "databases/circuits_file.h"
#include "databases/database_files.h"
#include "event/event_file.h"
#include "event/journal.h"
#include "event/section.h"
#include "event/sections.h"
#include "finals/finals_run.h"
#include "finals/ladder.h"
#include "qualification/heat_arrangement.h"
#include "qualification/overall_classification.h"
#include "tests/event/crash_disk.h"
#include "tests/event/event_fixtures.h"
#include "tests/support/test_support.h"
#include "timing/run_loading.h"

namespace velkaro {
namespace {

using test::CrashDisk;
const std::string kCopy(kWorkingCopy);

// One write to the working copy, as the program makes it; false when it failed.
using Operation = std::function<bool(Disk&, Messages&)>;

EventHeader OneCategory(int heatsPerRound) {
    EventHeader h;
    h.selectedNode = 13100 + heatsPerRound;
    h.categoryCount = 1;
    h.categories[0] = {Text<56>("CATEGORY 1"), 120, 0, 0, 1, heatsPerRound, 0};
    return h;
}

Operation Header(int heatsPerRound) {
    return [heatsPerRound](Disk& disk, Messages&) {
        EventHeader h = OneCategory(heatsPerRound);
        h.categories[0].qualificationStarted = 1;
        return WriteEventHeader(h, disk) == FileOutcome::Done;
    };
}

Operation Heat(int heat, RunCars cars) {
    return [heat, cars](Disk& disk, Messages& m) {
        return WriteHeatResult(cars, CarsInUse(cars), HeatTitle(1, 1, heat).View(),
                               test::HeatTrailer(), m, disk) == FileOutcome::Done;
    };
}

Operation Flags(int heat) {
    return [heat](Disk& disk, Messages& m) {
        RunDoneFlags flags;
        for (int h = 1; h <= heat; ++h) flags.flags[0][h - 1] = 1;
        return WriteRunDoneFlags(flags, m, disk) == FileOutcome::Done;
    };
}

Operation FinalsRun(int level, char letter, RunCars cars, std::array<RelatedRun, 2> related) {
    return [=](Disk& disk, Messages& m) {
        SectionTitle title = FinalsRunTitle(1, level, letter);
        return WriteFinalsRunResult(cars, CarsInUse(cars), title.View(), 1, related,
                                    test::HeatTrailer(), m, disk) == FileOutcome::Done;
    };
}

// The run engine's recording of a heat: its section, the header and its run-done flag.
Operation RecordHeat(int heat, RunCars cars) {
    return [heat, cars](Disk& disk, Messages& m) {
        auto e = std::make_unique<RunEngine>();
        e->kind = RunKind::Heat;
        e->category = e->round = 1;
        e->heat = heat;
        e->sectionTitle = HeatTitle(1, 1, heat);
        e->tables.cars = cars;
        e->tables.carsInUse = CarsInUse(cars);
        e->trailer = test::HeatTrailer();
        auto model = std::make_unique<EventModel>();
        model->header = OneCategory(2);
        for (int h = 1; h < heat; ++h) model->runDone.flags[0][h - 1] = 1;
        return RecordLoadedRun(*e, *model, m, disk);
    };
}

// A final's run, the status lines of its related runs, the header and the flags in one change.
Operation RecordFinal(RunCars cars, std::array<RelatedRun, 2> related) {
    return [=](Disk& disk, Messages& m) {
        Transaction t{EventStore{disk}};
        PutFinalsRunResult(t, cars, CarsInUse(cars), FinalsRunTitle(1, 0, 'A').View(), 1, related,
                           test::HeatTrailer(), m);
        PutEventHeader(t, OneCategory(1));
        RunDoneFlags flags;
        flags.flags[0][FinalsFlagIndex(0, 'A')] = 1;
        PutRunDoneFlags(t, flags, m);
        return t.Commit() == FileOutcome::Done;
    };
}

// "Validate" of the overall ranking: the header's finals state and the ranked names.
Operation Validate(int participants) {
    return [participants](Disk& disk, Messages& m) {
        auto sheet = std::make_unique<OverallSheet>();
        sheet->header.participants = participants;
        for (int i = 0; i < participants; ++i) Format(sheet->ranked[i].name, "Driver %d", 9 - i);
        return SaveOverallSheet(*sheet, m, disk) == FileOutcome::Done;
    };
}

// "Generate": the header's counts and the heat slots.
Operation GenerateHeats(int heats) {
    return [heats](Disk& disk, Messages& m) {
        auto a = std::make_unique<Arrangement>();
        a->category = 1;
        a->heats = heats;
        a->driversPerHeat = 4;
        for (int i = 0; i < 4 * heats; ++i) Format(a->heatSlots[i].name, "Driver %d", i + 1);
        return Generate(*a, m, disk) && a->header.categories[0].heatsPerRound == heats;
    };
}

// "Generate" of the finals: the header's finals runs and the ladder.
Operation Ladder(int participants) {
    return [participants](Disk& disk, Messages& m) {
        EventHeader h = OneCategory(1);
        h.categories[0].finalsRuns = participants / 4;
        return SaveFinalsArrangement(1, h, DefaultFinalsLadder(participants), m, disk) ==
               FileOutcome::Done;
    };
}

// Two lanes of the 1/4 finals change drivers: lane `lane` of the A run with the B run's first.
Operation SwapQuarterFinalLanes(int lane) {
    return [lane](Disk& disk, Messages& m) {
        auto panel = std::make_unique<RunEngine>();
        return SwapFinalsLanes(*panel, 1, 2, 'A', lane, 'B', 1, m, disk) == LaneSwap::Swapped;
    };
}

// The working copy after the operations, run on a disk that never fails.
std::string Prepare(const std::vector<Operation>& ops) {
    CrashDisk disk;
    FakeMessages m;
    test::FailOnUnexpectedMessages(m);
    EXPECT_EQ(CreateNewEventFile("CATEGORY 1", disk), FileOutcome::Done);
    for (const Operation& op : ops) EXPECT_TRUE(op(disk, m));
    return disk.Files()[kCopy];
}

// Where a write is cut: every byte of its first and last 32 (the journal's head and its
// checksum among them), and 16 places between.
std::vector<std::size_t> TornSizes(std::size_t size) {
    std::set<std::size_t> cuts;
    for (std::size_t b = 0; b <= size && b <= 32; ++b) cuts.insert(b);
    for (std::size_t b = size > 32 ? size - 32 : 0; b <= size; ++b) cuts.insert(b);
    for (std::size_t k = 1; k < 16; ++k) cuts.insert(size * k / 16);
    return {cuts.begin(), cuts.end()};
}

// Stops the power at every step of the operations, each write cut at many places, and under
// each kind of loss; after the roll-back the file (the working copy unless told) must be exactly
// as before the write that was interrupted or exactly as after it, and (checked after a plain
// power cut) the remaining writes must then give the same file as an uninterrupted run.
int CheckEveryCrash(const std::string& start, const std::vector<Operation>& ops,
                    const std::string& file = kCopy) {
    const std::map<std::string, std::string> files{{file, start}};
    std::vector<std::string> states{start};
    std::vector<std::size_t> sizes;
    {
        CrashDisk disk(files);
        FakeMessages m;
        test::FailOnUnexpectedMessages(m);
        for (const Operation& op : ops) {
            EXPECT_TRUE(op(disk, m));
            states.push_back(disk.Files()[file]);
        }
        sizes = disk.StepSizes();
        EXPECT_FALSE(ChangePending(disk, file));
        if (sizes.empty()) ADD_FAILURE() << "nothing was written";
    }

    int trials = 0;
    for (int step = 0; step < static_cast<int>(sizes.size()); ++step) {
        const std::size_t written = sizes[step];
        for (std::size_t cut : written > 0 ? TornSizes(written) : std::vector<std::size_t>{0}) {
            for (int mode = 0; mode < 4; ++mode) {  // Some, twice with other losses
                const auto loss = static_cast<CrashDisk::Loss>(std::min(mode, 2));
                CrashDisk disk(files);
                disk.crashAt = step;
                disk.tornBytes = cut;
                FakeMessages m;
                m.allowAny = true;
                std::size_t done = 0;
                while (done < ops.size() && ops[done](disk, m)) ++done;
                if (!disk.Crashed()) ADD_FAILURE() << "no crash at step " << step;

                std::mt19937 rng(static_cast<unsigned>(step * 100003 + cut * 7 + mode));
                CrashDisk after(disk.Survivors(loss, rng));
                EXPECT_TRUE(RecoverWorkingCopy(after));
                SCOPED_TRACE(::testing::Message() << "step " << step << " cut " << cut << " loss "
                                                  << mode << " during write " << done);
                EXPECT_FALSE(ChangePending(after, file));
                // A crash after the last write has become permanent finds them all done.
                const std::string got = after.Files()[file];
                bool before = got == states[done];
                bool afterIt = done < ops.size() && got == states[done + 1];
                if (!before && !afterIt) {
                    ADD_FAILURE() << "the file is neither as before nor as after";
                    return trials;
                }

                if (mode == 1) {
                    FakeMessages again;
                    test::FailOnUnexpectedMessages(again);
                    for (std::size_t i = afterIt ? done + 1 : done; i < ops.size(); ++i) {
                        EXPECT_TRUE(ops[i](after, again));
                    }
                    EXPECT_EQ(after.Files()[file], states.back());
                }
                ++trials;
            }
        }
    }
    EXPECT_GT(trials, 100);
    return trials;
}

// Each change as the program makes it. Recording a heat writes the run, the header and the flag
// as one change: a crash leaves all three or none; a final marks its related runs with it. Each
// journal is written over the previous one with exactly its length: a new one cut short must
// never let the old one pass for complete.
TEST(CrashSafety, EveryChangeOfTheWorkingCopy) {
    using test::BusyRun;
    auto slots = [](Disk& disk, Messages& m) {
        return WriteHeatSlotList(1, DefaultHeatSlotList(), true, m, disk) == FileOutcome::Done;
    };
    const SectionTitle a = FinalsRunTitle(1, 1, 'A'), b = FinalsRunTitle(1, 1, 'B');
    const std::string loaded = Prepare({Heat(2, BusyRun(3, 10, 2))});
    auto load = [&loaded](Disk& disk, Messages& m) {
        // The user's file comes with the disk the operation is given.
        std::unique_ptr<DiskFile> user = disk.Open("Races/Spring.race", OpenMode::CreateEmpty);
        return user && user->Write(0, loaded) && user->Sync() &&
               CopyIntoWorkingCopy("Races/Spring.race", m, disk) == FileOutcome::Done;
    };
    auto create = [](Disk& disk, Messages&) {
        return CreateNewEventFile("CATEGORIE 1", disk) == FileOutcome::Done;
    };
    const struct {
        const char* what;
        std::vector<Operation> before, ops;
    } cases[] = {
        {"a heat recorded for the first time",
         {Heat(1, BusyRun(6, 40, 1))},
         {RecordHeat(2, BusyRun(5, 40, 2)), Heat(2, BusyRun(3, 12, 4))}},
        {"a heat recorded again in place",
         {Heat(1, BusyRun(6, 40, 1)), Heat(2, BusyRun(4, 30, 2))},
         {RecordHeat(1, BusyRun(6, 41, 3)), Heat(2, BusyRun(3, 12, 4))}},
        {"a heat recorded moving the rest of the file",
         {Heat(1, test::TwoCarHeat()), Heat(2, BusyRun(4, 30, 2))},
         {RecordHeat(1, BusyRun(7, 40, 3)), Heat(2, BusyRun(3, 12, 4))}},
        {"a final recorded with its related runs",
         {FinalsRun(1, 'A', BusyRun(3, 30, 1), {}), FinalsRun(1, 'B', BusyRun(3, 30, 2), {})},
         {RecordFinal(BusyRun(4, 40, 3), {RelatedRun{a.View(), 2}, RelatedRun{b.View(), 2}})}},
        {"validating", {slots, Heat(1, BusyRun(5, 20, 1))}, {Validate(3), Validate(9)}},
        {"generating", {slots, Heat(1, BusyRun(5, 20, 1))}, {GenerateHeats(2), GenerateHeats(5)}},
        {"the finals ladder", {slots, Heat(1, BusyRun(5, 20, 1))}, {Ladder(8), Ladder(40)}},
        {"swapping finals lanes",
         {slots, Heat(1, BusyRun(5, 20, 1))},
         {SwapQuarterFinalLanes(3), SwapQuarterFinalLanes(5)}},
        {"journals of the same length",
         {Heat(1, BusyRun(3, 10, 1))},
         {Header(2), Header(3), Flags(2), Flags(3)}},
        {"a loaded event, then a new one", {Heat(1, BusyRun(6, 40, 1))}, {load, create}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const int trials = CheckEveryCrash(Prepare(c.before), c.ops);
        std::cout << c.what << ": " << trials << " power cuts tried\n";
    }
}

// The whole database goes back to the disk: the circuits with the track record a run may have
// broken at its stop, the drivers grown and shrunk.
TEST(CrashSafety, SavingTheDatabases) {
    auto circuits = [](std::int32_t recordMs) -> Operation {
        return [recordMs](Disk& disk, Messages&) {
            CircuitTable table{};
            for (int i = 0; i < 12; ++i) Format(table[i].name, "Track %d", i + 1);
            table[3].recordLapTime = recordMs;
            return SaveCircuits(table, disk);
        };
    };
    auto drivers = [](int count) -> Operation {
        return [count](Disk& disk, Messages&) {
            auto table = std::make_unique<DriverTable>();
            for (int i = 0; i < count; ++i) Format((*table)[i].name, "Driver %d", i + 1);
            return SaveDrivers(*table, count, disk);
        };
    };
    const struct {
        std::string file;
        std::vector<Operation> saves;  // the first makes the file the crashes start from
    } cases[] = {{std::string(kCircuitsFile), {circuits(15000), circuits(14800), circuits(14650)}},
                 {std::string(kDriversFile), {drivers(6), drivers(7), drivers(3)}}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.file);
        CrashDisk disk;
        FakeMessages m;
        ASSERT_TRUE(c.saves[0](disk, m));
        CheckEveryCrash(disk.Files()[c.file], {c.saves[1], c.saves[2]}, c.file);
    }
}

TEST(CrashSafety, AWriteThatFailsWithoutACrashIsUndoneAtOnce) {
    // A full disk refuses the write in place: the file is put back before the call returns.
    const std::string start = Prepare({Heat(1, test::BusyRun(6, 40, 1))});
    CrashDisk disk(kCopy, start);
    disk.fullFile = kCopy;
    FakeMessages m;
    test::FailOnUnexpectedMessages(m);
    EXPECT_EQ(WriteHeatResult(test::BusyRun(12, 61, 5), 12, HeatTitle(1, 1, 1).View(),
                              test::HeatTrailer(), m, disk),
              FileOutcome::Unavailable);
    EXPECT_TRUE(disk.fullFile.empty());  // the write was refused
    EXPECT_EQ(disk.Files()[kCopy], start);
    EXPECT_FALSE(ChangePending(disk, kCopy));
    EXPECT_FALSE(disk.Exists(JournalName(kCopy)));
}

TEST(CrashSafety, NoJournalStaysBesideTheFile) {
    const std::string start = Prepare({Heat(1, test::BusyRun(6, 40, 1))});
    const struct {
        const char* after;
        std::string full;  // the file whose first write fails
        Operation op;
        bool done;
    } cases[] = {
        {"a heat recorded", "", RecordHeat(2, test::BusyRun(3, 9, 2)), true},
        {"a refused write in place", kCopy, RecordHeat(2, test::BusyRun(3, 9, 2)), false},
        {"a refused journal", JournalName(kCopy), Header(3), false},
        {"a failed load", kCopy + "-new",
         [](Disk& disk, Messages& m) {
             return CopyIntoWorkingCopy(kCopy, m, disk) == FileOutcome::Done;
         },
         false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.after);
        CrashDisk disk(kCopy, start);
        ASSERT_TRUE(Header(2)(disk, *std::make_unique<FakeMessages>()));  // a journal was used
        disk.fullFile = c.full;
        FakeMessages m;
        m.allowAny = true;
        EXPECT_EQ(c.op(disk, m), c.done);
        EXPECT_EQ(disk.Files().count(JournalName(kCopy)), 0u);
    }
}

}  // namespace
}  // namespace velkaro
