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

// Every text drawn, one per line, to look for labels in.
std::string Drawn(const RecordingCanvas& canvas) {
    std::string all = "\n";
    for (const std::string& t : canvas.Texts()) all += t + "\n";
    return all;
}

TEST(LapStatisticsTest, FiveLapsGiveTheirFiguresClassesAndTexts) {
    LapStatistics s;
    ComputeLapStatistics(CarWithLaps({12345, 12400, 12999, 13500, 17400}), 1, 5, s);
    EXPECT_EQ(std::vector<int>(
                  {s.count, s.best, s.bestIndex, s.worst, s.worstIndex, s.average, s.deviation}),
              std::vector<int>({5, 12345, 1, 17400, 5, 13728, 1883}));
    EXPECT_EQ(s.limits, (std::array<std::int32_t, 10>{12300, 12400, 12500, 12800, 13300, 13800,
                                                      14300, 15300, 16300, 17300}));
    EXPECT_EQ(s.counts, (std::array<std::int32_t, 10>{1, 1, 0, 1, 1, 0, 0, 0, 0, 1}));
    DataViewTexts d = DataViewOf(s);
    EXPECT_EQ(std::string(d.best.CStr()) + d.bestLap.CStr() + d.worstLap.CStr() +
                  d.deviation.CStr() + "|" + d.classes[0].CStr() + "|" + d.classes[9].CStr() + "|" +
                  d.shares[0].CStr() + "|" + d.shares[2].CStr(),
              "12.345(L 1)(L 5)+/- 1.883|12.300 < t < 12.400|17.300 < t|20.0 %|0.0 %");
}

// Every figure recomputed another way over runs of many shapes and ranges.
TEST(LapStatisticsTest, AgreesWithAnIndependentComputation) {
    std::mt19937 random(7);
    const int cases[][4] = {{1, 1, 1, 500},       {5, 2, 4, 3000},    {40, 1, 40, 800},
                            {150, 10, 150, 9000}, {300, 1, 300, 400}, {300, 250, 300, 20000},
                            {60, 1, 60, 0}};  // laps, first, last, spread of the lap times
    for (auto [count, first, last, spread] : cases) {
        SCOPED_TRACE(count);
        std::uniform_int_distribution<std::int32_t> lapTime(11000, 11000 + spread);
        std::vector<std::int32_t> laps(static_cast<std::size_t>(count));
        for (auto& l : laps) l = lapTime(random);
        LapStatistics s;
        ComputeLapStatistics(CarWithLaps(laps), first, last, s);
        LapHistogram h;
        ComputeLapHistogram(CarWithLaps(laps), first, last, h);

        std::vector<std::int32_t> range(laps.begin() + first - 1, laps.begin() + last);
        int n = int(range.size());
        std::int64_t mean = std::accumulate(range.begin(), range.end(), std::int64_t(0)) / n;
        auto best = std::min_element(range.begin(), range.end());
        auto worst = std::max_element(range.begin(), range.end());  // first of the largest
        std::int64_t squares = 0;
        for (std::int32_t l : range) squares += (l - mean) * (l - mean);
        EXPECT_EQ(
            std::vector<std::int64_t>(
                {s.average, s.best, s.bestIndex, s.worst, s.worstIndex, s.deviation}),
            std::vector<std::int64_t>({mean, *best, first + (best - range.begin()), *worst,
                                       first + (worst - range.begin()),
                                       std::int64_t(std::floor(std::sqrt(double(squares) / n)))}));
        // A class holds the laps from its limit to the next one's, the last every lap above.
        auto within = [&](std::int32_t low, std::int32_t high) {
            return int(std::count_if(range.begin(), range.end(),
                                     [&](std::int32_t l) { return l >= low && l < high; }));
        };
        for (std::size_t k = 0; k < 10; ++k) {
            int in = within(s.limits[k], k == 9 ? INT32_MAX : s.limits[k + 1]);
            EXPECT_EQ(std::pair(s.counts[k], s.shares[k]), std::pair(in, in * 1000 / n)) << k;
        }
        EXPECT_EQ(h.limits[0], *best - *best % 1000);
        for (std::size_t k = 0; k < kHistogramClasses; ++k) {
            std::int32_t low = h.limits[0] + 200 * std::int32_t(k);
            EXPECT_EQ(h.counts[k], within(low, low + 200)) << k;
        }
        EXPECT_EQ(h.overflow, within(h.limits[0] + 7800, INT32_MAX));
    }
}

TEST(LapStatisticsTest, EdgesOfTheRange) {
    LapStatistics s;
    ComputeLapStatistics(CarWithLaps({13000, 12000, 14000, 12000, 14000}), 1, 5, s);
    EXPECT_EQ(std::pair(s.bestIndex, s.worstIndex), std::pair(2, 3));  // of two equal, the first
    // Nothing to compute (no laps, L < F): the last result stays.
    LapStatistics kept = s;
    ComputeLapStatistics(CarWithLaps({}), 1, 0, s);
    ComputeLapStatistics(CarWithLaps({12000, 13000}), 2, 1, s);
    EXPECT_EQ(std::tie(s.average, s.count), std::tie(kept.average, kept.count));
    // L above the laps becomes their number, F = 0 becomes 1.
    EXPECT_EQ(std::vector<int>({ClampLastLap(999, 42), ClampLastLap(17, 42), ClampFirstLap(0, 42),
                                ClampFirstLap(50, 42), ClampFirstLap(0, 0)}),
              std::vector<int>({42, 17, 1, 42, 0}));
    // A 150-lap curve from lap 1 stops at lap 101: drawn slower higher, best and worst numbered.
    std::vector<std::int32_t> laps(150, 12000);
    laps[120] = 9000;  // outside the curve: not its best
    laps[100] = 15500;
    RunCar car = CarWithLaps(laps);
    LapCurve c;
    ComputeLapCurve(car, 1, 150, c);
    CurveAxis a = CurveAxisOf(c);
    EXPECT_EQ(
        std::vector<int>({c.first, c.last, c.count, c.best, c.worst, a.low, a.high, a.gridLines}),
        std::vector<int>({1, 101, 101, 12000, 15500, 12000, 16000, 9}));
    RecordingCanvas canvas;
    PaintLapCurve(canvas, car, c, {0, 0, 600, 300});
    auto points = canvas.OfKind(RecordingCanvas::Kind::Rectangle);
    ASSERT_EQ(points.size(), 101u);
    EXPECT_LT(points[100].r.top, points[0].r.top);
    EXPECT_NE(Drawn(canvas).find("\n12.000 (L1)\n15.500 (L101)\n"), std::string::npos);
    c.worst = 40000;
    EXPECT_EQ(CurveAxisOf(c).gridLines, 21);
}

TEST(LapChartsTest, HistogramScaleAndBars) {
    const std::pair<int, int> scales[] = {{0, 0},    {7, 7},     {10, 10},   {11, 20},
                                          {99, 100}, {100, 100}, {101, 200}, {300, 400}};
    for (auto [m, s] : scales) EXPECT_EQ(HistogramScale(m), s) << m;
    // Bars 160 x k / S high: three laps and the overflow's one on a scale of 3; eleven laps on a
    // scale of 20 labelled every 2 laps; no lap, no chart.
    const std::tuple<std::vector<std::int32_t>, std::vector<int>, const char*> cases[] = {
        {{12100, 12150, 12199, 25000}, {160, 53}, "\n3\n12.0\n12.2\n"},
        {std::vector<std::int32_t>(11, 12100), {88}, "\n2\n4\n6\n"},
        {{}, {}, ""}};
    for (const auto& [laps, heights, labels] : cases) {
        LapHistogram h;
        ComputeLapHistogram(CarWithLaps(laps), 1, int(laps.size()), h);
        RecordingCanvas canvas;
        PaintLapHistogram(canvas, h, {0, 0, 700, 260});
        std::vector<int> drawn;
        for (const auto& op : canvas.OfKind(RecordingCanvas::Kind::Rectangle)) {
            drawn.push_back(op.r.Height());
        }
        EXPECT_EQ(drawn, heights);
        EXPECT_EQ(Drawn(canvas) == "\n", laps.empty());
        EXPECT_NE(Drawn(canvas).find(labels), std::string::npos) << Drawn(canvas);
    }
}

TEST(LapChartsTest, OnePrintedPageOfTheViewShownOrAFailureSaidOnce) {
    RunCar car = CarWithLaps({12500, 12000, 13900, 12700});
    AnalysisPrint p;
    p.view = AnalysisView::Curve;
    p.car = &car;
    p.titles = AnalysisTitlesOf(" CAT - Heat2 ", "ALPHA Anne", "Lille", "Duration 5:00");
    p.first = 2;
    p.last = 4;
    ComputeLapCurve(car, 2, 4, p.curve);
    FakeDialogs dialogs;
    FakeMessages messages;
    test::FailOnUnexpectedMessages(messages);
    FakeClock clock;
    ASSERT_TRUE(PrintAnalysis(dialogs, messages, clock, p));
    ASSERT_EQ(dialogs.printed.size(), 1u);
    EXPECT_EQ(dialogs.printed[0]->name, "CAT - Heat2 - ALPHA Anne - Lap analysis");
    EXPECT_NE(
        Drawn(dialogs.printed[0]->canvas)
            .find("\n CAT - Heat2  : ALPHA Anne\nEvolution of the lap times from lap 2 to "
                  "lap 4\n Track : Lille   (Duration 5:00) \nPrinted the 05/12/2026 at 14:30\n"),
        std::string::npos);
    EXPECT_EQ(AnalysisHeading(AnalysisView::Histo, 1, 5).View(),
              "Histogram of the lap times from lap 1 to lap 5");

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
