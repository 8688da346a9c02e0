#include "finals/closure_report.h"

#include <string>

#include "common/plain_words.h"

namespace velkaro {

namespace {

constexpr Rgb kHeaderBand{225, 235, 250};
constexpr Rgb kRule{120, 120, 120};
constexpr int kFirstRowY = 175;
constexpr int kRowHeight = 20;

TextStyle Style(int height, Align align, bool opaque = false) {
    TextStyle s;
    s.font.height = height;
    s.align = align;
    s.opaque = opaque;
    s.background = kHeaderBand;
    return s;
}

constexpr std::array<int, 4> kPrintRules{130, 480, 880, 1090};
constexpr std::array<ReportColumn, 7> kPrintColumns{{
    {"Class.", 120, Align::Right, 0},
    {"Driver", 140, Align::Left, 330},
    {"Level", 580, Align::Right, 0},
    {"Place", 660, Align::Right, 0},
    {"Result", 870, Align::Right, 0},
    {"Qualif.", 970, Align::Right, 0},
    {"Points", 1075, Align::Right, 0},
}};

}  // namespace

void FillClosureTexts(const ClosureTable& table, ClosureTexts& texts) {
    for (int r = 0; r < table.count; ++r) {
        const ClosureRow& row = table.rows[std::size_t(r)];
        std::size_t i = std::size_t(r);
        texts.place[i].Clear();
        if (!row.FromQualification()) Format(texts.place[i], "%d", row.place);
        texts.result[i] = ClosureResultText(row);
        texts.qualifPlace[i].Clear();
        if (row.qualifPlace > 0) Format(texts.qualifPlace[i], "%d", row.qualifPlace);
        Format(texts.points[i], "%d", row.qualifPoints);
    }
}

void DrawClosureScreen(Canvas& canvas, const ClosureScreen& s) {
    Text<128> line;
    std::string event(s.eventName), circuit(s.circuitName), category(s.categoryName);
    Format(line, " Event : %s - %s ", event.c_str(), circuit.c_str());
    canvas.DrawText({390, 60}, line.View(), Style(20, Align::Centre, true));
    Format(line, " %s : Closure report ", category.c_str());
    canvas.DrawText({390, 100}, line.View(), Style(20, Align::Centre, true));

    canvas.DrawText({500, 130}, "Finals", Style(16, Align::Right));
    canvas.DrawText({675, 130}, "Qualif.", Style(16, Align::Right));
    canvas.DrawText({115, 150}, "Class.", Style(16, Align::Right));
    canvas.DrawText({150, 150}, "Driver", Style(16, Align::Left));
    canvas.DrawText({405, 150}, "Level", Style(16, Align::Right));
    canvas.DrawText({455, 150}, "Place", Style(16, Align::Right));
    canvas.DrawText({560, 150}, "Result", Style(16, Align::Right));
    canvas.DrawText({645, 150}, "Place", Style(16, Align::Right));
    canvas.DrawText({695, 150}, "Points", Style(16, Align::Right));
    int bottom = kFirstRowY + kRowHeight * kClosureScreenRows;
    for (int x : {125, 345, 575, 705}) canvas.DrawLine({x, 128}, {x, bottom}, 1, kRule);
    canvas.DrawLine({20, 170}, {705, 170}, 1, kRule);

    if (s.table == nullptr || s.texts == nullptr) return;
    for (int k = 0; k < kClosureScreenRows; ++k) {
        int r = s.firstRow + k;
        if (r < 0 || r >= s.table->count) break;
        const ClosureRow& row = s.table->rows[std::size_t(r)];
        std::size_t i = std::size_t(r);
        int y = kFirstRowY + kRowHeight * k;
        canvas.DrawText({115, y}, row.rank.View(), Style(16, Align::Right));
        canvas.DrawText({150, y}, row.name.View(), Style(16, Align::Left));
        canvas.DrawText({405, y}, row.level.View(), Style(16, Align::Right));
        if (!row.FromQualification()) {
            canvas.DrawText({455, y}, s.texts->place[i].View(), Style(16, Align::Right));
            canvas.DrawText({560, y}, s.texts->result[i].View(), Style(16, Align::Right));
        }
        canvas.DrawText({645, y}, s.texts->qualifPlace[i].View(), Style(16, Align::Right));
        canvas.DrawText({695, y}, s.texts->points[i].View(), Style(16, Align::Right));
    }
}

ReportTable ClosureReportTable(const ClosureTable& table, const ClosureTexts& texts) {
    ReportTable t;
    t.left = 25;
    t.right = 1090;
    t.rules = std::span<const int>(kPrintRules.data(), kPrintRules.size() - 1);
    t.columns = kPrintColumns;
    t.rows = table.count;
    t.cell = [&table, &texts](int r, int column) -> ReportCell {
        const ClosureRow& row = table.rows[std::size_t(r)];
        std::size_t i = std::size_t(r);
        switch (column) {
            case 0:
                return {row.rank.View()};
            case 1:
                return {row.name.View()};
            case 2:
                return {row.level.View()};
            case 3:
                return {texts.place[i].View()};
            case 4:
                return {texts.result[i].View()};
            case 5:
                return {texts.qualifPlace[i].View()};
            default:
                return {texts.points[i].View()};
        }
    };
    return t;
}

ReportHeader ClosureReportHeader(std::string_view categoryName, std::string_view eventName,
                                 std::string_view circuitName) {
    ReportHeader h;
    SetCategoryAndEvent(h, categoryName, eventName, circuitName);
    h.title = kClosureTitle;
    h.footerX = 100;
    return h;
}

PrintOutcome PrintClosureReport(Dialogs& dialogs, Messages& messages, Clock& clock,
                                const ClosureTable& table, const ClosureTexts& texts,
                                std::string_view categoryName, std::string_view eventName,
                                std::string_view circuitName) {
    return PrintReport(dialogs, messages, clock,
                       DocumentName(eventName, categoryName, "Closure report").View(),
                       ClosureReportHeader(categoryName, eventName, circuitName), "",
                       ClosureReportTable(table, texts));
}

}  // namespace velkaro
