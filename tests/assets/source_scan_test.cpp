#include "tests/assets/source_scan.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

namespace velkaro::test {
namespace {

std::vector<std::string> Bytes(std::string_view source) {
    std::vector<std::string> out;
    for (const Literal& l : StringLiterals(source)) out.push_back(l.bytes);
    return out;
}

TEST(StringLiterals, EscapesAndJoinedLiteralsGiveTheProgramsBytes) {
    // An accent followed by a hex-looking letter has to be split in two literals.
    EXPECT_EQ(Bytes(R"(f("BaseDonn\xE9" "esPays.bd");)"), std::vector<std::string>{"BaseDonn\xE9"
                                                                                   "esPays.bd"});
    EXPECT_EQ(Bytes(R"(a = "Guides\\Help.pdf"; b = "x\"y\t\101";)"),
              (std::vector<std::string>{"Guides\\Help.pdf", "x\"y\tA"}));
    EXPECT_EQ(Bytes("x(\"sons/\"\n   // between\n   \"un.wav\");"),
              std::vector<std::string>{"sons/un.wav"});
    EXPECT_EQ(Bytes(R"(auto r = R"x(images/a"b.bmp)x";)"),
              std::vector<std::string>{"images/a\"b.bmp"});
}

TEST(StringLiterals, CommentsCharactersAndSeparatorsAreNotStrings) {
    EXPECT_TRUE(Bytes("// plays \"sons/x.wav\"\n/* \"images/y.bmp\" */ int n = 1'000;").empty());
    EXPECT_EQ(Bytes(R"(c = '"'; d = "a.wav"; e = '\'';)"), std::vector<std::string>{"a.wav"});
    // A literal after another token is a literal of its own.
    EXPECT_EQ(Bytes(R"(f("a.bmp", "b.bmp");)"), (std::vector<std::string>{"a.bmp", "b.bmp"}));
    auto lits = StringLiterals("\n\n/*\n*/ x = \"images/z.bmp\";");
    ASSERT_EQ(lits.size(), 1u);
    EXPECT_EQ(lits[0].line, 4);
}

// The files that come with the program, in the skeleton's spelling; not what the program makes,
// nor what is no file.
TEST(ShippedName, KeepsOnlyTheFilesThatComeWithTheProgram) {
    for (auto [text, shipped] :
         {std::pair<std::string_view, std::string_view>{"sons/FinCourseVoiture%dGB.wav",
                                                        "sons/FinCourseVoiture%dGB.wav"},
          {"R\xE9glagesSons.rg", "R\xE9glagesSons.rg"},
          {"Private/R\xE9glagesAffichage.rgsc", "Private/R\xE9glagesAffichage.rgsc"},
          {"%s\\Guides\\HelpRaceManagementGB.pdf", "Guides/HelpRaceManagementGB.pdf"},
          {"\\Guides\\HelpRaceManagementGB.pdf", "Guides/HelpRaceManagementGB.pdf"},
          {"Private/Course.race", "-"},
          {"DetailResultats.res", "-"},
          {"*.bmp", "-"},
          {"Image (.bmp)", "-"},
          {".scrn", "-"},
          {"sons/", "-"},
          {"Error: Sound settings file not found", "-"}}) {
        EXPECT_EQ(ShippedName(text).value_or("-"), shipped) << text;
    }
}

const std::regex kFolderChange(
    R"(\b(?:f?chdir|SetCurrentFolder|setCurrent)\s*\(|\bcurrent_path\s*\(\s*[^)\s])");

// A disk taken by default hides which one a call writes to; a tool's own local is no default.
const std::regex kDefaultDisk(R"(=\s*SystemDisk\s*\(\s*\)\s*[,)])");

TEST(LinesMatching, FindsCodeAndSkipsCommentsAndLiterals) {
    struct Case {
        const char* source;
        std::vector<int> folderChanges;
        std::vector<int> defaultDisks;
    };
    const Case cases[] = {
        {"::chdir(folder.c_str());", {1}, {}},
        {"int a;\nQDir::setCurrent(path);", {2}, {}},
        {"x();\n\n  SetCurrentFolder (programFolder);", {3}, {}},
        {"fs::current_path(before);", {1}, {}},
        {"auto here = fs::current_path();", {}, {}},
        {"std::string CurrentFolder();", {}, {}},
        {"/* SetCurrentFolder(x) */ int y; // chdir(z)", {}, {}},
        {"f(\"chdir(a)\", 'c'); g(R\"x(setCurrent(b))x\");", {}, {}},
        {"bool Load(Table& t, Disk& disk = SystemDisk());", {}, {1}},
        {"F(int a,\n  Disk& d =\n      SystemDisk(), int b = 0);", {}, {2}},
        {"Disk& disk = SystemDisk();  // the tool's own", {}, {}},
        {"// bool Load(Disk& disk = SystemDisk());\nint x;", {}, {}},
        {"Say(\"Disk& d = SystemDisk())\");", {}, {}},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(LinesMatching(c.source, kFolderChange), c.folderChanges) << c.source;
        EXPECT_EQ(LinesMatching(c.source, kDefaultDisk), c.defaultDisks) << c.source;
    }
}

std::vector<std::string> Matches(const std::vector<std::string>& folders, const std::regex& pattern,
                                 std::string_view exempt = {}) {
    namespace fs = std::filesystem;
    std::vector<std::string> where;
    for (const fs::path& p : SourcesUnder(VELKARO_SOURCE_ROOT, folders)) {
        std::string name = p.lexically_relative(VELKARO_SOURCE_ROOT).generic_string();
        if (name == exempt) continue;
        std::ifstream in(p, std::ios::binary);
        std::stringstream text;
        text << in.rdbuf();
        for (int line : LinesMatching(text.str(), pattern)) {
            where.push_back(name + ":" + std::to_string(line));
        }
    }
    return where;
}

const std::vector<std::string> kProgramFolders{"common",        "event",  "timing",   "databases",
                                               "qualification", "finals", "analysis", "platform",
                                               "shell",         "tools"};

// File names are built on the program folder; the process stays where start-up put it.
TEST(SourceScan, OnlyStartUpMovesTheCurrentFolder) {
    EXPECT_FALSE(SourcesUnder(VELKARO_SOURCE_ROOT, kProgramFolders).empty());
    EXPECT_EQ(Matches(kProgramFolders, kFolderChange, "platform/program_folder.cpp"),
              std::vector<std::string>{});
}

TEST(SourceScan, NoDiskIsTakenByDefault) {
    std::vector<std::string> everywhere = kProgramFolders;
    everywhere.insert(everywhere.end(), {"bench", "tests"});
    EXPECT_EQ(Matches(everywhere, kDefaultDisk), std::vector<std::string>{});
}

}  // namespace
}  // namespace velkaro::test
