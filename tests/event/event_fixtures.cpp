#include "tests/event/event_fixtures.h"

#include <algorithm>

namespace velkaro::test {

void EventFolderTest::SetUp() {
    std::filesystem::create_directories(folder_.Path() / "Private");
    FailOnUnexpectedMessages(messages_);
}

void EventFolderTest::SetWorkingCopy(const std::string& bytes) {
    WriteWholeFile(folder_.Path() / "Private/Course.race", bytes);
}

std::string Golden(const std::string& name) {
    return ReadWholeFile(std::string(VELKARO_TEST_DATA) + "/event/" + name);
}

std::string RealEvent(const std::string& name) {
    return ReadWholeFile(std::string(VELKARO_TEST_DATA) + "/results/" + name);
}

std::string CutInside(const std::string& whole, std::string_view title) {
    std::size_t at = whole.find("\r\n\r\n" + std::string(title) + "\t");
    EXPECT_NE(at, std::string::npos) << title;
    if (at == std::string::npos) return whole;
    at += 4;
    std::size_t next = whole.find("\r\n\r\n", at);
    if (next == std::string::npos) next = whole.size();
    return whole.substr(0, at + (next - at) / 2);
}

RunCars EmptyRun() {
    RunCars cars{};
    for (int i = 0; i < kCarSlots; ++i) {
        RunCar& car = cars[i];
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
    RunCar& anne = cars[0];
    anne.passingCount = 3;
    anne.laps = 2;
    anne.totalTime = 61234;
    anne.bestLap = 29934;
    anne.raceTimes = {0, 1200, 31134, 61234};
    anne.lapTimes = {0, 0, 29934, 30100};
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
        RunCar& car = run[i];
        StartCar(car, "DRIVER " + std::to_string(seed) + "-" + std::to_string(i + 1));
        car.passingCount = passings;
        car.laps = passings > 0 ? passings - 1 : 0;
        std::int32_t t = 800 + 37 * i;
        for (int p = 1; p <= passings; ++p) {
            std::int32_t lap = 29000 + (seed * 131 + i * 71 + p * 53) % 3000;
            car.raceTimes[p] = t += lap;
            car.lapTimes[p] = lap;
            if (car.bestLap == 0 || lap < car.bestLap) car.bestLap = lap;
        }
        car.totalTime = car.raceTimes[passings];
    }
    return run;
}

std::string Kept(const RunCars& cars) {
    std::string out;
    for (const RunCar& c : cars) {
        const int n = std::clamp(c.passingCount, 0, kMaxPassings);
        out += Fields(c.driverName, c.passingCount, c.laps, c.totalTime, c.bestLap, c.lapTimes[n]);
        for (int p = 0; p <= n; ++p) out += " " + std::to_string(c.raceTimes[p]);
        out += "\n";
    }
    return out;
}

std::string Kept(const RunTrailer& trailer) {
    return Fields(trailer.description, trailer.comment, trailer.condition);
}

StoredRun ReadRun(std::string_view title, Disk& disk) {
    StoredRun run;
    run.outcome = ReadRunResult(title, run.cars, run.trailer, disk);
    return run;
}

}  // namespace velkaro::test
