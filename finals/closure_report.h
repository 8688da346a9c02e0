#pragma once

#include <array>
#include <string_view>

#include "common/report_frame.h"
#include "finals/closure.h"
#include "platform/canvas.h"
#include "platform/clock.h"
#include "platform/dialogs.h"
#include "platform/messages.h"

// The closure report on the screen, 20 rows at a time, and on paper in the common frame.

namespace velkaro {

inline constexpr int kClosureScreenRows = 20;
inline constexpr std::string_view kClosureTitle = "Finals : Closure report";

// The scroll bar: shown past 20 rows, over rows - 20 positions.
inline bool ClosureScrollShown(int rows) {
    return rows > kClosureScreenRows;
}
inline int ClosureScrollRange(int rows) {
    return rows > kClosureScreenRows ? rows - kClosureScreenRows : 0;
}

// The numbers of each row as text, kept beside the table so that a page can show them.
struct ClosureTexts {
    std::array<Text<8>, kClosureRows> place{};
    std::array<Text<32>, kClosureRows> result{};
    std::array<Text<8>, kClosureRows> qualifPlace{};
    std::array<Text<12>, kClosureRows> points{};
};
void FillClosureTexts(const ClosureTable& table, ClosureTexts& texts);

struct ClosureScreen {
    std::string_view eventName, circuitName, categoryName;
    const ClosureTable* table = nullptr;
    const ClosureTexts* texts = nullptr;
    int firstRow = 0;
};
void DrawClosureScreen(Canvas& canvas, const ClosureScreen& screen);

// The printed columns over the table and its texts.
ReportTable ClosureReportTable(const ClosureTable& table, const ClosureTexts& texts);
ReportHeader ClosureReportHeader(std::string_view categoryName, std::string_view eventName,
                                 std::string_view circuitName);

PrintOutcome PrintClosureReport(Dialogs& dialogs, Messages& messages, Clock& clock,
                                const ClosureTable& table, const ClosureTexts& texts,
                                std::string_view categoryName, std::string_view eventName,
                                std::string_view circuitName);

}  // namespace velkaro
