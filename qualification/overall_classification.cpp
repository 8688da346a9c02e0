#include "qualification/overall_classification.h"

#include <algorithm>
#include <memory>

#include "common/int_text.h"
#include "common/plain_words.h"
#include "common/time_format.h"
#include "qualification/round_classification.h"

namespace velkaro {

namespace {

std::size_t At(int i) {
    return static_cast<std::size_t>(i);
}

// A result of no laps and no time, and a best lap of 0, stand for a driver who ran without one.
std::int32_t ResultTime(const RoundRun& r) {
    return r.laps == 0 && r.totalTime == 0 ? kRanWithoutTime : r.totalTime;
}
std::int32_t LapTime(std::int32_t bestLap) {
    return bestLap == 0 ? kRanWithoutTime : bestLap;
}

// What the ranking compares, on its working copy.
struct RankKeys {
    std::int32_t total = 0;
    std::array<std::int32_t, kRounds> points{};
    std::int32_t laps = 0;
    std::int32_t time = kNoTime;
    std::int32_t bestLap = kNoTime;
};

RankKeys KeysOf(const OverallEntry& e) {
    RankKeys k;
    k.total = e.total;
    for (int i = 0; i < kRounds; ++i) k.points[At(i)] = e.roundPoints[At(i)].points;
    k.laps = e.results[0].laps;
    k.time = ResultTime(e.results[0]);
    k.bestLap = LapTime(e.bestLaps[0].bestLap);
    return k;
}

bool Better(const RankKeys& e, const RankKeys& c, Classification keyword) {
    if (e.total != c.total) return e.total > c.total;
    for (std::size_t i = 0; i < e.points.size(); ++i) {
        if (e.points[i] != c.points[i]) return e.points[i] > c.points[i];
    }
    if (keyword == Classification::ByLapsAndTime) {
        if (e.laps != c.laps) return e.laps > c.laps;
        if (e.time != c.time) return e.time < c.time;
        return e.bestLap <= c.bestLap;
    }
    if (keyword == Classification::ByBestLap) {
        if (e.bestLap != c.bestLap) return e.bestLap < c.bestLap;
        if (e.laps != c.laps) return e.laps > c.laps;
        return e.time <= c.time;
    }
    return false;
}

}  // namespace

OverallEntries EntriesOf(const ParticipantNames& names) {
    OverallEntries entries{};
    for (std::size_t i = 0; i < entries.size(); ++i) entries[i].name = names[i];
    return entries;
}

std::vector<std::string> MergeRound(OverallEntries& entries, int participants, int round,
                                    std::span<const RoundResult> lines) {
    std::vector<std::string> strangers;
    if (round < 1 || round > kRounds) return strangers;
    auto end = entries.begin() + std::clamp(participants, 0, kParticipants);
    std::size_t slot = At(round - 1);
    for (const RoundResult& line : lines) {
        if (line.name.Empty()) continue;
        auto it = std::find_if(entries.begin(), end,
                               [&](const OverallEntry& e) { return e.name == line.name; });
        if (it == end) {
            strangers.emplace_back(line.name.View());
            continue;
        }
        it->roundPoints[slot] = {line.points, round};
        it->results[slot] = {line.laps, line.totalTime, round};
        it->bestLaps[slot] = {line.bestLap, round};
    }
    return strangers;
}

void SortRoundValues(OverallEntry& e) {
    std::sort(e.roundPoints.begin(), e.roundPoints.end(),
              [](const RoundPoints& a, const RoundPoints& b) {
                  if (a.points != b.points) return a.points > b.points;
                  return a.round > b.round;
              });
    std::sort(e.results.begin(), e.results.end(), [](const RoundRun& a, const RoundRun& b) {
        if (a.laps != b.laps) return a.laps > b.laps;
        if (ResultTime(a) != ResultTime(b)) return ResultTime(a) < ResultTime(b);
        return a.round > b.round;
    });
    std::sort(e.bestLaps.begin(), e.bestLaps.end(),
              [](const RoundBestLap& a, const RoundBestLap& b) {
                  if (LapTime(a.bestLap) != LapTime(b.bestLap)) {
                      return LapTime(a.bestLap) < LapTime(b.bestLap);
                  }
                  return a.round > b.round;
              });
}

void ComputeTotals(OverallEntries& entries, int participants, int bestRounds) {
    int n = std::clamp(bestRounds, 0, kRounds);
    for (int i = 0; i < std::clamp(participants, 0, kParticipants); ++i) {
        OverallEntry& e = entries[At(i)];
        std::int64_t sum = 0;
        for (int k = 0; k < n; ++k) sum += e.roundPoints[At(k)].points;
        e.total = static_cast<std::int32_t>(std::clamp<std::int64_t>(sum, -2000000000, 2000000000));
    }
}

int ClassifiedCount(const OverallEntries& entries, int participants) {
    int n = 0;
    for (int i = 0; i < std::clamp(participants, 0, kParticipants); ++i) {
        const OverallEntry& e = entries[At(i)];
        if (e.total != 0 || e.results[0].laps != 0 || e.results[0].totalTime != 0 ||
            e.bestLaps[0].bestLap != 0) {
            ++n;
        }
    }
    return n;
}

OverallEntries RankOverall(const OverallEntries& entries, int participants,
                           Classification keyword) {
    int n = std::clamp(participants, 0, kParticipants);
    std::vector<RankKeys> copy;
    copy.reserve(At(n));
    for (int i = 0; i < n; ++i) copy.push_back(KeysOf(entries[At(i)]));
    std::vector<bool> taken(At(n), false);
    OverallEntries out{};
    for (int place = 0; place < n; ++place) {
        RankKeys candidate;  // no points, no laps, no time
        int index = -1;
        for (int i = 0; i < n; ++i) {
            if (Better(copy[At(i)], candidate, keyword)) {
                candidate = copy[At(i)];
                index = i;
            }
        }
        // Negative points or times past the sentinels (a damaged file), or an unknown keyword on
        // a tie, never beat the starting candidate: the first entry left takes the place rather
        // than one driver two places.
        if (index < 0 || taken[At(index)]) {
            index = static_cast<int>(std::find(taken.begin(), taken.end(), false) - taken.begin());
        }
        taken[At(index)] = true;
        out[At(place)] = entries[At(index)];
        RankKeys& mark = copy[At(index)];
        mark.total = -1;
        mark.points.fill(-1);
        mark.laps = 0;
        mark.time = kTakenTime;
        mark.bestLap = kTakenTime;
    }
    return out;
}

// ---------------------------------------------------------------------------------------------
// The event file.

namespace {

bool NumberField(FieldReader& fields, std::int32_t& value) {
    std::string_view f = fields.Next();
    if (!StartsWithNumber(f)) return false;
    value = ParseInt(f);
    return true;
}

}  // namespace

namespace {

void ParseStoredRound(LineReader& r, int wanted, std::array<RoundResult, kParticipants>& lines,
                      StoredRound& read) {
    r.Next();  // keyword and scale
    for (int i = 0; i < wanted; ++i) {
        std::string_view text = r.Next();
        FieldReader fields(text);
        RoundResult line;
        fields.NextText(line.name);
        // Every field is read, so that a damaged one does not make the line look longer.
        bool whole = NumberField(fields, line.laps);
        whole &= NumberField(fields, line.totalTime);
        whole &= NumberField(fields, line.bestLap);
        whole &= NumberField(fields, line.points);
        // Past the last line written lies the reservation's filler, then other sections.
        if (text.empty() || !fields.AtEnd()) return;
        if (line.name.Empty()) continue;
        if (!whole) {
            ++read.damaged;
            continue;
        }
        lines[At(read.lines++)] = line;
    }
}

}  // namespace

void ReadStoredRounds(int category, int rounds, int participants, StoredRounds& out, Disk& disk) {
    out = StoredRounds{};
    std::vector<SectionTitle> titles;
    for (int r = 1; r <= std::clamp(rounds, 0, kRounds); ++r) {
        titles.push_back(RoundClassificationTitle(category, r));
    }
    bool opened = ReadSectionsIn(titles, disk, [&](std::size_t r, LineReader& lines) {
        out.rounds[r].outcome = FileOutcome::Done;
        ParseStoredRound(lines, std::clamp(participants, 0, kParticipants), out.lines[r],
                         out.rounds[r]);
    });
    if (opened) out.outcome = FileOutcome::Done;
}

int ParticipantsOf(const OverallSheet& sheet) {
    return std::clamp(sheet.header.participants, 0, kParticipants);
}

bool OverallSheetReadOnly(const OverallSheet& sheet) {
    return sheet.header.finalsState == 2;
}

namespace {

void Recompute(OverallSheet& s) {
    int p = ParticipantsOf(s);
    ComputeTotals(s.merged, p, s.bestRounds);
    s.classified = ClassifiedCount(s.merged, p);
    s.ranked = RankOverall(s.merged, p, s.keyword.Value());
}

}  // namespace

OverallSheet OpenOverallSheet(int category, OverallNotes& notes, Disk& disk) {
    OverallSheet sheet;
    sheet.category = category;
    EventHeader header;
    if (ReadEventHeader(header, disk) != FileOutcome::Done) {
        notes.raceFileMissing = true;
        return sheet;
    }
    if (category >= 1 && category <= header.categoryCount) {
        sheet.header = header.categories[At(category - 1)];
    }
    int p = ParticipantsOf(sheet);
    ParticipantNames names{};
    ReadParticipantNames(category, names, disk);
    sheet.merged = EntriesOf(names);
    ReadTrack(sheet.track, disk);
    OverallClassification stored;
    if (ReadOverallClassification(category, 0, stored, disk) == FileOutcome::Done) {
        sheet.keyword = stored.keyword;
        sheet.bestRounds = std::clamp(stored.bestRounds, 0, kRounds);
    }
    auto rounds = std::make_unique<StoredRounds>();
    ReadStoredRounds(category, sheet.header.rounds, p, *rounds, disk);
    for (int r = 1; r <= kRounds; ++r) {
        const StoredRound& read = rounds->rounds[At(r - 1)];
        if (read.outcome != FileOutcome::Done) continue;
        if (read.damaged > 0) notes.damagedRounds.push_back({r, read.damaged});
        std::span<const RoundResult> lines(rounds->lines[At(r - 1)].data(), At(read.lines));
        for (const std::string& name : MergeRound(sheet.merged, p, r, lines)) {
            notes.strangers.push_back("Round" + std::to_string(r) + ": " + name);
        }
    }
    for (int i = 0; i < p; ++i) SortRoundValues(sheet.merged[At(i)]);
    Recompute(sheet);
    return sheet;
}

void ReportOverallNotes(const OverallNotes& notes, Messages& messages) {
    if (notes.raceFileMissing) {
        messages.Error(kRaceFileNotFound);
        return;
    }
    if (!notes.damagedRounds.empty()) {
        std::string text =
            "Error: Some lines of the round classifications cannot be read and are "
            "left out:";
        for (const OverallNotes::Damage& d : notes.damagedRounds) {
            text +=
                "\nRound" + std::to_string(d.round) + ": " + std::to_string(d.lines) + " line(s)";
        }
        messages.Error(text);
    }
    if (!notes.strangers.empty()) {
        std::string text =
            "These drivers of the round classifications are no longer in the list of "
            "participants (renamed or removed); their points are not counted:";
        text += NameLines(notes.strangers);
        text += "\nValidate the round classifications again to count them under their new names.";
        messages.Show("Be careful", text, MessageButtons::Ok, MessageIcon::Warning);
    }
}

void SetBestRounds(OverallSheet& sheet, std::int32_t bestRounds) {
    sheet.bestRounds = std::clamp(bestRounds, 0, kRounds);
    Recompute(sheet);
}

void SetOverallKeyword(OverallSheet& sheet, Classification keyword) {
    sheet.keyword = keyword;
    Recompute(sheet);
}

FileOutcome SaveOverallSheet(const OverallSheet& sheet, Messages& messages, Disk& disk) {
    int p = ParticipantsOf(sheet);
    if (p == 0) {
        messages.Error(kNothingToRank);
        return FileOutcome::NoSection;
    }
    EventHeader header;
    FileOutcome out = ReadEventHeader(header, disk);
    if (!ReportUnavailable(out, messages)) return out;
    OverallClassification c;
    c.keyword = sheet.keyword;
    c.bestRounds = sheet.bestRounds;
    for (int i = 0; i < p; ++i) c.names[At(i)] = sheet.ranked[At(i)].name;
    // The ranking and the state that opens the finals to it are stored together.
    Transaction t{EventStore{disk}};
    PutOverallClassification(t, sheet.category, p, c, messages);
    if (sheet.category >= 1 && sheet.category <= header.categoryCount) {
        header.categories[At(sheet.category - 1)].finalsState = 1;
        PutEventHeader(t, header);
    }
    out = t.Commit();
    ReportUnavailable(out, messages);
    return out;
}

// ---------------------------------------------------------------------------------------------
// Texts and drawings.

int OverallRoundColumns(const OverallSheet& sheet, int most) {
    return std::clamp(int(sheet.header.rounds), 1, most);
}

Text<32> BestRoundsHead(int columns) {
    Text<32> t;
    if (columns <= 1) {
        t = "the best round";
    } else {
        Format(t, "the %d best rounds", columns);
    }
    return t;
}

Text<128> OverallTitleText(std::string_view categoryName) {
    Text<128> t;
    Format(t, "%.*s : Qualif - Overall classification", int(categoryName.size()),
           categoryName.data());
    return t;
}

Text<64> NoPointsText(int participants, int classified) {
    Text<64> t;
    if (participants > classified) {
        Format(t, " %d drivers have no points ", participants - classified);
    }
    return t;
}

namespace {

// One ranked row's texts, as the screen and the printout show them.
struct OverallRowTexts {
    Text<8> place;
    Text<16> total;
    std::array<Text<16>, 5> points;
    std::array<Text<8>, 5> rounds;
    Text<8> laps;
    TimeText time;
    TimeText bestLap;
    Text<8> resultRound;
    Text<8> bestLapRound;
};

Text<8> RoundNumber(std::int32_t round) {
    Text<8> t;
    if (round > 0) Format(t, "(%d)", round);
    return t;
}

OverallRowTexts TextsOf(const OverallEntry& e, int place) {
    OverallRowTexts t;
    FormatInt(t.place, place);
    FormatInt(t.total, e.total);
    for (std::size_t k = 0; k < t.points.size(); ++k) {
        FormatInt(t.points[k], e.roundPoints[k].points);
        t.rounds[k] = RoundNumber(e.roundPoints[k].round);
    }
    FormatInt(t.laps, e.results[0].laps);
    if (e.results[0].totalTime != kNoTime)
        FormatRaceTime(t.time, SplitTime(e.results[0].totalTime));
    if (e.bestLaps[0].bestLap != kNoTime)
        FormatLapTime(t.bestLap, SplitTime(e.bestLaps[0].bestLap));
    t.resultRound = RoundNumber(e.results[0].round);
    t.bestLapRound = RoundNumber(e.bestLaps[0].round);
    return t;
}

// Screen geometry, in the form's pixels.
constexpr int kLeft = 20;
constexpr int kRight = 900;
constexpr int kHeadsTop = 36;
constexpr int kRowsTop = 84;
constexpr int kRowHeight = 26;
constexpr int kPlaceRight = 62;
constexpr int kNameLeft = 74;
constexpr int kTotalRight = 350;
constexpr std::array<int, 5> kRoundRights{410, 460, 510, 560, 610};
constexpr int kLapsRight = 680;
constexpr int kTimeRight = 790;
constexpr int kBestRight = 885;

}  // namespace

void DrawOverallScreen(Canvas& canvas, const OverallSheet& sheet, int scroll) {
    int p = ParticipantsOf(sheet);
    int first = std::clamp(scroll, 0, ScrollMaximum(p));
    int rows = std::min(kOverallScreenRows, p - first);
    int bottom = kRowsTop + kRowHeight * std::max(rows, 0);

    canvas.DrawText({600, 12}, OverallTitleText(sheet.header.name.View()).View(),
                    ReportText(16, Align::Right));
    Text<64> none = NoPointsText(p, sheet.classified);
    if (!none.Empty())
        canvas.DrawText({620, 12}, none.View(), ReportText(16, Align::Left, kDarkRed));

    canvas.FillRect({kLeft, kHeadsTop, kRight, bottom}, kTableBackground);
    canvas.FillRect({kLeft, kHeadsTop, kRight, kRowsTop}, kHeadsYellow);
    TextStyle head = ReportText(16), headRight = ReportText(16, Align::Right);
    int headY = kHeadsTop + 26;
    const std::size_t shown = static_cast<std::size_t>(OverallRoundColumns(sheet, 5));
    canvas.DrawText({(kRoundRights[0] - 40 + kRoundRights[shown - 1]) / 2, kHeadsTop + 4},
                    BestRoundsHead(int(shown)).View(), ReportText(16, Align::Centre));
    canvas.DrawText({kPlaceRight, headY}, "Place", headRight);
    canvas.DrawText({kNameLeft, headY}, "Driver", head);
    canvas.DrawText({kTotalRight, headY}, "Points", headRight);
    constexpr std::array<std::string_view, 5> kRoundHeads{"best", "2nd", "3rd", "4th", "5th"};
    for (std::size_t k = 0; k < shown; ++k) {
        canvas.DrawText({kRoundRights[k], headY}, kRoundHeads[k], headRight);
    }
    canvas.DrawText({kLapsRight, headY}, "Laps", headRight);
    canvas.DrawText({kTimeRight, headY}, "Racetime", headRight);
    canvas.DrawText({kBestRight, headY}, "Best lap", headRight);

    TextStyle left = ReportText(15), right = ReportText(15, Align::Right);
    TextStyle small = ReportText(11, Align::Right);
    for (int r = 0; r < rows; ++r) {
        int index = first + r;
        const OverallEntry& e = sheet.ranked[At(index)];
        int top = kRowsTop + kRowHeight * r;
        if (index % 2 == 1) canvas.FillRect({kLeft, top, kRight, top + kRowHeight}, kRowYellow);
        canvas.DrawLine({kLeft, top + kRowHeight}, {kRight, top + kRowHeight}, 1, kRowRuleGrey);
        OverallRowTexts t = TextsOf(e, index + 1);
        int y = top + 1, under = top + 14;
        canvas.DrawText({kPlaceRight, y}, t.place.View(), right);
        canvas.DrawText({kNameLeft, y}, e.name.View(),
                        FittedText(canvas, e.name.View(), left, kTotalRight - 50 - kNameLeft));
        canvas.DrawText({kTotalRight, y}, t.total.View(), right);
        for (std::size_t k = 0; k < shown; ++k) {
            canvas.DrawText({kRoundRights[k], y}, t.points[k].View(), right);
            canvas.DrawText({kRoundRights[k], under}, t.rounds[k].View(), small);
        }
        canvas.DrawText({kLapsRight, y}, t.laps.View(), right);
        canvas.DrawText({kTimeRight, y}, t.time.View(), right);
        canvas.DrawText({kTimeRight, under}, t.resultRound.View(), small);
        canvas.DrawText({kBestRight, y}, t.bestLap.View(), right);
        canvas.DrawText({kBestRight, under}, t.bestLapRound.View(), small);
    }
    canvas.DrawRectangle({kLeft, kHeadsTop, kRight, bottom + 1}, 1, kBlack, false, {});
}

ReportHeader OverallReportHeader(const OverallSheet& sheet) {
    ReportHeader h;
    SetCategoryAndEvent(h, sheet.header.name.View(), sheet.track.eventName.View(),
                        sheet.track.circuit.View());
    h.title = "Qualification : Overall classification";
    h.footerX = 60;
    return h;
}

Text<64> OverallFooterPrefix(int bestRounds) {
    Text<64> t;
    Format(t, "SUM OF POINTS of the best %d qualifying rounds - ", bestRounds);
    return t;
}

namespace {

constexpr int kSmallPrint = 13;
constexpr std::array<int, 5> kOverallRules{130, 520, 745, 810, 940};
constexpr std::array<ReportColumn, 16> kOverallColumns{{
    {"Place", 120, Align::Right, 0, 265},
    {"Driver", 140, Align::Left, 520 - 140 - 60, 265},
    {"Points", 512, Align::Right, 0, 265},
    {"best", 570, Align::Right, 0, 280},
    {"2nd", 625, Align::Right, 0, 280},
    {"3rd", 680, Align::Right, 0, 280},
    {"4th", 735, Align::Right, 0, 280},
    {"Laps", 800, Align::Right, 0, 280},
    {"Racetime", 930, Align::Right, 0, 280},
    {"Best lap", 1060, Align::Right, 0, 280},
    {"", 725, Align::Right, 0, 255},  // over the round columns: BestRoundsHead
    {"best result", 960, Align::Right, 0, 255},
    {"", 575, Align::Right, 0, 0, kSmallPrint},
    {"", 630, Align::Right, 0, 0, kSmallPrint},
    {"", 685, Align::Right, 0, 0, kSmallPrint},
    {"", 740, Align::Right, 0, 0, kSmallPrint},
}};

struct OverallReport {
    std::vector<OverallRowTexts> texts;
    const OverallSheet* sheet;
    int shown = 4;  // round columns of the category's rounds
    Text<32> roundsHead;
    std::array<ReportColumn, 16> columns = kOverallColumns;
    ReportTable table;

    explicit OverallReport(const OverallSheet& s) : sheet(&s) {
        shown = OverallRoundColumns(s, 4);
        roundsHead = BestRoundsHead(shown);
        columns[10].head = roundsHead.View();
        for (std::size_t k = std::size_t(shown); k < 4; ++k) columns[3 + k].head = {};
        int rows = ParticipantsOf(s);
        for (int i = 0; i < rows; ++i) texts.push_back(TextsOf(s.ranked[At(i)], i + 1));
        table.left = 40;
        table.right = 1075;
        table.rules = kOverallRules;
        table.columns = columns;
        table.rows = rows;
        table.cell = [this](int row, int column) {
            const OverallRowTexts& t = texts[At(row)];
            switch (column) {
                case 0:
                    return ReportCell{t.place.View()};
                case 1:
                    return ReportCell{sheet->ranked[At(row)].name.View()};
                case 2:
                    return ReportCell{t.total.View()};
                case 3:
                case 4:
                case 5:
                case 6:
                    if (column - 3 >= shown) return ReportCell{};
                    return ReportCell{t.points[At(column - 3)].View()};
                case 7:
                    return ReportCell{t.laps.View()};
                case 8:
                    return ReportCell{t.time.View()};
                case 9:
                    return ReportCell{t.bestLap.View()};
                case 12:
                case 13:
                case 14:
                case 15:
                    if (column - 12 >= shown) return ReportCell{};
                    return ReportCell{t.rounds[At(column - 12)].View()};
                default:
                    return ReportCell{};
            }
        };
    }
};

}  // namespace

bool DrawOverallReport(Canvas& canvas, const OverallSheet& sheet, const ReportHeader& header) {
    OverallReport report(sheet);
    return DrawReport(canvas, header, report.table);
}

PrintOutcome PrintOverallSheet(const OverallSheet& sheet, Dialogs& dialogs, Messages& messages,
                               Clock& clock) {
    OverallReport report(sheet);
    const Text<160> name = DocumentName(sheet.track.eventName.View(), sheet.header.name.View(),
                                        "Overall classification");
    return PrintReport(dialogs, messages, clock, name.View(), OverallReportHeader(sheet),
                       OverallFooterPrefix(sheet.bestRounds).View(), report.table);
}

}  // namespace velkaro
