#pragma once

#include <filesystem>
#include <string>

#include <gtest/gtest.h>

#include "common/run_car.h"
#include "event/event_file.h"
#include "platform/fake/fake_messages.h"
#include "tests/event/fields.h"
#include "tests/support/test_support.h"

namespace velkaro::test {

// A program folder of its own, current for the test, with its "Private" folder; a message box
// the test does not expect fails it.
class EventFolderTest : public ::testing::Test {
  protected:
    void SetUp() override;
    std::string WorkingCopy() const { return File("Private/Course.race"); }
    void SetWorkingCopy(const std::string& bytes);
    std::string File(const std::string& name) const { return ReadWholeFile(folder_.Path() / name); }

    TempFolder folder_;
    ScopedCurrentFolder current_{folder_.Path()};
    FakeMessages messages_;
};

// The contents of a file of tests/data/event.
std::string Golden(const std::string& name);

// An event file kept from an end-to-end run (tests/data/results), and the same file ending
// half-way through the section of `title`.
std::string RealEvent(const std::string& name);
std::string CutInside(const std::string& whole, std::string_view title);

// Cars as the run engine leaves them: every slot reset, unused slots named "(NA)" with all
// their times absent.
RunCars EmptyRun();

// The heat of the golden files: ALPHA Anne with three passings, B\xC9RANGER Luc with none, and
// 18 unused slots.
RunCars TwoCarHeat();
RunTrailer HeatTrailer();

// A run of `cars` cars, each with `passings` passings about 30 s apart; `seed` varies names
// and times.
RunCars BusyRun(int cars, int passings, int seed);

// What a run section keeps of each car (name, counts, total, best lap, the last lap time and
// the cumulative times), a line per car; and the trailer's three fields.
std::string Kept(const RunCars& cars);
std::string Kept(const RunTrailer& trailer);

// A stored run read over EmptyRun() and an empty trailer.
struct StoredRun {
    FileOutcome outcome = FileOutcome::Unavailable;
    RunCars cars = EmptyRun();
    RunTrailer trailer;
};
StoredRun ReadRun(std::string_view title, Disk& disk);

}  // namespace velkaro::test
