#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <numeric>
#include <random>
#include <vector>

#include "analysis/lap_analysis.h"
#include "platform/fake/fake_clock.h"
#include "platform/fake/fake_dialogs.h"
#include "platform/fake/fake_messages.h"
#include "platform/fake/recording_canvas.h"
#include "tests/support/test_support.h"

namespace velkaro {
namespace {

RunCar CarWithLaps(const std::vector<std::int32_t>& laps, std::int32_t start = 1234) {
    RunCar car;
    car.passingCount = std::int32_t(laps.size());
    car.raceTimes[0] = start;
    for (std::size_t i = 0; i < laps.size(); ++i) car.raceTimes[i + 1] = car.raceTimes[i] + laps[i];
    return car;
}

// The worked example of a driver's five laps.
TEST(LapStatisticsTest, FiveLapsGiveTheirFiguresClassesAndTexts) {
    RunCar car = CarWithLaps({12345, 12400, 12999, 13500, 17400});
    LapStatistics s;
    ComputeLapStatistics(car, 1, 5, s);
    EXPECT_EQ(s.count, 5);
    EXPECT_EQ(s.best, 12345);
    EXPECT_EQ(s.bestIndex, 1);
    EXPECT_EQ(s.worst, 17400);
    EXPECT_EQ(s.worstIndex, 5);
    EXPECT_EQ(s.average, 13728);
    EXPECT_EQ(s.deviation, 1883);
    EXPECT_EQ(s.limits, (std::array<std::int32_t, 10>{12300, 12400, 12500, 12800, 13300, 13800,
                                                      14300, 15300, 16300, 17300}));
    EXPECT_EQ(s.counts, (std::array<std::int32_t, 10>{1, 1, 0, 1, 1, 0, 0, 0, 0, 1}));
    DataViewTexts d = DataViewOf(s);
    EXPECT_EQ(d.best.View(), "12.345");
    EXPECT_EQ(d.bestLap.View(), "(L 1)");
    EXPECT_EQ(d.worstLap.View(), "(L 5)");
    EXPECT_EQ(d.deviation.View(), "+/- 1.883");
    EXPECT_EQ(d.classes[0].View(), "12.300 < t < 12.400");
    EXPECT_EQ(d.classes[9].View(), "17.300 < t");
    EXPECT_EQ(d.shares[0].View(), "20.0 %");
    EXPECT_EQ(d.shares[2].View(), "0.0 %");
}

// Every figure recomputed another way over runs of many shapes and ranges.
TEST(LapStatisticsTest, AgreesWithAnIndependentComputation) {
    std::mt19937 random(7);
    struct Case {
        int laps, first, last, spread;
    };
    const Case cases[] = {{1, 1, 1, 500},       {5, 2, 4, 3000},    {40, 1, 40, 800},
                          {150, 10, 150, 9000}, {300, 1, 300, 400}, {300, 250, 300, 20000},
                          {60, 1, 60, 0}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.laps);
        std::uniform_int_distribution<std::int32_t> lapTime(11000, 11000 + c.spread);
        std::vector<std::int32_t> laps(std::size_t(c.laps));
        for (auto& l : laps) l = lapTime(random);
        RunCar car = CarWithLaps(laps);
        LapStatistics s;
        ComputeLapStatistics(car, c.first, c.last, s);
        LapHistogram h;
        ComputeLapHistogram(car, c.first, c.last, h);

        std::vector<std::int32_t> range(laps.begin() + c.first - 1, laps.begin() + c.last);
        auto n = std::int64_t(range.size());
        std::int64_t sum = std::accumulate(range.begin(), range.end(), std::int64_t(0));
        auto best = std::min_element(range.begin(), range.end());
        auto worst = std::max_element(range.begin(), range.end());  // first of the largest
        std::int64_t squares = 0;
        for (std::int32_t l : range) squares += (l - sum / n) * (l - sum / n);
        EXPECT_EQ(s.average, sum / n);
        EXPECT_EQ(s.best, *best);
        EXPECT_EQ(s.bestIndex, c.first + (best - range.begin()));
        EXPECT_EQ(s.worst, *worst);
        EXPECT_EQ(s.worstIndex, c.first + (worst - range.begin()));
        EXPECT_EQ(s.deviation, std::int32_t(std::floor(std::sqrt(double(squares) / double(n)))));
        EXPECT_GE(s.deviation, 0);
        // Classes: how many laps reach each limit, differenced.
        std::vector<std::int32_t> sorted = range;
        std::sort(sorted.begin(), sorted.end());
        for (int k = 0; k < 10; ++k) {
            auto from = std::lower_bound(sorted.begin(), sorted.end(), s.limits[std::size_t(k)]);
            auto to = k == 9 ? sorted.end()
                             : std::lower_bound(sorted.begin(), sorted.end(),
                                                s.limits[std::size_t(k + 1)]);
            EXPECT_EQ(s.counts[std::size_t(k)], to - from) << k;
            EXPECT_EQ(s.shares[std::size_t(k)], (to - from) * 1000 / n);
        }
        EXPECT_EQ(h.limits[0], *best - *best % 1000);
        std::int64_t binned = h.overflow;
        for (int k = 0; k < kHistogramClasses; ++k) {
            std::int32_t low = h.limits[0] + 200 * k;
            auto inClass = std::count_if(range.begin(), range.end(),
                                         [&](std::int32_t l) { return l >= low && l < low + 200; });
            EXPECT_EQ(h.counts[std::size_t(k)], inClass) << k;
            binned += inClass;
        }
        EXPECT_EQ(binned, n);
        EXPECT_EQ(h.overflow, std::count_if(range.begin(), range.end(), [&](std::int32_t l) {
                      return l >= h.limits[0] + 7800;
                  }));
    }
}

TEST(LapStatisticsTest, EdgesOfTheRange) {
    // Two equal best laps: the lower lap number.
    LapStatistics s;
    ComputeLapStatistics(CarWithLaps({13000, 12000, 14000, 12000, 14000}), 1, 5, s);
    EXPECT_EQ(s.bestIndex, 2);
    EXPECT_EQ(s.worstIndex, 3);

    // Nothing to compute: the last result stays.
    LapStatistics kept = s;
    ComputeLapStatistics(CarWithLaps({}), 1, 0, s);
    ComputeLapStatistics(CarWithLaps({12000, 13000}), 2, 1, s);
    EXPECT_EQ(s.average, kept.average);
    EXPECT_EQ(s.count, kept.count);
    LapHistogram h;
    ComputeLapHistogram(CarWithLaps({}), 1, 0, h);
    EXPECT_EQ(h.count, 0);

    // The fields: L above the laps becomes their number, F = 0 becomes 1.
    EXPECT_EQ(ClampLastLap(999, 42), 42);
    EXPECT_EQ(ClampLastLap(17, 42), 17);
    EXPECT_EQ(ClampFirstLap(0, 42), 1);
    EXPECT_EQ(ClampFirstLap(50, 42), 42);
    EXPECT_EQ(ClampFirstLap(0, 0), 0);

    // A 150-lap curve from lap 1 stops at lap 101.
    std::vector<std::int32_t> laps(150, 12000);
    laps[120] = 9000;  // outside the curve: not its best
    laps[100] = 15500;
    LapCurve c;
    ComputeLapCurve(CarWithLaps(laps), 1, 150, c);
    EXPECT_EQ(c.first, 1);
    EXPECT_EQ(c.last, 101);
    EXPECT_EQ(c.count, 101);
    EXPECT_EQ(c.best, 12000);
    EXPECT_EQ(c.worst, 15500);
    CurveAxis a = CurveAxisOf(c);
    EXPECT_EQ(a.low, 12000);
    EXPECT_EQ(a.high, 16000);
    EXPECT_EQ(a.gridLines, 9);
    c.worst = 40000;
    EXPECT_EQ(CurveAxisOf(c).gridLines, 21);
}

TEST(LapHistogramTest, ScaleRuleAndDrawing) {
    const std::pair<int, int> scales[] = {{0, 0},    {7, 7},     {10, 10},   {11, 20},
                                          {99, 100}, {100, 100}, {101, 200}, {300, 400}};
    for (auto [m, s] : scales) EXPECT_EQ(HistogramScale(m), s) << m;

    // Three laps in one class, one in the overflow: bars 160 x k / S high.
    RunCar car = CarWithLaps({12100, 12150, 12199, 25000});
    LapHistogram h;
    ComputeLapHistogram(car, 1, 4, h);
    EXPECT_EQ(h.counts[0], 3);
    EXPECT_EQ(h.overflow, 1);
    RecordingCanvas canvas;
    PaintLapHistogram(canvas, h, {0, 0, 700, 260});
    std::vector<int> heights;
    for (const auto& op : canvas.OfKind(RecordingCanvas::Kind::Rectangle)) {
        heights.push_back(op.r.Height());
    }
    EXPECT_EQ(heights, (std::vector<int>{160, 53}));
    auto texts = canvas.Texts();
    for (const char* label : {"12.0", "12.2", "19.8", "Lap time (s)", "Laps"}) {
        EXPECT_NE(std::find(texts.begin(), texts.end(), label), texts.end()) << label;
    }
    // Eleven laps in one class: a scale of 20, labelled every 2 laps.
    ComputeLapHistogram(CarWithLaps(std::vector<std::int32_t>(11, 12100)), 1, 11, h);
    RecordingCanvas twenty;
    PaintLapHistogram(twenty, h, {0, 0, 700, 260});
    EXPECT_EQ(twenty.OfKind(RecordingCanvas::Kind::Rectangle)[0].r.Height(), 88);
    auto labels = twenty.Texts();
    EXPECT_NE(std::find(labels.begin(), labels.end(), "20"), labels.end());
    EXPECT_NE(std::find(labels.begin(), labels.end(), "2"), labels.end());
    EXPECT_EQ(std::find(labels.begin(), labels.end(), "1"), labels.end());
    // No lap at all: the chart stays empty.
    RecordingCanvas empty;
    PaintLapHistogram(empty, LapHistogram{}, {0, 0, 700, 260});
    EXPECT_TRUE(empty.Texts().empty());
}

TEST(LapCurveTest, PointsFollowTheLapsAndCarryTheirNumbers) {
    RunCar car = CarWithLaps({12500, 12000, 13900, 12700});
    LapCurve c;
    ComputeLapCurve(car, 1, 4, c);
    RecordingCanvas canvas;
    Rect area{0, 0, 600, 300};
    PaintLapCurve(canvas, car, c, area);
    auto points = canvas.OfKind(RecordingCanvas::Kind::Rectangle);
    ASSERT_EQ(points.size(), 4u);
    // Slower laps lie higher: the 13.9 s lap is the highest point, the 12.0 s lap the lowest.
    EXPECT_LT(points[2].r.top, points[0].r.top);
    EXPECT_GT(points[1].r.top, points[0].r.top);
    auto texts = canvas.Texts();
    for (const char* label : {"12.000 (L2)", "13.900 (L3)", "12.0", "14.0", "1", "4", "Lap"}) {
        EXPECT_NE(std::find(texts.begin(), texts.end(), label), texts.end()) << label;
    }
}

TEST(AnalysisPrintTest, OnePageOfTheViewShownOrAFailureSaidOnce) {
    RunCar car = CarWithLaps({12500, 12000, 13900, 12700});
    car.driverName = "ALPHA Anne";
    AnalysisPrint p;
    p.car = &car;
    p.view = AnalysisView::Curve;
    p.first = 2;
    p.last = 4;
    p.titles = AnalysisTitlesOf(" CAT - Round1 - Heat2 ", "ALPHA Anne", "Lille", "Duration 5:00");
    ComputeLapCurve(car, 2, 4, p.curve);
    FakeDialogs dialogs;
    FakeMessages messages;
    test::FailOnUnexpectedMessages(messages);
    FakeClock clock;
    ASSERT_TRUE(PrintAnalysis(dialogs, messages, clock, p));
    ASSERT_EQ(dialogs.printed.size(), 1u);
    EXPECT_EQ(dialogs.printed[0]->name, "SUMMARY RUN : Printing...");
    auto texts = dialogs.printed[0]->canvas.Texts();
    for (const char* t :
         {" CAT - Round1 - Heat2  : ALPHA Anne", "Evolution of the lap times from lap 2 to lap 4",
          " Track : Lille   (Duration 5:00) ", "Printed the 05/12/2026 at 14:30", "13.900 (L3)"}) {
        EXPECT_NE(std::find(texts.begin(), texts.end(), t), texts.end()) << t;
    }
    EXPECT_EQ(AnalysisHeading(AnalysisView::Data, 1, 5).View(),
              "Summary of the run from lap 1 to lap 5");

    dialogs.printerFailsAtPage = 1;
    messages.Expect(MessageAnswer::Ok);
    EXPECT_FALSE(PrintAnalysis(dialogs, messages, clock, p));
    EXPECT_EQ(messages.shown.back().text,
              "Error: The printer failed, the document is not complete");
    dialogs.printerAvailable = false;  // cancelled: nothing printed, nothing said
    EXPECT_TRUE(PrintAnalysis(dialogs, messages, clock, p));
    EXPECT_EQ(dialogs.printed.size(), 2u);
}

}  // namespace
}  // namespace velkaro
