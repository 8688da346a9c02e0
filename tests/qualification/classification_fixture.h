#pragma once
// A category "Touring" of six drivers, A to F, three a heat, as the classification tests share it.

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "event/section.h"
#include "event/sections.h"
#include "qualification/round_classification.h"
#include "tests/event/event_fixtures.h"

namespace velkaro::test {

struct Car {
    const char* name;
    std::int32_t laps, total, best;
};

// The two heats of 3 of the worked example: A..C ran in heat 1, D..F in heat 2.
inline const std::vector<Car> kWorkedHeats{{"A", 10, 300000, 29100}, {"B", 10, 305000, 29000},
                                           {"C", 9, 301000, 31000},  {"D", 10, 302000, 29200},
                                           {"E", 10, 305000, 29500}, {"F", 0, 0, 0}};

// `participants` drivers over `rounds` rounds of two heats.
inline void SetCategory(int started, int finalsState, int participants = 6, int rounds = 2) {
    EventHeader h;
    ASSERT_EQ(ReadEventHeader(h, SystemDisk()), FileOutcome::Done);
    CategoryRecord& c = h.categories[0];
    c.participants = participants;
    c.qualificationStarted = started;
    c.finalsState = finalsState;
    c.rounds = rounds;
    c.heatsPerRound = 2;
    ASSERT_EQ(WriteEventHeader(h, SystemDisk()), FileOutcome::Done);
}

// A heat's result as the run control stores it.
inline void WriteHeat(int round, int heat, const std::vector<Car>& cars, Messages& messages) {
    RunCars run = EmptyRun();
    for (std::size_t i = 0; i < cars.size(); ++i) {
        run[i].driverName = cars[i].name;
        run[i].passingCount = run[i].laps = cars[i].laps;
        run[i].totalTime = cars[i].total;
        run[i].bestLap = cars[i].best;
    }
    ASSERT_EQ(WriteHeatResult(run, int(cars.size()), HeatTitle(1, round, heat).View(), RunTrailer{},
                              messages, SystemDisk()),
              FileOutcome::Done);
}

// A new working copy: A to F on transponders 001001 to 001006, the track "Club day - Home", the
// qualification not started; with `heats`, round 1's heats run as in the worked example.
inline void PrepareCategory(Messages& messages, bool heats = true) {
    ASSERT_EQ(CreateNewEventFile("Touring", SystemDisk()), FileOutcome::Done);
    SetCategory(0, 0);
    Participants p{};
    HeatSlotList list = DefaultHeatSlotList();
    list.driversPerHeat = 3;
    for (std::size_t i = 0; i < 6; ++i) {
        p[i].name = std::string(1, char('A' + i));
        Format(p[i].transponder, "%06d", int(1001 + i));
        list.places[i] = p[i].name;
    }
    TrackRecord track;
    track.eventName = "Club day";
    track.circuit = "Home";
    track.minLapTime = "1";
    ASSERT_TRUE(WriteParticipants(1, p, messages, SystemDisk()) == FileOutcome::Done &&
                WriteHeatSlotList(1, list, true, messages, SystemDisk()) == FileOutcome::Done &&
                WriteTrack(track, messages, SystemDisk()) == FileOutcome::Done);
    if (!heats) return;
    WriteHeat(1, 1, {kWorkedHeats.begin(), kWorkedHeats.begin() + 3}, messages);
    WriteHeat(1, 2, {kWorkedHeats.begin() + 3, kWorkedHeats.end()}, messages);
}

// The first six places as names and points: "A11 D9 ".
inline std::string Order(const RoundSheet& sheet) {
    std::string out;
    for (std::size_t i = 0; i < 6; ++i) {
        const RoundResult& e = sheet.classification.entries[i];
        out += std::string(e.name.View()) + std::to_string(e.points) + " ";
    }
    return out;
}

// The body of a section up to the end of the file, "(missing)" without it.
inline std::string Body(std::string_view title) {
    std::string file = ReadWholeFile("Private/Course.race");
    SectionPosition at = FindSectionIn(file, title);
    return at.found ? file.substr(at.body) : "(missing)";
}

}  // namespace velkaro::test
