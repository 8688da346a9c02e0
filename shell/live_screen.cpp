#include "shell/live_screen.h"

#include <algorithm>
#include <cstdlib>

#include "common/radio_conflicts.h"

namespace velkaro {

namespace {

// Text styles and colours by role.
constexpr int kRunTitleStyle = 0;
constexpr int kConflictStyle = 1;
constexpr int kHeadingStyle = 2;
constexpr int kFirstColumnStyle = 3;
constexpr int kTableBackground = 2;
constexpr int kRunTitleBack = 3;
constexpr int kConflictBack = 4;
constexpr int kPassingMark = 5;
constexpr int kRunBestMark = 6;
constexpr int kDriverBestMark = 7;
constexpr int kTitlesFirst = 8;
constexpr int kTitlesSecond = 9;
constexpr int kResultsFirst = 10;
constexpr int kResultsSecond = 11;
constexpr int kResultsThird = 12;

constexpr int kReliefStyle = 1;
constexpr int kPositionUnits = 50;  // "Pos" and "Fin" take the 95 units the widths leave
constexpr int kFinishUnits = 45;
constexpr int kCellPadding = 4;
constexpr int kGradientSteps = 16;

constexpr Rgb kDelayRunning{0, 150, 0};
constexpr Rgb kDelayOverrun{150, 0, 0};

// Centred, right-aligned or left-aligned by column: names read from the left, numbers line up
// on the right, the short codes sit in the middle.
Align ColumnAlign(int column) {
    switch (column) {
        case 0:
        case 8:
            return Align::Centre;
        case 1:
            return Align::Left;
        default:
            return Align::Right;
    }
}

std::string_view CellText(const LiveRow& row, int column) {
    switch (column) {
        case 0:
            return row.carNumber.View();
        case 1:
            return row.driverName.View();
        case 2:
            return row.laps.View();
        case 3:
            return row.totalTime.View();
        case 4:
            return row.toLeader.View();
        case 5:
            return row.toPrevious.View();
        case 6:
            return row.lastLap.View();
        case 7:
            return row.bestLap.View();
        default:
            return row.transponder.View();
    }
}

int AnchorX(int left, int right, Align align) {
    switch (align) {
        case Align::Left:
            return left + kCellPadding;
        case Align::Centre:
            return (left + right) / 2;
        case Align::Right:
            return right - kCellPadding;
    }
    return left;
}

Rgb Darker(Rgb c) {
    auto d = [](std::uint8_t v) { return static_cast<std::uint8_t>(v <= 9 ? 0 : v - 10); };
    return {d(c.r), d(c.g), d(c.b)};
}

TextStyle StyleFor(const DisplaySettings& s, int style, const ScreenSize& screen, Align align) {
    TextStyle t;
    t.font = StyleFont(s, style, screen);
    t.colour = ColourOf(s.textColours[std::size_t(style)]);
    t.align = align;
    return t;
}

// Paints a band in the look of the chosen style.
void Band(Canvas& canvas, const DisplaySettings& s, Rect r, int first, int second) {
    if (r.Width() <= 0 || r.Height() <= 0) return;
    if (s.style == kReliefStyle) {
        canvas.FillRect(r, ColourOf(s.colours[std::size_t(first)]));
        canvas.DrawEdge(r, true);
    } else {
        canvas.FillGradient(r, ColourOf(s.colours[std::size_t(first)]),
                            ColourOf(s.colours[std::size_t(second)]), kGradientSteps, true);
    }
}

int TextTop(int top, int height, int charHeight) {
    return top + (height - charHeight) / 2;
}

}  // namespace

TableLayout ComputeLayout(const ScreenSize& screen,
                          const std::array<std::int32_t, kColumns>& widths, int rowHeight) {
    TableLayout l;
    int sum = 0;
    for (int w : widths) sum += w;
    int left = screen.left + screen.X(15);
    l.table = {left, screen.Y(115), screen.left + screen.X(sum + 110), screen.Y(610)};
    l.headingBand = {left, screen.Y(123), l.table.right, screen.Y(145)};
    l.rowsTop = screen.Y(145);
    // The row height comes from fonts already scaled to the screen: scaling it again with the
    // height left a 4K projector 9 rows of a 20-car field, so the pitch is the height itself.
    l.rowPitch = rowHeight;
    int cumulative = 0;
    for (int j = 0; j < kColumns; ++j) {
        l.columnX[std::size_t(j)] = left + screen.X(cumulative);
        cumulative += widths[std::size_t(j)];
    }
    l.columnX[kColumns] = left + screen.X(cumulative);
    l.positionX = l.columnX[kColumns];
    l.finishX = left + screen.X(cumulative + kPositionUnits);
    return l;
}

TableMeasure MeasureTable(Canvas& canvas, const DisplaySettings& settings,
                          const std::array<std::int32_t, kColumns>& widths,
                          const ScreenSize& screen, int carsInRun) {
    TableMeasure m;
    for (int style = kFirstColumnStyle; style < kFirstColumnStyle + kColumns; ++style) {
        FontMetrics fm = canvas.MeasureFont(StyleFont(settings, style, screen));
        m.rowHeight = std::max(m.rowHeight, 120 * fm.height / 100);
    }
    TableLayout l = ComputeLayout(screen, widths, m.rowHeight);
    int room = l.table.bottom - l.rowsTop;
    for (int k = kCarSlots; k >= 0; --k) {
        if (k * l.rowPitch < room || k == 0) {
            m.rowsThatFit = k;
            break;
        }
    }
    m.visibleRows = std::min(m.rowsThatFit, carsInRun);
    return m;
}

namespace {

// The rows shown from the scroll position on, as many as are visible.
int BandRows(const LiveScreenInput& in) {
    if (in.rows == nullptr) return 0;
    int shown = 0;
    for (int line = 0; line < in.measure.visibleRows; ++line) {
        int index = line + in.scrollPosition;
        if (index < 0 || index >= in.rowCount || index >= kCarSlots) break;
        ++shown;
    }
    return shown;
}

}  // namespace

void PaintLiveScreen(Canvas& canvas, const LiveScreenInput& in) {
    PaintLiveScreenBackdrop(canvas, in);
    PaintLiveScreenRun(canvas, in);
}

BackdropKey BackdropKeyOf(const LiveScreenInput& in) {
    return {*in.settings, *in.widths, in.screen.w,
            in.screen.h,  in.measure, std::string(in.runTitle),
            BandRows(in)};
}

std::array<Rect, 2> RunLayerAreas(const LiveScreenInput& in) {
    const ScreenSize& sc = in.screen;
    TableLayout l = ComputeLayout(sc, *in.widths, in.measure.rowHeight);
    // The conflict line ends at the table's right edge; the scroll bar lies right of the table.
    Rect table{sc.left, sc.Y(80), l.table.right + 1, l.table.bottom + 1};
    Rect clock = ClockFrame(sc), count = CountdownFrame(sc);
    Rect clocks{sc.left, sc.Y(700), std::max(clock.right, count.right) + 1,
                sc.Y(718) + sc.h / 12 + sc.h / 18};
    return {table, clocks};
}

void PaintLiveScreenBackdrop(Canvas& canvas, const LiveScreenInput& in) {
    const DisplaySettings& s = *in.settings;
    const ScreenSize& sc = in.screen;
    TableLayout l = ComputeLayout(sc, *in.widths, in.measure.rowHeight);

    // 1. The logo above the event tree, when the tree's column is part of the screen.
    if (sc.left >= 200) canvas.DrawBitmap(kLogoFile, {4, 2, 4 + 196, 2 + 50});

    // 2. The table's background.
    Rgb tableBack = ColourOf(s.colours[kTableBackground]);
    canvas.FillRect(l.table, tableBack);

    // 3. The watermark under everything else.
    TextStyle mark;
    mark.font.face = "Arial Black";
    mark.font.height = l.table.Width() / 12;
    mark.font.weight = 900;
    mark.colour = Darker(tableBack);
    mark.align = Align::Centre;
    // Whole within the table, whatever its width and the face's.
    const int room = l.table.Width() - 2 * kCellPadding;
    if (int wide = canvas.TextWidth(kWatermark, mark.font); wide > room && wide > 0) {
        mark.font.height = mark.font.height * room / wide;
    }
    int middle = (l.table.left + l.table.right) / 2;
    canvas.DrawText({middle, sc.Y(170)}, kWatermark, mark);
    canvas.DrawText({middle, sc.h / 3}, kVersionText, mark);

    // 4. The run's title.
    if (!in.runTitle.empty()) {
        TextStyle t = StyleFor(s, kRunTitleStyle, sc, Align::Left);
        t.opaque = true;
        t.background = ColourOf(s.colours[kRunTitleBack]);
        canvas.DrawText({l.table.left, sc.Y(88)}, in.runTitle, t);
    }

    // 5. Column headings, where the column is wide enough for its heading.
    TextStyle head = StyleFor(s, kHeadingStyle, sc, Align::Left);
    int headHeight = canvas.MeasureFont(head.font).height;
    int headY = TextTop(l.headingBand.top, l.headingBand.Height(), headHeight);
    bool anyHeading = false;
    std::array<bool, kColumns> headingShown{};
    for (int j = 0; j < kColumns; ++j) {
        int left = l.columnX[std::size_t(j)], right = l.columnX[std::size_t(j) + 1];
        std::string_view name = kColumnNames[std::size_t(j)];
        headingShown[std::size_t(j)] =
            right - left >= canvas.TextWidth(name, head.font) + 2 * kCellPadding;
        anyHeading = anyHeading || headingShown[std::size_t(j)];
    }
    if (anyHeading) Band(canvas, s, l.headingBand, kTitlesFirst, kTitlesSecond);
    for (int j = 0; j < kColumns; ++j) {
        if (!headingShown[std::size_t(j)]) continue;
        int left = l.columnX[std::size_t(j)], right = l.columnX[std::size_t(j) + 1];
        head.align = ColumnAlign(j);
        canvas.DrawText({AnchorX(left, right, head.align), headY}, kColumnNames[std::size_t(j)],
                        head);
    }
    if (anyHeading) {
        head.align = Align::Centre;
        canvas.DrawText({AnchorX(l.positionX, l.finishX, Align::Centre), headY}, "Pos", head);
        canvas.DrawText({AnchorX(l.finishX, l.table.right, Align::Centre), headY}, "Fin", head);
    }

    // 6. The bands behind the rows.
    for (int line = 0; line < BandRows(in); ++line) {
        int top = l.rowsTop + line * l.rowPitch;
        Rect band{l.table.left, top, l.table.right, top + l.rowPitch};
        Band(canvas, s, band, kResultsFirst, kResultsSecond);
        canvas.FillRect({l.positionX, top, l.finishX, band.bottom},
                        ColourOf(s.colours[kResultsThird]));
    }
}

void PaintLiveScreenRun(Canvas& canvas, const LiveScreenInput& in) {
    const DisplaySettings& s = *in.settings;
    const ScreenSize& sc = in.screen;
    TableLayout l = ComputeLayout(sc, *in.widths, in.measure.rowHeight);

    // 6 and 7. The cells of the rows and their event marks, in fonts made once for all rows.
    std::array<TextStyle, kColumns> cells;
    std::array<int, kColumns> cellHeights{};
    for (int j = 0; j < kColumns && in.rows != nullptr; ++j) {
        cells[std::size_t(j)] = StyleFor(s, kFirstColumnStyle + j, sc, ColumnAlign(j));
        cellHeights[std::size_t(j)] = canvas.MeasureFont(cells[std::size_t(j)].font).height;
    }
    TextStyle pos = StyleFor(s, kFirstColumnStyle, sc, Align::Centre);
    if (in.rows != nullptr) {
        for (int line = 0; line < BandRows(in); ++line) {
            int index = line + in.scrollPosition;
            const LiveRow& row = (*in.rows)[std::size_t(index)];
            int top = l.rowsTop + line * l.rowPitch;
            Rect band{l.table.left, top, l.table.right, top + l.rowPitch};

            for (int j = 0; j < kColumns; ++j) {
                int left = l.columnX[std::size_t(j)], right = l.columnX[std::size_t(j) + 1];
                if (right <= left) continue;
                const TextStyle& cell = cells[std::size_t(j)];
                int charHeight = cellHeights[std::size_t(j)];
                int markColour = -1;
                if (j == 0 && row.newPassing) markColour = kPassingMark;
                if (j == 7 && row.holdsRunBest) markColour = kRunBestMark;
                if (j == 7 && !row.holdsRunBest && row.newBestLap) markColour = kDriverBestMark;
                if (markColour >= 0) {
                    canvas.FillRect({left, top, right, band.bottom},
                                    ColourOf(s.colours[std::size_t(markColour)]));
                }
                canvas.DrawText(
                    {AnchorX(left, right, cell.align), TextTop(top, l.rowPitch, charHeight)},
                    CellText(row, j), cell);
            }
            canvas.DrawText({AnchorX(l.positionX, l.finishX, Align::Centre),
                             TextTop(top, l.rowPitch, cellHeights[0])},
                            row.position.View(), pos);
            if (row.finished) {
                int flagW = sc.w / 64, flagH = sc.P(16);
                int x = (l.finishX + l.table.right - flagW) / 2;
                int y = top + (l.rowPitch - flagH) / 2;
                canvas.DrawBitmap(kChequeredFlagFile, {x, y, x + flagW, y + flagH});
            }
        }
    }

    // 8. The clock, the countdown and the delay between runs.
    if (in.clock != nullptr) {
        const ClockTexts& c = *in.clock;
        Rect clockFrame = ClockFrame(sc), countFrame = CountdownFrame(sc);
        TextStyle clock;
        clock.font.face = "Arial Black";
        clock.font.height = clockFrame.Height() * 9 / 20;
        clock.font.weight = 900;
        // The three times side by side within the frame, at their widest.
        const int wide = 3 * canvas.TextWidth("00:00:00", clock.font);
        const int room = clockFrame.Width() - 4 * sc.P(10);
        if (wide > room && wide > 0) clock.font.height = clock.font.height * room / wide;
        int y = clockFrame.top + (clockFrame.Height() - clock.font.height) * 3 / 5;
        clock.colour = {60, 60, 60};
        canvas.DrawText({clockFrame.left + sc.P(10), y}, c.duration.View(), clock);
        clock.colour = {0, 0, 0};
        clock.align = Align::Centre;
        canvas.DrawText({(clockFrame.left + clockFrame.right) / 2, y}, c.elapsed.View(), clock);
        clock.colour = {170, 0, 0};
        clock.align = Align::Right;
        canvas.DrawText({clockFrame.right - sc.P(10), y}, c.remaining.View(), clock);
        clock.align = Align::Centre;
        canvas.DrawText({(countFrame.left + countFrame.right) / 2, y}, c.countdown.View(), clock);
        if (!c.delay.Empty()) {
            TextStyle delay = clock;
            delay.align = Align::Left;
            delay.font.height = sc.h / 36;
            delay.colour = c.delayOverrun ? kDelayOverrun : kDelayRunning;
            canvas.DrawText({clockFrame.left, clockFrame.bottom + sc.Y(8)}, c.delay.View(), delay);
        }
    }

    // 9. Two cars on one frequency.
    if (in.radioConflict) {
        TextStyle t = StyleFor(s, kConflictStyle, sc, Align::Right);
        t.opaque = true;
        t.background = ColourOf(s.colours[kConflictBack]);
        canvas.DrawText({l.table.right, sc.Y(88)}, RadioConflictLine(canvas, in), t);
    }
}

Rect ClockFrame(const ScreenSize& sc) {
    return {sc.left + sc.X(45), sc.Y(710), sc.left + sc.X(45) + sc.w / 4, sc.Y(710) + sc.h / 12};
}

Rect CountdownFrame(const ScreenSize& sc) {
    int left = sc.left + sc.X(440) + sc.P(20);
    return {left, sc.Y(710), left + sc.P(100), sc.Y(710) + sc.h / 12};
}

std::string RadioConflictLine(Canvas& canvas, const LiveScreenInput& in) {
    const std::string heading = " " + std::string(kConflictHeading) + " ";
    if (in.radioConflicts == nullptr || in.radioConflicts->empty()) return heading;
    const std::string named =
        " " + std::string(kConflictHeading) + ": " + FirstAndMore(*in.radioConflicts) + " ";
    const DisplaySettings& s = *in.settings;
    TableLayout l = ComputeLayout(in.screen, *in.widths, in.measure.rowHeight);
    int titleEnd = l.table.left;
    if (!in.runTitle.empty()) {
        titleEnd += canvas.TextWidth(in.runTitle, StyleFont(s, kRunTitleStyle, in.screen));
    }
    const int room = l.table.right - titleEnd - in.screen.X(10);
    return canvas.TextWidth(named, StyleFont(s, kConflictStyle, in.screen)) <= room ? named
                                                                                    : heading;
}

Rect RadioConflictArea(const LiveScreenInput& in) {
    TableLayout l = ComputeLayout(in.screen, *in.widths, in.measure.rowHeight);
    const int top = in.screen.Y(88);
    const int height = std::abs(StyleFont(*in.settings, kConflictStyle, in.screen).height);
    return {(l.table.left + l.table.right) / 2, top, l.table.right, top + std::max(height, 1)};
}

std::string RadioConflictDetails(const LiveScreenInput& in) {
    if (!in.radioConflict) return {};
    std::string details(kConflictHeading);
    if (in.radioConflicts != nullptr && !in.radioConflicts->empty()) {
        details += '\n' + AllLines(*in.radioConflicts);
    }
    return details;
}

int ColumnBorderAt(const TableLayout& layout, const ScreenSize& screen, int x, int y) {
    if (y < screen.Y(123) || y > screen.Y(145)) return -1;
    // From the last border back, so that a zero-width column's border can be pulled open again.
    for (int j = kColumns - 1; j >= 0; --j) {
        int border = layout.columnX[std::size_t(j) + 1];
        if (x >= border - 2 && x <= border + 2) return j;
    }
    return -1;
}

void DragColumnBorder(std::array<std::int32_t, kColumns>& widths, int column, int dx) {
    if (column < 0 || column >= kColumns) return;
    std::int32_t& w = widths[std::size_t(column)];
    w = std::clamp<std::int32_t>(w + dx, 0, kMaxColumnWidth);
}

int VisibleRowAt(const TableLayout& layout, const TableMeasure& measure, int y) {
    if (layout.rowPitch <= 0 || y < layout.rowsTop) return -1;
    int line = (y - layout.rowsTop) / layout.rowPitch;
    return line < measure.visibleRows ? line : -1;
}

TableScroll ScrollFor(const TableMeasure& measure, int carsInRun) {
    TableScroll s;
    s.shown = carsInRun > measure.rowsThatFit;
    s.maximum = s.shown ? carsInRun - measure.rowsThatFit : 0;
    return s;
}

bool ApplyScroll(TableScroll& scroll, ScrollAction action, int trackPosition) {
    int before = scroll.position;
    switch (action) {
        case ScrollAction::LineUp:
            if (scroll.position > 0) --scroll.position;
            break;
        case ScrollAction::LineDown:
            if (scroll.position < scroll.maximum) ++scroll.position;
            break;
        case ScrollAction::PageUp:
            scroll.position = 0;
            break;
        case ScrollAction::PageDown:
            scroll.position = scroll.maximum;
            break;
        case ScrollAction::Track:
            scroll.position = std::clamp(trackPosition, 0, scroll.maximum);
            break;
    }
    return scroll.position != before;
}

}  // namespace velkaro
