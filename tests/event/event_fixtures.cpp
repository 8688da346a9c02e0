#include "tests/event/event_fixtures.h"

#include "tests/support/test_support.h"

namespace velkaro::test {

void EventFolderTest::SetUp() {
    std::filesystem::create_directories(folder_.Path() / "Private");
    FailOnUnexpectedMessages(messages_);
}

std::string EventFolderTest::WorkingCopy() const {
    return File("Private/Course.race");
}

void EventFolderTest::SetWorkingCopy(const std::string& bytes) {
    WriteWholeFile(folder_.Path() / "Private/Course.race", bytes);
}

std::string EventFolderTest::File(const std::string& name) const {
    return ReadWholeFile(folder_.Path() / name);
}

std::string Golden(const std::string& name) {
    return ReadWholeFile(std::string(VELKARO_TEST_DATA) + "/event/" + name);
}

RunCars EmptyRun() {
    RunCars cars{};
    for (int i = 0; i < kCarSlots; ++i) {
        RunCar& car = cars[static_cast<std::size_t>(i)];
        car.carNumber = i + 1;
        car.driverName = kEmptySlotName;
        car.totalTime = car.bestLap = car.bestLapFromTimes = kNoTime;
        car.raceTimes.fill(kNoTime);
    }
    return cars;
}

namespace {

void StartCar(RunCar& car, std::string_view name) {
    car.driverName = name;
    car.totalTime = car.bestLap = car.bestLapFromTimes = 0;
    car.raceTimes.fill(0);
}

}  // namespace

RunCars TwoCarHeat() {
    RunCars cars = EmptyRun();
    StartCar(cars[0], "ALPHA Anne");
    cars[0].passingCount = 3;
    cars[0].laps = 2;
    cars[0].totalTime = 61234;
    cars[0].bestLap = 29934;
    cars[0].raceTimes[1] = 1200;
    cars[0].raceTimes[2] = 31134;
    cars[0].raceTimes[3] = 61234;
    cars[0].lapTimes[2] = 29934;
    cars[0].lapTimes[3] = 30100;
    StartCar(cars[1], "B\xC9RANGER Luc");
    return cars;
}

RunTrailer HeatTrailer() {
    RunTrailer t;
    t.description =
        "Duration 0:05:00 - STARTSoundSignal - ENDCompleteCurrentLap - Start 14/06/2026 9:05";
    t.comment = "Track damp at start";
    t.condition = "Dry";
    return t;
}

RunCars BusyRun(int cars, int passings, int seed) {
    RunCars run = EmptyRun();
    for (int i = 0; i < cars && i < kCarSlots; ++i) {
        RunCar& car = run[static_cast<std::size_t>(i)];
        std::string name = "DRIVER " + std::to_string(seed) + "-" + std::to_string(i + 1);
        StartCar(car, name);
        car.passingCount = passings;
        car.laps = passings > 0 ? passings - 1 : 0;
        std::int32_t t = 800 + 37 * i;
        for (int p = 1; p <= passings; ++p) {
            std::int32_t lap = 29000 + (seed * 131 + i * 71 + p * 53) % 3000;
            t += lap;
            car.raceTimes[static_cast<std::size_t>(p)] = t;
            car.lapTimes[static_cast<std::size_t>(p)] = lap;
            if (car.bestLap == 0 || lap < car.bestLap) car.bestLap = lap;
        }
        car.totalTime = car.raceTimes[static_cast<std::size_t>(passings)];
    }
    return run;
}

}  // namespace velkaro::test
