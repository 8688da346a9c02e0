#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "analysis/run_details.h"
#include "event/run_results_files.h"
#include "platform/fake/fake_messages.h"
#include "platform/fake/recording_canvas.h"
#include "tests/support/test_support.h"

namespace velkaro {
namespace {

class RunDetailsTest : public ::testing::Test {
  protected:
    // A detailed results file: one line per car, "" for an unused slot.
    void WriteFile(const std::string& keyword, const std::vector<std::string>& cars) {
        std::string out = keyword + "\t\r\n";
        for (int slot = 0; slot < kCarSlots; ++slot) {
            std::string line = slot < int(cars.size()) ? cars[std::size_t(slot)] : "";
            out += (line.empty() ? "(NA)\t0\t" : line) + "\r\n";
        }
        test::WriteWholeFile(folder_.Path() / "DetailResultats.res", out);
    }

    test::TempFolder folder_;
    test::ScopedCurrentFolder here_{folder_.Path()};
    RunDetails details_;
};

// A place recounted: 1 + the cars ahead (smaller time, or the same time in a later slot).
int PlaceByCounting(const RunCars& cars, int car, int j) {
    auto timeOf = [&](int c) {
        const RunCar& r = cars[std::size_t(c)];
        bool reached = r.passingCount > j;
        return reached ? std::int64_t(r.raceTimes[std::size_t(j)]) : std::int64_t(kNoTime);
    };
    int ahead = 0;
    for (int other = 0; other < kCarSlots; ++other) {
        if (other == car) continue;
        if (timeOf(other) < timeOf(car) || (timeOf(other) == timeOf(car) && other > car)) ++ahead;
    }
    return ahead + 1;
}

TEST_F(RunDetailsTest, PositionsTiesAndCarsThatStopped) {
    // Slot 1 and slot 2 tie at every passing; slot 3 stops after 10 passings though faster.
    std::string a = "ANNE\t12\t", b = "BRUNO\t12\t", c = "CARL\t10\t";
    for (int i = 1; i <= 12; ++i) {
        a += std::to_string(i * 10000) + "\t";
        b += std::to_string(i * 10000) + "\t";
        if (i <= 10) c += std::to_string(i * 9000) + "\t";
    }
    WriteFile("CLASSEMENTToursTemps", {a, b, c});
    ASSERT_TRUE(LoadRunDetails(details_));
    ASSERT_EQ(details_.realCars, 3);
    const RunCars& cars = details_.cars;
    EXPECT_EQ(cars[1].positions[0], 2);  // the later slot is ahead on equal times
    EXPECT_EQ(cars[0].positions[0], 3);
    EXPECT_EQ(cars[2].positions[9], 1);
    for (int j = 10; j < 12; ++j) {
        // Behind both that went on, and behind the unused slots after it, which tie with it.
        ASSERT_EQ(cars[2].positions[std::size_t(j)], 20) << j;
        ASSERT_LE(cars[0].positions[std::size_t(j)] + cars[1].positions[std::size_t(j)], 3);
    }
    EXPECT_EQ(cars[0].lapTimes[0], 10000);
    EXPECT_EQ(cars[2].lapTimes[9], 9000);
    EXPECT_TRUE(PositionsChartShown(details_));
}

TEST_F(RunDetailsTest, PositionsAgreeWithCountingOnA300PassingRun) {
    RunCars cars;
    for (int c = 0; c < kCarSlots; ++c) {
        RunCar& car = cars[std::size_t(c)];
        car.driverName = c == 6 ? kEmptySlotName : ("D" + std::to_string(c)).c_str();
        car.passingCount = c == 6 ? 0 : 300 - 17 * c;
        for (int j = 0; j < car.passingCount; ++j) {
            car.raceTimes[std::size_t(j)] = (j + 1) * (10000 + 37 * ((c * 7) % 5)) + (j % 3) * c;
        }
    }
    RunCars expected = cars;
    ComputePositions(cars);
    for (int j = 0; j < kPositionPassings; ++j) {
        for (int c = 0; c < kCarSlots; ++c) {
            ASSERT_EQ(cars[std::size_t(c)].positions[std::size_t(j)],
                      PlaceByCounting(expected, c, j))
                << "car " << c << " passing " << j;
        }
    }
}

TEST_F(RunDetailsTest, LanesHeadsScrollAndViews) {
    WriteFile("CLASSEMENTToursTemps",
              {"", "", "CARL\t2\t61500\t70000\t", "", "", "", "GUS\t1\t12000\t"});
    ASSERT_TRUE(LoadRunDetails(details_));
    ASSERT_EQ(details_.realCars, 2);
    EXPECT_EQ(LaneHead(details_, 0).View(), "Lane3");
    EXPECT_EQ(LaneHead(details_, 1).View(), "Lane7");
    EXPECT_EQ(LegendLine(details_, 1).View(), "L7: GUS");
    EXPECT_EQ(GridCell(details_, DetailsView::RaceTime, 0, 0).View(), "1:01.500");
    EXPECT_EQ(GridCell(details_, DetailsView::LapTime, 0, 1).View(), "8.500");
    EXPECT_EQ(GridCell(details_, DetailsView::LapTime, 1, 1).View(), "");  // beyond its passings
    EXPECT_EQ(GridScrollOf(details_).lapMaximum, 0);
    RecordingCanvas canvas;
    PaintRunDetails(canvas, details_, DetailsView::RaceTime, 0, 0);
    auto texts = canvas.Texts();
    EXPECT_EQ(std::count(texts.begin(), texts.end(), "Lane3"), 1);
    EXPECT_EQ(std::count(texts.begin(), texts.end(), "1:10.000"), 1);

    // Classified by best lap, or a single car: the positions view stays empty.
    WriteFile("CLASSEMENTMeilleurTour", {"A\t2\t1000\t2000\t", "B\t2\t1100\t2100\t"});
    LoadRunDetails(details_);
    EXPECT_FALSE(PositionsChartShown(details_));
    WriteFile("CLASSEMENTToursTemps", {"A\t2\t1000\t2000\t"});
    LoadRunDetails(details_);
    EXPECT_FALSE(PositionsChartShown(details_));
    RecordingCanvas chart;
    PaintRunDetails(chart, details_, DetailsView::Positions, 0, 0);
    EXPECT_TRUE(chart.OfKind(RecordingCanvas::Kind::Fill).empty());
}

TEST_F(RunDetailsTest, MissingOrCutFilesGiveEmptyRecords) {
    EXPECT_FALSE(LoadRunDetails(details_));
    EXPECT_EQ(details_.realCars, 0);
    EXPECT_FALSE(PositionsChartShown(details_));
    // Cut in the middle of the third line: the two cars read, the rest unused.
    test::WriteWholeFile(folder_.Path() / "DetailResultats.res",
                         "CLASSEMENTToursTemps\t\nA\t2\t1000\t2000\t\n(NA)\t0\t\nB\t3\t1100\t2");
    ASSERT_TRUE(LoadRunDetails(details_));
    EXPECT_EQ(details_.realCars, 2);
    EXPECT_EQ(details_.lanes[1], 3);
    RecordingCanvas canvas;
    PaintRunDetails(canvas, details_, DetailsView::Positions, 0, 0);  // no crash, a chart drawn
    EXPECT_FALSE(canvas.OfKind(RecordingCanvas::Kind::Line).empty());
}

TEST(CommentRulesTest, ConditionAndLength) {
    EXPECT_EQ(ConditionRadio("Wet"), kWetRadio);
    EXPECT_EQ(ConditionRadio("Ice"), kIceRadio);
    EXPECT_EQ(ConditionRadio(""), kDryRadio);
    EXPECT_EQ(ConditionRadio("wet"), kDryRadio);
    EXPECT_EQ(ConditionOfRadio(kIceRadio), "Ice");
    std::string typed(120, 'x');
    EXPECT_EQ(CutComment(typed).size(), 98u);
    EXPECT_EQ(CutComment("short"), "short");
}

}  // namespace
}  // namespace velkaro
