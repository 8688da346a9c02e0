#include "shell/live_table_editing.h"

#include "common/commands.h"
#include "common/transponder.h"

namespace velkaro {

namespace {

constexpr int kLapsColumn = 2, kTotalColumn = 3, kLastLapColumn = 6, kBestLapColumn = 7,
              kTransponderColumn = 8;
constexpr int kPartLimits[4] = {1, 2, 2, 3};  // hours, minutes, seconds, milliseconds
constexpr int kPartShares[4] = {2, 3, 3, 4};  // of the cell's width, in twelfths

int FirstFieldOf(int column) {
    switch (column) {
        case kLapsColumn:
            return kLapsField;
        case kTotalColumn:
            return kTotalTimeFields;
        case kLastLapColumn:
            return kLastLapFields;
        case kBestLapColumn:
            return kBestLapFields;
        default:
            return 0;
    }
}

RunStanding::Split& SplitOf(RunStanding& s, int firstField) {
    return firstField == kTotalTimeFields ? s.totalTimeSplit
           : firstField == kLastLapFields ? s.lastLapTimeSplit
                                          : s.bestLapSplit;
}

const RunStanding::Split& SplitOf(const RunStanding& s, int firstField) {
    return SplitOf(const_cast<RunStanding&>(s), firstField);  // the same field, read only
}

Rect CellRect(const TableLayout& layout, int column, int line) {
    int top = layout.rowsTop + line * layout.rowPitch;
    return {layout.columnX[std::size_t(column)], top, layout.columnX[std::size_t(column + 1)],
            top + layout.rowPitch};
}

// The digits the field keeps, as an unsigned number; letters end it, nothing reads as 0.
std::int32_t ReadUnsigned(std::string_view text, int limit) {
    std::int32_t v = 0;
    for (std::size_t i = 0; i < text.size() && int(i) < limit; ++i) {
        if (text[i] < '0' || text[i] > '9') break;
        v = v * 10 + (text[i] - '0');
    }
    return v;
}

void ClearControls(LiveTableEditing& e) {
    e.editedRow = -1;
    e.editedColumn = -1;
}

}  // namespace

std::string EditFieldLabel(int id) {
    constexpr std::array<std::string_view, 3> kTimes{"Total time", "Last lap", "Best lap"};
    constexpr std::array<std::string_view, 4> kParts{"hours", "minutes", "seconds", "milliseconds"};
    if (id == kLapsField) return "Laps";
    const int k = id - kTotalTimeFields;
    if (k < 0 || k >= 12) return {};
    return std::string(kTimes[std::size_t(k / 4)]) + ": " + std::string(kParts[std::size_t(k % 4)]);
}

void StartResultEditing(LiveTableEditing& editing) {
    editing.resultEditing = true;
    editing.clubChipsEditing = false;
    ClearControls(editing);
}

void TransponderModeChosen(LiveTableEditing& editing, int radio) {
    editing.resultEditing = false;
    editing.clubChipsEditing = radio == kClubChipsRadio;
    ClearControls(editing);
}

void StopEditing(LiveTableEditing& editing) {
    editing.resultEditing = false;
    editing.clubChipsEditing = false;
    ClearControls(editing);
}

EditControls EditControlsFor(const LiveTableEditing& editing, const RunTables& tables,
                             const TableLayout& layout, int scrollPosition,
                             const TransponderSet& set) {
    EditControls c;
    int line = editing.editedRow - scrollPosition;
    if (editing.editedColumn < 0 || editing.editedRow < 0 || line < 0) return c;
    const RunStanding& s = tables.standings[std::size_t(editing.editedRow)];
    Rect cell = CellRect(layout, editing.editedColumn, line);
    if (editing.editedColumn == kTransponderColumn) {
        c.list = true;
        c.listRect = cell;
        for (int k = 0; k < kTranspondersPerSet; ++k) {
            c.choices[std::size_t(k)] = set.transponders[std::size_t(k)];
            if (c.selected < 0 &&
                SameTransponder(set.transponders[std::size_t(k)].View(), s.transponder.View())) {
                c.selected = k;
            }
        }
        return c;
    }
    int first = FirstFieldOf(editing.editedColumn);
    if (first == kLapsField) {
        c.count = 1;
        c.fields[0] = {kLapsField, 3, {}, cell};
        Format(c.fields[0].text, "%d", s.laps);
        return c;
    }
    const RunStanding::Split& t = SplitOf(s, first);
    const std::int32_t parts[4] = {t.h, t.m, t.s, t.ms};
    c.count = 4;
    int x = cell.left;
    for (int k = 0; k < 4; ++k) {
        EditField& f = c.fields[std::size_t(k)];
        f.id = first + k;
        f.limit = kPartLimits[k];
        int right = k == 3 ? cell.right : x + cell.Width() * kPartShares[k] / 12;
        f.rect = {x, cell.top, right, cell.bottom};
        x = right;
        if (k == 0) Format(f.text, "%d", parts[k]);
        if (k == 1 || k == 2) Format(f.text, "%02d", parts[k]);
        if (k == 3) Format(f.text, "%03d", parts[k]);
    }
    return c;
}

EditClickResult EditClick(LiveTableEditing& editing, const RunTables& tables,
                          const TableLayout& layout, const TableMeasure& measure,
                          int scrollPosition, const TransponderSet& set, SoundPlayer& sounds, int x,
                          int y) {
    EditClickResult r;
    if (!editing.resultEditing && !editing.clubChipsEditing) return r;
    r.mode = editing.resultEditing ? EditMode::Results : EditMode::ClubChips;
    int line = VisibleRowAt(layout, measure, y);
    int column = -1;
    for (int j = 0; j < kColumns; ++j) {
        if (x >= layout.columnX[std::size_t(j)] && x < layout.columnX[std::size_t(j + 1)]) {
            column = j;
        }
    }
    int row = line + scrollPosition;
    if (line < 0 || column < 0 || row >= tables.carsInUse) return r;
    bool taken = editing.resultEditing ? FirstFieldOf(column) != 0 : column == kTransponderColumn;
    if (!taken) return r;
    if (editing.resultEditing) sounds.PlayAsync(kEditBeep);
    editing.editedRow = row;
    editing.editedColumn = column;
    editing.editedCar = tables.standings[std::size_t(row)].carNumber;
    r.controls = EditControlsFor(editing, tables, layout, scrollPosition, set);
    return r;
}

Text<8> FieldChanged(LiveTableEditing& editing, RunEngine& engine, int id, std::string_view text) {
    Text<8> shown;
    shown = text;
    if (editing.editedRow < 0 || editing.editedRow >= engine.tables.carsInUse) return shown;
    RunTables& t = engine.tables;
    RunStanding& s = t.standings[std::size_t(editing.editedRow)];
    const std::string_view driver = s.driverName.View();
    int first = id == kLapsField                                  ? kLapsField
                : id >= kTotalTimeFields && id < kLastLapFields   ? kTotalTimeFields
                : id >= kLastLapFields && id < kBestLapFields     ? kLastLapFields
                : id >= kBestLapFields && id < kBestLapFields + 4 ? kBestLapFields
                                                                  : 0;
    if (first == 0) return shown;
    std::int32_t value = 0;
    if (first == kLapsField) {
        value = ReadUnsigned(text, 3);
        s.laps = value;
    } else {
        int part = id - first;
        value = ReadUnsigned(text, kPartLimits[part]);
        if ((part == 1 || part == 2) && value > 59) {
            value = 59;
            Format(shown, "%d", value);
        }
        RunStanding::Split& split = SplitOf(s, first);
        (part == 0 ? split.h : part == 1 ? split.m : part == 2 ? split.s : split.ms) = value;
        value = split.h * 3600000 + split.m * 60000 + split.s * 1000 + split.ms;
        (first == kTotalTimeFields ? s.totalTime
         : first == kLastLapFields ? s.lastLapTime
                                   : s.bestLap) = value;
    }
    for (RunCar& car : t.cars) {
        if (car.driverName != driver) continue;
        if (first == kLapsField) car.laps = value;
        if (first == kTotalTimeFields) car.totalTime = value;
        if (first == kLastLapFields && car.passingCount >= 0 && car.passingCount < kHistorySize) {
            car.lapTimes[std::size_t(car.passingCount)] = value;
        }
        if (first == kBestLapFields) car.bestLap = value;
    }
    if (engine.phase == RunPhase::Armed) engine.phase = RunPhase::Over;
    // The order follows the corrected results; the fields follow their car.
    RebuildLiveOrder(t, engine.options);
    for (int k = 0; k < t.carsInUse; ++k) {
        if (t.standings[std::size_t(k)].carNumber == editing.editedCar) editing.editedRow = k;
    }
    RefreshPanel(engine);
    ++engine.repaints;
    return shown;
}

void TransponderChosen(LiveTableEditing& editing, RunTables& tables, std::string_view transponder) {
    if (editing.editedRow < 0 || editing.editedRow >= tables.carsInUse) return;
    RunStanding& s = tables.standings[std::size_t(editing.editedRow)];
    Text<40> driver = s.driverName;
    s.transponder = transponder;
    for (RunCar& car : tables.cars) {
        if (car.driverName == driver) car.transponder = transponder;
    }
}

}  // namespace velkaro
