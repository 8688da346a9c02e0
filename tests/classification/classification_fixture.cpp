#include "tests/classification/classification_fixture.h"

#include <gtest/gtest.h>

#include "event/section.h"
#include "event/sections.h"
#include "tests/event/event_fixtures.h"

namespace velkaro::test {

void SetCategory(int started, int finalsState, int participants) {
    EventHeader h;
    ASSERT_EQ(ReadEventHeader(h), FileOutcome::Done);
    CategoryRecord& c = h.categories[0];
    c.participants = participants;
    c.qualificationStarted = started;
    c.finalsState = finalsState;
    c.rounds = c.heatsPerRound = 2;
    ASSERT_EQ(WriteEventHeader(h), FileOutcome::Done);
}

void WriteHeat(int round, int heat, const std::vector<Car>& cars, Messages& messages) {
    RunCars run = EmptyRun();
    for (std::size_t i = 0; i < cars.size(); ++i) {
        RunCar& c = run[i];
        c.driverName = cars[i].name;
        c.passingCount = c.laps = cars[i].laps;
        c.totalTime = cars[i].total;
        c.bestLap = cars[i].best;
    }
    ASSERT_EQ(WriteHeatResult(run, int(cars.size()), HeatTitle(1, round, heat).View(), RunTrailer{},
                              messages),
              FileOutcome::Done);
}

void PrepareCategory(Messages& messages) {
    ASSERT_EQ(CreateNewEventFile("Touring"), FileOutcome::Done);
    SetCategory(0, 0);
    Participants p{};
    HeatSlotList slots = DefaultHeatSlotList();
    slots.driversPerHeat = 3;
    for (int i = 0; i < 6; ++i) {
        p[std::size_t(i)].name = std::string(1, char('A' + i));
        Format(p[std::size_t(i)].transponder, "%06d", 1001 + i);
        slots.places[std::size_t(i)] = p[std::size_t(i)].name;
    }
    ASSERT_EQ(WriteParticipants(1, p, messages), FileOutcome::Done);
    ASSERT_EQ(WriteHeatSlotList(1, slots, true, messages), FileOutcome::Done);
    TrackRecord track;
    track.eventName = "Club day";
    track.circuit = "Home";
    track.minLapTime = "1";
    ASSERT_EQ(WriteTrack(track, messages), FileOutcome::Done);
}

void PrepareTwoHeats(Messages& messages) {
    PrepareCategory(messages);
    WriteHeat(1, 1, {{"A", 10, 300000, 29100}, {"B", 10, 305000, 29000}, {"C", 9, 301000, 31000}},
              messages);
    WriteHeat(1, 2, {{"D", 10, 302000, 29200}, {"E", 10, 305000, 29500}, {"F", 0, 0, 0}}, messages);
}

std::string Order(const RoundSheet& sheet) {
    std::string out;
    for (int i = 0; i < 6; ++i) {
        const RoundResult& e = sheet.classification.entries[std::size_t(i)];
        out += std::string(e.name.View()) + std::to_string(e.points) + " ";
    }
    return out;
}

std::string Body(std::string_view title) {
    std::string file = ReadWholeFile("Private/Course.race");
    SectionPosition at = FindSectionIn(file, title);
    return at.found ? file.substr(at.body) : "(missing)";
}

}  // namespace velkaro::test
