#include "databases/transponder_sets.h"

#include <gtest/gtest.h>

#include "tests/support/test_support.h"

namespace velkaro {
namespace {

std::string Line(const std::string& name, const std::string& transponders, int given) {
    std::string line = name + "\t" + transponders;
    for (int i = given; i < kTranspondersPerSet; ++i) line += "\t";
    return line + "\r\n";
}

class TransponderSetsFile : public ::testing::Test {
  protected:
    std::string File() {
        return test::ReadWholeFile(folder.Path() / "BaseDonn\u00E9esTranspondeurs.bd");
    }
    void Write(const std::string& bytes) {
        test::WriteWholeFile(folder.Path() / "BaseDonn\u00E9esTranspondeurs.bd", bytes);
    }
    test::TempFolder folder;
    test::ScopedCurrentFolder here{folder.Path()};
};

TEST_F(TransponderSetsFile, ShortLfOnlyAndOverlongFilesLoadWhatTheyHold) {
    // Two sets, LF line ends, a seven-digit number and a set of one transponder.
    Write("Red\t1001\t1234567\t\nBlue\t002002\t\n");  // hand-written: 1001 is chip 001001
    TransponderSets sets{};
    ASSERT_TRUE(LoadTransponderSets(sets, SystemDisk()));
    EXPECT_EQ(sets[0].name, "Red");
    EXPECT_EQ(sets[0].transponders[0], "001001");
    EXPECT_TRUE(sets[0].transponders[1].Empty());  // seven digits are no transponder
    EXPECT_TRUE(sets[0].transponders[2].Empty());
    EXPECT_EQ(sets[1].transponders[0], "002002");
    EXPECT_TRUE(sets[2].name.Empty());
}

TEST_F(TransponderSetsFile, SavingWritesAllTwentyLinesWithEveryTab) {
    TransponderSets sets{};
    sets[0].name = "Red";
    sets[0].transponders[0] = "001001";
    sets[0].transponders[19] = "001020";
    sets[19].name = "Last";
    ASSERT_TRUE(SaveTransponderSets(sets, SystemDisk()));
    std::string expected = "Red\t001001\t";
    for (int i = 1; i < 19; ++i) expected += "\t";
    expected += "001020\t\r\n";
    for (int s = 1; s < 19; ++s) expected += Line("", "", 0);
    expected += Line("Last", "", 0);
    EXPECT_EQ(File(), expected);

    TransponderSets back{};
    ASSERT_TRUE(LoadTransponderSets(back, SystemDisk()));
    EXPECT_EQ(back[0].transponders[19], "001020");
    EXPECT_EQ(back[19].name, "Last");
}

TEST_F(TransponderSetsFile, AMissingFileFails) {
    TransponderSets sets{};
    EXPECT_FALSE(LoadTransponderSets(sets, SystemDisk()));
}

}  // namespace
}  // namespace velkaro
