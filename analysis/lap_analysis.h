#pragma once

#include <array>
#include <cstdint>

#include "common/run_car.h"
#include "common/time_format.h"
#include "platform/canvas.h"
#include "platform/clock.h"
#include "platform/dialogs.h"
#include "platform/messages.h"
#include "platform/text.h"

// One driver's run studied lap by lap: the figures of the "Data", "Histo" and "Curve" views and
// their drawings. The car's raceTimes hold the cumulative times of passings 0 to passingCount;
// lap i (from 1) is raceTimes[i] - raceTimes[i - 1].

namespace velkaro {

inline constexpr int kLapClasses = 10;
inline constexpr int kHistogramLimits = 40;
inline constexpr int kHistogramClasses = 39;
inline constexpr int kCurveMaxLaps = 101;
inline constexpr int kLapFieldDigits = 3;

struct LapStatistics {
    std::int32_t count = 0;
    std::int32_t best = 0;
    std::int32_t worst = 0;
    std::int32_t average = 0;
    std::int32_t deviation = 0;
    std::int32_t bestIndex = 0;
    std::int32_t worstIndex = 0;
    std::array<std::int32_t, kLapClasses> limits{};
    std::array<std::int32_t, kLapClasses> counts{};
    std::array<std::int32_t, kLapClasses> shares{};  // tenths of a percent
};

struct LapHistogram {
    std::int32_t count = 0;
    std::int32_t best = 0;
    std::int32_t average = 0;
    std::array<std::int32_t, kHistogramLimits> limits{};
    std::array<std::int32_t, kHistogramClasses> counts{};
    std::int32_t overflow = 0;
};

struct LapCurve {
    std::int32_t count = 0;
    std::int32_t best = 0;
    std::int32_t worst = 0;
    std::int32_t average = 0;
    std::int32_t first = 0;  // the laps drawn
    std::int32_t last = 0;
};

// Lap i of the car, 0 outside 1 to passingCount.
std::int32_t LapOf(const RunCar& car, int i);

// Each leaves its result untouched when last < first or the car has no passing.
void ComputeLapStatistics(const RunCar& car, int first, int last, LapStatistics& out);
void ComputeLapHistogram(const RunCar& car, int first, int last, LapHistogram& out);
void ComputeLapCurve(const RunCar& car, int first, int last, LapCurve& out);

// A lap number typed into "From lap" / "to lap": above the laps it becomes their number, and a
// first lap of 0 becomes 1 when there are laps.
int ClampFirstLap(int typed, int laps);
int ClampLastLap(int typed, int laps);

// The histogram's vertical scale from its largest class count.
int HistogramScale(int largestCount);

// The curve's vertical axis: whole seconds around the best and worst laps, with its grid.
struct CurveAxis {
    std::int32_t low = 0;
    std::int32_t high = 0;
    int gridLines = 0;  // 0.5 s apart, at most 21
};
CurveAxis CurveAxisOf(const LapCurve& curve);

// A time as the run shows it ("12.345", "1:02.345").
TimeText LapTimeText(std::int32_t ms);

// The lines of the "Data" view.
struct DataViewTexts {
    TimeText best, worst, average;
    Text<20> bestLap, worstLap;                 // "(L %d)"
    Text<24> deviation;                         // "+/- %s"
    std::array<Text<40>, kLapClasses> classes;  // "12.300 < t < 12.400", last "17.300 < t"
    std::array<Text<16>, kLapClasses> shares;   // "20.0 %"
};
DataViewTexts DataViewOf(const LapStatistics& s);

// The two title lines: the run label, " : " and the driver; " Track : ", the track, three
// blanks, "(", the description, ") ".
struct AnalysisTitles {
    Text<160> run;
    Text<280> track;
};
AnalysisTitles AnalysisTitlesOf(std::string_view runLabel, std::string_view driver,
                                std::string_view track, std::string_view description);

// The text of the charts and tables, in the default face.
TextStyle ChartText(int height, Align align = Align::Left, bool bold = false,
                    Rgb colour = {0, 0, 0});

// The drawings, inside `area` (labels included).
void PaintLapHistogram(Canvas& canvas, const LapHistogram& h, Rect area);
void PaintLapCurve(Canvas& canvas, const RunCar& car, const LapCurve& curve, Rect area);
void PaintLapStatistics(Canvas& canvas, const LapStatistics& s, Point at);

// The lap-by-lap strip: kLapStripShown columns 70 pixels apart from lap first + 1.
inline constexpr int kLapStripShown = 7;
void PaintLapStrip(Canvas& canvas, const RunCar& car, int scroll, Point at);

// The printout of the view shown, on the common page frame.
enum class AnalysisView { Data = 0, Histo = 1, Curve = 2 };
struct AnalysisPrint {
    AnalysisView view = AnalysisView::Data;
    const RunCar* car = nullptr;
    AnalysisTitles titles;
    int first = 0, last = 0;
    LapStatistics statistics;
    LapHistogram histogram;
    LapCurve curve;
};
Text<80> AnalysisHeading(AnalysisView view, int first, int last);
void DrawAnalysisPage(Canvas& canvas, const AnalysisPrint& print, std::string_view footer);
// False when the printer failed (the user was told); a cancelled dialog prints nothing.
bool PrintAnalysis(Dialogs& dialogs, Messages& messages, Clock& clock, const AnalysisPrint& print);

}  // namespace velkaro
