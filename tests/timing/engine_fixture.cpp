#include "tests/timing/engine_fixture.h"

#include <algorithm>
#include <climits>
#include <filesystem>

#include "event/event_file.h"
#include "timing/classification.h"

namespace velkaro::test {

EngineTest::EngineTest() {
    FailOnUnexpectedMessages(messages_);
    port_.Open("COM1", LineSettings{});
    link_.port = &port_;
    link_.clock = &clock_;
    link_.disk = &SystemDisk();
    link_.settings = {Text<6>("COM1"), 1, Text<16>(kMk1Type)};
    link_.state.settingsLoaded = 1;  // no settings file to read
    engine_.link = &link_;
    engine_.clockSource = &clock_;
    engine_.sound = &sounds_;
    engine_.disk = &SystemDisk();
    engine_.messages = &messages_;
    engine_.soundSettings = {{kLanguageFrench}, {kCountdownOff}, {kStartOff},     {kPassingOff},
                             {kBestLapOff},     {kClockOff},     {kEndOfRaceOff}, {kCarFinishOff}};
    std::filesystem::create_directories(folder_.Path() / "Private");
}

void EngineTest::Arm(std::initializer_list<int> usedSlots, int countdownSeconds) {
    RunTables& t = engine_.tables;
    for (RunCar& car : t.cars) {
        car = RunCar{};
        car.driverName = kEmptySlotName;
    }
    for (int slot : usedSlots) {
        Format(Car(slot).driverName, "Driver %d", slot + 1);
        Format(Car(slot).transponder, "%06d", 1001 + slot);
        engine_.carButtons[slot] = true;
    }
    ResetRunCars(t.cars);
    t.carsInUse = InitStandings(t.standings, t.cars);
    InitLiveRows(t.rows, t.standings, t.carsInUse);
    engine_.kind = RunKind::Heat;
    engine_.phase = RunPhase::Armed;
    engine_.options.countdownSeconds = countdownSeconds;
    ResetClockTexts(engine_);
    RefreshPanel(engine_);
}

void EngineTest::ByLaps(int laps, LapsEnd rule) {
    engine_.options.durationKind = DurationKind::ByLaps;
    engine_.options.laps = laps;
    engine_.options.lapsEnd = rule;
}

void EngineTest::Wait(std::uint32_t ms, std::uint32_t step) {
    for (std::uint32_t start = clock_.TickMs(); clock_.TickMs() - start < ms;) {
        clock_.AdvanceMs(step);
        OnTimerTick(engine_);
    }
}

bool EngineTest::WaitForStop(std::uint32_t limit, std::uint32_t step) {
    std::uint32_t start = clock_.TickMs();
    while (engine_.phase == RunPhase::Running && clock_.TickMs() - start < limit) Wait(step, step);
    return engine_.phase != RunPhase::Running;
}

void EngineTest::StartAndGo() {
    StartCommand(engine_);
    std::uint32_t start = clock_.TickMs();
    while (engine_.phase != RunPhase::Running && clock_.TickMs() - start < 3700000) Wait(10);
    ASSERT_EQ(PhaseName(engine_.phase), "running");
}

void EngineTest::Cross(std::initializer_list<int> slots) {
    std::vector<std::uint8_t> bytes;
    for (int slot : slots) {
        bytes.push_back(static_cast<std::uint8_t>((1001 + slot) >> 8));
        bytes.push_back(static_cast<std::uint8_t>((1001 + slot) & 0xFF));
    }
    port_.QueueRead(bytes);
}

void EngineTest::PassAt(std::uint32_t raceMs, std::initializer_list<int> slots) {
    if (RaceMs() + 10 < raceMs) Wait(raceMs - 10 - RaceMs());
    Cross(slots);
    Wait(10);
}

void EngineTest::Laps(std::vector<Pace> paces, std::uint32_t untilMs) {
    while (engine_.phase == RunPhase::Running) {
        std::uint32_t next = UINT32_MAX;
        for (const Pace& p : paces) next = std::min(next, p.firstMs);
        if (next > untilMs) return;
        if (RaceMs() + 10 < next) Wait(next - 10 - RaceMs());
        std::vector<std::uint8_t> bytes;
        for (Pace& p : paces) {
            if (p.firstMs != next) continue;
            bytes.push_back(static_cast<std::uint8_t>((1001 + p.slot) >> 8));
            bytes.push_back(static_cast<std::uint8_t>((1001 + p.slot) & 0xFF));
            p.firstMs += p.lapMs;
        }
        port_.QueueRead(bytes);
        Wait(10);
    }
}

void EngineTest::AllSoundsOn(std::string_view language) {
    engine_.soundSettings = {{language},   {kCountdownOn}, {kStartOn},     {kPassingOn},
                             {kBestLapOn}, {kClockOn},     {kEndOfRaceOn}, {kCarFinishOn}};
}

std::string EngineTest::Sounds(std::size_t first) const {
    std::string out;
    for (std::size_t i = first; i < sounds_.played.size(); ++i) {
        std::string name = sounds_.played[i].file;
        if (name.starts_with("sons/") && name.ends_with(".wav"))
            name = name.substr(5, name.size() - 9);
        out += (out.empty() ? "" : " ") + name + (sounds_.played[i].waited ? "*" : "");
    }
    return out;
}

Participants NumberedParticipants(int count) {
    Participants p{};
    for (int i = 0; i < count && i < kParticipants; ++i) {
        Format(p[i].name, "Driver %d", i + 1);
        Format(p[i].transponder, "%06d", 1001 + i);
        Format(p[i].frequencies[0], "F%d", i + 1);
    }
    return p;
}

void PrepareEvent(int participants, int perHeat, int rounds, Messages& messages) {
    ASSERT_EQ(CreateNewEventFile("CAT A", SystemDisk()), FileOutcome::Done);
    ASSERT_EQ(WriteParticipants(1, NumberedParticipants(participants), messages, SystemDisk()),
              FileOutcome::Done);
    HeatSlotList slots = DefaultHeatSlotList();
    slots.driversPerHeat = perHeat;
    slots.rounds = rounds;
    for (int i = 0; i < participants && i < kHeatSlots; ++i) {
        Format(slots.places[i], "Driver %d", i + 1);
    }
    ASSERT_EQ(WriteHeatSlotList(1, slots, true, messages, SystemDisk()), FileOutcome::Done);
    StartingGrids grids{0, perHeat, rounds, {}};
    for (auto& round : grids.lanes) {
        for (int k = 0; k < perHeat; ++k) round[k] = k + 1;
    }
    ASSERT_EQ(WriteStartingGrids(1, grids, messages, SystemDisk()), FileOutcome::Done);
}

void PrepareLapHeats(int participants, int perHeat, int rounds, int laps, LapsEnd end,
                     int countdownSeconds, Messages& messages) {
    PrepareEvent(participants, perHeat, rounds, messages);
    QualifOptions q;
    q.durationKind = DurationKind::ByLaps;
    q.runLaps = laps;
    q.endAtLaps = end;
    q.countdownSeconds = countdownSeconds;
    ASSERT_EQ(WriteQualifOptions(1, q, messages, SystemDisk()), FileOutcome::Done);
}

}  // namespace velkaro::test
