#include <gtest/gtest.h>

#include <string>

#include "event/section.h"
#include "tests/event/event_fixtures.h"

namespace velkaro {
namespace {

TEST(FindSection, BodyStartsOnTheLineAfterTheTitle) {
    std::string file = "1\t2\t\r\n\r\nA\t\r\nbody\t\r\n\r\nB\t\r\nmore\t\n";
    SectionPosition a = FindSectionIn(file, "A");
    ASSERT_TRUE(a.found);
    EXPECT_EQ(file.substr(a.body, 4), "body");
    SectionPosition b = FindSectionIn(file, "B");
    ASSERT_TRUE(b.found);
    EXPECT_EQ(file.substr(b.body), "more\t\n");
    EXPECT_FALSE(FindSectionIn(file, "C").found);
    EXPECT_FALSE(FindSectionIn("", "A").found);
}

TEST(FindSection, ComparesTheWholeFirstFieldOfEveryLineDataIncluded) {
    // The first line whose first field equals the title wins, even a data line; a longer or
    // shorter field never matches.
    std::string file = "Cat\t\r\nCatX\tCat\t\r\nCat\xE9gorie1M1S1\tx\t\r\nCat\xE9gorie1M1S1\t\r\n";
    SectionPosition p = FindSectionIn(file, "Cat\xE9gorie1M1S1");
    ASSERT_TRUE(p.found);
    EXPECT_EQ(p.body, file.find("Cat\xE9gorie1M1S1\t\r\n"));
    EXPECT_EQ(FindSectionIn(file, "Cat").body, 6u);
    EXPECT_FALSE(FindSectionIn(file, "Ca").found);
}

TEST(FindSection, LineEndsWithAndWithoutCarriageReturn) {
    // A title alone on its line, without its TAB: the CR before the LF is not part of it.
    EXPECT_EQ(FindSectionIn("x\r\nTitle\r\nbody", "Title").body, 10u);
    EXPECT_EQ(FindSectionIn("x\nTitle\nbody", "Title").body, 8u);
    // A CR anywhere else is a character like any other.
    EXPECT_FALSE(FindSectionIn("Title\r\t\r\n", "Title").found);
    // The last line without a line end: the body starts at the end of the file.
    SectionPosition p = FindSectionIn("x\nTitle\t", "Title");
    ASSERT_TRUE(p.found);
    EXPECT_EQ(p.body, 8u);
}

TEST(FindSection, TitlesAreComparedOverTheFirst104Characters) {
    std::string longTitle(104, 'T');
    std::string file = "head\n" + longTitle + "EXTRA\tfield\nbody\n";
    // Both sides are cut at 104 characters, so a longer first field matches.
    EXPECT_TRUE(FindSectionIn(file, longTitle).found);
    EXPECT_TRUE(FindSectionIn(file, longTitle + "OTHER").found);
    EXPECT_FALSE(FindSectionIn(file, std::string(103, 'T')).found);
}

TEST(FindSection, FindsEverySectionOfTheRecordedGolden) {
    std::string file = test::Golden("heat_recorded.race");
    SectionPosition flags = FindSectionIn(file, kRunDoneFlagsTitle);
    ASSERT_TRUE(flags.found);
    EXPECT_EQ(flags.body, 662u + 2 + 28);
    SectionPosition heat = FindSectionIn(file, HeatTitle(1, 1, 1).View());
    ASSERT_TRUE(heat.found);
    EXPECT_EQ(file.compare(heat.body, 11, "ALPHA Anne\t"), 0);
    EXPECT_FALSE(FindSectionIn(file, HeatTitle(1, 1, 2).View()).found);
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
    for (std::string title :
         {"PisteCourse", "Cat\xE9gorieDrapeauxTreeview", "Cat\xE9gorie3ListeParticipants",
          "Cat\xE9gorie3R\xE9partitionQualifs", "Cat\xE9gorie3QualifsParam\xE8tres",
          "Cat\xE9gorie3GrilleD\xE9partQualifs", "Cat\xE9gorie3M9S20", "Cat\xE9gorie3M2Classement",
          "Cat\xE9gorie3ClassementFinalQualifs",
          "Cat\xE9gorie3Remont\xE9"
          "esParam\xE8tres",
          "Cat\xE9gorie3R\xE9partitionRemont\xE9"
          "es",
          "Cat\xE9gorie3Remont\xE9"
          "es2048A",
          "Cat\xE9gorie3Remont\xE9"
          "esFinale"}) {
        EXPECT_EQ(ExtentFrom("data\t\r\n" + title + "\t\r\n", 0), 7u) << title;
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

TEST(PlaceRegion, ContentOverTheStartOfTheReservation) {
    std::string file = "H\r\n" + Reservation(5) + "\r\nCat\xE9gorie1M1S2\t\r\n";
    RegionWrite w = PlaceRegion(file, 3, 5, "ab\t\r\n", false);
    EXPECT_EQ(w.patch.offset, 3u);
    EXPECT_EQ(w.patch.bytes, "ab\t\r\n\t1\t1\t\r\n");
    EXPECT_EQ(w.shift, 0);
    EXPECT_EQ(Reservation(0), "\r\n");
}

TEST(PlaceRegion, MovesTheRestWhenTheReservationOutgrowsItsRoom) {
    std::string next = "\r\nCat\xE9gorie1M1S2\t\r\nnext\t\r\n";
    std::string file = "H\r\n" + Reservation(2) + next;
    RegionWrite w = PlaceRegion(file, 3, 4, "ab\t\r\n", false);
    EXPECT_EQ(w.regionSize, 10u);
    EXPECT_EQ(w.shift, 4);
    EXPECT_EQ(w.replacedEnd, 3u + 6);
    EXPECT_EQ(w.patch.bytes, "ab\t\r\n\t1\t\r\n" + next);
}

TEST(PlaceRegion, ContentLongerThanItsReservationGetsRoom) {
    // Six pairs and a line end leave 14 bytes; 15 bytes of content would run into the next
    // section, so the reservation grows just enough to keep a filler before its line end.
    std::string next = "\r\nCat\xE9gorie1M1S2\t\r\n";
    std::string file = Reservation(6) + next;
    std::string content = "0123456789012\r\n";
    RegionWrite w = PlaceRegion(file, 0, 6, content, false);
    EXPECT_EQ(w.patch.bytes, content + "\t\r\n" + next);
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
    EXPECT_EQ(w.region.patch.offset, 3u);
    EXPECT_EQ(w.region.patch.bytes, "\r\nCat\xE9gorieZ\t\r\nv\t\r\n1\t\r\n");
    EXPECT_EQ(w.body, 3u + 15);
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
