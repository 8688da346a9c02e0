#include "event/sections.h"

#include <gtest/gtest.h>

#include <string>

#include "event/section.h"
#include "tests/event/event_fixtures.h"

namespace velkaro {
namespace {

using test::Fields;

// Each layout is written here by hand as a first write leaves it: an empty line, the title,
// and the content over its reservation. Read into a record and written again over a new
// event, it must come out byte for byte: the writer lays every field out as the file has it,
// and the reader takes every field back, over whatever the record held where the file has a
// line for it.
class SectionsTest : public test::EventFolderTest {
  protected:
    void SetUp() override {
        EventFolderTest::SetUp();
        SetWorkingCopy(test::Golden("new_event.race"));
    }

    template <typename T, typename Read, typename Write>
    T RoundTrip(std::string_view title, int pairs, const std::string& content, T record, Read read,
                Write write) {
        const std::string file = test::Golden("new_event.race") + "\r\n" + std::string(title) +
                                 "\t\r\n" + content + Reservation(pairs).substr(content.size());
        SetWorkingCopy(file);
        EXPECT_EQ(read(record), FileOutcome::Done);
        SetWorkingCopy(test::Golden("new_event.race"));
        EXPECT_EQ(write(record), FileOutcome::Done);
        EXPECT_EQ(WorkingCopy(), file);
        return record;
    }
};

TEST_F(SectionsTest, ParticipantsLayoutAndNames) {
    std::string content =
        "ALPHA Anne\t123456\t2.4Ghz\t\t\t\t\t\r\nB\xC9RANGER Luc\t\t\t\t\t\t27.145\t\r\n";
    for (int i = 2; i < kParticipants; ++i) content += "\t\t\t\t\t\t\t\r\n";
    Participants stale{};
    stale[5].name = "stale";
    const Participants p = RoundTrip(
        "Cat\xE9gorie3ListeParticipants", 9000, content, stale,
        [](Participants& r) { return ReadParticipants(3, r, SystemDisk()); },
        [&](const Participants& r) { return WriteParticipants(3, r, messages_, SystemDisk()); });
    EXPECT_EQ(Fields(p[0].name, p[0].transponder, p[0].frequencies[0], p[1].frequencies[4]),
              "ALPHA Anne|123456|2.4Ghz|27.145");
    // A number written by hand or by an older version is the same chip as its six digits.
    std::string file = WorkingCopy();
    file.replace(file.find("123456"), 6, "1001");
    SetWorkingCopy(file);
    auto again = std::make_unique<Participants>();
    ASSERT_EQ(ReadParticipants(3, *again, SystemDisk()), FileOutcome::Done);
    EXPECT_EQ((*again)[0].transponder, "001001");
    ParticipantNames names;
    ASSERT_EQ(ReadParticipantNames(3, names, SystemDisk()), FileOutcome::Done);
    EXPECT_EQ(Fields(names[0], names[1], names[2]), "ALPHA Anne|B\xC9RANGER Luc|");
}

TEST_F(SectionsTest, HeatSlotListIsOnlyRewrittenWhenPresentIfAsked) {
    messages_.Expect(MessageAnswer::Ok);
    EXPECT_EQ(WriteHeatSlotList(1, DefaultHeatSlotList(), false, messages_, SystemDisk()),
              FileOutcome::NoSection);
    ASSERT_EQ(messages_.shown.size(), 1u);
    EXPECT_EQ(messages_.shown[0].text, "Error: Title of qualification arrangement not found");
    EXPECT_EQ(WorkingCopy(), test::Golden("new_event.race"));

    std::string content = "0\t2\t1\t\r\nALPHA Anne\t\r\n(NA)\t\r\nZED\t\r\n";
    for (int i = 3; i < kHeatSlots; ++i) content += "(NA)\t\r\n";
    HeatSlotList list = RoundTrip(
        "Cat\xE9gorie1R\xE9partitionQualifs", 4625, content, HeatSlotList{},
        [](HeatSlotList& r) { return ReadHeatSlotList(1, r, SystemDisk()); },
        [&](const HeatSlotList& r) {
            return WriteHeatSlotList(1, r, true, messages_, SystemDisk());
        });
    EXPECT_EQ(Fields(list.driversPerHeat, list.places[0], list.places[2]), "2|ALPHA Anne|ZED");

    list.places[1] = "NEW";
    list.qualificationStarted = 1;
    ASSERT_EQ(WriteHeatSlotList(1, list, false, messages_, SystemDisk()), FileOutcome::Done);
    HeatSlotList read;
    ASSERT_EQ(ReadHeatSlotList(1, read, SystemDisk()), FileOutcome::Done);
    EXPECT_EQ(Fields(read.qualificationStarted, read.places[1]), "1|NEW");
}

// Known option words read as their values; words that are no keywords are kept byte for byte.
TEST_F(SectionsTest, QualifOptionsAndTheirDefaults) {
    QualifOptions o;
    EXPECT_EQ(ReadQualifOptions(2, o, SystemDisk()), FileOutcome::NoSection);
    EXPECT_EQ(Fields(o.placing, o.countdownSeconds, o.endAtLaps),
              "CLASSEMENTToursTemps|5|FINTOURFinirTour");
    auto read = [](QualifOptions& r) { return ReadQualifOptions(2, r, SystemDisk()); };
    auto write = [&](const QualifOptions& r) {
        return WriteQualifOptions(2, r, messages_, SystemDisk());
    };
    o = RoundTrip("Cat\xE9gorie2QualifsParam\xE8tres", 80,
                  "CLASSEMENTMeilleurTour\tDUREESERIETours\t60\t150\t3600\t99\tDEPARTDecale\t"
                  "ORDREDEPARTModifiable\tFINTEMPSFinirTour\tFINTOURFaireTousLesTours\t\r\n",
                  o, read, write);
    EXPECT_EQ(Fields(o.durationKind, o.runLaps, o.delayMinutes, o.startingOrder),
              "DUREESERIETours|150|99|ORDREDEPARTModifiable");
    o = RoundTrip("Cat\xE9gorie2QualifsParam\xE8tres", 80,
                  "classementtourstemps\t\t1\t1\t5\t0\tDEPART\xC9\tORDREDEPARTFixe \t"
                  "FINTOURFinirTour\tFINTOURFaireTousLesTour\t\r\n",
                  QualifOptions{}, read, write);
    EXPECT_EQ(Fields(o.placing == Classification::Unknown, o.durationKind == DurationKind::Unknown,
                     o.start == StartMode::Unknown, o.startingOrder == StartingOrder::Unknown,
                     o.endAtTime == TimeEnd::Unknown, o.endAtLaps == LapsEnd::Unknown),
              "1|1|1|1|1|1");
}

TEST_F(SectionsTest, StartingGridsHoldOneLinePerRound) {
    StartingGrids stale;
    stale.lanes[2] = {9, 9, 9, 9};  // beyond the rounds: not written
    const StartingGrids g = RoundTrip(
        "Cat\xE9gorie1GrilleD\xE9partQualifs", 250, "0\t4\t2\t\r\n1\t2\t3\t4\t\r\n4\t3\t2\t1\t\r\n",
        stale, [](StartingGrids& r) { return ReadStartingGrids(1, r, SystemDisk()); },
        [&](const StartingGrids& r) { return WriteStartingGrids(1, r, messages_, SystemDisk()); });
    EXPECT_EQ(Fields(g.driversPerHeat, g.lanes[1][0], g.lanes[1][3]), "4|4|1");
}

TEST_F(SectionsTest, RoundClassificationReservesByParticipants) {
    const RoundClassification c = RoundTrip(
        "Cat\xE9gorie1M2Classement", 35 * 3 + 24,
        "CLASSEMENTToursTemps\t11\t2\t1\t1\t1\t1\t\r\nA\t10\t300000\t29000\t11\t\r\n"
        "F\t0\t0\t0\t0\t\r\n\t0\t1500000000\t1500000000\t0\t\r\n",
        RoundClassification{},
        [](RoundClassification& r) { return ReadRoundClassification(1, 2, 3, r, SystemDisk()); },
        [&](const RoundClassification& r) {
            return WriteRoundClassification(1, 2, 3, r, messages_, SystemDisk());
        });
    EXPECT_EQ(Fields(c.scale[0], c.entries[0].name, c.entries[0].totalTime, c.entries[0].points),
              "11|A|300000|11");
    EXPECT_EQ(RoundClassificationPairs(500), 35 * 200 + 24);
}

TEST_F(SectionsTest, OverallClassificationHoldsOneNamePerParticipant) {
    const OverallClassification c = RoundTrip(
        "Cat\xE9gorie4ClassementFinalQualifs", 22 * 2 + 15,
        "CLASSEMENTMeilleurTour\t2\t\r\nB\t\r\nA\t\r\n", OverallClassification{},
        [](OverallClassification& r) { return ReadOverallClassification(4, 2, r, SystemDisk()); },
        [&](const OverallClassification& r) {
            return WriteOverallClassification(4, 2, r, messages_, SystemDisk());
        });
    EXPECT_EQ(Fields(c.keyword, c.bestRounds, c.names[1]), "CLASSEMENTMeilleurTour|2|A");
}

TEST_F(SectionsTest, FinalsOptionsAndLadder) {
    const FinalsOptions o = RoundTrip(
        "Cat\xE9gorie5Remont\xE9"
        "esParam\xE8tres",
        28, "DEPARTPremiereVoiture\tFINTEMPSSignalSonore\t30\t\r\n", FinalsOptions{},
        [](FinalsOptions& r) { return ReadFinalsOptions(5, r, SystemDisk()); },
        [&](const FinalsOptions& r) { return WriteFinalsOptions(5, r, messages_, SystemDisk()); });
    EXPECT_EQ(Fields(o.start, o.countdownSeconds), "DEPARTPremiereVoiture|30");

    const FinalsLadder l = RoundTrip(
        "Cat\xE9gorie5R\xE9partitionRemont\xE9"
        "es",
        40, "14\t10\t30\t20\t15\t10\t10\t15\t10\t5\t5\t0\t14\t14\t14\t14\t5\t3\t3\t3\t\r\n",
        FinalsLadder{}, [](FinalsLadder& r) { return ReadFinalsLadder(5, r, SystemDisk()); },
        [&](const FinalsLadder& r) { return WriteFinalsLadder(5, r, messages_, SystemDisk()); });
    EXPECT_EQ(Fields(l.participants, l.durations[4], l.delays[0], l.direct[1], l.goUp[0]),
              "14|10|15|14|5");

    // The lanes of the 1/4 finals with the A run's third and the B run's first swapped; every
    // other level in the ladder's order.
    std::string lanes;
    for (int level = 0; level <= kFinalsLevels; ++level) {
        for (int i = 1; i <= 40; ++i) {
            const int place = level != 2 ? 0 : i == 3 ? 21 : i == 21 ? 3 : i;
            lanes += std::to_string(place) + "\t";
        }
        lanes += "\r\n";
    }
    const FinalsGrids g = RoundTrip(
        "Cat\xE9gorie5GrilleD\xE9partRemont\xE9"
        "es",
        740, lanes, FinalsGrids{},
        [](FinalsGrids& r) { return ReadFinalsGrids(5, r, SystemDisk()); },
        [&](const FinalsGrids& r) {
            return WriteAlone(SystemDisk(),
                              [&](Transaction& t) { PutFinalsGrids(t, 5, r, messages_); });
        });
    EXPECT_EQ(Fields(g.levels[2][2], g.levels[2][20], g.levels[2][39], g.levels[1][0]),
              "21|3|40|0");
}

TEST_F(SectionsTest, FieldsBeyondTheirSlotsAreCutAndNonNumbersReadAsZero) {
    SetWorkingCopy(test::Golden("new_event.race") + "\r\nCat\xE9gorie1ListeParticipants\t\r\n" +
                   std::string(60, 'N') + "\t1234567890\tF1\t\t\t\tF5\t\r\n" +
                   "\r\nCat\xE9gorie1R\xE9partitionRemont\xE9"
                   "es\t\r\n12\tabc\t-7\t99999999999\t\r\n");
    Participants p{};
    ASSERT_EQ(ReadParticipants(1, p, SystemDisk()), FileOutcome::Done);
    // Ten digits are no transponder: cut to six they would be another driver's chip.
    EXPECT_EQ(Fields(p[0].name, p[0].transponder, p[0].frequencies[0], p[0].frequencies[4]),
              std::string(39, 'N') + "||F1|F5");
    FinalsLadder l;
    ASSERT_EQ(ReadFinalsLadder(1, l, SystemDisk()), FileOutcome::Done);
    // The last value is beyond the line.
    EXPECT_EQ(Fields(l.participants, l.driversPerRun, l.durations[0], l.durations[1], l.goUp[3]),
              "12|0|-7|2147483647|0");
}

}  // namespace
}  // namespace velkaro
