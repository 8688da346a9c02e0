#include "analysis/results_tables.h"

#include <algorithm>
#include <charconv>
#include <memory>

#include "common/plain_words.h"
#include "event/event_file.h"
#include "event/section.h"
#include "event/sections.h"
#include "finals/arrangement.h"
#include "finals/closure.h"
#include "finals/finals_run.h"
#include "platform/cp1252.h"
#include "platform/messages.h"
#include "qualification/overall_classification.h"
#include "qualification/round_classification.h"
#include "timing/passing_processing.h"

namespace velkaro::results {
namespace {

// What the form would have put in a message box becomes a note of the table.
class NoteMessages : public Messages {
  public:
    explicit NoteMessages(std::vector<std::string>& notes) : notes_(notes) {}
    MessageAnswer Show(std::string_view, std::string_view text, MessageButtons,
                       MessageIcon) override {
        notes_.push_back(Utf8FromCp1252(text));
        return MessageAnswer::Ok;
    }

  private:
    std::vector<std::string>& notes_;
};

Cell TextCell(std::string_view cp1252) {
    return Cell{Utf8FromCp1252(cp1252), 0, false};
}
Cell NumberCell(std::int64_t v) {
    return Cell{{}, v, false};
}
Cell TimeCell(std::int32_t ms) {
    return Cell{{}, ms, ms == kNoTime || ms == kRanWithoutTime};
}

void AddNote(Table& t, std::string_view cp1252) {
    // The system's texts are padded with spaces for the screen.
    std::size_t b = cp1252.find_first_not_of(' ');
    std::size_t e = cp1252.find_last_not_of(' ');
    if (b != std::string_view::npos) t.notes.push_back(Utf8FromCp1252(cp1252.substr(b, e - b + 1)));
}

std::string Ordinal(int k) {
    static constexpr std::array<std::string_view, 9> kNames{"Best", "2nd", "3rd", "4th", "5th",
                                                            "6th",  "7th", "8th", "9th"};
    return std::string(kNames[std::size_t(k)]);
}

std::string LevelId(int level, char letter) {
    if (level == 0) return "final";
    return "f" + std::to_string(1 << level) + std::string(1, char(letter + ('a' - 'A')));
}

}  // namespace

bool ReadEvent(Disk& disk, Event& event) {
    EventFile f;
    if (!f.Open(disk) || f.bytes.empty()) return false;
    // The header's first two fields are numbers, and every event file has its run-done flags.
    std::string_view first = f.bytes.substr(0, f.bytes.find_first_of("\r\n"));
    int fields[2] = {-1, -1};
    std::size_t at = 0;
    for (int& v : fields) {
        std::size_t end = std::min(first.find('\t', at), first.size());
        auto r = std::from_chars(first.data() + at, first.data() + end, v);
        if (r.ec != std::errc() || r.ptr != first.data() + end) return false;
        at = std::min(end + 1, first.size());
    }
    if (fields[1] < 1 || fields[1] > kCategories) return false;
    if (!FindSectionIn(f.bytes, kRunDoneFlagsTitle).found) return false;
    if (ReadEventHeader(event.header, disk) != FileOutcome::Done) return false;
    TrackRecord track;
    ReadTrack(track, disk);
    event.eventName = Utf8FromCp1252(track.eventName.View());
    event.club = Utf8FromCp1252(track.club.View());
    event.circuit = Utf8FromCp1252(track.circuit.View());
    return true;
}

int FindCategory(const Event& event, std::string_view arg) {
    int n = 0;
    auto r = std::from_chars(arg.data(), arg.data() + arg.size(), n);
    if (r.ec == std::errc() && r.ptr == arg.data() + arg.size())
        return n >= 1 && n <= event.header.categoryCount ? n : 0;
    for (int c = 1; c <= event.header.categoryCount; ++c)
        if (CategoryName(event, c) == arg) return c;
    return 0;
}

std::string CategoryName(const Event& event, int category) {
    return Utf8FromCp1252(event.header.categories[std::size_t(category - 1)].name.View());
}

Table RoundTable(const Event& event, int category, int round, Disk& disk) {
    Table t;
    t.id = "c" + std::to_string(category) + "-round" + std::to_string(round);
    t.title = CategoryName(event, category) + " - Round " + std::to_string(round);
    t.columns = {{"Place", ColumnKind::Number},     {"Driver", ColumnKind::Text},
                 {"Laps", ColumnKind::Number},      {"Racetime", ColumnKind::RaceTime},
                 {"Best lap", ColumnKind::LapTime}, {"Points", ColumnKind::Number}};
    RoundNotes notes;
    auto sheet = std::make_unique<RoundSheet>(OpenRoundSheet(category, round, notes, disk));
    NoteMessages boxes(t.notes);
    ReportRoundNotes(notes, round, boxes);
    int participants = ParticipantsOf(*sheet);
    AddNote(t, RoundNotCompletedText(participants, sheet->raced).View());
    for (int i = 0; i < participants; ++i) {
        const RoundResult& e = sheet->classification.entries[std::size_t(i)];
        t.rows.push_back({NumberCell(i + 1), TextCell(e.name.View()), NumberCell(e.laps),
                          TimeCell(e.totalTime), TimeCell(e.bestLap), NumberCell(e.points)});
    }
    return t;
}

Table OverallTable(const Event& event, int category, int bestRounds, Disk& disk) {
    Table t;
    t.id = "c" + std::to_string(category) + "-overall";
    t.title = CategoryName(event, category) + " - Qualification";
    OverallNotes notes;
    auto sheet = std::make_unique<OverallSheet>(OpenOverallSheet(category, notes, disk));
    if (bestRounds >= 0) SetBestRounds(*sheet, bestRounds);
    NoteMessages boxes(t.notes);
    ReportOverallNotes(notes, boxes);
    t.notes.push_back("Total of the best " + std::to_string(sheet->bestRounds) + " rounds");
    int participants = ParticipantsOf(*sheet);
    AddNote(t, NoPointsText(participants, sheet->classified).View());
    int rounds = std::clamp(int(sheet->header.rounds), 1, kRounds);
    t.columns = {
        {"Place", ColumnKind::Number}, {"Driver", ColumnKind::Text}, {"Total", ColumnKind::Number}};
    for (int k = 0; k < rounds; ++k) {
        t.columns.push_back({Ordinal(k), ColumnKind::Number});
        t.columns.push_back({Ordinal(k) + " round", ColumnKind::Number});
    }
    t.columns.push_back({"Laps", ColumnKind::Number});
    t.columns.push_back({"Racetime", ColumnKind::RaceTime});
    t.columns.push_back({"Best lap", ColumnKind::LapTime});
    for (int i = 0; i < participants; ++i) {
        const OverallEntry& e = sheet->ranked[std::size_t(i)];
        std::vector<Cell> row{NumberCell(i + 1), TextCell(e.name.View()), NumberCell(e.total)};
        for (int k = 0; k < rounds; ++k) {
            const RoundPoints& p = e.roundPoints[std::size_t(k)];
            row.push_back(NumberCell(p.points));
            Cell r = NumberCell(p.round);
            r.blank = p.round == 0;
            row.push_back(r);
        }
        row.push_back(NumberCell(e.results[0].laps));
        row.push_back(TimeCell(e.results[0].totalTime));
        row.push_back(TimeCell(e.bestLaps[0].bestLap));
        t.rows.push_back(std::move(row));
    }
    return t;
}

std::vector<Table> FinalsTables(const Event& event, int category, Disk& disk) {
    std::vector<Table> tables;
    const CategoryRecord& record = event.header.categories[std::size_t(category - 1)];
    std::string name = CategoryName(event, category);
    // Until "Generate" has counted the runs there are none, not even the Final (the event
    // tree shows no run node either).
    if (record.finalsRuns < 1) return tables;
    auto cars = std::make_unique<RunCars>();
    // Levels above the starting one have no runs: nothing is placed there.
    const int start = StartLevelOf(record.finalsRuns);
    for (int level = std::min(start, kFinalsLevels); level >= 0; --level) {
        for (char letter : {'A', 'B'}) {
            if (level == 0 && letter == 'B') continue;
            FinalsField field = PlaceStoredFinalsRun(category, record, level, letter, disk);
            Table t;
            t.id = "c" + std::to_string(category) + "-" + LevelId(level, letter);
            std::string runText = Utf8FromCp1252(FinalsLevelText(level, letter).View());
            t.title = name + " - " + (level == 0 ? std::string("Final") : "Finals " + runText);
            if (field.overall == FileOutcome::NoSection) AddNote(t, kOverallTitleNotFound);
            t.columns = {{"Grid", ColumnKind::Number}, {"Driver", ColumnKind::Text}};
            for (int k = 0; k < kCarSlots; ++k)
                t.rows.push_back({NumberCell(k + 1), TextCell(field.names[std::size_t(k)].View())});
            // The stored result in finishing order, as the ladder reads it for the run above.
            Table result;
            result.id = t.id + "-result";
            result.title = t.title + " - Result";
            result.columns = {{"Place", ColumnKind::Number},
                              {"Driver", ColumnKind::Text},
                              {"Laps", ColumnKind::Number},
                              {"Racetime", ColumnKind::RaceTime},
                              {"Last lap", ColumnKind::LapTime}};
            RunTrailer trailer;
            std::int32_t status = 0;
            ClearRunCars(*cars);
            bool stored = ReadFinalsRunResult(FinalsRunTitle(category, level, letter).View(), *cars,
                                              status, trailer, disk) == FileOutcome::Done;
            FinalsSource source = SourceFromCars(*cars);
            if (stored && SourceWasRun(source)) {
                AddNote(result, RunDescriptionInWords(trailer.description.View()).View());
                if (!trailer.comment.Empty()) AddNote(result, trailer.comment.View());
                FinalsSource ordered = OrderSourceResult(source);
                int place = 0;
                for (const FinalsSourceEntry& o : ordered) {
                    if (o.name.Empty() || o.name == kEmptySlotName) continue;
                    result.rows.push_back({NumberCell(++place), TextCell(o.name.View()),
                                           NumberCell(o.laps), TimeCell(o.totalTime),
                                           TimeCell(o.lastLap)});
                }
            } else {
                result.notes.push_back("Not run yet");
            }
            tables.push_back(std::move(t));
            tables.push_back(std::move(result));
        }
    }
    return tables;
}

Table ClosureTableOf(const Event& event, int category, Disk& disk) {
    Table t;
    t.id = "c" + std::to_string(category) + "-closure";
    t.title = CategoryName(event, category) + " - Closure";
    t.columns = {{"Rank", ColumnKind::Text},           {"Driver", ColumnKind::Text},
                 {"Level", ColumnKind::Text},          {"Place", ColumnKind::Number},
                 {"Laps", ColumnKind::Number},         {"Racetime", ColumnKind::RaceTime},
                 {"Qualif place", ColumnKind::Number}, {"Qualif points", ColumnKind::Number}};
    auto input = std::make_unique<ClosureInput>();
    auto table = std::make_unique<ClosureTable>();
    NoteMessages boxes(t.notes);
    if (!ReadClosureInput(category, event.header, *input, boxes, disk)) return t;
    BuildClosureTable(*input, *table);
    for (int i = 0; i < table->count; ++i) {
        const ClosureRow& r = table->rows[std::size_t(i)];
        bool q = r.FromQualification();
        Cell place = NumberCell(r.place), laps = NumberCell(r.laps), time = TimeCell(r.totalTime),
             qualif = NumberCell(r.qualifPlace);
        place.blank = laps.blank = time.blank = q;
        qualif.blank = r.qualifPlace == 0;
        t.rows.push_back({TextCell(r.rank.View()), TextCell(r.name.View()),
                          TextCell(r.level.View()), place, laps, time, qualif,
                          NumberCell(r.qualifPoints)});
    }
    return t;
}

std::vector<CategoryTables> AllTables(const Event& event, Disk& disk) {
    std::vector<CategoryTables> all;
    for (int c = 1; c <= event.header.categoryCount; ++c) {
        const CategoryRecord& record = event.header.categories[std::size_t(c - 1)];
        CategoryTables ct;
        ct.name = CategoryName(event, c);
        int rounds = std::clamp(int(record.rounds), 0, kRounds);
        for (int r = 1; r <= rounds; ++r) ct.tables.push_back(RoundTable(event, c, r, disk));
        if (rounds > 0) ct.tables.push_back(OverallTable(event, c, -1, disk));
        if (record.finalsState >= 1) {
            for (Table& t : FinalsTables(event, c, disk)) ct.tables.push_back(std::move(t));
            ct.tables.push_back(ClosureTableOf(event, c, disk));
        }
        all.push_back(std::move(ct));
    }
    return all;
}

}  // namespace velkaro::results
