#include "platform/program_folder.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <tuple>

#include "platform/fake/fake_messages.h"
#include "tests/support/test_support.h"

namespace fs = std::filesystem;

namespace velkaro {
namespace {

using test::ReadWholeFile;
using test::TempFolder;
using test::WriteWholeFile;

class Seeding : public ::testing::Test {
  protected:
    void SetUp() override {
        WriteWholeFile(skeleton / "BaseDonn\u00E9esPays.bd", "France\t\r\n");
        WriteWholeFile(skeleton / "Private" / "R\u00E9glagesAffichage.rgsc", "shipped");
        WriteWholeFile(skeleton / "sons" / "bip.wav", "RIFF");
    }
    TempFolder temp;
    fs::path skeleton = temp.Path() / "skeleton";
    fs::path folder = temp.Path() / "home" / "Velkaro Race Management";
};

// A fresh folder receives the whole skeleton; a second start copies nothing and keeps the user's
// own version of a shipped file.
TEST_F(Seeding, MissingFilesAreCopiedAndTheUsersFilesKept) {
    SeedResult r = SeedProgramFolder(folder.string(), skeleton.string());
    ASSERT_TRUE(r.ok);
    EXPECT_EQ(r.filesCopied, 3);
    EXPECT_EQ(ReadWholeFile(folder / "Private" / "R\u00E9glagesAffichage.rgsc"), "shipped");
    EXPECT_EQ(ReadWholeFile(folder / "sons" / "bip.wav"), "RIFF");

    WriteWholeFile(folder / "Private" / "R\u00E9glagesAffichage.rgsc", "user's own");
    fs::remove(folder / "sons" / "bip.wav");
    r = SeedProgramFolder(folder.string(), skeleton.string());
    ASSERT_TRUE(r.ok);
    EXPECT_EQ(r.filesCopied, 1);
    EXPECT_EQ(ReadWholeFile(folder / "Private" / "R\u00E9glagesAffichage.rgsc"), "user's own");
    EXPECT_EQ(SeedProgramFolder(folder.string(), skeleton.string()).filesCopied, 0);
}

// Prepared, the folder becomes current; one that cannot be created or written is reported by
// name and the current folder stays.
TEST_F(Seeding, PreparingMakesTheFolderCurrentOrSaysWhyNot) {
    WriteWholeFile(temp.Path() / "blocker", "a file where the folder's parent should be");
    // A read-only mount refuses even the superuser; a read-only mode only refuses the others.
    fs::path readOnly = "/proc/self";
    if (geteuid() != 0) {
        readOnly = temp.Path() / "readonly";
        fs::create_directories(readOnly);
        fs::permissions(readOnly, fs::perms::owner_read | fs::perms::owner_exec);
    }
    for (auto [target, ok] : {std::pair{temp.Path() / "blocker" / "Velkaro Race Management", false},
                              {readOnly, false},
                              {folder, true}}) {
        SCOPED_TRACE(target.string());
        FakeMessages messages;
        const fs::path before = fs::current_path();
        EXPECT_EQ(PrepareProgramFolder(target.string(), skeleton.string(), messages), ok);
        EXPECT_EQ(fs::current_path(), ok ? fs::canonical(target) : before);
        fs::current_path(before);
        ASSERT_EQ(messages.shown.size(), ok ? 0u : 1u);
        if (ok) continue;
        EXPECT_EQ(messages.shown[0].title, "Error");
        EXPECT_NE(messages.shown[0].text.find(target.string()), std::string::npos);
    }
}

// COM1 to COM49 map to the USB, ACM then serial devices; anything else is refused.
TEST(ComPorts, TheTableOfDevicesAndWhatItRefuses) {
    // clang-format off
    for (auto [name, number, device] :
         {std::tuple{"COM1", 1, "/dev/ttyUSB0"}, {"COM8", 8, "/dev/ttyUSB7"},
          {"COM9", 9, "/dev/ttyACM0"}, {"COM16", 16, "/dev/ttyACM7"}, {"COM17", 17, "/dev/ttyS0"},
          {"COM49", 49, "/dev/ttyS32"},
          {"COM0", 0, "-"}, {"COM50", 0, "-"}, {"COM", 0, "-"}, {"com1", 0, "-"}, {"COM01", 0, "-"},
          {"COM1x", 0, "-"}, {"LPT1", 0, "-"}, {"COM-1", 0, "-"}}) {
        // clang-format on
        EXPECT_EQ(ComPortNumber(name), number) << name;
        EXPECT_EQ(ResolveComPort(name, "").value_or("-"), device) << name;
    }
}

TEST(ComPorts, TheProgramFoldersOwnLinkComesFirst) {
    TempFolder temp;
    fs::create_directories(temp.Path() / "ports");
    fs::create_symlink("/dev/pts/77", temp.Path() / "ports" / "COM3");  // need not exist yet
    EXPECT_EQ(ResolveComPort("COM3", temp.Path().string()),
              (temp.Path() / "ports" / "COM3").string());
    // Without a link of its own a port falls back to the table.
    EXPECT_EQ(ResolveComPort("COM4", temp.Path().string()), "/dev/ttyUSB3");
}

TEST(Files, CopyReplacesAndReportsAMissingSource) {
    TempFolder temp;
    test::ScopedCurrentFolder here(temp.Path());
    WriteWholeFile(temp.Path() / "Private" / "Course.race", "new");
    WriteWholeFile(temp.Path() / "PcCrashRace.race", "old and longer");
    EXPECT_TRUE(CopyFileReplacing("Private/Course.race", "PcCrashRace.race", SystemDisk()));
    EXPECT_EQ(ReadWholeFile(temp.Path() / "PcCrashRace.race"), "new");
    EXPECT_FALSE(CopyFileReplacing("missing.race", "PcCrashRace.race", SystemDisk()));
    EXPECT_EQ(ReadWholeFile(temp.Path() / "PcCrashRace.race"), "new");
    // Windows-1252 names reach the file system in its own spelling.
    EXPECT_TRUE(CopyFileReplacing("PcCrashRace.race", "Cat\xE9gorie.race", SystemDisk()));
    EXPECT_EQ(ReadWholeFile(temp.Path() / "Cat\u00E9gorie.race"), "new");
}

}  // namespace
}  // namespace velkaro
