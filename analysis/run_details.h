#pragma once

#include <array>
#include <cstdint>
#include <string_view>

#include "common/run_car.h"
#include "common/run_options.h"
#include "platform/canvas.h"
#include "platform/disk.h"
#include "platform/text.h"

// A whole run passing by passing, as "Run detailed results" shows it: every car's race and lap
// times and its place at each of its passings. Here raceTimes[j] is the time of passing j + 1
// (index 0 is the first passing after the start), lapTimes[j] the lap it ends, positions[j] the
// car's place at that passing.

namespace velkaro {

inline constexpr int kPositionPassings = kMaxPassings;  // passing indices 0 to 299
inline constexpr int kGridRows = 20;
inline constexpr int kGridColumns = 10;

struct RunDetails {
    Keyword<Classification> mode;
    RunCars cars;
    std::array<std::int32_t, kCarSlots> lanes{};  // the slot (1 to 20) each compacted car held
    int realCars = 0;
    bool fileRead = false;
};

// Clears the records, reads the detailed results file, derives laps and places and compacts the
// cars. False when the file could not be read: the records stay empty.
bool LoadRunDetails(RunDetails& details, Disk& disk);

// lap[0] = cum[0], lap[i] = cum[i] - cum[i - 1].
void DeriveLapTimes(RunCars& cars);
// The place of every car at each passing index; on equal times the later slot is ahead.
void ComputePositions(RunCars& cars);
// The cars not named "(NA)" move to the front with their lane numbers; returns how many.
int CompactCars(RunCars& cars, std::array<std::int32_t, kCarSlots>& lanes);

// The positions chart means something only for two cars or more classified by laps and time.
bool PositionsChartShown(const RunDetails& details);

// The most passings of any car: the rows of the grids.
int GridLaps(const RunDetails& details);

enum class DetailsView { RaceTime, LapTime, Positions };

// What the scroll bars move: the first visible lap and car; hidden when the maximum is 0.
struct GridScroll {
    int lapMaximum = 0;
    int carMaximum = 0;
};
GridScroll GridScrollOf(const RunDetails& details);

// Cell text of car c (compacted) at passing row r (from 0); empty beyond its last passing.
Text<16> GridCell(const RunDetails& details, DetailsView view, int car, int row);
// "Lane%d" and "L%d: %s".
Text<16> LaneHead(const RunDetails& details, int car);
Text<56> LegendLine(const RunDetails& details, int car);

// Where the three views lie in the form's client area.
struct DetailsLayout {
    Rect legend{10, 60, 250, 470};
    Rect grid{260, 60, 1000, 640};
    Rect chart{260, 60, 1000, 640};
};

// The legend, then the grid from the first visible lap and car, or the positions chart.
void PaintRunDetails(Canvas& canvas, const RunDetails& details, DetailsView view, int firstLap,
                     int firstCar, const DetailsLayout& layout = {});
void PaintPositionsChart(Canvas& canvas, const RunDetails& details, Rect area);

// The comment form: condition word and comment as typed.
inline constexpr std::string_view kDry = "Dry";
inline constexpr std::string_view kWet = "Wet";
inline constexpr std::string_view kIce = "Ice";
inline constexpr int kCommentLimit = 98;
inline constexpr int kDryRadio = 6401;
inline constexpr int kWetRadio = 6402;
inline constexpr int kIceRadio = 6403;
inline constexpr int kCommentField = 6404;

// The radio shown for a condition read from the file ("dry" unless "Wet" or "Ice").
int ConditionRadio(std::string_view condition);
std::string_view ConditionOfRadio(int radio);
// What the comment keeps of a typed text.
std::string_view CutComment(std::string_view typed);

}  // namespace velkaro
