#include "event/sections.h"

#include <gtest/gtest.h>

#include <string>

#include "event/section.h"
#include "tests/event/event_fixtures.h"

namespace velkaro {
namespace {

class SectionsTest : public test::EventFolderTest {
  protected:
    void SetUp() override {
        EventFolderTest::SetUp();
        SetWorkingCopy(test::Golden("new_event.race"));
    }

    // What a first write must have appended: an empty line, the title, and the content over
    // its reservation.
    void ExpectAppended(std::string_view title, int pairs, const std::string& content) {
        std::string expected = test::Golden("new_event.race") + "\r\n" + std::string(title) +
                               "\t\r\n" + content + Reservation(pairs).substr(content.size());
        EXPECT_EQ(WorkingCopy(), expected);
    }
};

TEST_F(SectionsTest, ParticipantsLayoutAndRoundTrip) {
    Participants p{};
    p[0].name = "ALPHA Anne";
    p[0].transponder = "123456";
    p[0].frequencies[0] = "2.4Ghz";
    p[1].name = "B\xC9RANGER Luc";
    p[1].frequencies[4] = "27.145";
    ASSERT_EQ(WriteParticipants(3, p, messages_), FileOutcome::Done);
    std::string content =
        "ALPHA Anne\t123456\t2.4Ghz\t\t\t\t\t\r\nB\xC9RANGER Luc\t\t\t\t\t\t27.145\t\r\n";
    for (int i = 2; i < kParticipants; ++i) content += "\t\t\t\t\t\t\t\r\n";
    ExpectAppended("Cat\xE9gorie3ListeParticipants", 9000, content);

    Participants read{};
    read[5].name = "stale";
    ASSERT_EQ(ReadParticipants(3, read), FileOutcome::Done);
    EXPECT_EQ(read[0].name, "ALPHA Anne");
    EXPECT_EQ(read[0].transponder, "123456");
    EXPECT_EQ(read[0].frequencies[0], "2.4Ghz");
    EXPECT_EQ(read[1].frequencies[4], "27.145");
    EXPECT_EQ(read[5].name, "");
    ParticipantNames names;
    ASSERT_EQ(ReadParticipantNames(3, names), FileOutcome::Done);
    EXPECT_EQ(names[1], "B\xC9RANGER Luc");
}

TEST_F(SectionsTest, HeatSlotListLayoutAndOnlyRewrittenWhenPresentIfAsked) {
    HeatSlotList list = DefaultHeatSlotList();
    list.places[0] = "ALPHA Anne";
    list.places[2] = "ZED";
    list.driversPerHeat = 2;

    messages_.Expect(MessageAnswer::Ok);
    EXPECT_EQ(WriteHeatSlotList(1, list, false, messages_), FileOutcome::NoSection);
    ASSERT_EQ(messages_.shown.size(), 1u);
    EXPECT_EQ(messages_.shown[0].text, "Error: Title of qualification arrangement not found");
    EXPECT_EQ(WorkingCopy(), test::Golden("new_event.race"));

    ASSERT_EQ(WriteHeatSlotList(1, list, true, messages_), FileOutcome::Done);
    std::string content = "0\t2\t1\t\r\nALPHA Anne\t\r\n(NA)\t\r\nZED\t\r\n";
    for (int i = 3; i < kHeatSlots; ++i) content += "(NA)\t\r\n";
    ExpectAppended("Cat\xE9gorie1R\xE9partitionQualifs", 4625, content);

    list.places[1] = "NEW";
    list.qualificationStarted = 1;
    ASSERT_EQ(WriteHeatSlotList(1, list, false, messages_), FileOutcome::Done);
    HeatSlotList read;
    ASSERT_EQ(ReadHeatSlotList(1, read), FileOutcome::Done);
    EXPECT_EQ(read.qualificationStarted, 1);
    EXPECT_EQ(read.driversPerHeat, 2);
    EXPECT_EQ(read.rounds, 1);
    EXPECT_EQ(read.places[1], "NEW");
    EXPECT_EQ(read.places[219], "(NA)");
}

TEST_F(SectionsTest, QualifOptionsDefaultsLayoutAndRoundTrip) {
    QualifOptions o;
    EXPECT_EQ(ReadQualifOptions(2, o), FileOutcome::NoSection);
    EXPECT_EQ(o.placing, "CLASSEMENTToursTemps");
    EXPECT_EQ(o.countdownSeconds, 5);
    EXPECT_EQ(o.endAtLaps, "FINTOURFinirTour");

    o.placing = kByBestLap;
    o.durationKind = kDurationByLaps;
    o.runMinutes = 60;
    o.runLaps = 150;
    o.countdownSeconds = 3600;
    o.delayMinutes = 99;
    o.start = kStartStaggered;
    o.startingOrder = kOrderEditable;
    o.endAtTime = kTimeEndFinishLap;
    o.endAtLaps = kLapsEndAllLaps;
    ASSERT_EQ(WriteQualifOptions(2, o, messages_), FileOutcome::Done);
    ExpectAppended("Cat\xE9gorie2QualifsParam\xE8tres", 80,
                   "CLASSEMENTMeilleurTour\tDUREESERIETours\t60\t150\t3600\t99\tDEPARTDecale\t"
                   "ORDREDEPARTModifiable\tFINTEMPSFinirTour\tFINTOURFaireTousLesTours\t\r\n");
    QualifOptions read;
    ASSERT_EQ(ReadQualifOptions(2, read), FileOutcome::Done);
    EXPECT_EQ(read.durationKind, "DUREESERIETours");
    EXPECT_EQ(read.runLaps, 150);
    EXPECT_EQ(read.delayMinutes, 99);
    EXPECT_EQ(read.startingOrder, "ORDREDEPARTModifiable");
    EXPECT_EQ(read.endAtLaps, "FINTOURFaireTousLesTours");
}

TEST_F(SectionsTest, StartingGridsHoldOneLinePerRound) {
    StartingGrids g;
    g.driversPerHeat = 4;
    g.rounds = 2;
    g.lanes[0] = {1, 2, 3, 4};
    g.lanes[1] = {4, 3, 2, 1};
    g.lanes[2] = {9, 9, 9, 9};  // beyond the rounds: not written
    ASSERT_EQ(WriteStartingGrids(1, g, messages_), FileOutcome::Done);
    ExpectAppended("Cat\xE9gorie1GrilleD\xE9partQualifs", 250,
                   "0\t4\t2\t\r\n1\t2\t3\t4\t\r\n4\t3\t2\t1\t\r\n");
    StartingGrids read;
    ASSERT_EQ(ReadStartingGrids(1, read), FileOutcome::Done);
    EXPECT_EQ(read.driversPerHeat, 4);
    EXPECT_EQ(read.lanes[1][0], 4);
    EXPECT_EQ(read.lanes[1][3], 1);
    EXPECT_EQ(read.lanes[2][0], 0);
}

TEST_F(SectionsTest, RoundClassificationReservesByParticipants) {
    RoundClassification c;
    c.scale = {11, 2, 1, 1, 1, 1};
    c.entries[0] = {Text<40>("A"), 10, 300000, 29000, 11};
    c.entries[1] = {Text<40>("F"), 0, 0, 0, 0};
    ASSERT_EQ(WriteRoundClassification(1, 2, 3, c, messages_), FileOutcome::Done);
    ExpectAppended("Cat\xE9gorie1M2Classement", 35 * 3 + 24,
                   "CLASSEMENTToursTemps\t11\t2\t1\t1\t1\t1\t\r\nA\t10\t300000\t29000\t11\t\r\n"
                   "F\t0\t0\t0\t0\t\r\n\t0\t1500000000\t1500000000\t0\t\r\n");
    RoundClassification read;
    ASSERT_EQ(ReadRoundClassification(1, 2, 3, read), FileOutcome::Done);
    EXPECT_EQ(read.scale[0], 11);
    EXPECT_EQ(read.entries[0].name, "A");
    EXPECT_EQ(read.entries[0].totalTime, 300000);
    EXPECT_EQ(read.entries[2].bestLap, kNoTime);
    EXPECT_EQ(RoundClassificationPairs(500), 35 * 200 + 24);
}

TEST_F(SectionsTest, OverallClassificationWritesOneNamePerParticipant) {
    OverallClassification c;
    c.keyword = kByBestLap;
    c.bestRounds = 2;
    c.names[0] = "B";
    c.names[1] = "A";
    ASSERT_EQ(WriteOverallClassification(4, 2, c, messages_), FileOutcome::Done);
    ExpectAppended("Cat\xE9gorie4ClassementFinalQualifs", 22 * 2 + 15,
                   "CLASSEMENTMeilleurTour\t2\t\r\nB\t\r\nA\t\r\n");
    OverallClassification read;
    ASSERT_EQ(ReadOverallClassification(4, 2, read), FileOutcome::Done);
    EXPECT_EQ(read.keyword, "CLASSEMENTMeilleurTour");
    EXPECT_EQ(read.bestRounds, 2);
    EXPECT_EQ(read.names[1], "A");
}

TEST_F(SectionsTest, FinalsOptionsAndLadder) {
    FinalsOptions o;
    o.start = kStartFirstCar;
    o.endAtTime = kTimeEndAtSignal;
    o.countdownSeconds = 30;
    ASSERT_EQ(WriteFinalsOptions(5, o, messages_), FileOutcome::Done);
    ExpectAppended(
        "Cat\xE9gorie5Remont\xE9"
        "esParam\xE8tres",
        28, "DEPARTPremiereVoiture\tFINTEMPSSignalSonore\t30\t\r\n");
    FinalsOptions readOptions;
    ASSERT_EQ(ReadFinalsOptions(5, readOptions), FileOutcome::Done);
    EXPECT_EQ(readOptions.start, "DEPARTPremiereVoiture");
    EXPECT_EQ(readOptions.countdownSeconds, 30);

    SetWorkingCopy(test::Golden("new_event.race"));
    FinalsLadder l{14, 10, {30, 20, 15, 10, 10}, {15, 10, 5, 5}, {0, 14, 14, 14, 14}, {5, 3, 3, 3}};
    ASSERT_EQ(WriteFinalsLadder(5, l, messages_), FileOutcome::Done);
    ExpectAppended(
        "Cat\xE9gorie5R\xE9partitionRemont\xE9"
        "es",
        40, "14\t10\t30\t20\t15\t10\t10\t15\t10\t5\t5\t0\t14\t14\t14\t14\t5\t3\t3\t3\t\r\n");
    FinalsLadder read;
    ASSERT_EQ(ReadFinalsLadder(5, read), FileOutcome::Done);
    EXPECT_EQ(read.participants, 14);
    EXPECT_EQ(read.durations[4], 10);
    EXPECT_EQ(read.delays[0], 15);
    EXPECT_EQ(read.direct[1], 14);
    EXPECT_EQ(read.goUp[0], 5);
}

TEST_F(SectionsTest, FieldsBeyondTheirSlotsAreCutAndNonNumbersReadAsZero) {
    std::string file = test::Golden("new_event.race");
    file += "\r\nCat\xE9gorie1ListeParticipants\t\r\n" + std::string(60, 'N') +
            "\t1234567890\tF1\t\t\t\tF5\t\r\n";
    file +=
        "\r\nCat\xE9gorie1R\xE9partitionRemont\xE9"
        "es\t\r\n12\tabc\t-7\t99999999999\t\r\n";
    SetWorkingCopy(file);
    Participants p{};
    ASSERT_EQ(ReadParticipants(1, p), FileOutcome::Done);
    EXPECT_EQ(p[0].name.View(), std::string(39, 'N'));
    EXPECT_EQ(p[0].transponder, "123456");
    EXPECT_EQ(p[0].frequencies[0], "F1");
    EXPECT_EQ(p[0].frequencies[4], "F5");
    FinalsLadder l;
    ASSERT_EQ(ReadFinalsLadder(1, l), FileOutcome::Done);
    EXPECT_EQ(l.participants, 12);
    EXPECT_EQ(l.driversPerRun, 0);
    EXPECT_EQ(l.durations[0], -7);
    EXPECT_EQ(l.durations[1], 2147483647);
    EXPECT_EQ(l.goUp[3], 0);  // beyond the line
}

TEST_F(SectionsTest, WithoutTheWorkingCopyNothingIsWrittenOrSaid) {
    std::filesystem::remove(folder_.Path() / "Private/Course.race");
    QualifOptions o;
    o.runMinutes = 42;
    EXPECT_EQ(WriteQualifOptions(1, o, messages_), FileOutcome::Unavailable);
    EXPECT_EQ(ReadQualifOptions(1, o), FileOutcome::Unavailable);
    EXPECT_EQ(o.runMinutes, 42);
    EXPECT_EQ(WriteTrack(TrackRecord{}, messages_), FileOutcome::Unavailable);
    EXPECT_FALSE(std::filesystem::exists(folder_.Path() / "Private/Course.race"));
}

}  // namespace
}  // namespace velkaro
