// A 200-row report (5 pages) on the report frame, printed to a PDF file: the time from the
// first page to the finished file. Run from the program folder (or data/) to include the logo.

#include <benchmark/benchmark.h>

#include <QGuiApplication>
#include <array>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "bench/offscreen_app.h"
#include "common/report_frame.h"
#include "platform/qt/qt_dialogs.h"

namespace velkaro {
namespace {

void ReportToPdf(benchmark::State& state) {
    bench::OffscreenApp<QGuiApplication>();
    constexpr int kRows = 200;
    std::vector<std::string> names;
    for (int i = 0; i < kRows; ++i) names.push_back("Driver n\xB0" + std::to_string(i + 1));
    constexpr std::array<ReportColumn, 3> columns{{{"Pos", 100, Align::Right, 0},
                                                   {"Driver", 120, Align::Left, 560},
                                                   {"Transponder", 1020, Align::Right, 0}}};
    constexpr std::array<int, 2> rules{110, 700};
    ReportHeader header;
    header.category = "CATEGORY : 1/10 Touring";
    header.title = "List of participants (200 drivers)";
    header.event = "Event : Winter Cup - Lakeside";
    header.footer = DateFooter("", {2025, 2, 1, 14, 5});
    ReportTable table;
    table.left = 60;
    table.right = 1040;
    table.rules = rules;
    table.columns = columns;
    table.rows = kRows;
    Text<16> number;
    table.cell = [&](int row, int column) {
        if (column == 0) Format(number, "%d", row + 1);
        if (column == 2) Format(number, "%06d", 1000 + row);
        return ReportCell{column == 1 ? std::string_view(names[std::size_t(row)]) : number.View()};
    };
    std::string pdf = (std::filesystem::temp_directory_path() / "bench_print_report.pdf").string();
    for (auto _ : state) {
        auto job = PrintToPdfFile("LIST OF DRIVERS : Printing...", PageOrientation::Portrait, pdf);
        bool ok = DrawReport(job->Page(), header, table) && job->Finish();
        if (!ok) state.SkipWithError("the PDF could not be written");
    }
    std::remove(pdf.c_str());
}
BENCHMARK(ReportToPdf)->Unit(benchmark::kMillisecond)->Repetitions(9)->ReportAggregatesOnly(true);

}  // namespace
}  // namespace velkaro
