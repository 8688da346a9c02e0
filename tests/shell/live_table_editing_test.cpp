#include "shell/live_table_editing.h"

#include <gtest/gtest.h>

#include "tests/timing/engine_fixture.h"

namespace velkaro {
namespace {

// Cars 1 and 2 on two laps, car 1 ahead in 5:10.000, car 2 in 5:15.000.
class LiveTableEditingTest : public test::EngineTest {
  protected:
    LiveTableEditingTest() {
        for (int k = 0; k < kTranspondersPerSet; ++k) {
            Format(set_.transponders[std::size_t(k)], "%06d", 1001 + k);
        }
        Arm({0, 1});
        for (int slot : {0, 1}) {
            Car(slot).laps = Car(slot).passingCount = 2;
            Car(slot).totalTime = 310000 + 5000 * slot;
            Car(slot).lapTimes[2] = 150000;
        }
        RebuildLiveOrder(engine_.tables, engine_.options);
    }

    EditClickResult Click(int column, int line) {
        int x = (l_.columnX[std::size_t(column)] + l_.columnX[std::size_t(column + 1)]) / 2;
        int y = l_.rowsTop + line * l_.rowPitch + l_.rowPitch / 2;
        return EditClick(editing_, engine_.tables, l_, {30, 10, 2}, 0, set_, sounds_, x, y);
    }
    std::vector<int> Totals() { return {Car(0).totalTime, Car(1).totalTime, Car(5).totalTime}; }

    TableLayout l_ = ComputeLayout({1600, 900}, {50, 200, 60, 120, 100, 100, 100, 120, 80}, 30);
    TransponderSet set_;
    LiveTableEditing editing_;
};

TEST_F(LiveTableEditingTest, ClicksPutTheRightControlsOverTheCell) {
    EXPECT_EQ(Click(3, 0).mode, EditMode::None);  // no mode: the Ctrl-click applies
    StartResultEditing(editing_);
    // Cells of line 0 or 1 (line 2 is below the cars): each field's id and text.
    const std::pair<int, int> cells[] = {{0, 0}, {1, 0}, {2, 1}, {3, 0},
                                         {6, 0}, {7, 1}, {8, 0}, {3, 2}};
    std::string shown;
    for (auto [column, line] : cells) {
        EditClickResult r = Click(column, line);
        shown += "/";
        for (int k = 0; k < r.controls.count; ++k) {
            const EditField& f = r.controls.fields[std::size_t(k)];
            shown += std::to_string(f.id) + ":" + std::string(f.text.View()) + " ";
        }
        if (r.controls.count == 0) continue;
        // Together the fields cover the cell from edge to edge.
        EXPECT_EQ(r.controls.fields[0].rect.left, l_.columnX[std::size_t(column)]);
        EXPECT_EQ(r.controls.fields[std::size_t(r.controls.count - 1)].rect.right,
                  l_.columnX[std::size_t(column + 1)]);
    }
    EXPECT_EQ(shown,
              "///6201:2 /6202:0 6203:05 6204:10 6205:000 /6206:0 6207:02 6208:30 6209:000 "
              "/6210:0 6211:00 6212:00 6213:000 //");
    EXPECT_EQ(EditFieldLabel(6201) + ", " + EditFieldLabel(6203) + ", " + EditFieldLabel(6213),
              "Laps, Total time: minutes, Best lap: milliseconds");
    EXPECT_EQ(sounds_.played.size(), 4u);
    // Club chips end result editing; result editing, then loading a run, end club chips.
    TransponderModeChosen(editing_, kClubChipsRadio);
    EXPECT_FALSE(Click(0, 0).controls.list);
    StartResultEditing(editing_);
    EXPECT_FALSE(editing_.clubChipsEditing);
    StopEditing(editing_);
    EXPECT_EQ(Click(3, 0).mode, EditMode::None);
}

TEST_F(LiveTableEditingTest, TypedTimesGoIntoTheDriversCarsAndMoveTheOrder) {
    Car(5).driverName = Car(1).driverName;  // the same driver in a second slot
    StartResultEditing(editing_);
    Click(3, 1);
    // 0:05:03.250 over car 2's total puts it ahead; the fields follow it.
    for (auto [id, text] : {std::pair{6202, "0"}, {6203, "5"}, {6204, "3"}, {6205, "250"}}) {
        FieldChanged(editing_, engine_, id, text);
    }
    EXPECT_EQ(Totals(), std::vector<int>({310000, 303250, 303250}));
    EXPECT_EQ(engine_.tables.standings[0].carNumber * 10 + editing_.editedRow, 20);
    EXPECT_EQ(std::string(engine_.tables.rows[0].totalTime.View()), "5:03.250");
    // 75 minutes are 59, shown so: car 2 falls back behind car 1.
    EXPECT_EQ(FieldChanged(editing_, engine_, 6203, "75").View(), "59");
    EXPECT_EQ(Totals(), std::vector<int>({310000, 3543250, 3543250}));
    EXPECT_EQ(engine_.tables.standings[0].carNumber * 10 + editing_.editedRow, 11);

    // Letters end the number, nothing reads as 0, the field's limit holds.
    FieldChanged(editing_, engine_, 6201, "7x");
    FieldChanged(editing_, engine_, 6208, "abc");  // 2:30.000 loses its seconds
    FieldChanged(editing_, engine_, 6213, "12345");
    EXPECT_EQ(std::vector<int>({Car(1).laps, Car(1).lapTimes[2], Car(1).bestLap, Car(5).laps}),
              std::vector<int>({7, 120000, 123, 7}));

    // An edited run cannot start before "Clear".
    StartCommand(engine_);
    EXPECT_EQ(PhaseName(engine_.phase), "over");
}

TEST_F(LiveTableEditingTest, AClubChipChosenCountsTheNextPassingForItsCar) {
    TransponderModeChosen(editing_, kClubChipsRadio);
    EditClickResult r = Click(8, 1);  // only the transponder cell opens the set's twenty entries
    ASSERT_TRUE(r.controls.list);
    EXPECT_EQ(r.controls.choices[19], "001020");
    EXPECT_EQ(r.controls.selected, 1);  // car 2 carries 001002
    r = Click(8, 0);
    TransponderChosen(editing_, engine_.tables, r.controls.choices[4].View());  // 001005
    EXPECT_EQ(Car(0).transponder, "001005");
    EXPECT_EQ(engine_.tables.standings[0].transponder, "001005");

    Car(0).laps = Car(0).passingCount = Car(0).totalTime = 0;
    StartAndGo();
    Wait(3000);
    Cross({0});  // its former transponder counts for nobody
    Wait(20);
    EXPECT_EQ(Car(0).passingCount, 0);
    Cross({4});  // 1005, now car 1's
    Wait(20);
    EXPECT_EQ(Car(0).passingCount, 1);
}

}  // namespace
}  // namespace velkaro
