#pragma once

#include <initializer_list>
#include <string>

#include "platform/fake/fake_clock.h"
#include "platform/fake/fake_sound_player.h"
#include "tests/event/fields.h"
#include "timing/passing_processing.h"

namespace velkaro::test {

// A run in the race panel for the tests: the listed slots hold drivers "Driver <car number>"
// with transponder 1000 + car number, every other slot is empty. The cars are reset and the
// live order initialised, as loading a run leaves them; the run lasts an hour.
struct TestRun {
    explicit TestRun(std::initializer_list<int> usedSlots);

    // Decoder passings of the car in `slot` at these times, in ms.
    void Pass(int slot, std::initializer_list<std::int64_t> times);
    // A passing of any transponder number.
    void PassTransponder(int number, std::int64_t ms);

    RunCar& Car(int slot) { return tables.cars[slot]; }
    std::string Row(int position) const {  // "car number:laps:to the leader" of a live row
        const LiveRow& r = tables.rows[position];
        return Fields(r.carNumber, r.laps, r.toLeader);
    }

    RunTables tables;
    RunOptions options;
    CircuitRecord circuit;
    FakeClock clock;
    RunTimeBase timeBase;
    FakeSoundPlayer sounds;
    RunContext context;
};

}  // namespace velkaro::test
