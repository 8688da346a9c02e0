#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <string>
#include <vector>

#include "platform/cp1252.h"
#include "tests/assets/assets_support.h"
#include "tests/support/test_support.h"

namespace velkaro::test {
namespace {

std::string Shipped(const char* cp1252Name) {
    return ReadWholeFile(DataFolder() / FileSystemName(cp1252Name));
}

// Lines of a file that must end every line with CR LF; a fault is reported and stops the split.
std::vector<std::string> CrLfLines(const std::string& text, const char* what) {
    std::vector<std::string> lines;
    std::size_t at = 0;
    while (at < text.size()) {
        std::size_t end = text.find("\r\n", at);
        if (end == std::string::npos || text.find('\n', at) < end) {
            ADD_FAILURE() << what << ": line " << lines.size() + 1 << " does not end with CR LF";
            break;
        }
        lines.push_back(text.substr(at, end - at));
        at = end + 2;
    }
    return lines;
}

// Fields of a line where every field, the last included, is followed by a TAB.
std::vector<std::string> Fields(const std::string& line) {
    std::vector<std::string> fields;
    std::size_t at = 0;
    for (std::size_t tab; (tab = line.find('\t', at)) != std::string::npos; at = tab + 1) {
        fields.push_back(line.substr(at, tab - at));
    }
    if (at != line.size()) fields.push_back("<no TAB after: " + line.substr(at) + ">");
    return fields;
}

std::vector<long> Numbers(const std::string& line) {
    std::vector<long> out;
    for (const std::string& f : Fields(line)) {
        std::size_t used = 0;
        long v = f.empty() ? 0 : std::stol(f, &used);
        EXPECT_TRUE(!f.empty() && used == f.size()) << "not an integer: " << f;
        out.push_back(v);
    }
    return out;
}

// The countries, and the transponder sets with no transponder yet: distinct names that fit their
// slots, each line with its count of fields.
TEST(Databases, ShippedListsHoldDistinctNamesThatFit) {
    struct Case {
        const char* file;
        std::size_t lines, fields, longest;
    } cases[] = {{"BaseDonn\xE9"
                  "esPays.bd",
                  208, 1, 34},
                 {"BaseDonn\xE9"
                  "esTranspondeurs.bd",
                  20, 21, 6}};
    std::set<std::string> countries;
    for (const Case& c : cases) {
        SCOPED_TRACE(Utf8FromCp1252(c.file));
        std::vector<std::string> lines = CrLfLines(Shipped(c.file), c.file);
        ASSERT_EQ(lines.size(), c.lines);
        std::set<std::string> names;
        for (const std::string& line : lines) {
            std::vector<std::string> f = Fields(line);
            ASSERT_EQ(f.size(), c.fields) << line;
            EXPECT_FALSE(f[0].empty());
            EXPECT_LE(f[0].size(), c.longest) << f[0];
            names.insert(f[0]);
            EXPECT_TRUE(std::all_of(f.begin() + 1, f.end(), [](auto& t) { return t.empty(); }));
        }
        EXPECT_EQ(names.size(), c.lines);
        if (c.fields == 1) countries = names;
    }
    // Accented names are single Windows-1252 bytes, not UTF-8 sequences.
    EXPECT_TRUE(countries.contains("C\xF4te d'Ivoire"));
    EXPECT_TRUE(countries.contains("R\xE9union"));
    EXPECT_TRUE(countries.contains("France"));
}

TEST(Databases, TheUserDatabasesStartEmpty) {
    for (const char* name : {"BaseDonn\xE9"
                             "esCircuits.bd",
                             "BaseDonn\xE9"
                             "esClubs.bd",
                             "BaseDonn\xE9"
                             "esPilotes.bd",
                             "BaseDonn\xE9"
                             "esFr\xE9quences.bd"}) {
        EXPECT_TRUE(std::filesystem::is_regular_file(DataFolder() / FileSystemName(name)))
            << Utf8FromCp1252(name);
        EXPECT_EQ(Shipped(name), "") << Utf8FromCp1252(name);
    }
}

TEST(Settings, SoundSettingsHoldOneKeywordOfItsLineEach) {
    auto lines = CrLfLines(Shipped("R\xE9glagesSons.rg"), "sound settings");
    ASSERT_EQ(lines.size(), 8u);
    const char* kGroups[] = {"SONDECOMPTE", "SONDEPART",    "SONPASSAGE",   "SONMEILLEURTOUR",
                             "SONHORLOGE",  "SONFINCOURSE", "SONFINVOITURE"};
    EXPECT_TRUE(lines[0] == "SONLANGUEAnglais" || lines[0] == "SONLANGUEFrancais") << lines[0];
    for (int i = 0; i < 7; ++i) {
        std::string group = kGroups[i];
        EXPECT_TRUE(lines[i + 1] == group + "oui" || lines[i + 1] == group + "non")
            << "line " << i + 2 << ": " << lines[i + 1];
    }
}

class DisplaySettings : public ::testing::Test {
  protected:
    void SetUp() override {
        lines = CrLfLines(Shipped("Private/R\xE9glagesAffichage.rgsc"), "display settings");
        ASSERT_EQ(lines.size(), 11u);
        for (int i = 2; i < 11; ++i) numbers[i] = Numbers(lines[i]);
    }
    std::vector<std::string> lines;
    std::vector<long> numbers[11];
};

// The count of values on each line is held by the byte-for-byte round trip of the shipped file.
TEST_F(DisplaySettings, ValuesAreInTheirRanges) {
    EXPECT_TRUE(lines[0] == "0\t" || lines[0] == "1\t") << lines[0];
    for (const std::string& face : Fields(lines[1])) {
        EXPECT_TRUE(!face.empty() && face.size() < 32) << face;
    }
    for (long size : numbers[2]) EXPECT_TRUE(size >= 8 && size <= 50) << size;
    for (long weight : numbers[3]) EXPECT_TRUE(weight == 400 || weight == 700) << weight;
    for (int line = 4; line <= 6; ++line) {
        for (long flag : numbers[line]) EXPECT_TRUE(flag == 0 || flag == 1) << flag;
    }
    for (int line : {7, 8, 10}) {
        for (long colour : numbers[line]) EXPECT_TRUE(colour >= 0 && colour <= 0xFFFFFF) << colour;
    }
    for (long width : numbers[9]) EXPECT_TRUE(width >= 0 && width <= 999) << width;
}

TEST_F(DisplaySettings, TheTableFitsBesideTheTreeAndEveryTextStandsOut) {
    long sum = 0;
    for (long w : numbers[9]) sum += w;
    for (long screen : {1024L, 1280L, 1600L, 1920L}) {
        EXPECT_LE(200 + (sum + 110) * screen / 1600, screen) << screen;
    }
    // Each text style against the band it is drawn on: title on colour 3, radio conflict on
    // colour 4, column titles on colour 8, the rows on colour 10.
    auto luminance = [](long c) {
        return 0.299 * double(c & 0xFF) + 0.587 * double((c >> 8) & 0xFF) +
               0.114 * double((c >> 16) & 0xFF);
    };
    const std::vector<long>& text = numbers[7];
    const std::vector<long>& fill = numbers[8];
    std::vector<std::pair<int, int>> pairs{{0, 3}, {1, 4}, {2, 8}};
    for (int style = 3; style <= 11; ++style) pairs.push_back({style, 10});
    for (auto [style, band] : pairs) {
        EXPECT_GT(std::abs(luminance(text[style]) - luminance(fill[band])), 100.0)
            << "text style " << style << " on colour " << band;
    }
}

}  // namespace
}  // namespace velkaro::test
