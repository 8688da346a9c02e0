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
        for (int id : {2001, 2002, 2003, 6000, kPersonalChipsRadio, kClubChipsRadio,
                       kTransponderSetList, 1001, 1013, 6103, 0, 2105, kMixedScanRadio, 1015}) {
            out += id == 0 ? ' ' : test::PanelAllows(engine_.panel, id) ? '1' : '0';
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
        // A car on the line while the opening signal plays is nobody's; the ticks go on.
        sounds_.pollsPerSignal = 50;
        ScanToggle(engine_, true);
        Cross({3});
        Wait(400);
        EXPECT_EQ(Fields(PhaseName(engine_.phase), Cars(), Enabled()),
                  "scan signal|- - - - 1234|0000000000 111");
        Wait(110);  // the 51st poll hears it
        sounds_.pollsPerSignal = 0;
        EXPECT_EQ(Fields(engine_.scanStatus, Cars(), engine_.panel.scanChecked,
                         QuitRefused(engine_), Enabled()),
                  " Scan in progress|- - - - 1234|1|1|0000000000 111");
        CrossInTurn({0, 1, 2});
        EXPECT_EQ(Fields(Cars(), engine_.tables.rows[1].transponder),
                  "001001 001002 001003 - 1234|001002");
        Cross({3});
        Wait(20);  // the tick that takes the last car, then the one that hears the signal
        EXPECT_EQ(
            Fields(engine_.scanStatus, PhaseName(engine_.phase), engine_.tables.rows[0].totalTime),
            " Check in progress|checking|00:00.000");

        CrossInTurn(c.checkOrder, 1000);
        EXPECT_EQ(Fields(PhaseName(engine_.phase), engine_.scanStatus, engine_.panel.scanChecked,
                         Cars(), Enabled()),
                  Fields("over", " Check completed", 0, "001001 001002 001003 001004 " + c.order,
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
        EXPECT_EQ(PhaseName(engine_.phase), "over");
    }
}

TEST_F(ScanCheckTest, RepeatedAndSurplusTranspondersAndDoubleDetectionsAreIgnored) {
    Arm({0, 1, 5});  // three cars: the empty slots count as seen
    ScanToggle(engine_, true);
    Cross({0, 0});
    Wait(10);
    CrossInTurn({0, 1});
    EXPECT_EQ(Fields(Cars(), PhaseName(engine_.phase)), "001001 001002 - 126|scanning");
    // More transponders in one read than cars without one: the first is given, the check begins
    // and throws the rest away.
    Cross({4, 6, 7});
    Wait(20);
    EXPECT_EQ(Fields(Cars(), PhaseName(engine_.phase)), "001001 001002 001005 126|checking");
    // A car seen twice within 2 s counts once.
    CrossInTurn({0}, 1500);
    CrossInTurn({0, 1, 4}, 1000);
    EXPECT_EQ(Fields(PhaseName(engine_.phase), Cars(), engine_.tables.cars[0].laps),
              "over|001001 001002 001005 126|1");
    EXPECT_EQ(Sounds(), "nokia-sms* beep1 beep1 beep1 nokia-sms* beep1 beep1 beep1 nokia-sms");
}

TEST_F(ScanCheckTest, OnlyAFreshRunIsScannedAndACancelKeepsTheTranspondersGiven) {
    // A run already run: the click is refused and the button pops back.
    Arm({0, 1, 2, 3});
    engine_.phase = RunPhase::Over;
    std::uint32_t changes = engine_.panelChanges;
    ScanToggle(engine_, true);
    EXPECT_EQ(Fields(PhaseName(engine_.phase), engine_.panel.scanChecked, Sounds()), "over|0|");
    EXPECT_GT(engine_.panelChanges, changes);

    engine_.phase = RunPhase::Armed;
    ScanToggle(engine_, true);
    Wait(60000, 100);  // a decoder that sends nothing
    CrossInTurn({0, 1});
    ScanToggle(engine_, true);  // a second "on" changes nothing
    ScanToggle(engine_, false);
    CrossInTurn({2});
    EXPECT_EQ(Fields(PhaseName(engine_.phase), engine_.scanStatus, engine_.panel.scanChecked,
                     Cars(), Enabled()),
              "armed| Off|0|001001 001002 - - 1234|1111111111 111 tree");
    // Nothing waits for the cancel's signal.
    EXPECT_EQ(Sounds(), "nokia-sms* beep1 beep1 nokia-sms");
}

}  // namespace
}  // namespace velkaro
