#include "tests/assets/source_scan.h"

#include <gtest/gtest.h>

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

TEST(ShippedName, KeepsTheFilesThatComeWithTheProgram) {
    EXPECT_EQ(ShippedName("sons/FinCourseVoiture%dGB.wav"), "sons/FinCourseVoiture%dGB.wav");
    EXPECT_EQ(ShippedName("R\xE9glagesSons.rg"), "R\xE9glagesSons.rg");
    EXPECT_EQ(ShippedName("Private/R\xE9glagesAffichage.rgsc"),
              "Private/R\xE9glagesAffichage.rgsc");
    EXPECT_EQ(ShippedName("%s\\Guides\\HelpRaceManagementGB.pdf"),
              "Guides/HelpRaceManagementGB.pdf");
    EXPECT_EQ(ShippedName("\\Guides\\HelpRaceManagementGB.pdf"), "Guides/HelpRaceManagementGB.pdf");
}

TEST(ShippedName, LeavesOutWhatTheProgramMakesAndWhatIsNoFile) {
    EXPECT_EQ(ShippedName("Private/Course.race"), std::nullopt);
    EXPECT_EQ(ShippedName("DetailResultats.res"), std::nullopt);
    EXPECT_EQ(ShippedName("*.bmp"), std::nullopt);
    EXPECT_EQ(ShippedName("Image (.bmp)"), std::nullopt);
    EXPECT_EQ(ShippedName(".scrn"), std::nullopt);
    EXPECT_EQ(ShippedName("sons/"), std::nullopt);
    EXPECT_EQ(ShippedName("Error: Sound settings file not found"), std::nullopt);
}

}  // namespace
}  // namespace velkaro::test
