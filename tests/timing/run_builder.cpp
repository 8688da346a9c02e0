#include "tests/timing/run_builder.h"

#include <algorithm>
#include <string>

#include "timing/classification.h"

namespace velkaro::test {

TestRun::TestRun(std::initializer_list<int> usedSlots) {
    for (RunCar& car : tables.cars) car.driverName = kEmptySlotName;
    for (int slot : usedSlots) {
        tables.cars[slot].driverName = "Driver " + std::to_string(slot + 1);
        tables.cars[slot].transponder = "00" + std::to_string(1001 + slot);
    }
    options.durationHours = 1;  // long enough for no car to finish unless a test says so
    options.durationMinutes = 0;
    options.durationTotalMinutes = 60;
    ResetRunCars(tables.cars);
    tables.carsInUse = InitStandings(tables.standings, tables.cars);
    InitLiveRows(tables.rows, tables.standings, tables.carsInUse);
    timeBase.perfFrequency = FakeClock::kFrequency;
    timeBase.perfStart = clock.Counter();
    context.tables = &tables;
    context.options = &options;
    context.circuit = &circuit;
    context.clock = &clock;
    context.timeBase = &timeBase;
    context.sounds = &sounds;
}

void TestRun::Pass(int slot, std::int64_t ms) {
    PassTransponder(1001 + slot, ms);
}

void TestRun::PassTransponder(int number, std::int64_t ms) {
    Passing p;
    std::string digits = std::to_string(number);
    p.transponder = std::string(6 - std::min<std::size_t>(digits.size(), 6), '0') + digits;
    p.timeMs = ms;
    HandlePassing(context, p);
}

}  // namespace velkaro::test
