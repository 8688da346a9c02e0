#include "timing/scan_check.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/timing/engine_fixture.h"

namespace velkaro {
namespace {

using test::Fields;

class ScanCheckTest : public test::EngineTest {
  protected:
    // Each used car's transponder ("-" for none), then the car numbers of the live order.
    std::string Cars() {
        std::string out;
        for (const RunCar& car : engine_.tables.cars) {
            if (!(car.driverName == kEmptySlotName)) {
                out += std::string(car.transponder.Empty() ? "-" : car.transponder.View()) + " ";
            }
        }
        for (int i = 0; i < engine_.tables.carsInUse; ++i) {
            out += std::to_string(engine_.tables.standings[i].carNumber);
        }
        return out;
    }
    // 1 or 0 for the locked ids, then for the scan's own ones, and the tree.
    std::string Enabled() {
        std::string out;
        for (int id : {kStartButton, kStopButton, kClearButton, kPrintButton, kPersonalChipsRadio,
                       kClubChipsRadio, kTransponderSetList, kNewEventCommand, kSoundsCommand,
                       kRunDetailsCommand, 0, kScanButton, kMixedScanRadio, kInterfaceCommand}) {
            out += id == 0 ? ' ' : IsEnabled(engine_.panel, id) ? '1' : '0';
        }
        return out + (engine_.panel.eventTree ? " tree" : "");
    }
    void CrossInTurn(std::vector<int> slots, std::uint32_t gapMs = 3000) {
        for (int slot : slots) {
            Cross({slot});
            Wait(gapMs);
        }
    }
};

TEST_F(ScanCheckTest, FourCarsScannedInOrderThenCheckedInOrderOrNot) {
    struct Case {
        std::vector<int> checkOrder;
        std::string order, endSound;
    };
    for (const Case& c :
         {Case{{0, 1, 2, 3}, "1234", "nokia-sms"}, Case{{1, 0, 2, 3}, "2134", "buzz"}}) {
        SCOPED_TRACE(c.endSound);
        sounds_.played.clear();
        Arm({0, 1, 2, 3});
        // A car on the line while the opening signal plays is nobody's.
        sounds_.whileWaiting = [this](const std::string&) {
            Cross({3});
            Wait(500);
        };
        ScanToggle(engine_, true);
        sounds_.whileWaiting = nullptr;
        EXPECT_EQ(Fields(engine_.scanStatus, Cars(), engine_.panel.scanChecked,
                         QuitRefused(engine_), Enabled()),
                  " Scan in progress|- - - - 1234|1|1|0000000000 111");
        CrossInTurn({0, 1, 2});
        EXPECT_EQ(Fields(Cars(), engine_.tables.rows[1].transponder),
                  "001001 001002 001003 - 1234|001002");
        Cross({3});
        Wait(10);
        EXPECT_EQ(Fields(engine_.scanStatus, engine_.checkPhase, engine_.armed, engine_.fresh,
                         engine_.tables.rows[0].totalTime),
                  " Check in progress|1|0|0|00:00.000");

        CrossInTurn(c.checkOrder, 1000);
        EXPECT_EQ(Fields(engine_.scanMode, engine_.scanStatus, engine_.panel.scanChecked, Cars(),
                         Enabled()),
                  Fields(0, " Check completed", 0, "001001 001002 001003 001004 " + c.order,
                         "1111111111 111 tree"));
        // The check's times run from its own zero, a second apart.
        EXPECT_EQ(Fields(engine_.tables.cars[c.checkOrder[0]].totalTime,
                         engine_.tables.cars[c.checkOrder[3]].totalTime),
                  "10|3010");
        EXPECT_EQ(
            Sounds(),
            "nokia-sms* beep1 beep1 beep1 beep1 nokia-sms* beep1 beep1 beep1 beep1 " + c.endSound);
        // A checked run is not armed: "Start" does nothing until "Clear".
        StartCommand(engine_);
        EXPECT_EQ(engine_.preStart, 0);
    }
}

TEST_F(ScanCheckTest, RepeatedAndSurplusTranspondersAndDoubleDetectionsAreIgnored) {
    Arm({0, 1, 5});  // three cars: the empty slots count as seen
    ScanToggle(engine_, true);
    Cross({0, 0});
    Wait(10);
    CrossInTurn({0, 1});
    EXPECT_EQ(Fields(Cars(), engine_.scanPhase), "001001 001002 - 126|1");
    // More transponders in one read than cars without one: the first is given, the check begins
    // and throws the rest away.
    Cross({4, 6, 7});
    Wait(10);
    EXPECT_EQ(Fields(Cars(), engine_.checkPhase), "001001 001002 001005 126|1");
    // A car seen twice within 2 s counts once.
    CrossInTurn({0}, 1500);
    CrossInTurn({0, 1, 4}, 1000);
    EXPECT_EQ(Fields(engine_.checkPhase, Cars(), engine_.tables.cars[0].laps),
              "0|001001 001002 001005 126|1");
    EXPECT_EQ(Sounds(), "nokia-sms* beep1 beep1 beep1 nokia-sms* beep1 beep1 beep1 nokia-sms");
}

TEST_F(ScanCheckTest, OnlyAFreshRunIsScannedAndACancelKeepsTheTranspondersGiven) {
    // A run already run: the click is refused and the button pops back.
    Arm({0, 1, 2, 3});
    engine_.fresh = 0;
    std::uint32_t changes = engine_.panelChanges;
    ScanToggle(engine_, true);
    EXPECT_EQ(Fields(engine_.scanMode, engine_.panel.scanChecked, Sounds()), "0|0|");
    EXPECT_GT(engine_.panelChanges, changes);

    engine_.fresh = 1;
    ScanToggle(engine_, true);
    Wait(60000, 100);  // a decoder that sends nothing
    CrossInTurn({0, 1});
    ScanToggle(engine_, true);  // a second "on" changes nothing
    ScanToggle(engine_, false);
    CrossInTurn({2});
    EXPECT_EQ(Fields(engine_.scanMode, engine_.scanPhase, engine_.scanStatus,
                     engine_.panel.scanChecked, Cars(), engine_.armed, Enabled()),
              "0|0| Off|0|001001 001002 - - 1234|1|1111111111 111 tree");
    EXPECT_EQ(Sounds(), "nokia-sms* beep1 beep1 nokia-sms*");
}

}  // namespace
}  // namespace velkaro
