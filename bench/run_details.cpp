// Opening "Run detailed results" on a 20-car run of 300 passings each: reading the file,
// the places at every passing, and the first paint; the positions chart drawn whole.

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QImage>
#include <QPainter>
#include <filesystem>
#include <fstream>
#include <string>

#include "analysis/forms/analysis_forms.h"
#include "analysis/run_details.h"
#include "bench/offscreen_app.h"
#include "platform/fake/fake_messages.h"
#include "platform/qt/qt_canvas.h"

namespace velkaro {
namespace {

// A scratch folder holding the file, made the current directory as the program's folder is.
void WriteBusyRun() {
    static bool done = false;
    if (done) return;
    auto folder = std::filesystem::temp_directory_path() / "velkaro_bench_run_details";
    std::filesystem::create_directories(folder);
    std::filesystem::current_path(folder);
    std::ofstream out("DetailResultats.res", std::ios::binary);
    out << "CLASSEMENTToursTemps\t\r\n";
    for (int car = 0; car < kCarSlots; ++car) {
        out << "Driver number " << car + 1 << "\t300\t";
        int t = 0;
        for (int i = 0; i < 300; ++i) {
            t += 11000 + 37 * car + (i * 7919 + car * 104729) % 900;
            out << t << '\t';
        }
        out << "\r\n";
    }
    done = true;
}

void BM_ReadAndPlace(benchmark::State& state) {
    WriteBusyRun();
    RunDetails details;
    for (auto _ : state) {
        LoadRunDetails(details, SystemDisk());
        benchmark::DoNotOptimize(details.cars[19].positions[299]);
    }
}
BENCHMARK(BM_ReadAndPlace)->Unit(benchmark::kMillisecond);

void BM_OpenFormAndFirstPaint(benchmark::State& state) {
    bench::OffscreenApp();
    WriteBusyRun();
    FakeMessages messages;
    for (auto _ : state) {
        RunDetailsForm form(messages, SystemDisk());
        QImage image = form.grab().toImage();
        benchmark::DoNotOptimize(image.bits());
    }
}
BENCHMARK(BM_OpenFormAndFirstPaint)->Unit(benchmark::kMillisecond);

void BM_PositionsChart(benchmark::State& state) {
    bench::OffscreenApp();
    WriteBusyRun();
    RunDetails details;
    LoadRunDetails(details, SystemDisk());
    QImage image(1030, 650, QImage::Format_RGB32);
    for (auto _ : state) {
        QPainter painter(&image);
        QtCanvas canvas(painter);
        PaintRunDetails(canvas, details, DetailsView::Positions, 0, 0);
    }
}
BENCHMARK(BM_PositionsChart)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace velkaro
