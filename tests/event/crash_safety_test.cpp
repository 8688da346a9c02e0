#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "databases/circuits_file.h"
#include "databases/database_files.h"
#include "event/event_file.h"
#include "event/journal.h"
#include "event/section.h"
#include "tests/event/crash_disk.h"
#include "tests/event/event_fixtures.h"
#include "tests/support/test_support.h"

namespace velkaro {
namespace {

using test::CrashDisk;
const std::string kCopy(kWorkingCopy);

// One write to the working copy, as the program makes it; false when it failed.
using Operation = std::function<bool(Disk&, Messages&)>;

Operation Heat(int heat, RunCars cars) {
    return [heat, cars](Disk& disk, Messages& m) {
        return WriteHeatResult(cars, CarsInUse(cars), HeatTitle(1, 1, heat).View(),
                               test::HeatTrailer(), m, disk) == FileOutcome::Done;
    };
}

Operation Header(int heatsPerRound) {
    return [heatsPerRound](Disk& disk, Messages&) {
        EventHeader h;
        h.selectedNode = 13100 + heatsPerRound;
        h.categoryCount = 1;
        h.categories[0] = {Text<56>("CATEGORY 1"), 120, 1, 0, 1, heatsPerRound, 0};
        return WriteEventHeader(h, disk) == FileOutcome::Done;
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
void CheckEveryCrash(const std::string& start, const std::vector<Operation>& ops,
                     const std::string& file = kCopy) {
    const std::map<std::string, std::string> files{{file, start}};
    std::vector<std::string> states{start};
    std::vector<std::size_t> sizes;
    {
        CrashDisk disk(files);
        FakeMessages m;
        test::FailOnUnexpectedMessages(m);
        for (const Operation& op : ops) {
            ASSERT_TRUE(op(disk, m));
            states.push_back(disk.Files()[file]);
        }
        sizes = disk.StepSizes();
        ASSERT_FALSE(ChangePending(disk, file));
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
                ASSERT_TRUE(disk.Crashed());

                std::mt19937 rng(static_cast<unsigned>(step * 100003 + cut * 7 + mode));
                CrashDisk after(disk.Survivors(loss, rng));
                ASSERT_TRUE(RecoverWorkingCopy(after));
                SCOPED_TRACE(::testing::Message() << "step " << step << " cut " << cut << " loss "
                                                  << mode << " during write " << done);
                EXPECT_FALSE(ChangePending(after, file));
                // A crash after the last write has become permanent finds them all done.
                const std::string got = after.Files()[file];
                bool before = got == states[done];
                bool afterIt = done < ops.size() && got == states[done + 1];
                ASSERT_TRUE(before || afterIt) << "the file is neither as before nor as after";

                if (mode == 1) {
                    FakeMessages again;
                    test::FailOnUnexpectedMessages(again);
                    for (std::size_t i = afterIt ? done + 1 : done; i < ops.size(); ++i) {
                        ASSERT_TRUE(ops[i](after, again));
                    }
                    ASSERT_EQ(after.Files()[file], states.back());
                }
                ++trials;
            }
        }
    }
    EXPECT_GT(trials, 100);
}

TEST(CrashSafety, RecordingAHeat) {
    using test::BusyRun;
    const struct {
        const char* how;
        std::vector<Operation> before;
        Operation heat;
    } cases[] = {
        {"for the first time", {Heat(1, BusyRun(6, 40, 1))}, Heat(2, BusyRun(5, 40, 2))},
        {"again in place",
         {Heat(1, BusyRun(6, 40, 1)), Heat(2, BusyRun(4, 30, 2))},
         Heat(1, BusyRun(6, 41, 3))},
        {"moving the rest of the file",
         {Heat(1, test::TwoCarHeat()), Heat(2, BusyRun(4, 30, 2))},
         Heat(1, BusyRun(7, 40, 3))},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.how);
        CheckEveryCrash(Prepare(c.before), {c.heat, Header(2), Flags(2)});
    }
}

TEST(CrashSafety, RecordingAFinalWithItsRelatedRuns) {
    const std::string start = Prepare({FinalsRun(1, 'A', test::BusyRun(3, 30, 1), {}),
                                       FinalsRun(1, 'B', test::BusyRun(3, 30, 2), {})});
    const SectionTitle a = FinalsRunTitle(1, 1, 'A'), b = FinalsRunTitle(1, 1, 'B');
    CheckEveryCrash(start, {FinalsRun(0, 'A', test::BusyRun(4, 40, 3),
                                      {RelatedRun{a.View(), 2}, RelatedRun{b.View(), 2}}),
                            Header(1), Flags(1)});
}

TEST(CrashSafety, JournalsOfTheSameLengthOneAfterTheOther) {
    // Each journal is written over the previous one, with exactly its length: a new journal
    // cut short must never let the old one pass for complete.
    const std::string start = Prepare({Heat(1, test::BusyRun(3, 10, 1))});
    CheckEveryCrash(start, {Header(2), Header(3), Flags(2), Flags(3)});
}

TEST(CrashSafety, ReplacingTheWorkingCopyByALoadedEventThenANewOne) {
    const std::string start = Prepare({Heat(1, test::BusyRun(6, 40, 1))});
    const std::string loaded = Prepare({Heat(2, test::BusyRun(3, 10, 2))});
    CheckEveryCrash(start, {[&](Disk& disk, Messages& m) {
                                // The user's file comes with the disk the operation is given.
                                std::unique_ptr<DiskFile> user =
                                    disk.Open("Races/Spring.race", OpenMode::CreateEmpty);
                                return user && user->Write(0, loaded) && user->Sync() &&
                                       CopyIntoWorkingCopy("Races/Spring.race", m, disk) ==
                                           FileOutcome::Done;
                            },
                            [](Disk& disk, Messages&) {
                                return CreateNewEventFile("CATEGORIE 1", disk) == FileOutcome::Done;
                            }});
}

TEST(CrashSafety, SavingTheCircuitsDatabaseAtAStop) {
    // The whole database goes back to the disk with the track record the run may have broken.
    auto save = [](std::int32_t recordMs) -> Operation {
        return [recordMs](Disk& disk, Messages&) {
            CircuitTable table{};
            for (int i = 0; i < 12; ++i) Format(table[i].name, "Track %d", i + 1);
            table[3].recordLapTime = recordMs;
            return SaveCircuits(table, disk);
        };
    };
    CrashDisk disk;
    FakeMessages m;
    ASSERT_TRUE(save(15000)(disk, m));
    const std::string file(kCircuitsFile);
    CheckEveryCrash(disk.Files()[file], {save(14800), save(14650)}, file);
}

TEST(CrashSafety, SavingTheDriversDatabase) {
    auto save = [](int count) -> Operation {
        return [count](Disk& disk, Messages&) {
            auto table = std::make_unique<DriverTable>();
            for (int i = 0; i < count; ++i) Format((*table)[i].name, "Driver %d", i + 1);
            return SaveDrivers(*table, count, disk);
        };
    };
    CrashDisk disk;
    FakeMessages m;
    ASSERT_TRUE(save(6)(disk, m));
    const std::string file(kDriversFile);
    CheckEveryCrash(disk.Files()[file], {save(7), save(3)}, file);
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
}

}  // namespace
}  // namespace velkaro
