#include "databases/database_files.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>

#include "tests/support/test_support.h"

namespace velkaro {
namespace {

using namespace std::string_literals;

const std::string kClubs = "BaseDonn\u00E9esClubs.bd";
const std::string kDrivers = "BaseDonn\u00E9esPilotes.bd";
const std::string kFrequencies = "BaseDonn\u00E9esFr\u00E9quences.bd";
const std::string kCountries = "BaseDonn\u00E9esPays.bd";

class DatabaseFiles : public ::testing::Test {
  protected:
    void Put(const std::string& name, const std::string& bytes) {
        test::WriteWholeFile(folder.Path() / name, bytes);
    }
    std::string Get(const std::string& name) { return test::ReadWholeFile(folder.Path() / name); }

    test::TempFolder folder;
    test::ScopedCurrentFolder here{folder.Path()};
};

std::string Repeat(const std::string& line, int times) {
    std::string s;
    for (int i = 0; i < times; ++i) s += line;
    return s;
}

TEST_F(DatabaseFiles, DamagedDriverFilesLoadWhatTheyHold) {
    struct Case {
        const char* what;
        std::string bytes;
        std::string first, second, secondClub;
    };
    const Case cases[] = {
        {"empty", "", "", "", ""},
        {"LF only", "Anne" + Repeat("\t", 13) + "\nBob" + Repeat("\t", 11) + "RC Nord\t\t\n",
         "Anne", "Bob", "RC Nord"},
        {"a megabyte line", std::string(1 << 20, 'x') + "\r\nBob\t" + Repeat("\t", 10) + "C\t\r\n",
         std::string(39, 'x'), "Bob", "C"},
        {"NUL bytes", "A\0nne\t\r\nBob\t\r\n"s, "A", "Bob", ""},
        {"CR without LF", "Anne\rBob\t\r\nCid\t", "Anne\rBob", "Cid", ""},
        {"cut in a record", "Anne\t\t\t\t\t\t\t\t\t\t\t\tRC\t\t\r\nBob\t1 rue", "Anne", "Bob", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Put(kDrivers, c.bytes);
        auto table = std::make_unique<DriverTable>();
        ASSERT_TRUE(LoadDrivers(*table, SystemDisk()));
        EXPECT_EQ((*table)[0].name.View(), c.first);
        EXPECT_EQ((*table)[1].name.View(), c.second);
        EXPECT_EQ((*table)[1].club.View(), c.secondClub);
        EXPECT_TRUE((*table)[2].name.Empty());
    }
}

TEST_F(DatabaseFiles, ADriversTransponderTypedByHandIsSixDigitsOnceRead) {
    Put(kDrivers, "Anne" + Repeat("\t", 10) + "1001\t\t\t\r\n");
    auto table = std::make_unique<DriverTable>();
    ASSERT_TRUE(LoadDrivers(*table, SystemDisk()));
    EXPECT_EQ((*table)[0].transponder, "001001");
    (*table)[0].transponder = "42";
    ASSERT_TRUE(SaveDrivers(*table, 1, SystemDisk()));
    EXPECT_EQ(Get(kDrivers), "Anne" + Repeat("\t", 10) + "000042\t\t\t\r\n");
}

TEST_F(DatabaseFiles, LoadersStopAtCapacityAndMissingFilesFail) {
    Put(kClubs, Repeat("Club\t\t\t\t\t\t\t\t\t\r\n", 130));
    Put(kDrivers, Repeat("D\t\r\n", 1200));
    Put(kFrequencies, Repeat("40.665\r\n", 120) + "last\r\n");
    Put(kCountries, Repeat("Land\t\r\n", 300));
    auto clubs = std::make_unique<ClubTable>();
    auto drivers = std::make_unique<DriverTable>();
    auto frequencies = std::make_unique<FrequencyTable>();
    auto countries = std::make_unique<CountryChoices>();
    auto clubChoices = std::make_unique<ClubChoices>();
    ASSERT_TRUE(LoadClubs(*clubs, SystemDisk()));
    ASSERT_TRUE(LoadDrivers(*drivers, SystemDisk()));
    ASSERT_TRUE(LoadFrequencies(*frequencies, SystemDisk()));
    ASSERT_TRUE(FillCountryChoices(*countries, SystemDisk()));
    ASSERT_TRUE(FillClubChoices(*clubChoices, SystemDisk()));
    EXPECT_EQ(clubs->back().name, "Club");
    EXPECT_EQ(drivers->back().name, "D");
    EXPECT_EQ(frequencies->back().name, "40.665");
    EXPECT_EQ(countries->count, kCountryLines);
    EXPECT_EQ(countries->items[0], "Land");  // the trailing TAB is no part of the name
    EXPECT_EQ(clubChoices->count, kClubRecords);

    for (const std::string& f : {kClubs, kDrivers, kFrequencies, kCountries}) {
        std::filesystem::remove(folder.Path() / f);
    }
    EXPECT_FALSE(LoadClubs(*clubs, SystemDisk()));
    EXPECT_FALSE(LoadDrivers(*drivers, SystemDisk()));
    EXPECT_FALSE(LoadFrequencies(*frequencies, SystemDisk()));
    EXPECT_FALSE(FillCountryChoices(*countries, SystemDisk()));
    EXPECT_FALSE(FillClubChoices(*clubChoices, SystemDisk()));
}

TEST_F(DatabaseFiles, SaversWriteTheListedRecordsEveryFieldEndedByATab) {
    auto clubs = std::make_unique<ClubTable>();
    ClubRecord& alpha = (*clubs)[0];
    alpha.name = "Alpha";
    alpha.initials = "A";
    alpha.address = "1 rue";
    alpha.zipCode = "69000";
    alpha.location = "Lyon";
    alpha.country = "France";
    alpha.phone = "0102";
    alpha.email = "a@b.fr";
    (*clubs)[1].name = "beta";
    (*clubs)[2].name = "not listed";
    ASSERT_TRUE(SaveClubs(*clubs, 2, SystemDisk()));
    EXPECT_EQ(Get(kClubs),
              "Alpha\tA\t1 rue\t\t69000\tLyon\tFrance\t0102\ta@b.fr\t\r\n"
              "beta\t\t\t\t\t\t\t\t\t\r\n");

    auto frequencies = std::make_unique<FrequencyTable>();
    (*frequencies)[0].name = "27.045";
    (*frequencies)[1].name = "40.665";
    ASSERT_TRUE(SaveFrequencies(*frequencies, 2, SystemDisk()));
    EXPECT_EQ(Get(kFrequencies), "27.045\r\n40.665\r\n");

    // An accented name goes to the file as the bytes it was and comes back the same.
    auto drivers = std::make_unique<DriverTable>();
    (*drivers)[0].name =
        "B\xC9RANGER Lo\xEF"
        "c \xF8\x80\xFF";
    (*drivers)[0].image = "/home/l\xE9o/photo.bmp";
    (*drivers)[0].club = "Alpha";
    ASSERT_TRUE(SaveDrivers(*drivers, 1, SystemDisk()));
    EXPECT_EQ(Get(kDrivers),
              "B\xC9RANGER Lo\xEF"
              "c \xF8\x80\xFF\t" +
                  Repeat("\t", 10) + "Alpha\t/home/l\xE9o/photo.bmp\t\r\n");
    auto back = std::make_unique<DriverTable>();
    ASSERT_TRUE(LoadDrivers(*back, SystemDisk()));
    EXPECT_EQ((*back)[0].name, (*drivers)[0].name);
    EXPECT_EQ((*back)[0].image, (*drivers)[0].image);

    std::filesystem::remove(folder.Path() / kDrivers);
    std::filesystem::create_directory(folder.Path() / kDrivers);
    EXPECT_FALSE(SaveDrivers(*drivers, 1, SystemDisk()));
}

}  // namespace
}  // namespace velkaro
