#pragma once

#include <functional>
#include <span>
#include <string_view>

#include "common/drawing.h"
#include "platform/canvas.h"
#include "platform/clock.h"
#include "platform/dialogs.h"
#include "platform/messages.h"
#include "platform/text.h"

// The page every printed report is laid out on: borders, logo, three header lines, the heads
// box, 40 rows a page, the page number and the date footer. A report only brings its texts,
// columns and rows.

namespace velkaro {

inline constexpr int kReportWidth = 900;  // portrait; the uniform scale lets x reach 1100
inline constexpr int kReportHeight = 1600;
inline constexpr int kReportRowsPerPage = 40;
inline constexpr Rgb kBlack{0, 0, 0};
inline constexpr Rgb kRowRuleGrey{150, 150, 150};
inline constexpr Rgb kClashRed{250, 0, 0};
inline constexpr int kHeaderFontHeight = 23;
inline constexpr int kFooterFontHeight = 17;
inline constexpr std::string_view kPrintFailed =
    "Error: The printer failed, the document is not complete";

// "Arial", normal weight, drawn on a transparent background.
TextStyle ReportText(int height, Align align = Align::Left, Rgb colour = kBlack);

// The text drawn whole within room units: the style's font, or a smaller one of the same face
// when the text would not fit.
TextStyle FittedText(Canvas& canvas, std::string_view text, TextStyle style, int room);

// The two borders and the logo, which is left out when its file cannot be read.
void DrawPageBorders(Canvas& canvas, Rect outer, Rect inner, Rect logo);

// "Printed the 05/03/2024 at 9:07" after the report's own prefix ("" for none).
Text<160> DateFooter(std::string_view prefix, const LocalDateTime& now);

// The texts repeated on every page.
struct ReportHeader {
    Text<128> category;  // "CATEGORY : %s"
    Text<128> title;
    Text<128> event;   // "Event : %s - %s"
    Text<160> footer;  // DateFooter
    int footerX = 140;
};

struct ReportColumn {
    std::string_view head;
    int x = 0;  // the left edge, the centre or the right edge by the alignment
    Align align = Align::Left;
    int room = 0;        // width a left-aligned text may fill; 0 when it never needs to shrink
    int headY = 0;       // where the head stands when not in the middle of the heads box
    int fontHeight = 0;  // the cells' font when not the rows' own: annotations in small print
};

struct ReportCell {
    std::string_view text;
    bool red = false;  // clashing frequencies
};

struct ReportTable {
    int left = 0, right = 0;     // the outline of the heads box and of the rows
    std::span<const int> rules;  // x of the column rules
    std::span<const ReportColumn> columns;
    int rows = 0;
    std::function<ReportCell(int row, int column)> cell;
};

// The "CATEGORY : %s" and "Event : %s - %s" lines.
void SetCategoryAndEvent(ReportHeader& header, std::string_view category,
                         std::string_view eventName, std::string_view circuit);

// 0 when there is nothing to print.
int ReportPageCount(int rows);

// Page `page` (from 0), mapping included.
void DrawReportPage(Canvas& canvas, const ReportHeader& header, const ReportTable& table, int page);

// Every page, one after the other on a multi-page canvas; false when the device refused a page.
bool DrawReport(Canvas& canvas, const ReportHeader& header, const ReportTable& table);

enum class PrintOutcome { Printed, Cancelled, Empty, Failed };

// The print dialog, then `pages` pages, each drawn by `draw` (page from 0) with the date
// footer taken once the printer is chosen. A cancelled dialog or no page prints nothing and
// says nothing; a failing printer says kPrintFailed once.
PrintOutcome PrintPages(
    Dialogs& dialogs, Messages& messages, Clock& clock, std::string_view documentName,
    std::string_view footerPrefix, int pages,
    const std::function<void(Canvas& page, const Text<160>& footer, int index)>& draw);

// PrintPages for a report laid out on this frame.
PrintOutcome PrintReport(Dialogs& dialogs, Messages& messages, Clock& clock,
                         std::string_view documentName, ReportHeader header,
                         std::string_view footerPrefix, const ReportTable& table);

}  // namespace velkaro
