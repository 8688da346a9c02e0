#include "common/report_frame.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "platform/fake/fake_clock.h"
#include "platform/fake/fake_dialogs.h"
#include "platform/fake/fake_messages.h"
#include "tests/support/test_support.h"

namespace velkaro {
namespace {

using Kind = RecordingCanvas::Kind;
using Op = RecordingCanvas::Op;

constexpr std::array<int, 1> kRules{120};
constexpr std::array<ReportColumn, 2> kColumns{
    {{"Pos", 110, Align::Right, 0}, {"Driver", 130, Align::Left, 300}}};

struct Report {
    std::vector<std::string> names;
    ReportHeader header;
    ReportTable table;

    explicit Report(int rows) {
        for (int i = 0; i < rows; ++i) names.push_back("Driver " + std::to_string(i + 1));
        header.category = "CATEGORY : 1/10 Touring";
        header.title = "List of participants (41 drivers)";
        header.event = "Event : Winter Cup - Lakeside";
        header.footer = "Printed the 05/03/2024 at 9:07";
        table.left = 60;
        table.right = 1040;
        table.rules = kRules;
        table.columns = kColumns;
        table.rows = rows;
        table.cell = [this](int row, int column) {
            return ReportCell{column == 0 ? std::string_view("#") : names[std::size_t(row)]};
        };
    }
};

std::vector<Op> TextsAt(const RecordingCanvas& c, std::string_view text) {
    std::vector<Op> found;
    for (const Op& op : c.OfKind(Kind::Text)) {
        if (op.text == text) found.push_back(op);
    }
    return found;
}

bool HasLine(const RecordingCanvas& c, Point from, Point to, int pen, Rgb colour) {
    auto lines = c.OfKind(Kind::Line);
    return std::any_of(lines.begin(), lines.end(), [&](const Op& op) {
        return op.at == from && op.to == to && op.penWidth == pen && op.colour == colour;
    });
}

TEST(ReportFrame, RowsBreakIntoPagesOfForty) {
    struct Case {
        int rows;
        std::vector<int> rowsOnPages;
    };
    for (const Case& c :
         std::vector<Case>{{1, {1}}, {40, {40}}, {41, {40, 1}}, {200, {40, 40, 40, 40, 40}}}) {
        SCOPED_TRACE(c.rows);
        Report r(c.rows);
        RecordingCanvas doc;
        ASSERT_TRUE(DrawReport(doc, r.header, r.table));
        auto pages = doc.Pages();
        ASSERT_EQ(pages.size(), c.rowsOnPages.size());
        int row = 0;
        for (std::size_t p = 0; p < pages.size(); ++p) {
            const RecordingCanvas& page = pages[p];
            int n = c.rowsOnPages[p];
            std::string number =
                "Page " + std::to_string(p + 1) + " /" + std::to_string(pages.size());
            ASSERT_EQ(TextsAt(page, number).size(), 1u);
            EXPECT_EQ(TextsAt(page, number)[0].at, (Point{1000, 1550}));
            // Every row of the page at its y, in report order, and nothing of other pages.
            for (int k = 0; k < n; ++k, ++row) {
                auto at = TextsAt(page, r.names[std::size_t(row)]);
                ASSERT_EQ(at.size(), 1u) << r.names[std::size_t(row)];
                EXPECT_EQ(at[0].at, (Point{130, 310 + 30 * k}));
            }
            if (row < c.rows) {
                EXPECT_TRUE(TextsAt(page, r.names[std::size_t(row)]).empty());
            }
            int bottom = 306 + 30 * n;
            EXPECT_TRUE(HasLine(page, {60, bottom}, {1040, bottom}, 2, kBlack));
            EXPECT_TRUE(HasLine(page, {120, 250}, {120, bottom}, 1, kBlack));
            auto grey = page.OfKind(Kind::Line);
            long greyCount = std::count_if(grey.begin(), grey.end(),
                                           [](const Op& op) { return op.colour == kRowRuleGrey; });
            EXPECT_EQ(greyCount, n - 1);
            if (n > 1) {
                EXPECT_TRUE(HasLine(page, {60, 336 + 30 * (n - 2)}, {1040, 336 + 30 * (n - 2)}, 1,
                                    kRowRuleGrey));
            }
            // The frame repeats whole on every page.
            EXPECT_EQ(TextsAt(page, "Printed the 05/03/2024 at 9:07")[0].at, (Point{140, 220}));
            EXPECT_EQ(TextsAt(page, "Printed the 05/03/2024 at 9:07")[0].style.font.height, 17);
            EXPECT_EQ(TextsAt(page, "CATEGORY : 1/10 Touring")[0].at, (Point{350, 70}));
            EXPECT_EQ(TextsAt(page, "List of participants (41 drivers)")[0].at, (Point{350, 110}));
            EXPECT_EQ(TextsAt(page, "Event : Winter Cup - Lakeside")[0].at, (Point{150, 170}));
            EXPECT_EQ(TextsAt(page, "Driver")[0].style.font.height, 23);
            EXPECT_EQ(TextsAt(page, "Driver")[0].at, (Point{130, 266}));
            EXPECT_EQ(TextsAt(page, "Pos")[0].at, (Point{110, 266}));
            EXPECT_EQ(page.OfKind(Kind::Mapping)[0].at, (Point{900, 1600}));
            auto borders = page.OfKind(Kind::Rectangle);
            ASSERT_EQ(borders.size(), 2u);
            EXPECT_EQ(borders[0].r, (Rect{15, 15, 1100, 1585}));
            EXPECT_EQ(borders[1].r, (Rect{20, 20, 1095, 1580}));
        }
        EXPECT_EQ(row, c.rows);
    }
}

TEST(ReportFrame, DateFooterIsFormattedFromTheLocalTime) {
    struct Case {
        LocalDateTime now;
        std::string_view prefix;
        std::string_view footer;
    };
    for (const Case& c :
         std::vector<Case>{{{2025, 2, 1, 14, 5}, "", "Printed the 01/02/2025 at 14:05"},
                           {{2024, 3, 5, 9, 7}, "", "Printed the 05/03/2024 at 9:07"},
                           {{2024, 12, 31, 0, 0},
                            "CLASSIFICATIONBestLapTime - ",
                            "CLASSIFICATIONBestLapTime - Printed the 31/12/2024 at 0:00"}}) {
        EXPECT_EQ(DateFooter(c.prefix, c.now).View(), c.footer);
    }
}

TEST(ReportFrame, LogoIsLeftOutWhenItsFileCannotBeRead) {
    for (Point size : {Point{0, 0}, Point{640, 160}}) {
        Report r(3);
        RecordingCanvas page;
        page.bitmapSize = size;
        DrawReportPage(page, r.header, r.table, 0);
        auto bitmaps = page.OfKind(Kind::Bitmap);
        ASSERT_EQ(bitmaps.size(), size.x > 0 ? 1u : 0u);
        if (size.x > 0) {
            EXPECT_EQ(bitmaps[0].r, (Rect{25, 25, 225, 75}));
        }
        EXPECT_EQ(TextsAt(page, "Driver 3").size(), 1u);
    }
}

TEST(ReportFrame, PrintingOutcomes) {
    struct Case {
        const char* what;
        bool printer;
        int rows;
        int failsAtPage;
        PrintOutcome outcome;
        std::size_t pages;
        bool message;
    };
    for (const Case& c :
         std::vector<Case>{{"cancelled", false, 41, 0, PrintOutcome::Cancelled, 0, false},
                           {"empty", true, 0, 0, PrintOutcome::Empty, 0, false},
                           {"printed", true, 41, 0, PrintOutcome::Printed, 2, false},
                           {"printer fails", true, 81, 2, PrintOutcome::Failed, 1, true}}) {
        SCOPED_TRACE(c.what);
        Report r(c.rows);
        FakeDialogs dialogs;
        dialogs.printerAvailable = c.printer;
        dialogs.printerFailsAtPage = c.failsAtPage;
        FakeMessages messages;
        test::FailOnUnexpectedMessages(messages);
        if (c.message) messages.Expect(MessageAnswer::Ok);
        FakeClock clock;
        clock.now = {2025, 2, 1, 14, 5};
        EXPECT_EQ(PrintReport(dialogs, messages, clock, "LIST OF DRIVERS : Printing...", r.header,
                              "", r.table),
                  c.outcome);
        EXPECT_EQ(messages.shown.size(), c.message ? 1u : 0u);
        if (c.message) {
            EXPECT_EQ(messages.shown[0].text, kPrintFailed);
        }
        if (!c.printer) continue;
        ASSERT_EQ(dialogs.printed.size(), 1u);
        EXPECT_EQ(dialogs.printed[0]->name, "LIST OF DRIVERS : Printing...");
        EXPECT_EQ(dialogs.printed[0]->orientation, PageOrientation::Portrait);
        const RecordingCanvas& doc = dialogs.printed[0]->canvas;
        EXPECT_EQ(doc.ops.empty() ? 0u : doc.Pages().size(), c.pages);
        if (c.pages > 0) {
            EXPECT_EQ(TextsAt(doc, "Printed the 01/02/2025 at 14:05").size(), c.pages);
        }
    }
}

}  // namespace
}  // namespace velkaro
