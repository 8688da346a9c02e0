#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "event/event_file.h"
#include "event/sections.h"
#include "tests/event/crash_disk.h"
#include "tests/event/event_fixtures.h"

namespace velkaro {
namespace {

const std::string kCopy(kWorkingCopy);
using Put = std::function<bool(Transaction&, Messages&)>;

Put Heat(int heat, RunCars cars) {
    return [=](Transaction& t, Messages& m) {
        return PutHeatResult(t, cars, CarsInUse(cars), HeatTitle(1, 1, heat).View(),
                             test::HeatTrailer(), m);
    };
}

Put Header(int heats) {
    return [=](Transaction& t, Messages&) {
        EventHeader h;
        h.categoryCount = 1;
        h.categories[0] = {Text<56>("CAT"), 40, 1, 0, 1, heats, 0};
        PutEventHeader(t, h);
        return true;
    };
}

Put Flag(int heat) {
    return [=](Transaction& t, Messages& m) {
        RunDoneFlags flags;
        flags.flags[0][heat - 1] = 1;
        return PutRunDoneFlags(t, flags, m);
    };
}

Put Final(RunCars cars, int related) {
    return [=](Transaction& t, Messages& m) {
        SectionTitle a = FinalsRunTitle(1, related, 'A'), b = FinalsRunTitle(1, related, 'B');
        return PutFinalsRunResult(t, cars, CarsInUse(cars), FinalsRunTitle(1, 0, 'A').View(), 1,
                                  {RelatedRun{a.View(), 2}, RelatedRun{b.View(), 7}},
                                  test::HeatTrailer(), m);
    };
}

std::string Start() {
    test::CrashDisk disk;
    FakeMessages m;
    EXPECT_EQ(CreateNewEventFile("CAT", disk), FileOutcome::Done);
    for (const Put& put : {Heat(1, test::TwoCarHeat()), Heat(2, test::BusyRun(3, 9, 1)),
                           Final(test::BusyRun(2, 5, 2), 3)}) {
        EXPECT_EQ(WriteAlone(disk, [&](Transaction& t) { put(t, m); }), FileOutcome::Done);
    }
    for (char letter : {'A', 'B'}) {
        RunCars cars = test::BusyRun(2, 4, letter);
        EXPECT_EQ(WriteFinalsRunResult(cars, 2, FinalsRunTitle(1, 1, letter).View(), 1, {},
                                       test::HeatTrailer(), m, disk),
                  FileOutcome::Done);
    }
    return disk.Files()[kCopy];
}

// Several sections in one transaction give exactly the bytes their writes one by one give,
// whichever of them moves the rest of the file, and in whatever order.
TEST(EventStore, ATransactionGivesTheBytesOfItsWritesOneByOne) {
    using test::BusyRun;
    const std::string start = Start();
    const struct {
        const char* what;
        std::vector<Put> puts;
    } cases[] = {
        {"a heat, the header, its flag", {Heat(2, BusyRun(4, 20, 3)), Header(2), Flag(2)}},
        {"a flag before a heat that grows", {Flag(1), Heat(1, BusyRun(9, 60, 4)), Header(3)}},
        {"two growing heats and a new one",
         {Heat(2, BusyRun(8, 50, 5)), Heat(1, BusyRun(12, 70, 6)), Heat(3, BusyRun(2, 3, 7))}},
        {"a final and the runs it came from, after a heat grew",
         {Heat(1, BusyRun(10, 40, 8)), Final(BusyRun(6, 30, 9), 1), Flag(20)}},
        {"the same section twice", {Heat(2, BusyRun(9, 80, 10)), Heat(2, BusyRun(1, 2, 11))}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        FakeMessages m;
        test::FailOnUnexpectedMessages(m);
        test::CrashDisk oneByOne(kCopy, start), together(kCopy, start);
        for (const Put& put : c.puts) {
            ASSERT_EQ(WriteAlone(oneByOne, [&](Transaction& t) { put(t, m); }), FileOutcome::Done);
        }
        Transaction t{EventStore{together}};
        for (const Put& put : c.puts) ASSERT_TRUE(put(t, m));
        EXPECT_EQ(std::string(t.Bytes()), oneByOne.Files()[kCopy]);
        ASSERT_EQ(t.Commit(), FileOutcome::Done);
        EXPECT_EQ(together.Files()[kCopy], oneByOne.Files()[kCopy]);
        EXPECT_NE(together.Files()[kCopy], start);
        EXPECT_EQ(together.Files().size(), 1u);  // nothing left beside it
    }
}

TEST(EventStore, ATitleNotFoundSpoilsTheWholeTransaction) {
    const std::string start = Start();
    test::CrashDisk disk(kCopy, start);
    FakeMessages m;
    m.allowAny = true;
    Transaction t{EventStore{disk}};
    ASSERT_TRUE(Heat(1, test::BusyRun(5, 10, 1))(t, m));
    PutEventHeader(t, EventHeader{});
    EXPECT_FALSE(PutHeatSlotList(t, 1, DefaultHeatSlotList(), false, m));  // may not create
    EXPECT_EQ(t.Commit(), FileOutcome::NoSection);
    EXPECT_EQ(disk.Files()[kCopy], start);
    EXPECT_EQ(disk.Steps(), 0);
}

}  // namespace
}  // namespace velkaro
