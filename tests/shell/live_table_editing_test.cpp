#include "shell/live_table_editing.h"

#include <gtest/gtest.h>

#include "tests/timing/engine_fixture.h"
#include "timing/classification.h"

namespace velkaro {
namespace {

class LiveTableEditingTest : public test::EngineTest {
  protected:
    LiveTableEditingTest() {
        layout_ = ComputeLayout({1600, 900}, {50, 200, 60, 120, 100, 100, 100, 120, 80}, 30);
        for (int k = 0; k < kTranspondersPerSet; ++k) {
            Format(set_.transponders[std::size_t(k)], "%06d", 1001 + k);
        }
    }

    // Two laps for cars 1 and 2, car 1 ahead.
    void TwoCarsOnTwoLaps() {
        Arm({0, 1});
        for (int slot : {0, 1}) {
            Car(slot).laps = Car(slot).passingCount = 2;
            Car(slot).totalTime = 310000 + 5000 * slot;
            Car(slot).lapTimes[2] = 150000;
        }
        RebuildLiveOrder(engine_.tables, engine_.options);
        measure_ = {30, 10, engine_.tables.carsInUse};
    }

    Point CellCentre(int column, int line) {
        return {
            (layout_.columnX[std::size_t(column)] + layout_.columnX[std::size_t(column + 1)]) / 2,
            layout_.rowsTop + line * layout_.rowPitch + layout_.rowPitch / 2};
    }

    EditClickResult Click(int column, int line) {
        Point p = CellCentre(column, line);
        return EditClick(editing_, engine_.tables, layout_, measure_, 0, set_, sounds_, p.x, p.y);
    }

    TableLayout layout_;
    TableMeasure measure_;
    TransponderSet set_;
    LiveTableEditing editing_;
};

TEST_F(LiveTableEditingTest, ClicksPutTheRightControlsOverTheCell) {
    TwoCarsOnTwoLaps();
    EXPECT_EQ(Click(3, 0).mode, EditMode::None);  // no mode: the Ctrl-click applies

    StartResultEditing(editing_);
    struct Case {
        int column, line, count;
        int firstId;
        const char* texts;
    };
    const Case cases[] = {{0, 0, 0, 0, ""},
                          {1, 0, 0, 0, ""},
                          {2, 1, 1, 6201, "2"},
                          {3, 0, 4, 6202, "0|05|10|000"},
                          {6, 0, 4, 6206, "0|02|30|000"},
                          {7, 1, 4, 6210, "0|00|00|000"},
                          {8, 0, 0, 0, ""},
                          {3, 2, 0, 0, ""}};  // below the last car
    for (const Case& c : cases) {
        SCOPED_TRACE(c.column * 10 + c.line);
        EditClickResult r = Click(c.column, c.line);
        EXPECT_EQ(r.mode, EditMode::Results);
        ASSERT_EQ(r.controls.count, c.count);
        std::string texts;
        for (int k = 0; k < c.count; ++k) {
            const EditField& f = r.controls.fields[std::size_t(k)];
            texts += (k ? "|" : "") + std::string(f.text.View());
            EXPECT_EQ(f.id, c.firstId + k);
            // Inside the clicked cell, and covering it from edge to edge together.
            EXPECT_GE(f.rect.left, layout_.columnX[std::size_t(c.column)]);
            EXPECT_LE(f.rect.right, layout_.columnX[std::size_t(c.column + 1)]);
        }
        if (c.count > 0) {
            EXPECT_EQ(texts, c.texts);
            EXPECT_EQ(r.controls.fields[std::size_t(c.count - 1)].rect.right,
                      layout_.columnX[std::size_t(c.column + 1)]);
        }
    }
    EXPECT_EQ(sounds_.played.size(), 4u);

    // Club chips: only the transponder cell opens the set's twenty entries.
    TransponderModeChosen(editing_, kClubChipsRadio);
    EXPECT_FALSE(Click(0, 0).controls.list);
    EditClickResult list = Click(8, 1);
    EXPECT_EQ(list.mode, EditMode::ClubChips);
    ASSERT_TRUE(list.controls.list);
    EXPECT_EQ(list.controls.choices[19], "001020");
    EXPECT_EQ(list.controls.selected, 1);  // car 2 carries 001002
    StartResultEditing(editing_);
    EXPECT_FALSE(editing_.clubChipsEditing);
    StopEditing(editing_);
    EXPECT_EQ(Click(3, 0).mode, EditMode::None);
}

TEST_F(LiveTableEditingTest, TypedTimesGoIntoTheDriversCarsAndMoveTheOrder) {
    TwoCarsOnTwoLaps();
    Car(5).driverName = Car(1).driverName;  // the same driver in a second slot
    StartResultEditing(editing_);
    ASSERT_EQ(engine_.tables.standings[1].carNumber, 2);
    Click(3, 1);
    // 0:05:03.250 over car 2's 5:15.000 puts it ahead of car 1's 5:10.000.
    const std::pair<int, const char*> typed[] = {
        {6202, "0"}, {6203, "5"}, {6204, "3"}, {6205, "250"}};
    for (auto [id, text] : typed) FieldChanged(editing_, engine_, id, text);
    EXPECT_EQ(Car(1).totalTime, 303250);
    EXPECT_EQ(Car(5).totalTime, 303250);
    EXPECT_EQ(engine_.tables.standings[0].carNumber, 2);
    EXPECT_EQ(editing_.editedRow, 0);  // the fields follow their car
    EXPECT_EQ(std::string(engine_.tables.rows[0].totalTime.View()), "5:03.250");
    // 75 minutes are 59, shown so: car 2 falls back behind car 1.
    EXPECT_EQ(FieldChanged(editing_, engine_, 6203, "75").View(), "59");
    EXPECT_EQ(Car(1).totalTime, 59 * 60000 + 3 * 1000 + 250);
    EXPECT_EQ(engine_.tables.standings[0].carNumber, 1);
    EXPECT_EQ(editing_.editedRow, 1);

    // Laps, last lap and best lap; letters read as what precedes them, nothing as 0.
    FieldChanged(editing_, engine_, 6201, "7x");
    EXPECT_EQ(Car(1).laps, 7);
    FieldChanged(editing_, engine_, 6208, "abc");  // 2:30.000 loses its seconds
    EXPECT_EQ(Car(1).lapTimes[2], 120000);
    FieldChanged(editing_, engine_, 6213, "12345");  // three digits kept
    EXPECT_EQ(Car(1).bestLap, 123);

    // An edited run cannot start before "Clear".
    EXPECT_EQ(engine_.armed, 0);
    StartCommand(engine_);
    EXPECT_EQ(engine_.preStart, 0);
    EXPECT_EQ(engine_.running, 0);
}

TEST_F(LiveTableEditingTest, AClubChipChosenCountsTheNextPassingForItsCar) {
    Arm({0, 1});
    measure_ = {30, 10, engine_.tables.carsInUse};
    TransponderModeChosen(editing_, kClubChipsRadio);
    EditClickResult r = Click(8, 0);
    ASSERT_TRUE(r.controls.list);
    int car = engine_.tables.standings[0].carNumber;
    TransponderChosen(editing_, engine_.tables, r.controls.choices[4].View());  // 001005
    EXPECT_EQ(Car(car - 1).transponder, "001005");
    EXPECT_EQ(engine_.tables.standings[0].transponder, "001005");

    StartAndGo();
    Wait(3000);
    Cross({4});  // transponder 1005, now car `car`'s
    Wait(20);
    EXPECT_EQ(Car(car - 1).passingCount, 1);
    Cross({car - 1});  // its former transponder counts for nobody
    Wait(20);
    EXPECT_EQ(Car(car - 1).passingCount, 1);
}

}  // namespace
}  // namespace velkaro
