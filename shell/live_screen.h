#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "common/drawing.h"
#include "common/run_car.h"
#include "event/settings_files.h"
#include "platform/canvas.h"
#include "platform/text.h"
#include "timing/clock_texts.h"

namespace velkaro {

inline constexpr int kColumns = 9;
inline constexpr int kMaxColumnWidth = 999;
inline constexpr std::array<std::string_view, kColumns> kColumnNames{
    "Lane",          "Driver",  "Laps",          "Total time", "- to leader",
    "- to previous", "Laptime", "Best lap time", "Transp."};
inline constexpr const char* kChequeredFlagFile = "images/drapeauArrivee.bmp";
inline constexpr const char* kWatermark = "Velkaro Race Management";
inline constexpr const char* kVersionText = "v 1.1.b";

// Where the table and its parts lie, from the screen size and the working column widths.
struct TableLayout {
    Rect table;                               // the whole table frame
    Rect headingBand;                         // behind the column headings
    int rowsTop = 0;                          // top of the first row
    int rowPitch = 0;                         // pixels from one row to the next
    std::array<int, kColumns + 1> columnX{};  // left edge of column j, right edge of the last
    int positionX = 0;                        // the "Pos" column, right of the nine
    int finishX = 0;                          // the "Fin" column
};

// What MeasureTable found: the row height and how many rows fit and are shown.
struct TableMeasure {
    int rowHeight = 0;  // pixels: 120% of the tallest character among the column fonts
    int rowsThatFit = 0;
    int visibleRows = 0;
    friend bool operator==(const TableMeasure&, const TableMeasure&) = default;
};

// Everything one paint reads.
struct LiveScreenInput {
    const DisplaySettings* settings = nullptr;
    const std::array<std::int32_t, kColumns>* widths = nullptr;  // the working widths
    ScreenSize screen;
    TableMeasure measure;
    std::string_view runTitle;
    const LiveRows* rows = nullptr;  // null when no run is loaded
    int rowCount = 0;                // rows in use
    int scrollPosition = 0;
    const ClockTexts* clock = nullptr;
    bool radioConflict = false;
    const std::vector<std::string>* radioConflicts = nullptr;  // who shares which frequency
};

TableLayout ComputeLayout(const ScreenSize& screen,
                          const std::array<std::int32_t, kColumns>& widths, int rowHeight);

// The font of a text style at this screen size.

// Row height from the fonts of the nine columns, and the rows that fit below the headings.
TableMeasure MeasureTable(Canvas& canvas, const DisplaySettings& settings,
                          const std::array<std::int32_t, kColumns>& widths,
                          const ScreenSize& screen, int carsInRun);

void PaintLiveScreen(Canvas& canvas, const LiveScreenInput& in);
// The same in two layers. The backdrop is what a counted passing leaves as it was: the logo,
// the table, the watermark, the title, the headings and the bands behind the rows shown. The
// run layer is drawn over it: the cells, the marks, the flags, the clock, a radio conflict.
void PaintLiveScreenBackdrop(Canvas& canvas, const LiveScreenInput& in);
void PaintLiveScreenRun(Canvas& canvas, const LiveScreenInput& in);

// What the backdrop is painted from: a backdrop kept from an earlier paint may be shown again
// while this compares equal.
struct BackdropKey {
    DisplaySettings settings;
    std::array<std::int32_t, kColumns> widths{};
    int screenW = 0, screenH = 0;
    TableMeasure measure;
    std::string runTitle;
    int bandRows = 0;
    friend bool operator==(const BackdropKey&, const BackdropKey&) = default;
};
BackdropKey BackdropKeyOf(const LiveScreenInput& in);
// The radio-conflict line as drawn above the table: the heading, then the first conflict and
// how many more while that leaves the run's title room, the heading alone otherwise.
std::string RadioConflictLine(Canvas& canvas, const LiveScreenInput& in);
// The band of that line, and what its tooltip tells: every conflict, one a line.
Rect RadioConflictArea(const LiveScreenInput& in);
std::string RadioConflictDetails(const LiveScreenInput& in);

// Where the run layer draws: the table with the radio-conflict line above it, and the clocks.
// After a passing only these need painting again.
std::array<Rect, 2> RunLayerAreas(const LiveScreenInput& in);

// The frames of the race clock and of the countdown, shared by the panel and the paint.
Rect ClockFrame(const ScreenSize& screen);
Rect CountdownFrame(const ScreenSize& screen);

// The column whose right border lies within 2 pixels of x, when y is in the heading band; -1
// elsewhere.
int ColumnBorderAt(const TableLayout& layout, const ScreenSize& screen, int x, int y);
// A drag moves a border by whole pixels, taken as width units, within 0 to 999.
void DragColumnBorder(std::array<std::int32_t, kColumns>& widths, int column, int dx);

// The visible row under y, -1 when none; the standing index is that plus the scroll position.
int VisibleRowAt(const TableLayout& layout, const TableMeasure& measure, int y);

// The scroll bar of the table: shown when the run has more cars than rows that fit.
struct TableScroll {
    bool shown = false;
    int maximum = 0;
    int position = 0;
};
TableScroll ScrollFor(const TableMeasure& measure, int carsInRun);
enum class ScrollAction { LineUp, LineDown, PageUp, PageDown, Track };
// True when the position changed.
bool ApplyScroll(TableScroll& scroll, ScrollAction action, int trackPosition = 0);

}  // namespace velkaro
