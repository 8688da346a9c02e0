#include "qualification/track_participants.h"

#include <algorithm>
#include <memory>

#include "common/plain_words.h"
#include "databases/editor.h"

namespace velkaro {

bool IsForbiddenEventName(std::string_view name) {
    return name.find("Cat\xE9gorie") != std::string_view::npos || name == kTrackTitle;
}

TakenName TakeEventName(std::string_view typed) {
    TakenName taken;
    if (IsForbiddenEventName(typed)) {
        taken.emptyEdit = true;
        return taken;
    }
    taken.name = typed.substr(0, kEventNameLimit);
    return taken;
}

std::int32_t NumberOf(std::string_view text) {
    std::int64_t value = 0;
    std::size_t i = 0;
    bool negative = false;
    while (i < text.size() && text[i] == ' ') ++i;
    if (i < text.size() && (text[i] == '-' || text[i] == '+')) negative = text[i++] == '-';
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
        value = value * 10 + (text[i] - '0');
        if (value > INT32_MAX) value = INT32_MAX;
    }
    return static_cast<std::int32_t>(negative ? -value : value);
}

Text<4> TakeMinimumLap(std::string_view typed) {
    if (NumberOf(typed) <= 1) return Text<4>("2");
    return Text<4>(typed);
}

int CircuitCount(const CircuitTable& circuits) {
    return NameCount(circuits, kCircuitRecords);
}

void MatchTrackChoices(TrackRecord& track, TrackChoices& choices) {
    choices.club = -1;
    for (int i = 0; i < choices.clubs.count; ++i) {
        if (choices.clubs.items[static_cast<std::size_t>(i)] == track.club) choices.club = i;
    }
    if (choices.club < 0) track.club.Clear();
    choices.circuitCount = CircuitCount(choices.circuits);
    choices.circuit = -1;
    for (int i = 0; i < choices.circuitCount; ++i) {
        if (choices.circuits[static_cast<std::size_t>(i)].name == track.circuit) {
            choices.circuit = i;
        }
    }
    if (choices.circuit < 0) track.circuit.Clear();
}

void ChooseCircuit(TrackRecord& track, TrackChoices& choices, int index) {
    if (index < 0 || index >= choices.circuitCount) return;
    const CircuitRecord& c = choices.circuits[static_cast<std::size_t>(index)];
    choices.circuit = index;
    track.circuit = c.name.View();
    track.minLapTime = TakeMinimumLap(c.minimumLapTime.View());
}

int LastPlacedSlot(const HeatSlotList& heatSlots) {
    for (int s = kHeatSlots - 1; s >= 0; --s) {
        if (heatSlots.places[static_cast<std::size_t>(s)] != kEmptySlotName) return s;
    }
    return -1;
}

AddOutcome AddParticipant(ParticipantsWork& work, std::string_view name,
                          std::string_view transponder) {
    if (name.empty()) return AddOutcome::NoName;
    Text<40> key(name);
    for (const ParticipantRecord& p : work.table) {
        if (p.name == key) return AddOutcome::AlreadyIn;
    }
    int last = LastPlacedSlot(work.heatSlots);
    if (work.count >= kParticipants || last > kLastSlotWithRoomBehind) return AddOutcome::Full;
    ParticipantRecord& p = work.table[static_cast<std::size_t>(work.count)];
    p = ParticipantRecord{};
    p.name = key;
    p.transponder = transponder;
    work.heatSlots.places[static_cast<std::size_t>(last + 1)] = key;
    SortByName(work.table);
    work.count = NameCount(work.table);
    return AddOutcome::Added;
}

AddedMany AddParticipants(ParticipantsWork& work, const DriverTable& drivers, const int* rows,
                          int rowCount) {
    AddedMany many;
    for (int i = 0; i < rowCount && !many.full; ++i) {
        if (rows[i] < 0 || rows[i] >= kDriverRecords) continue;
        const DriverRecord& d = drivers[static_cast<std::size_t>(rows[i])];
        switch (AddParticipant(work, d.name.View(), d.transponder.View())) {
            case AddOutcome::Added:
                ++many.added;
                break;
            case AddOutcome::AlreadyIn:
                ++many.alreadyIn;
                break;
            case AddOutcome::Full:
                many.full = true;
                break;
            case AddOutcome::NoName:
                break;
        }
    }
    return many;
}

int DriversOfClub(const DriverTable& drivers, std::string_view club,
                  std::array<int, kDriverRecords>& rows) {
    int n = 0;
    if (club.empty()) return 0;
    for (int i = 0; i < kDriverRecords; ++i) {
        const DriverRecord& d = drivers[static_cast<std::size_t>(i)];
        if (d.name.Empty()) break;  // the list shows names up to the first empty one
        if (d.club == club) rows[static_cast<std::size_t>(n++)] = i;
    }
    return n;
}

void ClubsOfDrivers(const DriverTable& drivers, ClubChoices& clubs) {
    clubs = {};
    for (const DriverRecord& d : drivers) {
        if (d.name.Empty()) break;
        if (d.club.Empty()) continue;
        const Text<50> club(d.club.View());
        auto end = clubs.items.begin() + clubs.count;
        if (std::find(clubs.items.begin(), end, club) != end) continue;
        if (clubs.count == static_cast<int>(clubs.items.size())) break;
        clubs.items[static_cast<std::size_t>(clubs.count++)] = club;
    }
    std::sort(clubs.items.begin(), clubs.items.begin() + clubs.count,
              [](const Text<50>& a, const Text<50>& b) {
                  const Text<50> ka = SortKey(a), kb = SortKey(b);
                  return ka.View() < kb.View();
              });
}

bool SetParticipantFrequency(ParticipantsWork& work, std::string_view name, int which,
                             std::string_view frequency) {
    if (name.empty() || which < 0 || which >= 5) return false;
    for (ParticipantRecord& p : work.table) {
        if (p.name == name) {
            p.frequencies[static_cast<std::size_t>(which)] = frequency;
            return true;
        }
    }
    return false;
}

bool RemoveParticipant(ParticipantsWork& work, std::string_view name) {
    if (name.empty()) return false;
    bool found = false;
    for (ParticipantRecord& p : work.table) {
        if (p.name == name) {
            p = ParticipantRecord{};
            found = true;
        }
    }
    if (!found) return false;
    for (Text<40>& slot : work.heatSlots.places) {
        if (slot == name) slot = kEmptySlotName;
    }
    SortByName(work.table);
    work.count = NameCount(work.table);
    return true;
}

FileOutcome OpenParticipants(int category, ParticipantsWork& work, const EventHeader& header,
                             Disk& disk) {
    work = ParticipantsWork{};
    FileOutcome read = ReadParticipants(category, work.table, disk);
    if (read == FileOutcome::Unavailable) return read;
    HeatSlotList heatSlots = DefaultHeatSlotList();
    if (ReadHeatSlotList(category, heatSlots, disk) == FileOutcome::Done)
        work.heatSlots = heatSlots;
    // A file with bytes above 0x7F in its names, or written by hand out of order, is shown in
    // the same order as the form would have left it.
    SortByName(work.table);
    work.count = NameCount(work.table);
    if (category >= 1 && category <= kCategories) {
        work.readOnly =
            header.categories[static_cast<std::size_t>(category - 1)].qualificationStarted == 1;
    }
    return read;
}

bool SaveParticipants(int category, const ParticipantsWork& work, EventHeader& header,
                      Messages& messages, Disk& disk) {
    if (category < 1 || category > kCategories) return false;
    CategoryRecord& cat = header.categories[static_cast<std::size_t>(category - 1)];
    cat.participants = work.count;
    cat.rounds = 0;
    cat.heatsPerRound = 0;
    // The count in the header, the list and its heat slots go to the file together.
    Transaction t{EventStore{disk}};
    PutParticipants(t, category, work.table, messages);
    PutHeatSlotList(t, category, work.heatSlots, true, messages);  // appended after the list
    PutEventHeader(t, header);
    FileOutcome written = t.Commit();
    ReportUnavailable(written, messages);
    return written == FileOutcome::Done;
}

namespace {

constexpr int kListRules[] = {460, 640};
constexpr int kNumbersLeft = 100, kNamesLeft = 140;
constexpr ReportColumn kListColumns[] = {
    {"", 135, Align::Right, 0},
    {"Drivers name", 150, Align::Left, 305},
    {"License Nr.", 550, Align::Centre, 0},
    {"Club", 650, Align::Left, 345},
};

}  // namespace

ReportTable ParticipantsReport::Table() const {
    ReportTable t;
    t.left = kNamesLeft;
    t.right = 1000;
    t.rules = kListRules;
    t.columns = kListColumns;
    t.rows = rows;
    t.cell = [this](int row, int column) -> ReportCell {
        const std::size_t r = static_cast<std::size_t>(row);
        const DriverRecord* d = drivers[r];
        switch (column) {
            case 0:
                return {numbers[r].View()};
            case 1:
                return {(*table)[r].name.View()};
            case 2:
                return {d ? d->licence.View() : std::string_view()};
            default:
                return {d ? d->club.View() : std::string_view()};
        }
    };
    return t;
}

void BuildParticipantsReport(ParticipantsReport& report, std::string_view categoryName,
                             const TrackRecord& track, const ParticipantsWork& work,
                             const DriverTable& drivers) {
    report.table = &work.table;
    report.rows = work.count;
    report.header.footerX = 140;
    SetCategoryAndEvent(report.header, categoryName, track.eventName.View(), track.circuit.View());
    Format(report.header.title, "List of participants (%d drivers)", work.count);
    report.documentName = DocumentName(track.eventName.View(), categoryName, "Participants");
    for (int i = 0; i < work.count; ++i) {
        const std::size_t r = static_cast<std::size_t>(i);
        Format(report.numbers[r], "%d", i + 1);
        report.drivers[r] = nullptr;
        for (const DriverRecord& d : drivers) {
            if (!d.name.Empty() && d.name == work.table[r].name) {
                report.drivers[r] = &d;
                break;
            }
        }
    }
}

void DrawParticipantsPage(Canvas& canvas, const ParticipantsReport& report, int page) {
    DrawReportPage(canvas, report.header, report.Table(), page);
    const int onPage = std::min(kReportRowsPerPage, report.rows - page * kReportRowsPerPage);
    const int top = 306, bottom = top + 30 * onPage;
    canvas.DrawLine({kNumbersLeft, top}, {kNamesLeft, top}, 2, kBlack);
    canvas.DrawLine({kNumbersLeft, top}, {kNumbersLeft, bottom}, 2, kBlack);
    canvas.DrawLine({kNumbersLeft, bottom}, {kNamesLeft, bottom}, 2, kBlack);
    for (int k = 0; k + 1 < onPage; ++k) {
        canvas.DrawLine({kNumbersLeft, 336 + 30 * k}, {kNamesLeft, 336 + 30 * k}, 1, kRowRuleGrey);
    }
}

PrintOutcome PrintParticipants(const ParticipantsReport& report, Dialogs& dialogs,
                               Messages& messages, Clock& clock) {
    ParticipantsReport dated = report;
    return PrintPages(dialogs, messages, clock, report.documentName.View(), "",
                      ReportPageCount(report.rows),
                      [&](Canvas& page, const Text<160>& footer, int index) {
                          dated.header.footer = footer;
                          DrawParticipantsPage(page, dated, index);
                      });
}

}  // namespace velkaro
