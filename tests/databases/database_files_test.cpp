#include "databases/database_files.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <memory>
#include <string>

#include "databases/circuits_file.h"
#include "databases/transponder_sets.h"
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
        std::string told;  // the flawed lines, as the director reads them
    };
    const Case cases[] = {
        {"empty", "", "", "", "", ""},
        {"LF only", "Anne" + Repeat("\t", 13) + "\nBob" + Repeat("\t", 11) + "RC Nord\t\t\n",
         "Anne", "Bob", "RC Nord", ""},
        {"a megabyte line",
         std::string(1 << 20, 'x') + "\r\nBob\t" + Repeat("\t", 10) + "C\t\r\nCid\r\n", "Bob",
         "Cid", "", "\nline 1, name: longer than 39 characters"},
        {"NUL bytes", "A\0nne\t\r\nBob\t\r\nCid\r\n"s, "Bob", "Cid", "",
         "\nline 1, name: holds a control byte (0x00)"},
        {"CR without LF", "Anne\rBob\t\r\nCid\tx\r\nDan\t", "Cid", "Dan", "",
         "\nline 1, name: holds a control byte (0x0D)"},
        {"a TAB too many", "Anne" + Repeat("\t", 13) + "RC\t\r\nBob\r\nCid\r\n", "Bob", "Cid", "",
         "\nline 1: more fields than a record has (a TAB inside a text?)"},
        {"cut in a record", "Anne\t\t\t\t\t\t\t\t\t\t\t\tRC\t\t\r\nBob\t1 rue", "Anne", "Bob", "",
         ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Put(kDrivers, c.bytes);
        auto table = std::make_unique<DriverTable>();
        FileFlaws flaws;
        ASSERT_TRUE(LoadDrivers(*table, SystemDisk(), &flaws));
        EXPECT_EQ((*table)[0].name.View(), c.first);
        EXPECT_EQ((*table)[1].name.View(), c.second);
        EXPECT_EQ((*table)[1].club.View(), c.secondClub);
        EXPECT_TRUE((*table)[2].name.Empty());
        EXPECT_EQ(FlawReport(flaws),
                  "\"BaseDonn\xE9"
                  "esPilotes.bd\" holds lines the program cannot take:" +
                      c.told);
    }
}

// Loads a table through `load` and lists its first three names.
template <typename Table>
std::function<bool(FileFlaws&, std::string&)> FirstNames(bool (*load)(Table&, Disk&, FileFlaws*)) {
    return [load](FileFlaws& flaws, std::string& kept) {
        auto table = std::make_unique<Table>();
        bool ok = load(*table, SystemDisk(), &flaws);
        for (std::size_t i = 0; i < 3; ++i) kept += std::string((*table)[i].name.View()) + ",";
        return ok;
    };
}

// Every database file: a line that no slot can hold whole is left out, the others load, and the
// director reads which line and why.
TEST_F(DatabaseFiles, EveryFileListsTheLinesItCannotHold) {
    struct Case {
        std::string file, bytes;
        std::function<bool(FileFlaws&, std::string&)> load;
        std::string kept, told;
    };
    const Case cases[] = {
        {kClubs, "RC\t" + std::string(15, 'I') + "\r\nAC\t\r\nBC\t\t\t\t\t\t\t\t\t\x80\r\n",
         FirstNames<ClubTable>(LoadClubs), "AC,,,",
         "\nline 1, initials: longer than 14 characters"
         "\nline 3: more fields than a record has (a TAB inside a text?)"},
        {kFrequencies, "40.665\r\n27\t145\r\n1234567\r\n27.145\r\n",
         FirstNames<FrequencyTable>(LoadFrequencies), "40.665,27.145,,",
         "\nline 2, frequency: holds a control byte (0x09)"
         "\nline 3, frequency: longer than 6 characters"},
        {kCountries, "France\t\r\nFr\x7Fnce\t\r\nItalia\r\n",
         [](FileFlaws& f, std::string& kept) {
             CountryChoices c;
             bool ok = FillCountryChoices(c, SystemDisk(), &f);
             for (int i = 0; i < c.count; ++i)
                 kept += std::string(c.items[std::size_t(i)].View()) + ",";
             return ok;
         },
         "France,Italia,", "\nline 2, country: holds a control byte (0x7F)"},
        {"BaseDonn\u00E9esCircuits.bd", "Oval\t12345\t\t0\r\nRing\t\t\t0\t\t\t\t\x1B\r\nHill\r\n",
         FirstNames<CircuitTable>(LoadCircuits), "Hill,,,",
         "\nline 1, length: longer than 4 characters"
         "\nline 2, picture: holds a control byte (0x1B)"},
        {"BaseDonn\u00E9esTranspondeurs.bd", "Red\t1001\t\r\nBlue\t00\f2\t\r\nGreen\r\n",
         FirstNames<TransponderSets>(LoadTransponderSets),
         "Red,,Green,",  // a set keeps its place in the list
         "\nline 2, transponder: holds a control byte (0x0C)"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.file);
        Put(c.file, c.bytes);
        FileFlaws flaws;
        std::string kept;
        ASSERT_TRUE(c.load(flaws, kept));
        EXPECT_EQ(kept, c.kept);
        const std::string report = FlawReport(flaws);
        EXPECT_EQ(report.substr(report.find(':') + 1), c.told);
    }

    // A long list shows its first lines and counts the rest.
    FileFlaws many{kFrequenciesFile, std::vector<LineFlaw>(13, LineFlaw{})};
    EXPECT_EQ(FlawReport(many).substr(FlawReport(many).rfind('\n')), "\nand 3 more lines");
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
