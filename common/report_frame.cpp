#include "common/report_frame.h"

#include <algorithm>
#include <memory>

namespace velkaro {

namespace {

constexpr Rect kOuterBorder{15, 15, 1100, 1585};
constexpr Rect kInnerBorder{20, 20, 1095, 1580};
constexpr Rect kLogoArea{25, 25, 225, 75};
constexpr Point kCategoryAt{350, 70};
constexpr Point kTitleAt{350, 110};
constexpr Point kEventAt{150, 170};
constexpr int kFooterY = 220;
constexpr Point kPageNumberAt{1000, 1550};
constexpr int kHeadsTop = 250;
constexpr int kHeadsBottom = 306;
constexpr int kHeadsTextY = 266;  // the 23-unit line centred in the box
constexpr int kFirstRowY = 310;
constexpr int kRowPitch = 30;
constexpr int kFirstRuleY = 336;
constexpr int kSmallestFont = 6;

}  // namespace

TextStyle ReportText(int height, Align align, Rgb colour) {
    TextStyle s;
    s.font.face = "Arial";
    s.font.height = height;
    s.font.weight = 400;
    s.colour = colour;
    s.align = align;
    s.opaque = false;
    return s;
}

TextStyle FittedText(Canvas& canvas, std::string_view text, TextStyle style, int room) {
    if (room <= 0) return style;
    while (style.font.height > kSmallestFont && canvas.TextWidth(text, style.font) > room) {
        --style.font.height;
    }
    return style;
}

void DrawPageBorders(Canvas& canvas, Rect outer, Rect inner, Rect logo) {
    canvas.DrawRectangle(outer, 1, kBlack, false, {});
    canvas.DrawRectangle(inner, 1, kBlack, false, {});
    // The logo is the club's own file: without it the corner stays blank and the page goes on.
    Point size = canvas.BitmapSize(kLogoFile);
    if (size.x > 0 && size.y > 0) canvas.DrawBitmap(kLogoFile, logo);
}

Text<160> DateFooter(std::string_view prefix, const LocalDateTime& now) {
    Text<160> footer;
    Format(footer, "%.*sPrinted the %02u/%02u/%04u at %u:%02u", int(prefix.size()), prefix.data(),
           unsigned(now.day), unsigned(now.month), unsigned(now.year), unsigned(now.hour),
           unsigned(now.minute));
    return footer;
}

void SetCategoryAndEvent(ReportHeader& header, std::string_view category,
                         std::string_view eventName, std::string_view circuit) {
    Format(header.category, "CATEGORY : %.*s", int(category.size()), category.data());
    Format(header.event, "Event : %.*s - %.*s", int(eventName.size()), eventName.data(),
           int(circuit.size()), circuit.data());
}

int ReportPageCount(int rows) {
    return rows <= 0 ? 0 : (rows - 1) / kReportRowsPerPage + 1;
}

void DrawReportPage(Canvas& canvas, const ReportHeader& header, const ReportTable& table,
                    int page) {
    int pages = ReportPageCount(table.rows);
    int first = page * kReportRowsPerPage;
    int onPage = std::min(kReportRowsPerPage, table.rows - first);
    int bottom = kHeadsBottom + kRowPitch * onPage;

    canvas.SetIsotropicMapping(kReportWidth, kReportHeight);
    DrawPageBorders(canvas, kOuterBorder, kInnerBorder, kLogoArea);

    canvas.DrawLine({table.left, kHeadsTop}, {table.right, kHeadsTop}, 2, kBlack);
    canvas.DrawLine({table.left, kHeadsBottom}, {table.right, kHeadsBottom}, 2, kBlack);
    canvas.DrawLine({table.left, kHeadsTop}, {table.left, bottom}, 2, kBlack);
    canvas.DrawLine({table.right, kHeadsTop}, {table.right, bottom}, 2, kBlack);
    canvas.DrawLine({table.left, bottom}, {table.right, bottom}, 2, kBlack);
    for (int x : table.rules) canvas.DrawLine({x, kHeadsTop}, {x, bottom}, 1, kBlack);
    // The outline closes under the last row: a grey rule there would paint over it.
    for (int k = 0; k + 1 < onPage; ++k) {
        int y = kFirstRuleY + kRowPitch * k;
        canvas.DrawLine({table.left, y}, {table.right, y}, 1, kRowRuleGrey);
    }

    TextStyle plain = ReportText(kHeaderFontHeight);
    canvas.DrawText(kCategoryAt, header.category.View(), plain);
    canvas.DrawText(kTitleAt, header.title.View(), plain);
    canvas.DrawText(kEventAt, header.event.View(), plain);
    for (const ReportColumn& c : table.columns) {
        if (c.head.empty()) continue;
        canvas.DrawText({c.x, c.headY > 0 ? c.headY : kHeadsTextY}, c.head,
                        ReportText(kHeaderFontHeight, c.align));
    }
    for (int k = 0; k < onPage; ++k) {
        for (int col = 0; col < int(table.columns.size()); ++col) {
            const ReportColumn& c = table.columns[std::size_t(col)];
            ReportCell cell = table.cell(first + k, col);
            if (cell.text.empty()) continue;
            TextStyle s = ReportText(c.fontHeight > 0 ? c.fontHeight : kHeaderFontHeight, c.align,
                                     cell.red ? kClashRed : kBlack);
            canvas.DrawText({c.x, kFirstRowY + kRowPitch * k}, cell.text,
                            FittedText(canvas, cell.text, s, c.room));
        }
    }
    Text<32> number;
    Format(number, "Page %d /%d", page + 1, pages);
    canvas.DrawText(kPageNumberAt, number.View(), plain);
    canvas.DrawText({header.footerX, kFooterY}, header.footer.View(),
                    ReportText(kFooterFontHeight));
}

bool DrawReport(Canvas& canvas, const ReportHeader& header, const ReportTable& table) {
    int pages = ReportPageCount(table.rows);
    for (int p = 0; p < pages; ++p) {
        if (p > 0 && !canvas.NewPage()) return false;
        DrawReportPage(canvas, header, table, p);
    }
    return true;
}

PrintOutcome PrintPages(
    Dialogs& dialogs, Messages& messages, Clock& clock, std::string_view documentName,
    std::string_view footerPrefix, int pages,
    const std::function<void(Canvas& page, const Text<160>& footer, int index)>& draw) {
    std::unique_ptr<PrintJob> job = dialogs.Print(documentName, PageOrientation::Portrait);
    if (!job) return PrintOutcome::Cancelled;
    if (pages == 0) return PrintOutcome::Empty;
    const Text<160> footer = DateFooter(footerPrefix, clock.Now());
    bool drawn = true;
    for (int p = 0; p < pages && drawn; ++p) {
        if (p > 0) drawn = job->Page().NewPage();
        if (drawn) draw(job->Page(), footer, p);
    }
    const bool sent = job->Finish();
    if (!drawn || !sent) {
        messages.Error(kPrintFailed);
        return PrintOutcome::Failed;
    }
    return PrintOutcome::Printed;
}

PrintOutcome PrintReport(Dialogs& dialogs, Messages& messages, Clock& clock,
                         std::string_view documentName, ReportHeader header,
                         std::string_view footerPrefix, const ReportTable& table) {
    return PrintPages(dialogs, messages, clock, documentName, footerPrefix,
                      ReportPageCount(table.rows),
                      [&](Canvas& page, const Text<160>& footer, int index) {
                          header.footer = footer;
                          DrawReportPage(page, header, table, index);
                      });
}

}  // namespace velkaro
