#include "tests/timing/run_builder.h"

#include "timing/classification.h"

namespace velkaro::test {

TestRun::TestRun(std::initializer_list<int> usedSlots) {
    for (RunCar& car : tables.cars) car.driverName = kEmptySlotName;
    for (int slot : usedSlots) {
        Format(tables.cars[slot].driverName, "Driver %d", slot + 1);
        Format(tables.cars[slot].transponder, "%06d", 1001 + slot);
    }
    options.durationHours = 1;
    options.durationMinutes = 0;
    options.durationTotalMinutes = 60;
    ResetRunCars(tables.cars);
    tables.carsInUse = InitStandings(tables.standings, tables.cars);
    InitLiveRows(tables.rows, tables.standings, tables.carsInUse);
    timeBase.perfFrequency = FakeClock::kFrequency;
    timeBase.perfStart = clock.Counter();
    context = {&tables, &options, &circuit, &clock, &timeBase, &sounds, false, {}};
}

void TestRun::Pass(int slot, std::initializer_list<std::int64_t> times) {
    for (std::int64_t ms : times) PassTransponder(1001 + slot, ms);
}

void TestRun::PassTransponder(int number, std::int64_t ms) {
    Passing p;
    Format(p.transponder, "%06d", number);
    p.timeMs = ms;
    HandlePassing(context, p);
}

}  // namespace velkaro::test
