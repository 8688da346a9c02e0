#include "analysis/run_details.h"

#include <algorithm>

#include "analysis/lap_analysis.h"
#include "event/run_results_files.h"

namespace velkaro {

namespace {

constexpr Rgb kBlack{0, 0, 0};
constexpr Rgb kGrid{210, 210, 210};
constexpr Rgb kWhite{255, 255, 255};

// Twenty colours that stay apart on a white chart.
constexpr Rgb kCarColours[kCarSlots] = {
    {230, 25, 75},  {60, 180, 75},   {0, 130, 200},   {245, 130, 48},  {145, 30, 180},
    {70, 200, 200}, {240, 50, 230},  {130, 160, 20},  {250, 150, 170}, {0, 128, 128},
    {170, 110, 40}, {128, 0, 0},     {0, 0, 128},     {128, 128, 0},   {90, 90, 90},
    {255, 200, 0},  {100, 100, 255}, {200, 100, 100}, {0, 200, 120},   {0, 0, 0}};

int PassingsOf(const RunCar& car) {
    return std::clamp(car.passingCount, 0, kMaxPassings);
}

}  // namespace

bool LoadRunDetails(RunDetails& details, Disk& disk) {
    details.mode = Keyword<Classification>();
    for (RunCar& car : details.cars) car = RunCar{};
    details.lanes.fill(0);
    details.fileRead = ReadRunDetails(details.cars, details.mode, disk);
    if (!details.fileRead) {
        for (RunCar& car : details.cars) car = RunCar{};
        details.mode = Keyword<Classification>::Parse("");
    }
    // A file cut short leaves the slots it never reached unused, not nameless drivers.
    for (RunCar& car : details.cars) {
        if (car.driverName.Empty() && car.passingCount == 0) car.driverName = kEmptySlotName;
    }
    DeriveLapTimes(details.cars);
    ComputePositions(details.cars);
    details.realCars = CompactCars(details.cars, details.lanes);
    return details.fileRead;
}

void DeriveLapTimes(RunCars& cars) {
    for (RunCar& car : cars) {
        int n = PassingsOf(car);
        for (int i = 0; i < n; ++i) {
            std::size_t k = std::size_t(i);
            car.lapTimes[k] = i == 0 ? car.raceTimes[0] : car.raceTimes[k] - car.raceTimes[k - 1];
        }
    }
}

void ComputePositions(RunCars& cars) {
    for (int j = 0; j < kPositionPassings; ++j) {
        std::array<std::int32_t, kCarSlots> times{};
        for (int c = 0; c < kCarSlots; ++c) {
            const RunCar& car = cars[std::size_t(c)];
            std::int32_t t = car.raceTimes[std::size_t(j)];
            bool reached = PassingsOf(car) > 0 && (j == 0 || t != 0);
            times[std::size_t(c)] = reached ? t : kNoTime;
        }
        for (int place = 1; place <= kCarSlots; ++place) {
            int chosen = 0;
            for (int c = 1; c < kCarSlots; ++c) {
                if (times[std::size_t(c)] <= times[std::size_t(chosen)]) chosen = c;
            }
            cars[std::size_t(chosen)].positions[std::size_t(j)] = place;
            times[std::size_t(chosen)] = kTakenTime;
        }
    }
}

int CompactCars(RunCars& cars, std::array<std::int32_t, kCarSlots>& lanes) {
    int n = 0;
    for (int slot = 0; slot < kCarSlots; ++slot) {
        if (cars[std::size_t(slot)].driverName == kEmptySlotName) continue;
        if (n != slot) cars[std::size_t(n)] = cars[std::size_t(slot)];
        lanes[std::size_t(n)] = slot + 1;
        ++n;
    }
    for (int k = n; k < kCarSlots; ++k) {
        cars[std::size_t(k)] = RunCar{};
        cars[std::size_t(k)].driverName = kEmptySlotName;
        lanes[std::size_t(k)] = 0;
    }
    return n;
}

bool PositionsChartShown(const RunDetails& details) {
    return details.realCars > 1 && details.mode == Classification::ByLapsAndTime;
}

int GridLaps(const RunDetails& details) {
    int most = 0;
    for (int c = 0; c < details.realCars; ++c) {
        most = std::max(most, PassingsOf(details.cars[std::size_t(c)]));
    }
    return most;
}

GridScroll GridScrollOf(const RunDetails& details) {
    return {std::max(0, GridLaps(details) - kGridRows),
            std::max(0, details.realCars - kGridColumns)};
}

Text<16> GridCell(const RunDetails& details, DetailsView view, int car, int row) {
    Text<16> out;
    if (car < 0 || car >= details.realCars || row < 0) return out;
    const RunCar& c = details.cars[std::size_t(car)];
    if (row >= PassingsOf(c)) return out;
    std::int32_t t =
        view == DetailsView::LapTime ? c.lapTimes[std::size_t(row)] : c.raceTimes[std::size_t(row)];
    out = LapTimeText(t).View();
    return out;
}

Text<16> LaneHead(const RunDetails& details, int car) {
    Text<16> out;
    Format(out, "Lane%d", details.lanes[std::size_t(car)]);
    return out;
}

Text<56> LegendLine(const RunDetails& details, int car) {
    Text<56> out;
    Format(out, "L%d: %s", details.lanes[std::size_t(car)],
           details.cars[std::size_t(car)].driverName.CStr());
    return out;
}

void PaintRunDetails(Canvas& canvas, const RunDetails& details, DetailsView view, int firstLap,
                     int firstCar, const DetailsLayout& layout) {
    bool chart = view == DetailsView::Positions;
    for (int c = 0; c < details.realCars; ++c) {
        Rgb colour = chart ? kCarColours[c] : kBlack;
        int y = layout.legend.top + 20 * c;
        if (chart) {
            canvas.DrawLine({layout.legend.left, y + 8}, {layout.legend.left + 16, y + 8}, 3,
                            colour);
        }
        canvas.DrawText({layout.legend.left + (chart ? 22 : 0), y}, LegendLine(details, c).View(),
                        ChartText(15, Align::Left, false, colour));
    }
    if (chart) {
        if (PositionsChartShown(details)) PaintPositionsChart(canvas, details, layout.chart);
        return;
    }
    const Rect& g = layout.grid;
    int laps = GridLaps(details);
    for (int col = 0; col < kGridColumns; ++col) {
        int car = firstCar + col;
        if (car >= details.realCars) break;
        int x = g.left + 60 + 70 * (col + 1);
        canvas.DrawText({x, g.top}, LaneHead(details, car).View(),
                        ChartText(16, Align::Right, true));
    }
    for (int row = 0; row < kGridRows; ++row) {
        int lap = firstLap + row;
        if (lap >= laps) break;
        int y = g.top + 30 + 26 * row;
        Text<8> number;
        Format(number, "%d", lap + 1);
        canvas.DrawText({g.left + 50, y}, number.View(), ChartText(14, Align::Right, true));
        for (int col = 0; col < kGridColumns && firstCar + col < details.realCars; ++col) {
            canvas.DrawText({g.left + 60 + 70 * (col + 1), y},
                            GridCell(details, view, firstCar + col, lap).View(),
                            ChartText(14, Align::Right));
        }
    }
}

void PaintPositionsChart(Canvas& canvas, const RunDetails& details, Rect area) {
    canvas.FillRect(area, kWhite);
    int passings = GridLaps(details);
    int cars = details.realCars;
    if (passings <= 0 || cars <= 0) return;
    const int left = area.left + 70, right = area.right - 30;
    const int top = area.top + 40, bottom = area.bottom - 50;
    auto yOf = [&](int place) {
        return cars == 1 ? top : top + (place - 1) * (bottom - top) / (cars - 1);
    };
    auto xOf = [&](int j) {
        return passings == 1 ? left : left + j * (right - left) / (passings - 1);
    };
    canvas.DrawText({area.left + 8, area.top + 8}, "Position", ChartText(14, Align::Left, true));
    for (int place = 1; place <= cars; ++place) {
        int y = yOf(place);
        canvas.DrawLine({left, y}, {right, y}, 1, kGrid);
        Text<8> p;
        Format(p, "%d", place);
        canvas.DrawText({left - 10, y - 8}, p.View(), ChartText(13, Align::Right));
    }
    int every = 1;
    while (passings > 1 && (right - left) * every / (passings - 1) < 26) {
        every = every == 1 ? 5 : every * 2;
    }
    for (int j = 0; j < passings; ++j) {
        if (j % every != every - 1 && j != 0 && j != passings - 1) continue;
        int x = xOf(j);
        canvas.DrawLine({x, bottom + 6}, {x, bottom + 10}, 1, kBlack);
        Text<8> n;
        Format(n, "%d", j + 1);
        canvas.DrawText({x, bottom + 12}, n.View(), ChartText(13, Align::Centre));
    }
    canvas.DrawLine({left, bottom + 6}, {right, bottom + 6}, 1, kBlack);
    canvas.DrawText({right, bottom + 30}, "Lap (passing)", ChartText(14, Align::Right, true));
    for (int c = 0; c < cars; ++c) {
        const RunCar& car = details.cars[std::size_t(c)];
        int n = PassingsOf(car);
        Point previous{};
        for (int j = 0; j < n; ++j) {
            Point p{xOf(j), yOf(car.positions[std::size_t(j)])};
            if (j > 0) canvas.DrawLine(previous, p, 2, kCarColours[c]);
            previous = p;
        }
        if (n > 0) {
            Text<8> lane;
            Format(lane, "L%d", details.lanes[std::size_t(c)]);
            canvas.DrawText({previous.x + 4, previous.y - 8}, lane.View(),
                            ChartText(12, Align::Left, true, kCarColours[c]));
        }
    }
}

int ConditionRadio(std::string_view condition) {
    if (condition == kWet) return kWetRadio;
    if (condition == kIce) return kIceRadio;
    return kDryRadio;
}

std::string_view ConditionOfRadio(int radio) {
    return radio == kWetRadio ? kWet : radio == kIceRadio ? kIce : kDry;
}

std::string_view CutComment(std::string_view typed) {
    return typed.substr(0, std::min<std::size_t>(typed.size(), kCommentLimit));
}

}  // namespace velkaro
