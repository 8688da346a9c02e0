#include "databases/circuits_file.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "tests/support/test_support.h"

namespace velkaro {
namespace {

const std::string kOnDisk =
    "BaseDonn\xC3\xA9"
    "esCircuits.bd";

std::string Golden(const std::string& name) {
    return test::ReadWholeFile(std::string(VELKARO_TEST_DATA) + "/databases/" + name);
}

class CircuitsFileTest : public ::testing::Test {
  protected:
    void Put(const std::string& bytes) { test::WriteWholeFile(folder_.Path() / kOnDisk, bytes); }
    std::string OnDisk() const { return test::ReadWholeFile(folder_.Path() / kOnDisk); }

    test::TempFolder folder_;
    test::ScopedCurrentFolder here_{folder_.Path()};
    CircuitTable table_{};
};

TEST_F(CircuitsFileTest, RecordsLoadInFileOrderWithTheirRecordSplit) {
    Put(Golden("circuits.bd"));
    ASSERT_TRUE(LoadCircuits(table_, SystemDisk()));
    const CircuitRecord& oval = table_[0];
    EXPECT_EQ(oval.name, "Oval");
    EXPECT_EQ(oval.length, "250");
    EXPECT_EQ(oval.recordLapText, "11.500");
    EXPECT_EQ(oval.recordLapTime, 11500);
    EXPECT_EQ(oval.recordHolder, "ALPHA Anne");
    EXPECT_EQ(oval.minimumLapTime, "2");
    EXPECT_EQ(oval.location, "Lyon");
    EXPECT_EQ(oval.image, "/home/anne/images/oval.bmp");
    EXPECT_EQ(table_[1].name, "");  // a record without a name keeps its slot
    const CircuitRecord& parc = table_[2];
    EXPECT_EQ(parc.recordHolder, "B\xC9RANGER Luc");
    EXPECT_EQ(parc.location, "Saint-\xC9tienne");
    EXPECT_EQ(parc.image, "");
    EXPECT_EQ(parc.recordHours * 1000000 + parc.recordMinutes * 10000 + parc.recordSeconds * 1000 +
                  parc.recordMilliseconds,
              10000 + 2005);
    EXPECT_EQ(table_[3].name, "");
}

TEST_F(CircuitsFileTest, ShortLongAndDamagedFilesLoadWhatTheyHold) {
    Put("");
    ASSERT_TRUE(LoadCircuits(table_, SystemDisk()));
    EXPECT_EQ(table_[0].name, "");

    // LF line ends, a file that ends inside a record.
    Put("Full\t12\t\t0\t\t2\t\t\t\nHalf\t99\t9.9");
    ASSERT_TRUE(LoadCircuits(table_, SystemDisk()));
    EXPECT_EQ(table_[0].name, "Full");
    EXPECT_EQ(table_[0].length, "12");
    EXPECT_EQ(table_[1].name, "Half");
    EXPECT_EQ(table_[1].recordLapText, "9.9");
    EXPECT_EQ(table_[1].recordLapTime, 0);

    // Twenty records fill the table; the spare slot stays as it was.
    std::string many;
    for (int i = 1; i <= 25; ++i) many += "C" + std::to_string(i) + "\t\t\t0\t\t\t\t\t\r\n";
    Put(many);
    CircuitTable table{};
    ASSERT_TRUE(LoadCircuits(table, SystemDisk()));
    EXPECT_EQ(table[19].name, "C20");
    EXPECT_EQ(table[kNoCircuit].name, "");

    std::filesystem::remove(folder_.Path() / kOnDisk);
    table[0].name = "Kept";
    EXPECT_FALSE(LoadCircuits(table, SystemDisk()));
    EXPECT_EQ(table[0].name, "Kept");
}

TEST_F(CircuitsFileTest, SavingWritesEveryNamedSlotInSlotOrder) {
    Put(Golden("circuits.bd"));
    ASSERT_TRUE(LoadCircuits(table_, SystemDisk()));
    table_[5].name = "Z\xFCrich Ring";  // no record: an empty text and 0
    table_[kNoCircuit].name = "never written";
    ASSERT_TRUE(SaveCircuits(table_, SystemDisk()));
    EXPECT_EQ(OnDisk(), Golden("circuits_saved.bd"));

    std::filesystem::remove(folder_.Path() / kOnDisk);
    std::filesystem::create_directory(folder_.Path() / kOnDisk);
    EXPECT_FALSE(SaveCircuits(table_, SystemDisk()));
}

}  // namespace
}  // namespace velkaro
