#include "qualification/round_classification.h"

#include <algorithm>
#include <limits>
#include <memory>

#include "common/int_text.h"
#include "common/plain_words.h"
#include "common/time_format.h"
#include "event/section.h"

namespace velkaro {

namespace {

std::size_t At(int i) {
    return static_cast<std::size_t>(i);
}

// The copy the selections work on: a driver who ran without laps or time, or without a best
// lap, is told apart from the entries without a result.
RoundResults SortingCopy(const RoundResults& entries) {
    RoundResults copy = entries;
    for (RoundResult& e : copy) {
        if (e.laps == 0 && e.totalTime == 0) e.totalTime = kRanWithoutTime;
        if (e.bestLap == 0) e.bestLap = kRanWithoutTime;
    }
    return copy;
}

bool BetterByLapsAndTime(const RoundResult& e, const RoundResult& c) {
    if (e.laps != c.laps) return e.laps > c.laps;
    if (e.totalTime != c.totalTime) return e.totalTime < c.totalTime;
    return e.bestLap <= c.bestLap;
}

bool BetterByBestLap(const RoundResult& e, const RoundResult& c) {
    if (e.bestLap != c.bestLap) return e.bestLap < c.bestLap;
    if (e.laps != c.laps) return e.laps > c.laps;
    return e.totalTime <= c.totalTime;
}

std::int32_t Saturated(std::int64_t v) {
    return static_cast<std::int32_t>(std::clamp<std::int64_t>(
        v, std::numeric_limits<std::int32_t>::min(), std::numeric_limits<std::int32_t>::max()));
}

bool NoResult(const RoundResult& e) {
    return e.laps == 0 && ((e.totalTime == 0 && e.bestLap == 0) ||
                           (e.totalTime == kNoTime && e.bestLap == kNoTime));
}

}  // namespace

PointsScale DefaultPointsScale(int participants) {
    return {participants + 5, 2, 1, 1, 1, 1};
}

int MergeHeats(std::span<const HeatLines> heatsRun, int driversPerHeat, RoundResults& entries) {
    int perHeat = std::clamp(driversPerHeat, 1, kCarSlots);
    int pastTable = 0;
    for (std::size_t j = 0; j < heatsRun.size(); ++j) {
        for (int k = 0; k < perHeat; ++k) {
            std::size_t to = j * At(perHeat) + At(k);
            const RoundResult& line = heatsRun[j][At(k)];
            if (to < entries.size()) {
                entries[to] = line;
            } else if (!line.name.Empty() && line.name.View() != kEmptySlotName) {
                ++pastTable;
            }
        }
    }
    for (RoundResult& e : entries) {
        if (e.name.View() == kEmptySlotName) e = RoundResult{};
    }
    return pastTable;
}

int RacedCount(const RoundResults& entries) {
    return static_cast<int>(std::count_if(entries.begin(), entries.end(),
                                          [](const RoundResult& e) { return !e.name.Empty(); }));
}

RoundResults SortRoundResults(const RoundResults& entries, Classification keyword) {
    if (keyword == Classification::Unknown) return entries;
    bool byBestLap = keyword == Classification::ByBestLap;
    RoundResults copy = SortingCopy(entries);
    std::array<bool, kHeatSlots> taken{};
    RoundResults out;
    for (std::size_t place = 0; place < out.size(); ++place) {
        RoundResult candidate;  // laps 0, no time, no best lap
        int index = -1;
        for (std::size_t i = 0; i < copy.size(); ++i) {
            const RoundResult& e = copy[i];
            if (byBestLap ? BetterByBestLap(e, candidate) : BetterByLapsAndTime(e, candidate)) {
                candidate = e;
                index = static_cast<int>(i);
            }
        }
        // Numbers beyond the sentinels (a damaged file) never beat the starting candidate: such an
        // entry takes the first place left rather than give one driver two places.
        if (index < 0 || taken[At(index)]) {
            index = static_cast<int>(std::find(taken.begin(), taken.end(), false) - taken.begin());
            candidate = copy[At(index)];
        }
        taken[At(index)] = true;
        RoundResult& o = out[place];
        o = candidate;
        o.name = entries[At(index)].name;
        if (o.totalTime == kRanWithoutTime && o.laps == 0) o.totalTime = 0;
        if (o.bestLap == kRanWithoutTime) o.bestLap = 0;
        RoundResult& mark = copy[At(index)];
        mark.laps = 0;
        mark.totalTime = kTakenTime;
        mark.bestLap = kTakenTime;
    }
    return out;
}

void ComputeRoundPoints(RoundResults& entries, const PointsScale& scale, Classification keyword,
                        int participants) {
    int n = std::clamp(participants, 0, kHeatSlots);
    std::int64_t points = scale[0];
    for (int i = 0; i < n; ++i) {
        if (i > 0) points -= scale[At(std::min(i, 5))];
        entries[At(i)].points = Saturated(points);
    }
    for (int i = 1; i < n; ++i) {
        const RoundResult& before = entries[At(i - 1)];
        RoundResult& e = entries[At(i)];
        bool tied = false;
        if (keyword == Classification::ByLapsAndTime) {
            tied = e.laps == before.laps && e.totalTime == before.totalTime;
        } else if (keyword == Classification::ByBestLap) {
            tied = e.bestLap == before.bestLap;
        }
        if (tied) e.points = before.points;
    }
    for (int i = 0; i < n; ++i) {
        RoundResult& e = entries[At(i)];
        if (NoResult(e) || e.points < 0) e.points = 0;
    }
}

void ClassifyRound(RoundClassification& c, int participants) {
    c.entries = SortRoundResults(c.entries, c.keyword.Value());
    ComputeRoundPoints(c.entries, c.scale, c.keyword.Value(), participants);
}

// ---------------------------------------------------------------------------------------------
// Reading the round.

namespace {

void ParseHeat(LineReader& r, int wanted, HeatLines& out, HeatRead& read) {
    auto car = std::make_unique<RunCar>();
    for (int k = 0; k < wanted; ++k) {
        RoundResult& line = out[At(k)];
        *car = RunCar{};
        bool whole = ReadCarLine(r.Next(), *car);
        line.name = car->driverName;
        line.laps = car->laps;
        line.totalTime = car->totalTime;
        line.bestLap = car->bestLap;
        if (whole || line.name.View() == kEmptySlotName) continue;
        // Shown as a driver who ran without a time: placed, counted, no points.
        Text<40> name = line.name;
        line = RoundResult{};
        line.name = name;
        if (!name.Empty()) line.totalTime = line.bestLap = 0;
        ++read.damaged;
        if (read.firstDamaged == 0) read.firstDamaged = k + 1;
    }
}

}  // namespace

void ReadRoundHeats(int category, int round, int heats, int perHeat, RoundHeatsRead& out,
                    Disk& disk) {
    int n = std::clamp(heats, 0, kHeatsPerRound);
    std::vector<SectionTitle> titles;
    for (int h = 1; h <= n; ++h) titles.push_back(HeatTitle(category, round, h));
    bool opened = ReadSectionsIn(titles, disk, [&](std::size_t h, LineReader& lines) {
        out.heats[h].outcome = FileOutcome::Done;
        ParseHeat(lines, std::clamp(perHeat, 0, kCarSlots), out.lines[h], out.heats[h]);
    });
    if (opened) out.outcome = FileOutcome::Done;
}

int ParticipantsOf(const RoundSheet& sheet) {
    return std::clamp(sheet.header.participants, 0, kParticipants);
}

bool RoundSheetReadOnly(const RoundSheet& sheet) {
    return sheet.header.finalsState == 2;
}

RoundSheet OpenRoundSheet(int category, int round, RoundNotes& notes, Disk& disk) {
    RoundSheet sheet;
    sheet.category = category;
    sheet.round = round;
    EventHeader header;
    if (ReadEventHeader(header, disk) != FileOutcome::Done) {
        notes.raceFileMissing = true;
        sheet.classification.scale = DefaultPointsScale(0);
        return sheet;
    }
    if (category >= 1 && category <= header.categoryCount)
        sheet.header = header.categories[At(category - 1)];
    int participants = ParticipantsOf(sheet);
    RoundClassification& c = sheet.classification;
    c.keyword = Classification::ByLapsAndTime;
    c.scale = DefaultPointsScale(participants);

    ReadTrack(sheet.track, disk);
    HeatSlotList slots = DefaultHeatSlotList();
    if (ReadHeatSlotList(category, slots, disk) == FileOutcome::NoSection) {
        notes.arrangementMissing = true;
    }
    RoundClassification stored;
    if (ReadRoundClassification(category, round, 0, stored, disk) == FileOutcome::Done) {
        c.keyword = stored.keyword;
        // Kept to what the edits can show: 3 digits for the winner, 2 for a gap.
        for (std::size_t i = 0; i < c.scale.size(); ++i) {
            c.scale[i] = std::clamp(stored.scale[i], 0, i == 0 ? 999 : 99);
        }
    }

    int perHeat = std::clamp(slots.driversPerHeat, 1, kCarSlots);
    std::vector<HeatLines> heatsRun;
    auto heats = std::make_unique<RoundHeatsRead>();
    ReadRoundHeats(category, round, sheet.header.heatsPerRound, perHeat, *heats, disk);
    for (int h = 1; h <= kHeatsPerRound; ++h) {
        const HeatRead& read = heats->heats[At(h - 1)];
        if (read.outcome != FileOutcome::Done) continue;
        heatsRun.push_back(heats->lines[At(h - 1)]);
        if (read.damaged > 0) notes.damagedHeats.push_back({h, read.damaged, read.firstDamaged});
    }
    notes.linesPastTable = MergeHeats(heatsRun, perHeat, c.entries);
    sheet.raced = RacedCount(c.entries);

    ParticipantNames names{};
    ReadParticipantNames(category, names, disk);
    for (const RoundResult& e : c.entries) {
        if (e.name.Empty()) continue;
        bool known = std::any_of(names.begin(), names.begin() + participants,
                                 [&](const Text<40>& n) { return n == e.name; });
        if (!known) notes.strangers.emplace_back(e.name.View());
    }
    ClassifyRound(c, participants);
    return sheet;
}

std::string NameLines(const std::vector<std::string>& names) {
    constexpr std::size_t kShown = 15;
    std::string text;
    for (std::size_t i = 0; i < names.size() && i < kShown; ++i) text += "\n" + names[i];
    if (names.size() > kShown)
        text += "\n... and " + std::to_string(names.size() - kShown) + " more";
    return text;
}

void ReportRoundNotes(const RoundNotes& notes, int round, Messages& messages) {
    if (notes.raceFileMissing) {
        messages.Error(kRaceFileNotFound);
        return;
    }
    if (notes.arrangementMissing) messages.Error(kArrangementTitleNotFound);
    if (!notes.damagedHeats.empty() || notes.linesPastTable > 0) {
        std::string text = "Error: Some results of round " + std::to_string(round) +
                           " cannot be read; these drivers are shown without a result:";
        for (const RoundNotes::Damage& d : notes.damagedHeats) {
            text += "\nHeat" + std::to_string(d.heat) + ": " + std::to_string(d.lines) +
                    " damaged line(s), the first is line " + std::to_string(d.first);
        }
        if (notes.linesPastTable > 0) {
            text += "\n" + std::to_string(notes.linesPastTable) +
                    " driver(s) beyond the 220 places of the heat list are left out";
        }
        messages.Error(text);
    }
    if (!notes.strangers.empty()) {
        std::string text =
            "These drivers ran in the round but are no longer in the list of participants "
            "(renamed or removed):";
        text += NameLines(notes.strangers);
        text += "\nThey keep their place here; the overall classification leaves them out.";
        messages.Show("Be careful", text, MessageButtons::Ok, MessageIcon::Warning);
    }
}

void SetRoundKeyword(RoundSheet& sheet, Classification keyword) {
    sheet.classification.keyword = keyword;
    ClassifyRound(sheet.classification, ParticipantsOf(sheet));
}

void SetScaleValue(RoundSheet& sheet, int index, std::int32_t value) {
    if (index < 0 || index >= 6) return;
    RoundClassification& c = sheet.classification;
    c.scale[At(index)] = value;
    ComputeRoundPoints(c.entries, c.scale, c.keyword.Value(), ParticipantsOf(sheet));
}

std::string TypedDigits(std::string_view typed, int maxDigits) {
    std::string digits;
    for (char ch : typed) {
        if (ch >= '0' && ch <= '9' && int(digits.size()) < maxDigits) digits += ch;
    }
    return digits;
}

FileOutcome SaveRoundSheet(const RoundSheet& sheet, Messages& messages, Disk& disk) {
    if (sheet.header.qualificationStarted != 1) return FileOutcome::Done;
    FileOutcome out = WriteRoundClassification(sheet.category, sheet.round, ParticipantsOf(sheet),
                                               sheet.classification, messages, disk);
    ReportUnavailable(out, messages);
    return out;
}

// ---------------------------------------------------------------------------------------------
// Texts and drawings.

Text<128> RoundTitleText(std::string_view categoryName, int round) {
    Text<128> t;
    Format(t, " %.*s : Qualif - Classification Round%d", int(categoryName.size()),
           categoryName.data(), round);
    return t;
}

Text<64> RoundNotCompletedText(int participants, int raced) {
    Text<64> t;
    if (participants > raced) {
        Format(t, " Round not completed (%d drivers didn't race) ", participants - raced);
    }
    return t;
}

int ScrollMaximum(int participants) {
    return std::max(0, participants - kScreenRows);
}

namespace {

// One row's texts, as the screen and the printout show them.
struct RowTexts {
    Text<8> place;
    Text<8> laps;
    TimeText total;
    TimeText best;
    Text<16> points;
};

RowTexts TextsOf(const RoundResult& e, int place) {
    RowTexts t;
    FormatInt(t.place, place);
    FormatInt(t.laps, e.laps);
    // The absence of a time shows blank.
    if (e.totalTime != kNoTime) FormatRaceTime(t.total, SplitTime(e.totalTime));
    if (e.bestLap != kNoTime) FormatLapTime(t.best, SplitTime(e.bestLap));
    FormatInt(t.points, e.points);
    return t;
}

// Screen geometry, in the form's pixels.
constexpr int kTableLeft = 30;
constexpr int kTableRight = 790;
constexpr int kHeadsTop = 56;
constexpr int kRowsTop = 82;
constexpr int kRowHeight = 22;
constexpr int kPlaceRight = 78;
constexpr int kNameLeft = 92;
constexpr int kLapsRight = 440;
constexpr int kTotalRight = 560;
constexpr int kBestRight = 670;
constexpr int kPointsRight = 770;

TextStyle ScreenText(int height, Align align = Align::Left, Rgb colour = kBlack) {
    return ReportText(height, align, colour);
}

}  // namespace

void DrawRoundScreen(Canvas& canvas, const RoundSheet& sheet, int scroll) {
    int participants = ParticipantsOf(sheet);
    int first = std::clamp(scroll, 0, ScrollMaximum(participants));
    int rows = std::min(kScreenRows, participants - first);
    int bottom = kRowsTop + kRowHeight * std::max(rows, 0);

    canvas.DrawText({600, 30}, RoundTitleText(sheet.header.name.View(), sheet.round).View(),
                    ScreenText(16, Align::Right));
    Text<64> missing = RoundNotCompletedText(participants, sheet.raced);
    if (!missing.Empty())
        canvas.DrawText({620, 30}, missing.View(), ScreenText(16, Align::Left, kDarkRed));

    canvas.FillRect({kTableLeft, kHeadsTop, kTableRight, std::max(bottom, kRowsTop)},
                    kTableBackground);
    canvas.FillRect({kTableLeft, kHeadsTop, kTableRight, kRowsTop}, kHeadsYellow);
    TextStyle head = ScreenText(16), headRight = ScreenText(16, Align::Right);
    int headY = kHeadsTop + 4;
    canvas.DrawText({kPlaceRight, headY}, "Place", headRight);
    canvas.DrawText({kNameLeft, headY}, "Driver", head);
    canvas.DrawText({kLapsRight, headY}, "Laps", headRight);
    canvas.DrawText({kTotalRight, headY}, "Racetime", headRight);
    canvas.DrawText({kBestRight, headY}, "Best lap", headRight);
    canvas.DrawText({kPointsRight, headY}, "Points", headRight);

    TextStyle left = ScreenText(15), right = ScreenText(15, Align::Right);
    for (int r = 0; r < rows; ++r) {
        int index = first + r;
        const RoundResult& e = sheet.classification.entries[At(index)];
        int top = kRowsTop + kRowHeight * r;
        if (index % 2 == 1)
            canvas.FillRect({kTableLeft, top, kTableRight, top + kRowHeight}, kRowYellow);
        canvas.DrawLine({kTableLeft, top + kRowHeight}, {kTableRight, top + kRowHeight}, 1,
                        kRowRuleGrey);
        RowTexts t = TextsOf(e, index + 1);
        int y = top + 3;
        canvas.DrawText({kPlaceRight, y}, t.place.View(), right);
        canvas.DrawText({kNameLeft, y}, e.name.View(),
                        FittedText(canvas, e.name.View(), left, kLapsRight - 50 - kNameLeft));
        canvas.DrawText({kLapsRight, y}, t.laps.View(), right);
        canvas.DrawText({kTotalRight, y}, t.total.View(), right);
        canvas.DrawText({kBestRight, y}, t.best.View(), right);
        canvas.DrawText({kPointsRight, y}, t.points.View(), right);
    }
    canvas.DrawRectangle({kTableLeft, kHeadsTop, kTableRight, std::max(bottom, kRowsTop) + 1}, 1,
                         kBlack, false, {});
}

ReportHeader RoundReportHeader(const RoundSheet& sheet) {
    ReportHeader h;
    SetCategoryAndEvent(h, sheet.header.name.View(), sheet.track.eventName.View(),
                        sheet.track.circuit.View());
    Format(h.title, "Qualification : Classification Round%d", sheet.round);
    h.footerX = 100;
    return h;
}

std::string_view RoundFooterPrefix(Classification keyword) {
    return keyword == Classification::ByBestLap ? "CLASSIFICATIONBestLapTime - "
                                                : "CLASSIFICATIONLaps+Time - ";
}

namespace {

constexpr std::array<int, 5> kReportRules{170, 520, 590, 720, 850};
constexpr std::array<ReportColumn, 6> kReportColumns{{
    {"Place", 160, Align::Right, 0},
    {"Driver", 180, Align::Left, 520 - 180 - 6},
    {"Laps", 580, Align::Right, 0},
    {"Racetime", 710, Align::Right, 0},
    {"Best lap", 840, Align::Right, 0},
    {"Points", 930, Align::Right, 0},
}};

// The table of the printout over texts made once.
struct RoundReport {
    std::vector<RowTexts> texts;
    const RoundSheet* sheet;
    ReportTable table;

    explicit RoundReport(const RoundSheet& s) : sheet(&s) {
        int rows = ParticipantsOf(s);
        for (int i = 0; i < rows; ++i)
            texts.push_back(TextsOf(s.classification.entries[At(i)], i + 1));
        table.left = 100;
        table.right = 950;
        table.rules = kReportRules;
        table.columns = kReportColumns;
        table.rows = rows;
        table.cell = [this](int row, int column) {
            const RowTexts& t = texts[At(row)];
            switch (column) {
                case 0:
                    return ReportCell{t.place.View()};
                case 1:
                    return ReportCell{sheet->classification.entries[At(row)].name.View()};
                case 2:
                    return ReportCell{t.laps.View()};
                case 3:
                    return ReportCell{t.total.View()};
                case 4:
                    return ReportCell{t.best.View()};
                default:
                    return ReportCell{t.points.View()};
            }
        };
    }
};

}  // namespace

bool DrawRoundReport(Canvas& canvas, const RoundSheet& sheet, const ReportHeader& header) {
    RoundReport report(sheet);
    return DrawReport(canvas, header, report.table);
}

PrintOutcome PrintRoundSheet(const RoundSheet& sheet, Dialogs& dialogs, Messages& messages,
                             Clock& clock) {
    RoundReport report(sheet);
    Text<32> what;
    Format(what, "Round %d classification", sheet.round);
    const Text<160> name =
        DocumentName(sheet.track.eventName.View(), sheet.header.name.View(), what.View());
    return PrintReport(dialogs, messages, clock, name.View(), RoundReportHeader(sheet),
                       RoundFooterPrefix(sheet.classification.keyword.Value()), report.table);
}

}  // namespace velkaro
