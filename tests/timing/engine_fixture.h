#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <initializer_list>
#include <string>
#include <vector>

#include "event/sections.h"
#include "platform/fake/fake_clock.h"
#include "platform/fake/fake_messages.h"
#include "platform/fake/fake_serial_port.h"
#include "platform/fake/fake_sound_player.h"
#include "tests/event/event_fixtures.h"
#include "tests/support/test_support.h"
#include "timing/run_control.h"

namespace velkaro::test {

// A run engine over fakes, in a program folder of its own: an MK1 on a scripted port (an MK1
// sends no time, so a passing is dated by the tick that reads it), a clock that moves only when
// told, recorded sounds, and message boxes that fail the test unless expected. Every sound
// option starts off, the language French.
class EngineTest : public ::testing::Test {
  protected:
    EngineTest();

    // A run whose listed slots hold "Driver <car>" with transponder 1000 + car, the others
    // "(NA)": reset, armed and fresh, as loading leaves a heat never run. The countdown lasts
    // `countdownSeconds`, none unless a test asks.
    void Arm(std::initializer_list<int> usedSlots, int countdownSeconds = 0);
    // The run lasts `laps` laps and ends by `rule`.
    void ByLaps(int laps, LapsEnd rule);

    // Lets ms pass, a timer tick every `step` ms.
    void Wait(std::uint32_t ms, std::uint32_t step = 10);
    // Ticks until the run is stopped, at most `limit` ms; false if it never stopped.
    bool WaitForStop(std::uint32_t limit, std::uint32_t step = 10);
    // "Start" and ticks until the race clock runs.
    void StartAndGo();
    // The cars of these slots cross the line together: the next tick reads them in one go.
    void Cross(std::initializer_list<int> slots);
    // The cars of `slots` cross so that the tick that reads them comes `raceMs` after the start.
    void PassAt(std::uint32_t raceMs, std::initializer_list<int> slots);
    // Cars lapping at their own pace, from the start until the run stops or `untilMs`.
    struct Pace {
        int slot;
        std::uint32_t firstMs;
        std::uint32_t lapMs;
    };
    void Laps(std::vector<Pace> paces, std::uint32_t untilMs);
    // Time since the race clock started.
    std::uint32_t RaceMs() { return clock_.TickMs() - link_.timeBase.runStartTick; }

    RunCar& Car(int slot) { return engine_.tables.cars[slot]; }
    void AllSoundsOn(std::string_view language);
    // The sounds played from the `first` on, by name: "sons/un.wav" is "un", and "nokia-sms*"
    // one played to its end.
    std::string Sounds(std::size_t first = 0) const;

    TempFolder folder_;
    ScopedCurrentFolder here_{folder_.Path()};
    FakeClock clock_{100000};
    FakeSerialPort port_;
    FakeSoundPlayer sounds_;
    FakeMessages messages_;
    DecoderLink link_;
    RunEngine engine_;
};

// Participants "Driver <n>" with transponder 1000 + n and first frequency "F<n>".
Participants NumberedParticipants(int count);

// A working copy with one category "CAT A" whose heats of `perHeat` cars come from the heat
// slot list "Driver 1" ... in slot order, every round's grid 1, 2, 3, ...
void PrepareEvent(int participants, int perHeat, int rounds, Messages& messages);
// The same, with qualifying heats of `laps` laps ended by `end` after a countdown of
// `countdownSeconds`.
void PrepareLapHeats(int participants, int perHeat, int rounds, int laps, LapsEnd end,
                     int countdownSeconds, Messages& messages);

// The run's enable of a command or a control named by its number: a number is one or the other,
// and the run lets through whatever it does not govern.
inline bool PanelAllows(const PanelEnables& panel, int id) {
    return IsEnabled(panel, CommandId(id)) && IsEnabled(panel, id);
}

}  // namespace velkaro::test
