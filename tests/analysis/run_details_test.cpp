#include "analysis/run_details.h"

#include <gtest/gtest.h>

#include <string>

#include "platform/fake/recording_canvas.h"
#include "tests/support/test_support.h"

namespace velkaro {
namespace {

class RunDetailsTest : public ::testing::Test {
  protected:
    // A detailed results file; "" for an unused slot, and a file cut after `cut` bytes.
    void Load(const std::string& keyword, const std::vector<std::string>& cars,
              std::size_t cut = std::string::npos) {
        std::string out = keyword + "\t\r\n";
        for (std::size_t slot = 0; slot < kCarSlots; ++slot) {
            std::string line = slot < cars.size() ? cars[slot] : "";
            out += (line.empty() ? "(NA)\t0\t" : line) + "\r\n";
        }
        test::WriteWholeFile(folder_.Path() / "DetailResultats.res", out.substr(0, cut));
        ASSERT_TRUE(LoadRunDetails(details_, SystemDisk()));
    }
    std::string Drawn(DetailsView view) {
        RecordingCanvas canvas;
        PaintRunDetails(canvas, details_, view, 0, 0);
        std::string all = "\n";
        for (const std::string& t : canvas.Texts()) all += t + "\n";
        return all;
    }

    test::TempFolder folder_;
    test::ScopedCurrentFolder here_{folder_.Path()};
    RunDetails details_;
};

TEST_F(RunDetailsTest, PositionsAgreeWithCountingOnA300PassingRun) {
    // Slots 0 and 1 tie at every passing (the later slot ahead), slot 2 is faster but stops
    // after 10 passings (then behind all), slot 6 is unused, the others run at their own pace.
    RunCars cars;
    for (int c = 0; c < kCarSlots; ++c) {
        RunCar& car = cars[std::size_t(c)];
        car.driverName = c == 6 ? kEmptySlotName : "D";
        car.passingCount = c == 6 ? 0 : c == 2 ? 10 : c < 2 ? 300 : 300 - 17 * c;
        int lap = c < 2 ? 10000 : c == 2 ? 9000 : 10000 + 37 * ((c * 7) % 5);
        for (int j = 0; j < car.passingCount; ++j) {
            car.raceTimes[std::size_t(j)] = (j + 1) * lap + (c > 2) * (j % 3) * c;
        }
    }
    RunCars counted = cars;
    ComputePositions(cars);
    // A place recounted: 1 + the cars ahead (smaller time, or the same in a later slot).
    auto timeOf = [&](int c, int j) {
        const RunCar& r = counted[std::size_t(c)];
        return r.passingCount > j ? std::int64_t(r.raceTimes[std::size_t(j)]) : kNoTime;
    };
    for (int j = 0; j < kPositionPassings; ++j) {
        for (int c = 0; c < kCarSlots; ++c) {
            int ahead = 0;
            for (int o = 0; o < kCarSlots; ++o) {
                ahead += o != c &&
                         (timeOf(o, j) < timeOf(c, j) || (timeOf(o, j) == timeOf(c, j) && o > c));
            }
            ASSERT_EQ(cars[std::size_t(c)].positions[std::size_t(j)], ahead + 1) << c << " " << j;
        }
    }
}

TEST_F(RunDetailsTest, LanesGridsAndWhenTheChartIsDrawn) {
    Load("CLASSEMENTToursTemps",
         {"", "", "CARL\t2\t61500\t70000\t", "", "", "", "GUS\t1\t12000\t"});
    ASSERT_EQ(details_.realCars, 2);
    EXPECT_EQ(std::string(LaneHead(details_, 0).View()) + LaneHead(details_, 1).CStr() + "|" +
                  LegendLine(details_, 1).CStr() + "|" +
                  GridCell(details_, DetailsView::RaceTime, 0, 0).CStr() + "|" +
                  GridCell(details_, DetailsView::LapTime, 0, 1).CStr() + "|" +
                  GridCell(details_, DetailsView::LapTime, 1, 1).CStr() + "|",
              "Lane3Lane7|L7: GUS|1:01.500|8.500||");
    EXPECT_EQ(GridScrollOf(details_).lapMaximum, 0);
    EXPECT_NE(
        Drawn(DetailsView::RaceTime).find("\nLane3\nLane7\n1\n1:01.500\n12.000\n2\n1:10.000\n"),
        std::string::npos);
    EXPECT_TRUE(PositionsChartShown(details_));

    // By best lap, a single car, a missing file: no chart; a file cut short: the cars it holds.
    Load("CLASSEMENTMeilleurTour", {"A\t2\t1000\t2000\t", "B\t2\t1100\t2100\t"});
    EXPECT_FALSE(PositionsChartShown(details_));
    Load("CLASSEMENTToursTemps", {"A\t2\t1000\t2000\t"});
    EXPECT_FALSE(PositionsChartShown(details_));
    EXPECT_EQ(Drawn(DetailsView::Positions), "\nL1: A\n");
    Load("CLASSEMENTToursTemps", {"A\t2\t1000\t2000\t", "", "B\t3\t1100\t2100\t3000\t"}, 50);
    EXPECT_EQ(details_.realCars, 2);
    EXPECT_EQ(details_.lanes[1], 3);
    EXPECT_NE(Drawn(DetailsView::Positions).find("Position"), std::string::npos);
    std::filesystem::remove(folder_.Path() / "DetailResultats.res");
    EXPECT_FALSE(LoadRunDetails(details_, SystemDisk()));
    EXPECT_EQ(details_.realCars, 0);
}

TEST(CommentRulesTest, ConditionAndLength) {
    EXPECT_EQ(std::vector<int>({ConditionRadio("Wet"), ConditionRadio("Ice"), ConditionRadio(""),
                                ConditionRadio("wet")}),
              std::vector<int>({kWetRadio, kIceRadio, kDryRadio, kDryRadio}));
    EXPECT_EQ(CutComment("short"), "short");  // 120 characters keep 98: the window test types them
}

}  // namespace
}  // namespace velkaro
