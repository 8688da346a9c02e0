#include "analysis/lap_analysis.h"

#include <algorithm>
#include <cmath>
#include <memory>

#include "common/plain_words.h"
#include "common/report_frame.h"

namespace velkaro {

namespace {

constexpr std::int32_t kClassSteps[kLapClasses] = {0,    100,  200,  500,  1000,
                                                   1500, 2000, 3000, 4000, 5000};
constexpr Rgb kAxis{0, 0, 0};
constexpr Rgb kGrid{190, 190, 190};
constexpr Rgb kFineGrid{235, 235, 235};
constexpr Rgb kBar{30, 90, 200};
constexpr Rgb kCurveLine{200, 40, 40};
constexpr Rgb kChartBackground{255, 255, 255};
constexpr Rgb kAverageLine{0, 150, 0};

bool NothingToDo(const RunCar& car, int first, int last) {
    return last < first || car.passingCount <= 0;
}

// The range within the laps the car holds, so that a stray F or L never reads past them.
bool InRange(const RunCar& car, int& first, int& last) {
    if (NothingToDo(car, first, last)) return false;
    first = std::max(first, 1);
    last = std::min(last, car.passingCount);
    return first <= last;
}

std::int32_t AverageOf(const RunCar& car, int first, int last) {
    std::int64_t span =
        std::int64_t(car.raceTimes[std::size_t(last)]) - car.raceTimes[std::size_t(first - 1)];
    return std::int32_t(span / (last - first + 1));
}

Text<16> TenthsText(std::int32_t ms) {
    Text<16> t;
    Format(t, "%d.%d", ms / 1000, (ms % 1000) / 100);
    return t;
}

}  // namespace

TextStyle ChartText(int height, Align align, bool bold, Rgb colour) {
    TextStyle s;
    s.font.height = height;
    s.font.weight = bold ? 700 : 400;
    s.align = align;
    s.colour = colour;
    return s;
}

std::int32_t LapOf(const RunCar& car, int i) {
    if (i < 1 || i > car.passingCount || i >= kHistorySize) return 0;
    return car.raceTimes[std::size_t(i)] - car.raceTimes[std::size_t(i - 1)];
}

void ComputeLapStatistics(const RunCar& car, int first, int last, LapStatistics& out) {
    if (!InRange(car, first, last)) return;
    LapStatistics s;
    s.count = last - first + 1;
    s.average = AverageOf(car, first, last);
    s.best = kNoTime;
    s.worst = 0;
    for (int i = first; i <= last; ++i) {
        std::int32_t lap = LapOf(car, i);
        if (lap < s.best) {
            s.best = lap;
            s.bestIndex = i;
        }
        if (lap > s.worst) {
            s.worst = lap;
            s.worstIndex = i;
        }
    }
    double sum = 0;
    for (int i = first; i <= last; ++i) {
        double d = double(LapOf(car, i)) - double(s.average);
        sum += d * d / double(s.count);
    }
    s.deviation = std::int32_t(std::sqrt(sum));
    std::int32_t base = s.best / 100 * 100;
    for (int k = 0; k < kLapClasses; ++k) s.limits[std::size_t(k)] = base + kClassSteps[k];
    for (int i = first; i <= last; ++i) {
        std::int32_t lap = LapOf(car, i);
        if (lap < base) continue;
        int k = 0;
        while (k + 1 < kLapClasses && lap >= s.limits[std::size_t(k + 1)]) ++k;
        ++s.counts[std::size_t(k)];
    }
    for (int k = 0; k < kLapClasses; ++k) {
        s.shares[std::size_t(k)] = s.counts[std::size_t(k)] * 1000 / s.count;
    }
    out = s;
}

void ComputeLapHistogram(const RunCar& car, int first, int last, LapHistogram& out) {
    if (!InRange(car, first, last)) return;
    LapHistogram h;
    h.count = last - first + 1;
    h.average = AverageOf(car, first, last);
    h.best = kNoTime;
    for (int i = first; i <= last; ++i) h.best = std::min(h.best, LapOf(car, i));
    std::int32_t base = h.best / 1000 * 1000;
    for (int k = 0; k < kHistogramLimits; ++k) h.limits[std::size_t(k)] = base + 200 * k;
    for (int i = first; i <= last; ++i) {
        std::int32_t lap = LapOf(car, i);
        if (lap >= h.limits[kHistogramLimits - 1]) {
            ++h.overflow;
        } else if (lap >= base) {
            ++h.counts[std::size_t((lap - base) / 200)];
        }
    }
    out = h;
}

void ComputeLapCurve(const RunCar& car, int first, int last, LapCurve& out) {
    if (NothingToDo(car, first, last)) return;
    last = std::min(last, first + kCurveMaxLaps - 1);
    if (!InRange(car, first, last)) return;
    LapCurve c;
    c.first = first;
    c.last = last;
    c.count = last - first + 1;
    c.average = AverageOf(car, first, last);
    c.best = kNoTime;
    c.worst = 0;
    for (int i = first; i <= last; ++i) {
        c.best = std::min(c.best, LapOf(car, i));
        c.worst = std::max(c.worst, LapOf(car, i));
    }
    out = c;
}

int ClampFirstLap(int typed, int laps) {
    int v = std::min(typed, laps);
    if (v <= 0 && laps > 0) v = 1;
    return std::max(v, 0);
}

int ClampLastLap(int typed, int laps) {
    return std::max(std::min(typed, laps), 0);
}

int HistogramScale(int m) {
    if (m <= 10 || m == 100) return m;
    if (m < 100) return (m / 10 + 1) * 10;
    return (m / 100 + 1) * 100;
}

CurveAxis CurveAxisOf(const LapCurve& curve) {
    CurveAxis a;
    a.low = curve.best / 1000 * 1000;
    a.high = curve.worst / 1000 * 1000 + 1000;
    a.gridLines = std::min((a.high - a.low) / 500 + 1, 21);
    return a;
}

TimeText LapTimeText(std::int32_t ms) {
    TimeText t;
    FormatLapTime(t, SplitTime(ms));
    return t;
}

DataViewTexts DataViewOf(const LapStatistics& s) {
    DataViewTexts d;
    d.best = LapTimeText(s.best);
    d.worst = LapTimeText(s.worst);
    d.average = LapTimeText(s.average);
    Format(d.bestLap, "(L %d)", s.bestIndex);
    Format(d.worstLap, "(L %d)", s.worstIndex);
    Format(d.deviation, "+/- %s", LapTimeText(s.deviation).CStr());
    for (int k = 0; k < kLapClasses; ++k) {
        std::size_t i = std::size_t(k);
        TimeText low = LapTimeText(s.limits[i]);
        if (k + 1 < kLapClasses) {
            Format(d.classes[i], "%s < t < %s", low.CStr(), LapTimeText(s.limits[i + 1]).CStr());
        } else {
            Format(d.classes[i], "%s < t", low.CStr());
        }
        Format(d.shares[i], "%d.%01d %c", s.shares[i] / 10, s.shares[i] % 10, '%');
    }
    return d;
}

AnalysisTitles AnalysisTitlesOf(std::string_view runLabel, std::string_view driver,
                                std::string_view track, std::string_view description) {
    AnalysisTitles t;
    t.run = runLabel;
    t.run.Append(" : ");
    t.run.Append(driver);
    t.track = " Track : ";
    t.track.Append(track);
    t.track.Append("   (");
    t.track.Append(RunDescriptionInWords(description).View());
    t.track.Append(") ");
    return t;
}

void PaintLapStatistics(Canvas& canvas, const LapStatistics& s, Point at) {
    DataViewTexts d = DataViewOf(s);
    TextStyle label = ChartText(16, Align::Left, true);
    TextStyle value = ChartText(16);
    struct Line {
        const char* label;
        std::string_view value, note;
    };
    const Line lines[] = {{"Best lap :", d.best.View(), d.bestLap.View()},
                          {"Worst lap :", d.worst.View(), d.worstLap.View()},
                          {"Average lap :", d.average.View(), ""},
                          {"Standard dev. :", d.deviation.View(), "(regularity)"}};
    int y = at.y;
    for (const Line& l : lines) {
        canvas.DrawText({at.x, y}, l.label, label);
        canvas.DrawText({at.x + 130, y}, l.value, value);
        canvas.DrawText({at.x + 250, y}, l.note, value);
        y += 26;
    }
    y += 14;
    canvas.DrawText({at.x, y}, "Lap time", label);
    canvas.DrawText({at.x + 300, y}, "% laps", ChartText(16, Align::Right, true));
    y += 24;
    canvas.DrawLine({at.x, y - 3}, {at.x + 310, y - 3}, 1, kAxis);
    for (int k = 0; k < kLapClasses; ++k) {
        canvas.DrawText({at.x, y}, d.classes[std::size_t(k)].View(), value);
        canvas.DrawText({at.x + 300, y}, d.shares[std::size_t(k)].View(),
                        ChartText(16, Align::Right));
        y += 22;
    }
}

void PaintLapHistogram(Canvas& canvas, const LapHistogram& h, Rect area) {
    canvas.FillRect(area, kChartBackground);
    int m = h.overflow;
    for (std::int32_t c : h.counts) m = std::max(m, c);
    if (m == 0) return;
    int scale = HistogramScale(m);
    constexpr int kHeight = 160, kPitch = 14, kBarWidth = 13;
    const int left = area.left + 50;
    const int bottom = area.top + 40 + kHeight;
    const int right = left + kPitch * kHistogramLimits;
    canvas.DrawText({area.left + 4, area.top + 4}, "Laps", ChartText(13, Align::Left, true));
    Text<96> caption;
    Format(caption, "%d laps   best %s   average %s", h.count, LapTimeText(h.best).CStr(),
           LapTimeText(h.average).CStr());
    canvas.DrawText({right, area.top + 4}, caption.View(), ChartText(13, Align::Right));
    // One line per unit of the scale while they stay apart; above ten units only every tenth
    // of the scale is labelled, and drawn darker.
    int labelled = scale > 10 ? scale / 10 : 1;
    for (int u = 1; u <= scale; ++u) {
        int y = bottom - kHeight * u / scale;
        bool label = u % labelled == 0;
        if (label || kHeight / scale >= 4) {
            canvas.DrawLine({left, y}, {right, y}, 1, label ? kGrid : kFineGrid);
        }
        if (!label) continue;
        Text<8> n;
        Format(n, "%d", u);
        canvas.DrawText({left - 6, y - 6}, n.View(), ChartText(12, Align::Right));
    }
    for (int k = 0; k < kHistogramLimits; ++k) {
        int laps = k < kHistogramClasses ? h.counts[std::size_t(k)] : h.overflow;
        int x = left + kPitch * k;
        if (laps > 0) {
            int top = bottom - kHeight * laps / scale;
            canvas.DrawRectangle({x, top, x + kBarWidth, bottom}, 1, kAxis, true, kBar);
            Text<8> n;
            Format(n, "%d", laps);
            canvas.DrawText({x + kBarWidth / 2, top - 14}, n.View(), ChartText(11, Align::Centre));
        }
        // The limits on two staggered lines, so that every one of them stays readable.
        canvas.DrawLine({x, bottom}, {x, bottom + (k % 2 ? 16 : 4)}, 1, kAxis);
        canvas.DrawText({x, bottom + (k % 2 ? 17 : 5)}, TenthsText(h.limits[std::size_t(k)]).View(),
                        ChartText(11, Align::Centre));
    }
    canvas.DrawLine({left, bottom}, {right, bottom}, 1, kAxis);
    canvas.DrawLine({left, bottom}, {left, bottom - kHeight - 10}, 1, kAxis);
    canvas.DrawText({right, bottom + 34}, "Lap time (s)", ChartText(13, Align::Right, true));
}

void PaintLapCurve(Canvas& canvas, const RunCar& car, const LapCurve& curve, Rect area) {
    canvas.FillRect(area, kChartBackground);
    if (curve.count <= 0) return;
    CurveAxis axis = CurveAxisOf(curve);
    const int left = area.left + 60, right = area.right - 20;
    const int top = area.top + 30, bottom = area.bottom - 45;
    const int span = axis.high - axis.low;
    auto yOf = [&](std::int32_t ms) {
        return bottom - int(std::int64_t(ms - axis.low) * (bottom - top) / span);
    };
    auto xOf = [&](int lap) {
        if (curve.count == 1) return (left + right) / 2;
        return left + (lap - curve.first) * (right - left) / (curve.count - 1);
    };
    // The grid 0.5 s apart; when 21 lines do not cover the range, wider steps that do.
    std::int32_t step = 500;
    while (span / step + 1 > 21) step += 500;
    for (std::int32_t t = axis.low; t <= axis.high; t += step) {
        int y = yOf(t);
        canvas.DrawLine({left, y}, {right, y}, 1, kGrid);
        canvas.DrawText({left - 6, y - 7}, TenthsText(t).View(), ChartText(12, Align::Right));
    }
    canvas.DrawText({area.left + 4, area.top + 6}, "Lap time (s)",
                    ChartText(13, Align::Left, true));
    // Lap numbers under the axis, as many as fit.
    int labelEvery = 1;
    while (curve.count > 1 && (right - left) * labelEvery / (curve.count - 1) < 24) {
        labelEvery = labelEvery == 1 ? 5 : labelEvery * 2;
    }
    for (int i = curve.first; i <= curve.last; ++i) {
        if ((i - curve.first) % labelEvery != 0 && i != curve.last) continue;
        int x = xOf(i);
        canvas.DrawLine({x, bottom}, {x, bottom + 4}, 1, kAxis);
        Text<8> n;
        Format(n, "%d", i);
        canvas.DrawText({x, bottom + 6}, n.View(), ChartText(12, Align::Centre));
    }
    canvas.DrawLine({left, bottom}, {right, bottom}, 1, kAxis);
    canvas.DrawLine({left, top - 10}, {left, bottom}, 1, kAxis);
    canvas.DrawText({right, bottom + 24}, "Lap", ChartText(13, Align::Right, true));
    // The average as a reference line.
    Text<40> average;
    Format(average, "average %s", LapTimeText(curve.average).CStr());
    if (curve.average >= axis.low && curve.average <= axis.high) {
        int y = yOf(curve.average);
        canvas.DrawLine({left, y}, {right, y}, 1, kAverageLine);
        canvas.DrawText({right, y - 16}, average.View(), ChartText(12, Align::Right));
    }
    Point previous{};
    for (int i = curve.first; i <= curve.last; ++i) {
        Point p{xOf(i), yOf(LapOf(car, i))};
        if (i > curve.first) canvas.DrawLine(previous, p, 2, kCurveLine);
        canvas.DrawRectangle({p.x - 2, p.y - 2, p.x + 3, p.y + 3}, 1, kCurveLine, true, kCurveLine);
        previous = p;
    }
    // The best and the worst lap carry their number and time.
    bool bestMarked = false, worstMarked = false;
    for (int i = curve.first; i <= curve.last; ++i) {
        std::int32_t lap = LapOf(car, i);
        bool best = lap == curve.best && !bestMarked;
        bool worst = lap == curve.worst && !worstMarked && !best;
        if (!best && !worst) continue;
        (best ? bestMarked : worstMarked) = true;
        Text<40> mark;
        Format(mark, "%s (L%d)", LapTimeText(lap).CStr(), i);
        Point p{xOf(i), yOf(lap)};
        Align align = p.x > (left + right) / 2 ? Align::Right : Align::Left;
        canvas.DrawText({p.x + (align == Align::Left ? 6 : -6), best ? p.y + 4 : p.y - 18},
                        mark.View(), ChartText(12, align, true));
    }
}

void PaintLapStrip(Canvas& canvas, const RunCar& car, int scroll, Point at) {
    for (int j = 0; j < kLapStripShown; ++j) {
        int lap = scroll + j + 1;
        if (lap > car.passingCount) break;
        Text<8> head;
        Format(head, "L%d", lap);
        canvas.DrawText({at.x + 70 * j + 60, at.y}, head.View(), ChartText(14, Align::Right, true));
        canvas.DrawText({at.x + 70 * j + 60, at.y + 20}, LapTimeText(LapOf(car, lap)).View(),
                        ChartText(14, Align::Right));
    }
}

Text<80> AnalysisHeading(AnalysisView view, int first, int last) {
    Text<80> t;
    switch (view) {
        case AnalysisView::Data:
            Format(t, "Summary of the run from lap %d to lap %d", first, last);
            break;
        case AnalysisView::Histo:
            Format(t, "Histogram of the lap times from lap %d to lap %d", first, last);
            break;
        case AnalysisView::Curve:
            Format(t, "Evolution of the lap times from lap %d to lap %d", first, last);
            break;
    }
    return t;
}

void DrawAnalysisPage(Canvas& canvas, const AnalysisPrint& print, std::string_view footer) {
    canvas.SetIsotropicMapping(kReportWidth, kReportHeight);
    DrawPageBorders(canvas, {15, 15, 1100, 1585}, {20, 20, 1095, 1580}, {25, 25, 225, 75});
    TextStyle header = ReportText(kHeaderFontHeight);
    canvas.DrawText({350, 70}, print.titles.run.View(), header);
    canvas.DrawText({350, 110}, AnalysisHeading(print.view, print.first, print.last).View(),
                    header);
    canvas.DrawText({150, 170}, print.titles.track.View(), header);
    canvas.DrawText({140, 220}, footer, ReportText(kFooterFontHeight));
    switch (print.view) {
        case AnalysisView::Data:
            PaintLapStatistics(canvas, print.statistics, {150, 300});
            break;
        case AnalysisView::Histo:
            PaintLapHistogram(canvas, print.histogram, {150, 300, 900, 560});
            break;
        case AnalysisView::Curve:
            if (print.car) PaintLapCurve(canvas, *print.car, print.curve, {60, 300, 1060, 800});
            break;
    }
}

bool PrintAnalysis(Dialogs& dialogs, Messages& messages, Clock& clock, const AnalysisPrint& print) {
    // The run label and the driver, as the first title line joins them with " : ".
    std::string_view run = print.titles.run.View();
    const std::size_t colon = run.rfind(" : ");
    const std::string_view driver = colon == std::string_view::npos ? "" : run.substr(colon + 3);
    const Text<160> name = DocumentName(run.substr(0, colon), driver, "Lap analysis");
    std::unique_ptr<PrintJob> job = dialogs.Print(name.View(), PageOrientation::Portrait);
    if (!job) return true;
    DrawAnalysisPage(job->Page(), print, DateFooter("", clock.Now()).View());
    if (job->Finish()) return true;
    messages.Error(kPrintFailed);
    return false;
}

}  // namespace velkaro
