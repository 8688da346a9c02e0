#include "shell/live_screen.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "platform/fake/recording_canvas.h"

namespace velkaro {
namespace {

using Kind = RecordingCanvas::Kind;

constexpr std::uint32_t Colorref(int r, int g, int b) {
    return std::uint32_t(r | g << 8 | b << 16);
}

DisplaySettings Look(int size) {
    DisplaySettings s;
    s.style = 1;
    for (auto& t : s.textStyles) {
        t.faceName = "Arial";
        t.size = size;
        t.weight = 400;
    }
    for (std::size_t i = 0; i < s.colours.size(); ++i) s.colours[i] = Colorref(int(i), 100, 200);
    s.columnWidths = {60, 250, 60, 130, 110, 110, 110, 110, 90};
    return s;
}

LiveRows Rows(int count) {
    LiveRows rows;
    for (int i = 0; i < count; ++i) {
        LiveRow& r = rows[std::size_t(i)];
        Format(r.driverName, "Driver %02d", i + 1);
        Format(r.position, "%d", i + 1);
        Format(r.carNumber, " %d ", i + 1);
        r.laps = "3";
    }
    return rows;
}

bool Drew(const RecordingCanvas& c, std::string_view text) {
    auto t = c.Texts();
    return std::find(t.begin(), t.end(), text) != t.end();
}

struct Screen {
    DisplaySettings settings = Look(30);
    std::array<std::int32_t, kColumns> widths = settings.columnWidths;
    ClockTexts clock;
    LiveRows rows = Rows(20);
    RecordingCanvas canvas;

    LiveScreenInput Input(int cars) {
        LiveScreenInput in;
        in.settings = &settings;
        in.widths = &widths;
        in.screen = {1600, 900};
        in.measure = MeasureTable(canvas, settings, widths, in.screen, cars);
        in.runTitle = " Touring - Round1 - Heat1 ";
        in.rows = &rows;
        in.rowCount = cars;
        in.clock = &clock;
        return in;
    }
};

TEST(LiveScreen, AllWidthsZeroGiveANarrowTableWithoutHeadings) {
    Screen s;
    s.widths.fill(0);
    s.canvas.ops.clear();
    PaintLiveScreen(s.canvas, s.Input(4));
    TableLayout l = ComputeLayout({1600, 900}, s.widths, 36);
    EXPECT_EQ(l.table.right, 200 + 110);
    for (std::string_view heading : kColumnNames) EXPECT_FALSE(Drew(s.canvas, heading));
    EXPECT_FALSE(Drew(s.canvas, "Pos"));
    // The table and its watermark are still there.
    EXPECT_TRUE(Drew(s.canvas, kWatermark));
}

TEST(LiveScreen, TwentyCarsWithRoomForTwelveShowTwelveAndScrollToTheRest) {
    Screen s;
    LiveScreenInput in = s.Input(20);
    EXPECT_EQ(in.measure.rowHeight, 36);  // 120% of the 30-unit characters
    EXPECT_EQ(in.measure.rowsThatFit, 12);
    EXPECT_EQ(in.measure.visibleRows, 12);
    s.canvas.ops.clear();
    PaintLiveScreen(s.canvas, in);
    EXPECT_TRUE(Drew(s.canvas, "Driver 12"));
    EXPECT_FALSE(Drew(s.canvas, "Driver 13"));

    TableScroll scroll = ScrollFor(in.measure, 20);
    EXPECT_TRUE(scroll.shown);
    EXPECT_EQ(scroll.maximum, 8);
    EXPECT_FALSE(ApplyScroll(scroll, ScrollAction::LineUp));
    EXPECT_TRUE(ApplyScroll(scroll, ScrollAction::PageDown));
    EXPECT_FALSE(ApplyScroll(scroll, ScrollAction::LineDown));
    in.scrollPosition = scroll.position;
    s.canvas.ops.clear();
    PaintLiveScreen(s.canvas, in);
    EXPECT_TRUE(Drew(s.canvas, "Driver 20"));
    EXPECT_FALSE(Drew(s.canvas, "Driver 08"));
    EXPECT_TRUE(Drew(s.canvas, "Driver 09"));

    EXPECT_FALSE(ScrollFor(s.Input(12).measure, 12).shown);
}

TEST(LiveScreen, WithoutARunTheFrameIsStillPainted) {
    Screen s;
    LiveScreenInput in = s.Input(0);
    in.rows = nullptr;
    in.runTitle = {};
    s.canvas.ops.clear();
    PaintLiveScreen(s.canvas, in);
    auto bitmaps = s.canvas.OfKind(Kind::Bitmap);
    ASSERT_EQ(bitmaps.size(), 1u);
    EXPECT_EQ(bitmaps[0].text, kLogoFile);
    EXPECT_EQ(bitmaps[0].r, (Rect{4, 2, 200, 52}));
    auto fills = s.canvas.OfKind(Kind::Fill);
    ASSERT_FALSE(fills.empty());
    EXPECT_EQ(fills[0].colour, ColourOf(s.settings.colours[2]));
    EXPECT_TRUE(Drew(s.canvas, kWatermark));
    EXPECT_TRUE(Drew(s.canvas, kVersionText));
    EXPECT_FALSE(Drew(s.canvas, "Driver 01"));
}

TEST(LiveScreen, WatermarkIsTheTableColourTenUnitsDarker) {
    Screen s;
    s.settings.colours[2] = Colorref(5, 120, 255);
    s.canvas.ops.clear();
    PaintLiveScreen(s.canvas, s.Input(1));
    for (const auto& op : s.canvas.OfKind(Kind::Text)) {
        if (op.text == kWatermark) {
            EXPECT_EQ(op.style.colour, (Rgb{0, 110, 245}));
            EXPECT_EQ(op.style.font.face, "Arial Black");
        }
    }
}

TEST(LiveScreen, WatermarkAndClocksStayWholeAtEverySize) {
    for (ScreenSize size : {ScreenSize{1600, 900}, ScreenSize{1110, 746, 0},
                            ScreenSize{3840, 2160, 0}, ScreenSize{900, 1000, 0}}) {
        SCOPED_TRACE(testing::Message() << size.w << "x" << size.h);
        Screen s;
        s.clock.duration = "0:05:00";
        s.clock.elapsed = "0:01:23";
        s.clock.remaining = "0:03:37";
        RecordingCanvas canvas;
        canvas.charWidthPercent = 75;  // as broad as the heavy face of the watermark and clocks
        LiveScreenInput in = s.Input(20);
        in.screen = size;
        in.measure = MeasureTable(canvas, s.settings, s.widths, size, 20);
        PaintLiveScreen(canvas, in);
        TableLayout l = ComputeLayout(size, s.widths, in.measure.rowHeight);
        int clocks = 0, marks = 0;
        for (const auto& op : canvas.OfKind(Kind::Text)) {
            if (op.text == kWatermark) {
                ++marks;
                EXPECT_LE(canvas.TextWidth(op.text, op.style.font), l.table.Width());
            }
            if (op.text == s.clock.duration.View() || op.text == s.clock.elapsed.View() ||
                op.text == s.clock.remaining.View()) {
                clocks += canvas.TextWidth(op.text, op.style.font);
            }
        }
        EXPECT_EQ(marks, 1);
        EXPECT_GT(clocks, 0);
        EXPECT_LE(clocks, ClockFrame(size).Width());
    }
}

TEST(LiveScreen, EventMarksAndTheRadioConflict) {
    Screen s;
    s.rows[0].newPassing = 1;
    s.rows[0].holdsRunBest = 1;
    s.rows[0].newBestLap = 1;
    s.rows[1].newBestLap = 1;
    s.rows[2].finished = 1;
    LiveScreenInput in = s.Input(3);
    in.radioConflict = true;
    s.canvas.ops.clear();
    PaintLiveScreen(s.canvas, in);
    auto coloured = [&](int index) {
        int n = 0;
        for (const auto& op : s.canvas.OfKind(Kind::Fill)) {
            n += op.colour == ColourOf(s.settings.colours[std::size_t(index)]);
        }
        return n;
    };
    EXPECT_EQ(coloured(5), 1);  // one car just passed
    EXPECT_EQ(coloured(6), 1);  // the run's best lap wins over the driver's
    EXPECT_EQ(coloured(7), 1);
    auto bitmaps = s.canvas.OfKind(Kind::Bitmap);
    ASSERT_EQ(bitmaps.size(), 2u);
    EXPECT_EQ(bitmaps[1].text, kChequeredFlagFile);
    EXPECT_EQ(bitmaps[1].r.Width(), 1600 / 64);
    EXPECT_TRUE(Drew(s.canvas, " Radio Conflict "));

    // The conflict names who clashes on which frequency; a title that leaves no room keeps the
    // heading alone, and the tooltip over the line still tells them all.
    const std::vector<std::string> conflicts{"Evans / King on 40.665", "Irwin / Clark on 27.145"};
    in.radioConflicts = &conflicts;
    s.canvas.ops.clear();
    PaintLiveScreen(s.canvas, in);
    EXPECT_TRUE(Drew(s.canvas, " Radio Conflict: Evans / King on 40.665 +1 more "));
    const std::string title(120, 'W');
    in.runTitle = title;
    EXPECT_EQ(RadioConflictLine(s.canvas, in), " Radio Conflict ");
    EXPECT_EQ(RadioConflictDetails(in),
              "Radio Conflict\nEvans / King on 40.665\nIrwin / Clark on 27.145");
    const Rect area = RadioConflictArea(in);
    EXPECT_TRUE(area.left < area.right && area.top == 88 && area.bottom > 88);
}

TEST(LiveScreen, ColumnBordersAreFoundInTheHeadingBandAndDragsStayInRange) {
    Screen s;
    TableLayout l = ComputeLayout({1600, 900}, s.widths, 36);
    int border = l.columnX[2];  // the right edge of "Driver"
    EXPECT_EQ(ColumnBorderAt(l, {1600, 900}, border + 2, 130), 1);
    EXPECT_EQ(ColumnBorderAt(l, {1600, 900}, border + 3, 130), -1);
    EXPECT_EQ(ColumnBorderAt(l, {1600, 900}, border, 150), -1);  // below the headings

    DragColumnBorder(s.widths, 1, -400);
    EXPECT_EQ(s.widths[1], 0);
    DragColumnBorder(s.widths, 1, 1200);
    EXPECT_EQ(s.widths[1], 999);
    DragColumnBorder(s.widths, 1, -9);
    EXPECT_EQ(s.widths[1], 990);
}

TEST(LiveScreen, RowsUnderTheMouse) {
    Screen s;
    LiveScreenInput in = s.Input(3);
    TableLayout l = ComputeLayout({1600, 900}, s.widths, in.measure.rowHeight);
    EXPECT_EQ(VisibleRowAt(l, in.measure, l.rowsTop), 0);
    EXPECT_EQ(VisibleRowAt(l, in.measure, l.rowsTop + 2 * l.rowPitch + 1), 2);
    EXPECT_EQ(VisibleRowAt(l, in.measure, l.rowsTop + 3 * l.rowPitch), -1);  // below the last car
    EXPECT_EQ(VisibleRowAt(l, in.measure, l.rowsTop - 1), -1);
}

}  // namespace
}  // namespace velkaro
