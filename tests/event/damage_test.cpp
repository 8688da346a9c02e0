#include "event/damage.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/event/event_fixtures.h"

namespace velkaro {
namespace {

using test::CutInside;

std::string FirstLine(const std::string& text) {
    return text.substr(0, text.find('\n'));
}

const std::string kCut = ": cut short, the file ends inside it";

// Each kind of section of two real events, the file ending inside it: the first line names it.
TEST(Damage, EveryKindOfSectionTheFileEndsInsideIsNamed) {
    struct Case {
        const char* file;
        SectionTitle title;
        std::string line;
    };
    const std::string touring = "Category \"Touring\", ";
    const std::vector<Case> cases = {
        {"qualification.race", SectionTitle(kRunDoneFlagsTitle), "Marks of the runs done" + kCut},
        {"qualification.race", ParticipantsTitle(1), touring + "list of participants" + kCut},
        {"qualification.race", HeatSlotListTitle(1),
         touring + "qualifying heats arrangement" + kCut},
        {"qualification.race", SectionTitle(kTrackTitle), "Track for the race" + kCut},
        {"qualification.race", StartingGridsTitle(1), touring + "qualifying starting grids" + kCut},
        {"qualification.race", QualifOptionsTitle(1),
         touring + "qualifying heats parameters" + kCut},
        {"qualification.race", HeatTitle(1, 1, 1), touring + "Round 1 - Heat 1" + kCut},
        {"qualification.race", HeatTitle(1, 1, 2), touring + "Round 1 - Heat 2" + kCut},
        {"qualification.race", RoundClassificationTitle(1, 1),
         touring + "Round 1 classification" + kCut},
        {"finals.race", RoundClassificationTitle(1, 2), touring + "Round 2 classification" + kCut},
        {"qualification.race", OverallClassificationTitle(1),
         touring + "overall classification" + kCut},
        {"finals.race", FinalsOptionsTitle(1), touring + "finals runs parameters" + kCut},
        {"finals.race", FinalsLadderTitle(1), touring + "finals ladder" + kCut},
        {"finals.race", FinalsRunTitle(1, 2, 'B'), touring + "Finals 1/4B" + kCut},
        {"finals.race", FinalsRunTitle(1, 1, 'A'), touring + "Finals 1/2A" + kCut},
        {"finals.race", FinalsRunTitle(1, 0, 'A'), touring + "Final" + kCut},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.line);
        EventCheck check = CheckEventBytes(CutInside(test::RealEvent(c.file), c.title.View()));
        EXPECT_EQ(FirstLine(DamageLines(check)), c.line);
    }
}

TEST(Damage, WholeFilesAreSoundAndOtherDamageIsNamedToo) {
    const std::string qualification = test::RealEvent("qualification.race");
    const std::string heat2(HeatTitle(1, 1, 2).View());
    const std::size_t heat2At = qualification.find(heat2 + "\t");
    const std::size_t trackAt = qualification.find(std::string(kTrackTitle) + "\t");
    struct Case {
        const char* name;
        std::string bytes;
        std::string lines;
    };
    const std::vector<Case> cases = {
        {"qualification", qualification, ""},
        {"finals", test::RealEvent("finals.race"), ""},
        {"the program's blank event", test::Golden("new_event.race"), ""},
        {"a heat renamed",
         std::string(qualification).replace(heat2At, heat2.size(), "Unrelated1M1S2"),
         "Category \"Touring\", Round 1 - Heat 2: missing"},
        {"the track overflowing",
         std::string(qualification).insert(trackAt + 20, std::string(300, 'x')),
         "Track for the race: longer than the room kept for it"},
        {"cut inside the header", qualification.substr(0, 300),
         "Event header" + kCut +
             "\nMarks of the runs done: missing"
             // Without the flags no heat is expected.
             "\nCategory \"Touring\", list of participants: missing"
             "\nCategory \"Touring\", overall classification: missing"},
        {"not an event file", "PK\x03\x04 zip\r\n",
         "Event header" + kCut + "\nMarks of the runs done: missing"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(DamageLines(CheckEventBytes(c.bytes)), c.lines);
    }
}

TEST(Damage, ALongListIsCutAfterTenLines) {
    EventCheck check;
    check.header.categoryCount = 1;
    for (int h = 1; h <= 12; ++h) {
        SectionIssue heat;
        heat.kind = SectionKind::Heat;
        heat.category = 1;  // a category without a name goes by its number
        heat.round = 3;
        heat.heat = h;
        check.issues.push_back(heat);
    }
    std::string lines = DamageLines(check);
    EXPECT_EQ(FirstLine(lines), "Category 1, Round 3 - Heat 1: missing");
    EXPECT_EQ(lines.substr(lines.find("Heat 10")), "Heat 10: missing\nand 2 more damaged sections");
}

TEST(Damage, AtStartUpTheDirectorGoesOnWithWhatCanBeReadOrStartsBlank) {
    const std::string cut =
        CutInside(test::RealEvent("finals.race"), OverallClassificationTitle(1).View());
    FakeMessages m;
    EXPECT_EQ(CheckPreviousEvent(test::RealEvent("finals.race"), "PcCrashRace.race", m),
              PreviousEvent::Sound);
    m.Expect(MessageAnswer::Yes);
    m.Expect(MessageAnswer::No);
    EXPECT_EQ(CheckPreviousEvent(cut, "PcCrashRace.race", m), PreviousEvent::ReadWhatCan);
    EXPECT_EQ(CheckPreviousEvent(cut, "PcCrashRace.race", m), PreviousEvent::Blank);
    ASSERT_EQ(m.shown.size(), 2u);
    EXPECT_EQ(m.shown[1].text,
              "The event worked on before this start is damaged:\n"
              "Category \"Touring\", overall classification" +
                  kCut +
                  "\nCategory \"Touring\", finals ladder: missing"
                  "\nCategory \"Touring\", Final: missing"
                  "\nCategory \"Touring\", Finals 1/2A: missing"
                  "\nCategory \"Touring\", Finals 1/2B: missing"
                  "\nCategory \"Touring\", Finals 1/4A: missing"
                  "\nCategory \"Touring\", Finals 1/4B: missing"
                  "\n\nLoad what can be read?\nNo starts a blank event; the damaged file is kept "
                  "as \"PcCrashRace.race\".");
}

}  // namespace
}  // namespace velkaro
