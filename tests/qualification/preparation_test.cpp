// The rules of the forms that prepare a qualification, over plain data and a real event file.

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "platform/fake/fake_clock.h"
#include "platform/fake/fake_dialogs.h"
#include "platform/fake/recording_canvas.h"
#include "qualification/heat_arrangement.h"
#include "qualification/qualif_options.h"
#include "qualification/starting_grids.h"
#include "qualification/track_participants.h"
#include "tests/event/event_fixtures.h"

namespace velkaro {
namespace {

using test::Fields;

template <typename Get>
std::string Joined(int n, Get get) {
    std::string out;
    for (int i = 0; i < n; ++i) out += std::string(get(std::size_t(i)).View()) + " ";
    return out;
}
std::string Names(const HeatSlotList& list, int n) {
    return Joined(n, [&](std::size_t i) { return list.places[i]; });
}

TEST(TrackRules, NamesAndMinimumLap) {
    for (auto [typed, kept] : {std::pair{"Spring Cup", "Spring Cup|0"},
                               {"PisteCourse", "|1"},
                               {"Cup Cat\xE9gorie 2", "|1"},
                               {"PisteCourse 2", "PisteCourse 2|0"},
                               {"0123456789012345678901234567890123456789ABCDEFGHIJ",
                                "0123456789012345678901234567890123456789ABCDEFGH|0"}}) {
        TakenName t = TakeEventName(typed);
        EXPECT_EQ(Fields(t.name, t.emptyEdit), kept) << typed;
    }
    for (auto [typed, kept] :
         {std::pair{"0", "2"}, {"1", "2"}, {"", "2"}, {"15", "15"}, {"3", "3"}}) {
        EXPECT_EQ(TakeMinimumLap(typed), kept) << typed;
    }
    TrackChoices choices;
    choices.clubs.items[0] = "RC Nord";
    choices.clubs.count = 1;
    choices.circuits[0].name = "Oval";
    choices.circuits[0].minimumLapTime = "4";
    choices.circuits[1].name = "Loop";
    choices.circuits[1].minimumLapTime = "1";
    TrackRecord track;
    track.club = "Gone club";
    track.circuit = "Loop";
    MatchTrackChoices(track, choices);
    EXPECT_EQ(Fields(track.club, track.circuit, choices.club, choices.circuit), "|Loop|-1|1");
    ChooseCircuit(track, choices, 0);
    EXPECT_EQ(Fields(track.circuit, track.minLapTime), "Oval|4");
    ChooseCircuit(track, choices, 1);
    EXPECT_EQ(track.minLapTime, "2");
}

TEST(ParticipantsRules, NewcomerGoesBehindTheLastPlacedAndRemovalLeavesAFreePlace) {
    ParticipantsWork w;
    ASSERT_EQ(AddParticipant(w, "A", "000001"), AddOutcome::Added);
    ASSERT_EQ(AddParticipant(w, "B", "000002"), AddOutcome::Added);
    std::swap(w.heatSlots.places[1], w.heatSlots.places[2]);  // A, (NA), B
    ASSERT_EQ(AddParticipant(w, "C", "000003"), AddOutcome::Added);
    EXPECT_EQ(Names(w.heatSlots, 5), "A (NA) B C (NA) ");
    EXPECT_EQ(AddParticipant(w, "B", "000009"), AddOutcome::AlreadyIn);
    ASSERT_TRUE(RemoveParticipant(w, "B"));
    EXPECT_EQ(Names(w.heatSlots, 5), "A (NA) (NA) C (NA) ");
    EXPECT_EQ(
        Fields(w.count, w.table[0].name, w.table[1].name, w.table[1].transponder, w.table[2].name),
        "2|A|C|000003|");
    // Case-insensitive order whatever the order of adding.
    for (auto n : {"delta", "Bravo", "alpha", "Charlie"}) AddParticipant(w, n, "");
    EXPECT_EQ(Joined(w.count, [&](std::size_t i) { return w.table[i].name; }),
              "A alpha Bravo C Charlie delta ");
    // A driver placed at slot 199 leaves no room for another; nor do 200 participants.
    ParticipantsWork late;
    late.heatSlots.places[199] = "Z";
    EXPECT_EQ(AddParticipant(late, "Y", ""), AddOutcome::Full);
    late.heatSlots.places[199] = kEmptySlotName;
    late.heatSlots.places[198] = "Z";
    EXPECT_EQ(AddParticipant(late, "Y", ""), AddOutcome::Added);
    ParticipantsWork full;
    for (int i = 0; i < kParticipants; ++i) Format(full.table[std::size_t(i)].name, "D%03d", i);
    full.count = kParticipants;
    EXPECT_EQ(AddParticipant(full, "New", ""), AddOutcome::Full);
}

TEST(ParticipantsRules, AWholeClubAtOnceAndAFrequencySet) {
    auto drivers = std::make_unique<DriverTable>();
    const char* rows[][2] = {{"Abel", "rc sud"}, {"Bea", "RC Nord"}, {"Cy", ""},
                             {"Dan", "RC Nord"}, {"", "RC Nord"},    {"Eve", "RC Nord"}};
    for (std::size_t i = 0; i < std::size(rows); ++i) {
        (*drivers)[i].name = rows[i][0];
        (*drivers)[i].club = rows[i][1];
        Format((*drivers)[i].transponder, "%06d", int(i));
    }
    auto clubs = std::make_unique<ClubChoices>();
    ClubsOfDrivers(*drivers, *clubs);
    EXPECT_EQ(Joined(clubs->count, [&](std::size_t i) { return clubs->items[i]; }),
              "RC Nord rc sud ");
    auto found = std::make_unique<std::array<int, kDriverRecords>>();
    ASSERT_EQ(DriversOfClub(*drivers, "RC Nord", *found), 2);  // none past the first empty name
    EXPECT_EQ(DriversOfClub(*drivers, "", *found), 0);
    ParticipantsWork w;
    AddParticipant(w, "Dan", "");
    const int picked[] = {1, 2, 3};
    const AddedMany many = AddParticipants(w, *drivers, picked, 3);
    EXPECT_EQ(Fields(many.added, many.alreadyIn, many.full, w.count, Names(w.heatSlots, 4)),
              "2|1|0|3|Dan Bea Cy (NA) ");
    EXPECT_TRUE(SetParticipantFrequency(w, "Cy", 4, "2.4Ghz") &&
                w.table[1].frequencies[4] == "2.4Ghz");
    ParticipantsWork full;
    full.heatSlots.places[199] = "Z";
    EXPECT_TRUE(AddParticipants(full, *drivers, picked, 3).full);
}

TEST(OptionsRules, ClampsAndEnables) {
    using Take = ClampedNumber (*)(std::string_view);
    for (auto [take, typed, kept] :
         {std::tuple<Take, const char*, const char*>{TakeRunMinutes, "75", "60|1"},
          {TakeRunMinutes, "0", "1|0"},
          {TakeRunMinutes, "12", "12|0"},
          {TakeRunLaps, "151", "150|1"},
          {TakeRunLaps, "0", "1|0"},
          {TakeCountdown, "5000", "3600|1"},
          {TakeCountdown, "0", "0|0"},
          {TakeDelay, "99", "99|0"}}) {
        ClampedNumber n = take(typed);
        EXPECT_EQ(Fields(n.value, n.rewrite), kept) << typed;
    }
    QualifOptions o;  // its defaults are checked with the other run options
    EXPECT_EQ(ControlsOf(o), (OptionsControls{true, true, true, false, false, false, false}));
    o.durationKind = DurationKind::ByLaps;
    ChooseStart(o, StartMode::Staggered);
    EXPECT_EQ(Fields(o.endAtTime, o.endAtLaps), "FINTEMPSFinirTour|FINTOURFaireTousLesTours");
    EXPECT_EQ(ControlsOf(o), (OptionsControls{false, false, false, true, false, false, true}));
    o.durationKind = DurationKind::ByTime;
    EXPECT_EQ(ControlsOf(o), (OptionsControls{true, true, false, false, false, false, false}));
    ChooseStart(o, StartMode::FirstCar);
    EXPECT_EQ(Fields(o.start, o.endAtLaps), "DEPARTPremiereVoiture|FINTOURFaireTousLesTours");
    EXPECT_TRUE(ControlsOf(o).timeEndAtSignal);
}

Arrangement Placed(int drivers, int perHeat, std::vector<std::string> freq1 = {}) {
    Arrangement a;
    a.category = 1;
    a.header.categoryCount = 1;
    for (ParticipantRecord& s : a.heatSlots) s.name = kEmptySlotName;
    for (int i = 0; i < drivers; ++i) {
        Format(a.heatSlots[std::size_t(i)].name, "Driver %d", i + 1);
        if (std::size_t(i) < freq1.size())
            a.heatSlots[std::size_t(i)].frequencies[0] = freq1[std::size_t(i)];
    }
    SetDriversPerHeat(a, perHeat);
    return a;
}

TEST(ArrangementRules, HeatsLanesAndCounts) {
    // Drivers, per heat: heats, drivers in the last heat.
    const int cases[][4] = {
        {23, 10, 3, 3}, {23, 8, 3, 7}, {23, 5, 5, 3}, {21, 1, 21, 1}, {0, 10, 1, 0}};
    for (const auto& [drivers, perHeat, heats, inLastHeat] : cases) {
        Arrangement a = Placed(drivers, perHeat);
        int inLast = 0;
        for (int s = 0; s < PlacedCount(a.heatSlots); ++s)
            inLast += HeatOfSlot(s, perHeat) == heats;
        EXPECT_EQ(Fields(a.heats, a.header.categories[0].heatsPerRound, inLast),
                  Fields(heats, heats, inLastHeat))
            << drivers << "/" << perHeat;
    }
    Arrangement gap = Placed(3, 2);
    gap.heatSlots[1].name = kEmptySlotName;  // A, (NA), B
    Recount(gap);
    EXPECT_EQ(
        Fields(gap.heats, HeatOfSlot(1, 2), LaneOfSlot(1, 2), HeatOfSlot(2, 2), LaneOfSlot(2, 2)),
        "2|1|2|2|1");
    for (auto [typed, value, rewrite] :
         {std::tuple{"25", 20, true}, {"0", 1, false}, {"7", 7, false}}) {
        TakenCount t = TakeDriversPerHeat(typed);
        EXPECT_EQ(Fields(t.value, t.rewrite), Fields(value, rewrite)) << typed;
    }
    EXPECT_EQ(TakeRounds("12").value, 9);
    // Printed, 40 heats of one driver take two pages: their blocks stop above the page number.
    Arrangement single = Placed(40, 1);
    single.participants = 40;
    EXPECT_EQ(ArrangementPageCount(single), 2);
}

TEST(ArrangementRules, OnlyARealClashWithinAHeatIsRedAndNamed) {
    struct Case {
        std::vector<std::string> freq;
        int perHeat;
        std::string red;
        std::string named;
    };
    for (const Case& c :
         {Case{{"27.145", "27.145", "40.665"}, 3, "110", "Heat 1: Driver 1 / Driver 2 on 27.145"},
          Case{{"2.4Ghz", "2.4Ghz", ""}, 3, "000", ""},
          Case{{"27.145", "27.145", "27.145"}, 1, "000", ""},
          Case{{"", "", "40.665", "40.665"}, 2, "0011", "Heat 2: Driver 3 / Driver 4 on 40.665"},
          Case{
              {"27.145", "27.155", "27.145"}, 3, "101", "Heat 1: Driver 1 / Driver 3 on 27.145"}}) {
        Arrangement a = Placed(int(c.freq.size()), c.perHeat, c.freq);
        std::array<bool, kHeatSlots> red = ClashingSlots(a.heatSlots, c.perHeat);
        std::string got;
        for (std::size_t i = 0; i < c.freq.size(); ++i) got += red[i] ? "1" : "0";
        EXPECT_EQ(got, c.red) << c.freq[0] << " " << c.perHeat;
        EXPECT_EQ(AllLines(HeatConflictLines(a)), c.named) << c.freq[0] << " " << c.perHeat;
    }
}

TEST(ArrangementRules, ArrowsExchangeNeighboursWithinTheirHitAreas) {
    Arrangement a = Placed(3, 3);  // rows 0 to 2: pairs (0,1) and (1,2) are live
    const int hits[][3] = {{371, 155, 0},  {381, 165, 0},  {371, 154, -1}, {370, 160, -1},
                           {382, 160, -1}, {371, 166, -1}, {351, 177, 0},  {361, 187, 0},
                           {351, 176, -1}, {362, 180, -1}, {375, 180, 1},  {355, 200, 1},
                           {375, 202, -1}, {355, 222, -1}};
    for (const auto& [x, y, pair] : hits) {
        EXPECT_EQ(ArrowPairAt(a, 0, x, y), pair) << x << "," << y;
    }
    ASSERT_TRUE(ClickTable(a, 0, 375, 160));
    EXPECT_EQ(Fields(a.heatSlots[0].name, a.heatSlots[1].name), "Driver 2|Driver 1");
    EXPECT_FALSE(ClickTable(a, 0, 375, 202));  // the last row has no down arrow
    // The last placed driver moved down behind free places extends the list.
    Arrangement b = Placed(3, 2);
    ASSERT_TRUE(ClickTable(b, 0, 375, 154 + 2 * 22 + 5));
    EXPECT_EQ(Fields(b.heatSlots[3].name, PlacedCount(b.heatSlots), b.heats), "Driver 3|4|2");
    b.locked = true;
    EXPECT_FALSE(ClickTable(b, 0, 375, 160));
    EXPECT_EQ(b.heatSlots[0].name, "Driver 1");
    // Scrolled: row r is slot scroll + r, and nothing moves past slot 199.
    Arrangement c = Placed(200, 20);
    EXPECT_EQ(ScrollRange(c), 180);
    ASSERT_TRUE(ClickTable(c, 180, 375, 154 + 18 * 22 + 5));
    EXPECT_EQ(c.heatSlots[198].name, "Driver 200");
    Arrangement d = Placed(201, 20);
    EXPECT_EQ(ArrowPairAt(d, 181, 375, 154 + 18 * 22 + 5), 18);
    EXPECT_FALSE(ClickTable(d, 181, 375, 154 + 18 * 22 + 5));
}

TEST(ArrangementRules, LockedExactlyWhileARoundIsPartlyRun) {
    HeatResultsPresent r;
    EXPECT_FALSE(ArrangementLocked(r, 2, 3, 0));
    EXPECT_TRUE(ArrangementLocked(r, 2, 3, 2));
    r.present[0][0] = true;
    EXPECT_TRUE(ArrangementLocked(r, 2, 3, 0));
    r.present[0][1] = r.present[0][2] = true;
    EXPECT_FALSE(ArrangementLocked(r, 2, 3, 0));
    r.present[1][2] = true;
    EXPECT_TRUE(ArrangementLocked(r, 2, 3, 0));
    EXPECT_FALSE(ArrangementLocked(r, 1, 3, 0));
}

TEST(GridRules, LettersLanesAndMessages) {
    GridsWork w;
    w.driversPerHeat = 4;
    w.rounds = 3;
    SetDefaultGrids(w);
    for (StartGrid& g : w.grids) LettersFromLanes(g, 4);
    EXPECT_EQ(Fields(w.grids[0].letters, w.grids[2].letters), "ABCD|ABCD");
    TypeGrid(w.grids[1], "DCBAX", 4);
    EXPECT_EQ(Fields(w.grids[1].letters, w.grids[1].positions[0], w.grids[1].positions[3]),
              "DCBA|4|1");
    EXPECT_TRUE(CheckGrids(w).Empty());
    const std::string range = "Letters must be entered between A and D";
    for (auto [typed, incomplete, letters, twice] : {std::tuple{"ABE", true, true, false},
                                                     {"ABCA", false, false, true},
                                                     {"abcd", false, true, false},
                                                     {"AB D", false, true, false}}) {
        GridsWork v = w;
        TypeGrid(v.grids[2], typed, 4);
        EXPECT_EQ(CheckGrids(v).View(),
                  "Error: data entered is not correct !\n\n    " +
                      std::string(incomplete ? "Some grids are not complete" : "") + "\n    " +
                      (letters ? range : "") + "\n    " + (twice ? "There are duplications" : ""))
            << typed;
    }
    EXPECT_EQ(Fields(LaneOfLetter('A', 1), LaneOfLetter('B', 1), LaneOfLetter('T', 20),
                     LaneOfLetter('a', 20)),
              "1|0|20|0");
    EXPECT_NE(GridLegend(4).View().find("D = lane 4."), std::string_view::npos);
    for (auto [started, fixed, reason] : {std::tuple{0, false, ""},
                                          {0, true, "Read only: tick"},
                                          {1, false, "Read only: the qualification has started."},
                                          {1, true, "Read only: the qualification has started."}}) {
        w.qualificationStarted = started;
        w.orderFixed = fixed;
        EXPECT_EQ(GridsReadOnlyReason(w).substr(0, std::strlen(reason)), reason)
            << started << fixed;
        EXPECT_EQ(GridsReadOnlyReason(w).empty(), *reason == 0);
    }
}

// ---------------------------------------------------------------------------------------------
// On the event file.

class PreparationFile : public test::EventFolderTest {
  protected:
    void SetUp() override {
        EventFolderTest::SetUp();
        ASSERT_EQ(CreateNewEventFile("Touring", SystemDisk()), FileOutcome::Done);
    }
    // The list-of-drivers form's "Validate" with these drivers placed in order.
    void Participate(int drivers, int perHeat = 10) {
        ParticipantsWork w;
        EventHeader h;
        ASSERT_EQ(OpenParticipants(1, w, h, SystemDisk()), FileOutcome::NoSection);
        for (int i = 0; i < drivers; ++i) {
            Text<40> n, t;
            Format(n, "Driver %02d", i + 1);
            Format(t, "%06d", 100 + i);
            AddParticipant(w, n.View(), t.View());
        }
        w.heatSlots.driversPerHeat = perHeat;
        ASSERT_EQ(ReadEventHeader(h, SystemDisk()), FileOutcome::Done);
        ASSERT_TRUE(SaveParticipants(1, w, h, messages_, SystemDisk()));
    }
};

TEST_F(PreparationFile, GenerateRefusesOrRewritesHeaderAndSlotList) {
    Participate(21, 1);
    Arrangement a;
    ASSERT_TRUE(OpenArrangement(1, a, messages_, SystemDisk()));
    EXPECT_EQ(Fields(a.heats, a.locked, a.heatSlots[20].transponder), "21|0|000120");
    const std::string before = WorkingCopy();
    messages_.Expect(MessageAnswer::Ok);
    EXPECT_FALSE(Generate(a, messages_, SystemDisk()));
    EXPECT_EQ(messages_.shown.back().text, kTooManyHeats);
    EXPECT_TRUE(WorkingCopy() == before);

    SetDriversPerHeat(a, 8);
    SetRounds(a, 2);
    std::swap(a.heatSlots[0], a.heatSlots[20]);
    ASSERT_TRUE(Generate(a, messages_, SystemDisk()));
    EventHeader h;
    ASSERT_EQ(ReadEventHeader(h, SystemDisk()), FileOutcome::Done);
    EXPECT_EQ(
        Fields(h.categories[0].participants, h.categories[0].rounds, h.categories[0].heatsPerRound),
        "21|2|3");
    HeatSlotList list;
    ASSERT_EQ(ReadHeatSlotList(1, list, SystemDisk()), FileOutcome::Done);
    EXPECT_EQ(
        Fields(list.driversPerHeat, list.rounds, list.places[0], list.places[20], list.places[21]),
        "8|2|Driver 21|Driver 01|(NA)");

    // Heat 1 of round 1 run and heat 2 not: locked. Then, all three run, the qualification has
    // started and the count of heats may no longer change.
    const RunCars cars = test::TwoCarHeat();
    ASSERT_EQ(WriteHeatResult(cars, 2, HeatTitle(1, 1, 1).View(), test::HeatTrailer(), messages_,
                              SystemDisk()),
              FileOutcome::Done);
    h.categories[0].qualificationStarted = 1;
    ASSERT_EQ(WriteEventHeader(h, SystemDisk()), FileOutcome::Done);
    ASSERT_TRUE(OpenArrangement(1, a, messages_, SystemDisk()));
    EXPECT_TRUE(a.locked);
    for (int heat : {2, 3}) {
        ASSERT_EQ(WriteHeatResult(cars, 2, HeatTitle(1, 1, heat).View(), test::HeatTrailer(),
                                  messages_, SystemDisk()),
                  FileOutcome::Done);
    }
    ASSERT_TRUE(OpenArrangement(1, a, messages_, SystemDisk()));
    EXPECT_EQ(Fields(a.locked, a.requiredHeats), "0|3");
    ParticipantsWork frozen;
    ASSERT_EQ(OpenParticipants(1, frozen, h, SystemDisk()), FileOutcome::Done);
    EXPECT_TRUE(frozen.readOnly);  // the list of drivers can only be looked at and printed
    SetDriversPerHeat(a, 5);
    const std::string run = WorkingCopy();
    messages_.Expect(MessageAnswer::Ok);
    EXPECT_FALSE(Generate(a, messages_, SystemDisk()));
    EXPECT_EQ(Fields(messages_.shown.back().title, messages_.shown.back().text),
              "Erreur|The number of heats generated must be equal to 3");
    EXPECT_TRUE(WorkingCopy() == run);
}

TEST_F(PreparationFile, GridsDefaultOnFirstCloseAndStoredAsLanes) {
    Participate(8, 4);
    QualifOptions o;
    o.startingOrder = StartingOrder::Editable;
    ASSERT_EQ(WriteQualifOptions(1, o, messages_, SystemDisk()), FileOutcome::Done);
    GridsWork w;
    ASSERT_TRUE(OpenGrids(1, w, messages_, SystemDisk()));
    EXPECT_EQ(Fields(w.storedExisted, w.readOnly, w.rounds), "0|0|1");
    CloseGrids(1, w, messages_, SystemDisk());
    StartingGrids stored;
    ASSERT_EQ(ReadStartingGrids(1, stored, SystemDisk()), FileOutcome::Done);
    EXPECT_EQ(Fields(stored.driversPerHeat, stored.rounds, stored.lanes[0][0], stored.lanes[0][3]),
              "4|1|1|4");
    // Two rounds now: the stored grids of one round are ignored until stored again.
    HeatSlotList list;
    ASSERT_EQ(ReadHeatSlotList(1, list, SystemDisk()), FileOutcome::Done);
    list.rounds = 2;
    ASSERT_EQ(WriteHeatSlotList(1, list, false, messages_, SystemDisk()), FileOutcome::Done);
    ASSERT_TRUE(OpenGrids(1, w, messages_, SystemDisk()));
    EXPECT_FALSE(w.storedExisted);
    TypeGrid(w.grids[1], "DCBA", 4);
    ASSERT_TRUE(ConfirmGrids(1, w, messages_, SystemDisk()));
    ASSERT_EQ(ReadStartingGrids(1, stored, SystemDisk()), FileOutcome::Done);
    EXPECT_EQ(
        Fields(stored.lanes[1][0], stored.lanes[1][1], stored.lanes[1][2], stored.lanes[1][3]),
        "4|3|2|1");
    ASSERT_TRUE(OpenGrids(1, w, messages_, SystemDisk()));
    EXPECT_EQ(Fields(w.storedExisted, w.grids[1].letters), "1|DCBA");
    const std::string before = WorkingCopy();
    TypeGrid(w.grids[1], "ABCA", 4);
    messages_.Expect(MessageAnswer::Ok);
    EXPECT_FALSE(ConfirmGrids(1, w, messages_, SystemDisk()));
    CloseGrids(1, w, messages_, SystemDisk());
    EXPECT_TRUE(WorkingCopy() == before);
}

// Every form opens an event file cut anywhere in its sections without reading past the end,
// and shows what the file still holds (a name cut in two included).
TEST_F(PreparationFile, AFileCutShortOpensWithWhatItHolds) {
    Participate(23, 8);
    GridsWork grids;
    ASSERT_TRUE(OpenGrids(1, grids, messages_, SystemDisk()));
    CloseGrids(1, grids, messages_, SystemDisk());
    const std::string whole = WorkingCopy();
    const std::size_t first = whole.find("Cat\xE9gorie1ListeParticipants");
    messages_.allowAny = true;
    for (std::size_t cut = first; cut < whole.size(); cut += 1777) {
        SetWorkingCopy(whole.substr(0, cut));
        ParticipantsWork w;
        EventHeader h;
        ASSERT_NE(OpenParticipants(1, w, h, SystemDisk()), FileOutcome::Unavailable);
        Arrangement a;
        ASSERT_TRUE(OpenArrangement(1, a, messages_, SystemDisk()));
        ASSERT_TRUE(OpenGrids(1, grids, messages_, SystemDisk()));
        EXPECT_LE(w.count, 23) << cut;
        EXPECT_GE(a.heats, 1) << cut;
        EXPECT_LE(a.heats, (kHeatSlots - 1) / 8 + 1) << cut;  // a cut name still counts
        EXPECT_EQ(grids.driversPerHeat, a.driversPerHeat) << cut;
    }
    // Cut before its heat slot list: the list is told missing, and "Generate" never makes one.
    SetWorkingCopy(whole.substr(0, first));
    messages_.shown.clear();
    Arrangement a;
    ASSERT_TRUE(OpenArrangement(1, a, messages_, SystemDisk()));
    EXPECT_TRUE(Generate(a, messages_, SystemDisk()));
    EXPECT_EQ(
        Fields(messages_.shown[0].text, messages_.shown[1].text, messages_.shown[2].text),
        Fields(kParticipantsTitleNotFound, kArrangementTitleNotFound, kArrangementTitleNotFound));
    EXPECT_EQ(WorkingCopy().find(std::string(HeatSlotListTitle(1).View())), std::string::npos);
}

TEST_F(PreparationFile, PrintoutsPageTheirRowsAndColourClashes) {
    Participate(41, 3);
    auto drivers = std::make_unique<DriverTable>();
    (*drivers)[0].name = "Driver 02";
    (*drivers)[0].licence = "L-2";
    (*drivers)[0].club = "RC Nord";
    ParticipantsWork w;
    EventHeader h;
    ASSERT_EQ(OpenParticipants(1, w, h, SystemDisk()), FileOutcome::Done);
    auto report = std::make_unique<ParticipantsReport>();
    BuildParticipantsReport(*report, "Touring", TrackRecord{}, w, *drivers);
    FakeDialogs dialogs;
    FakeClock clock;
    ASSERT_EQ(PrintParticipants(*report, dialogs, messages_, clock), PrintOutcome::Printed);
    std::vector<RecordingCanvas> pages = dialogs.printed[0]->canvas.Pages();
    ASSERT_EQ(pages.size(), 2u);
    std::vector<RecordingCanvas::Op> lines = pages[1].OfKind(RecordingCanvas::Kind::Line);
    EXPECT_EQ(lines.back().at.y, 306 + 30);  // one row on page 2, its number's box closed
    std::string texts;
    for (const std::string& t : pages[0].Texts()) texts += t + "|";
    for (const char* t : {"|List of participants (41 drivers)|", "|L-2|RC Nord|", "|Page 1 /2|"}) {
        EXPECT_NE(texts.find(t), std::string::npos) << t;
    }

    Participants p;
    ASSERT_EQ(ReadParticipants(1, p, SystemDisk()), FileOutcome::Done);
    p[0].frequencies[0] = p[2].frequencies[0] = "27.145";  // Driver 01 and 03 share heat 1
    p[3].frequencies[0] = "27.145";                        // Driver 04 is in heat 2
    ASSERT_EQ(WriteParticipants(1, p, messages_, SystemDisk()), FileOutcome::Done);
    Arrangement a;
    ASSERT_TRUE(OpenArrangement(1, a, messages_, SystemDisk()));
    ASSERT_EQ(PrintArrangement(a, dialogs, messages_, clock), PrintOutcome::Printed);
    ASSERT_EQ(dialogs.printed.size(), 2u);
    std::vector<RecordingCanvas> printed = dialogs.printed[1]->canvas.Pages();
    ASSERT_EQ(printed.size(), 2u);  // 14 heats, 13 a page
    std::string red;
    for (const RecordingCanvas::Op& op : printed[0].OfKind(RecordingCanvas::Kind::Text)) {
        if (op.style.colour == kClashRed) red += op.text + "@" + std::to_string(op.at.y) + " ";
    }
    EXPECT_EQ(red, "27.145@311 27.145@367 ");
}

}  // namespace
}  // namespace velkaro
