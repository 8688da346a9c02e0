#pragma once

#include <string_view>

#include "common/report_frame.h"
#include "common/run_car.h"
#include "platform/canvas.h"
#include "platform/dialogs.h"
#include "platform/messages.h"
#include "timing/run_control.h"

// "Print" of the race panel: the current run's table on one landscape page.

namespace velkaro {

inline constexpr int kRunPageWidth = 1600;
inline constexpr int kRunPageHeight = 900;

// Rows share 572 units: the pitch shrinks as the field grows.
inline constexpr int RunRowPitch(int cars) {
    return cars > 0 ? 572 / cars : 0;
}
inline constexpr int RunTableBottom(int cars) {
    return 333 + RunRowPitch(cars) * cars;
}

struct RunPrintout {
    std::string_view category, run, event;  // the header lines of the loaded run
    const LiveRows* rows = nullptr;
    int cars = 0;
    std::string_view description, condition, comment;
};

void DrawRunPrintout(Canvas& canvas, const RunPrintout& printout);

// The best laps from the race times, the rows rebuilt unless the run is armed, then the dialog
// and the page. A run without cars prints nothing.
PrintOutcome PrintRunResults(RunEngine& engine, Dialogs& dialogs, Messages& messages);

}  // namespace velkaro
