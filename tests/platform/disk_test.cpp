#include "platform/disk.h"

#include <gtest/gtest.h>

#include <functional>

#include "tests/support/test_support.h"

namespace velkaro {
namespace {

// A file the system lets nobody write, the superuser included.
constexpr std::string_view kReadOnly = "/sys/kernel/uevent_seqnum";

TEST(SystemDisk, AReadOnlyFileOpensForReadingAndEveryFailureSaysWhy) {
    test::TempFolder temp;
    Disk& disk = SystemDisk();
    EXPECT_NE(disk.Open(kReadOnly, OpenMode::Read), nullptr);
    const struct {
        const char* what;
        std::function<bool()> call;
        DiskFault fault;
    } cases[] = {
        {"writing a read-only file",
         [&] { return disk.Open(kReadOnly, OpenMode::Existing) != nullptr; }, DiskFault::Denied},
        {"a full disk",
         [&] {
             std::unique_ptr<DiskFile> full = disk.Open("/dev/full", OpenMode::Existing);
             return full && full->Write(0, "x");
         },
         DiskFault::Full},
        {"a missing folder", [&] { return ReplaceWholeFile(disk, temp / "gone/a.bd", "x"); },
         DiskFault::Missing},
        {"a folder as a file", [&] { return disk.Open(temp / ".", OpenMode::Read) != nullptr; },
         DiskFault::Broken},
    };
    for (const auto& c : cases) {
        EXPECT_FALSE(c.call()) << c.what;
        EXPECT_EQ(disk.LastFault(), c.fault) << c.what;
    }
}

}  // namespace
}  // namespace velkaro
