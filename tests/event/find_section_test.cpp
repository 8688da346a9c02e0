#include <gtest/gtest.h>

#include <string>

#include "event/section.h"
#include "tests/event/event_fixtures.h"

namespace velkaro {
namespace {

using test::Fields;
constexpr std::size_t kNotFound = std::string::npos;

TEST(FindSection, ComparesTheWholeFirstFieldOfEveryLineOverItsFirst104Characters) {
    const std::string twoSections = "1\t2\t\r\n\r\nA\t\r\nbody\t\r\n\r\nB\t\r\nmore\t\n";
    // The first line whose first field equals the title wins, even a data line.
    const std::string dataFirst =
        "Cat\t\r\nCatX\tCat\t\r\nCat\xE9gorie1M1S1\tx\t\r\nCat\xE9gorie1M1S1\t\r\n";
    const std::string longTitle(104, 'T');
    const std::string longField = "head\n" + longTitle + "EXTRA\tfield\nbody\n";
    const std::string golden = test::Golden("heat_recorded.race");
    const struct {
        std::string file, title;
        std::size_t body;
    } cases[] = {
        {twoSections, "A", 12},
        {twoSections, "B", twoSections.find("more")},
        {twoSections, "C", kNotFound},
        {"", "A", kNotFound},
        {dataFirst, "Cat\xE9gorie1M1S1", dataFirst.find("Cat\xE9gorie1M1S1\t\r\n")},
        {dataFirst, "Cat", 6},
        {dataFirst, "Ca", kNotFound},  // a shorter field never matches
        // A title alone on its line, without its TAB: the CR before the LF is not part of it.
        {"x\r\nTitle\r\nbody", "Title", 10},
        {"x\nTitle\nbody", "Title", 8},
        {"Title\r\t\r\n", "Title", kNotFound},  // a CR anywhere else is a character
        {"x\nTitle\t", "Title", 8},             // no line end: the body starts at the end
        // Both sides are cut at 104 characters.
        {longField, longTitle, longField.find("body")},
        {longField, longTitle + "OTHER", longField.find("body")},
        {longField, std::string(103, 'T'), kNotFound},
        {golden, std::string(kRunDoneFlagsTitle), 662 + 2 + 28},
        {golden, std::string(HeatTitle(1, 1, 1).View()), golden.find("ALPHA Anne\t")},
        {golden, std::string(HeatTitle(1, 1, 2).View()), kNotFound},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.file.substr(0, 40) + " / " + c.title);
        const SectionPosition p = FindSectionIn(c.file, c.title);
        EXPECT_EQ(p.found ? p.body : kNotFound, c.body);
    }
}

TEST(SectionExtent, RunsToTheEmptyLineBeforeTheNextTitle) {
    std::string file =
        "head\r\n\r\nCat\xE9gorie1M1S1\t\r\nbody\t\r\n1\t\r\n\r\nPisteCourse\t\r\nx\r\n";
    std::size_t body = FindSectionIn(file, "Cat\xE9gorie1M1S1").body;
    EXPECT_EQ(ExtentFrom(file, body), std::string("body\t\r\n1\t\r\n").size());
    EXPECT_EQ(ExtentFrom(file, 0), 6u);  // line 1 up to the empty line
    std::size_t last = FindSectionIn(file, "PisteCourse").body;
    EXPECT_EQ(ExtentFrom(file, last), 3u);  // the last section runs to the end
    // Without the empty line the next title still ends the extent; LF-only lines count too.
    EXPECT_EQ(ExtentFrom("a\nb\nCat\xE9gorie2Remont\xE9"
                         "es16B\t\n",
                         0),
              4u);
    EXPECT_EQ(ExtentFrom("a\nb\n\nCat\xE9gorie9GrilleD\xE9partQualifs\t\n", 0), 4u);
}

TEST(SectionExtent, OnlyTheSystemsTitlesEndIt) {
    for (const SectionTitle& title :
         {SectionTitle(kTrackTitle), SectionTitle(kRunDoneFlagsTitle), ParticipantsTitle(3),
          HeatSlotListTitle(3), QualifOptionsTitle(3), StartingGridsTitle(3), HeatTitle(3, 9, 20),
          RoundClassificationTitle(3, 2), OverallClassificationTitle(3), FinalsOptionsTitle(3),
          FinalsLadderTitle(3), FinalsRunTitle(3, 11, 'A'), FinalsRunTitle(3, 0, 'A')}) {
        EXPECT_EQ(ExtentFrom("data\t\r\n" + std::string(title.View()) + "\t\r\n", 0), 7u)
            << title.View();
    }
    // Names that merely look like titles leave the extent running.
    for (std::string name : {"Cat\xE9gorie Junior", "Cat\xE9gorie1M1S", "Cat\xE9gorie1M1S1x",
                             "Cat\xE9gorieM1S1", "PisteCourses",
                             "Cat\xE9gorie1Remont\xE9"
                             "es4C"}) {
        std::string file = "data\t\r\n" + name + "\t\r\n";
        EXPECT_EQ(ExtentFrom(file, 0), file.size()) << name;
    }
}

TEST(PlaceRegion, ContentOverTheStartOfTheReservationInPlace) {
    std::string file = "H\r\n" + Reservation(5) + "\r\nCat\xE9gorie1M1S2\t\r\n";
    RegionWrite w = PlaceRegion(file, 3, 5, "ab\t\r\n", false);
    EXPECT_EQ(Fields(w.patch.offset, w.patch.bytes, w.shift), "3|ab\t\r\n\t1\t1\t\r\n|0");
    EXPECT_EQ(Reservation(0), "\r\n");
}

TEST(PlaceRegion, MovesTheRestWhenTheReservationOutgrowsItsRoom) {
    std::string next = "\r\nCat\xE9gorie1M1S2\t\r\nnext\t\r\n";
    RegionWrite w = PlaceRegion("H\r\n" + Reservation(2) + next, 3, 4, "ab\t\r\n", false);
    EXPECT_EQ(Fields(w.regionSize, w.shift, w.replacedEnd), "10|4|9");
    EXPECT_EQ(w.patch.bytes, "ab\t\r\n\t1\t\r\n" + next);
}

TEST(PlaceRegion, ContentLongerThanItsReservationGetsRoom) {
    // Six pairs and a line end leave 14 bytes; 15 bytes of content would run into the next
    // section, so the reservation grows just enough to keep a filler before its line end.
    std::string next = "\r\nCat\xE9gorie1M1S2\t\r\n";
    std::string file = Reservation(6) + next;
    std::string content = "0123456789012\r\n";
    EXPECT_EQ(PlaceRegion(file, 0, 6, content, false).patch.bytes, content + "\t\r\n" + next);
    // Content that just reaches the reservation's end still fits in place.
    EXPECT_EQ(PlaceRegion(file, 0, 6, "01234567890\r\n", false).patch.bytes, "01234567890\r\n\n");
    // The header's fields must leave its line end alone.
    EXPECT_EQ(PlaceRegion(file, 0, 6, "0123456789012", true).patch.bytes,
              "0123456789012\t\r\n" + next);
}

TEST(PlanSectionWrite, AppendsAMissingSectionAfterAnEmptyLine) {
    std::string file = "H\r\n";
    SectionWrite w = PlanSectionWrite(file, "Cat\xE9gorieZ", 3, "v\t\r\n", true);
    ASSERT_TRUE(w.written);
    EXPECT_EQ(Fields(w.region.patch.offset, w.region.patch.bytes, w.body),
              "3|\r\nCat\xE9gorieZ\t\r\nv\t\r\n1\t\r\n|18");
    // Not to be created, or impossible to find again: nothing is written.
    EXPECT_FALSE(PlanSectionWrite(file, "Cat\xE9gorieZ", 3, "v\t\r\n", false).written);
    EXPECT_FALSE(PlanSectionWrite(file, "", 3, "v\t\r\n", true).written);
    EXPECT_FALSE(PlanSectionWrite(file, "A\tB", 3, "v\t\r\n", true).written);
    // A title cut short by the end of the file gets its line end before the body.
    SectionWrite cut = PlanSectionWrite("H\r\n\r\nT\t", "T", 1, "v\r\n", true);
    EXPECT_EQ(cut.region.patch.bytes, "\r\nv\r\n\n");
}

}  // namespace
}  // namespace velkaro
