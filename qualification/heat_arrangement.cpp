#include "qualification/heat_arrangement.h"

#include <algorithm>
#include <memory>
#include <utility>

#include "common/plain_words.h"
#include "qualification/track_participants.h"

namespace velkaro {

namespace {

TakenCount TakeCount(std::string_view typed, std::int32_t highest) {
    TakenCount t;
    t.value = NumberOf(typed);
    if (t.value > highest) {
        t.value = highest;
        t.rewrite = true;
    }
    t.value = std::max(t.value, 1);
    return t;
}

CategoryRecord* CategoryOf(EventHeader& header, int category) {
    if (category < 1 || category > kCategories) return nullptr;
    return &header.categories[static_cast<std::size_t>(category - 1)];
}

// The rows the table holds: heats x drivers per heat, never past the last slot.
int TableRows(const Arrangement& a) {
    return std::min(a.heats * a.driversPerHeat, kHeatSlots);
}

}  // namespace

int PlacedCount(const ArrangedSlots& heatSlots) {
    for (int s = kHeatSlots - 1; s >= 0; --s) {
        if (heatSlots[static_cast<std::size_t>(s)].name != kEmptySlotName) return s + 1;
    }
    return 0;
}

int HeatCount(int placed, int driversPerHeat) {
    if (driversPerHeat < 1) driversPerHeat = 1;
    return (placed - 1) / driversPerHeat + 1;
}

TakenCount TakeDriversPerHeat(std::string_view typed) {
    return TakeCount(typed, kMostDriversPerHeat);
}

TakenCount TakeRounds(std::string_view typed) {
    return TakeCount(typed, kMostRounds);
}

namespace {

// The lanes of the heat whose first slot is `first`, as the radio sees them.
RadioGrid HeatGrid(const ArrangedSlots& heatSlots, int first, int lanes) {
    RadioGrid grid{};
    for (int k = 0; k < lanes; ++k) {
        const ParticipantRecord& p = heatSlots[static_cast<std::size_t>(first + k)];
        grid[static_cast<std::size_t>(k)] = {p.name, p.frequencies[0]};
    }
    return grid;
}

int LanesFrom(int first, int driversPerHeat) {
    return std::min({driversPerHeat, kCarSlots, kHeatSlots - first});
}

}  // namespace

std::array<bool, kHeatSlots> ClashingSlots(const ArrangedSlots& heatSlots, int driversPerHeat) {
    std::array<bool, kHeatSlots> red{};
    if (driversPerHeat < 1) return red;
    for (int first = 0; first < kHeatSlots; first += driversPerHeat) {
        const int lanes = LanesFrom(first, driversPerHeat);
        const RadioConflicts found = FindRadioConflicts(HeatGrid(heatSlots, first, lanes), lanes);
        for (int k = 0; k < found.count; ++k) {
            const RadioConflict& c = found.list[static_cast<std::size_t>(k)];
            for (int i = 0; i < c.count; ++i) {
                red[static_cast<std::size_t>(first + c.lanes[static_cast<std::size_t>(i)])] = true;
            }
        }
    }
    return red;
}

std::vector<std::string> HeatConflictLines(const Arrangement& a) {
    std::vector<std::string> lines;
    if (a.driversPerHeat < 1) return lines;
    for (int h = 1; h <= a.heats; ++h) {
        const int first = (h - 1) * a.driversPerHeat;
        if (first >= kHeatSlots) break;
        const int lanes = LanesFrom(first, a.driversPerHeat);
        const RadioGrid grid = HeatGrid(a.heatSlots, first, lanes);
        for (std::string& line :
             ConflictLines(grid, FindRadioConflicts(grid, lanes), "Heat " + std::to_string(h))) {
            lines.push_back(std::move(line));
        }
    }
    return lines;
}

void Recount(Arrangement& a) {
    a.heats = HeatCount(PlacedCount(a.heatSlots), a.driversPerHeat);
    if (CategoryRecord* cat = CategoryOf(a.header, a.category)) cat->heatsPerRound = a.heats;
}

void SetDriversPerHeat(Arrangement& a, std::int32_t driversPerHeat) {
    a.driversPerHeat = std::clamp(driversPerHeat, 1, kMostDriversPerHeat);
    Recount(a);
}

void SetRounds(Arrangement& a, std::int32_t rounds) {
    a.rounds = std::clamp(rounds, 1, kMostRounds);
    if (CategoryRecord* cat = CategoryOf(a.header, a.category)) cat->rounds = a.rounds;
}

HeatResultsPresent FindHeatResults(int category, std::string_view bytes) {
    HeatResultsPresent found;
    // Every line's first field is a candidate title, as the section search compares them.
    std::array<std::array<SectionTitle, kMostHeats>, kMostRounds> titles;
    for (int r = 1; r <= kMostRounds; ++r) {
        for (int h = 1; h <= kMostHeats; ++h) {
            titles[std::size_t(r - 1)][std::size_t(h - 1)] = HeatTitle(category, r, h);
        }
    }
    std::string_view prefix = titles[0][0].View().substr(0, titles[0][0].View().find('M') + 1);
    std::size_t at = 0;
    while (at < bytes.size()) {
        std::size_t end = bytes.find('\n', at);
        if (end == std::string_view::npos) end = bytes.size();
        std::string_view line = bytes.substr(at, end - at);
        std::string_view field = line.substr(0, line.find('\t'));
        if (!field.empty() && field.back() == '\r') field.remove_suffix(1);
        if (field.size() > prefix.size() && field.substr(0, prefix.size()) == prefix) {
            for (int r = 0; r < kMostRounds; ++r) {
                for (int h = 0; h < kMostHeats; ++h) {
                    if (titles[std::size_t(r)][std::size_t(h)] == field) {
                        found.present[std::size_t(r)][std::size_t(h)] = true;
                    }
                }
            }
        }
        at = end + 1;
    }
    return found;
}

bool ArrangementLocked(const HeatResultsPresent& results, int rounds, int heats, int finalsState) {
    if (finalsState == 2) return true;
    rounds = std::min(rounds, kMostRounds);
    heats = std::min(heats, kMostHeats);
    for (int r = 1; r <= rounds; ++r) {
        const bool first = results.Has(r, 1);
        for (int h = 2; h <= heats; ++h) {
            if (results.Has(r, h) != first) return true;
        }
    }
    return false;
}

bool OpenArrangement(int category, Arrangement& a, Messages& messages, Disk& disk) {
    a = Arrangement{};
    a.category = category;
    for (ParticipantRecord& s : a.heatSlots) s.name = kEmptySlotName;
    if (ReadEventHeader(a.header, disk) == FileOutcome::Unavailable) {
        messages.Error(kRaceFileNotFound);
        return false;
    }
    const CategoryRecord* cat = CategoryOf(a.header, category);
    if (cat == nullptr) return false;
    a.categoryName = cat->name.View();
    a.participants = cat->participants;
    a.qualificationStarted = cat->qualificationStarted;
    ReadTrack(a.track, disk);
    auto participants = std::make_unique<Participants>();
    if (ReadParticipants(category, *participants, disk) == FileOutcome::NoSection) {
        messages.Error(kParticipantsTitleNotFound);
    }
    auto list = std::make_unique<HeatSlotList>(DefaultHeatSlotList());
    if (ReadHeatSlotList(category, *list, disk) == FileOutcome::NoSection) {
        messages.Error(kArrangementTitleNotFound);
    }
    a.driversPerHeat = std::clamp(list->driversPerHeat, 1, kMostDriversPerHeat);
    a.rounds = std::clamp(list->rounds, 1, kMostRounds);
    for (std::size_t s = 0; s < a.heatSlots.size(); ++s) {
        ParticipantRecord& slot = a.heatSlots[s];
        slot.name = list->places[s];
        if (slot.name == kEmptySlotName) continue;
        for (const ParticipantRecord& p : *participants) {
            if (p.name == slot.name) {
                slot.transponder = p.transponder;
                slot.frequencies = p.frequencies;
            }
        }
    }
    Recount(a);
    if (a.qualificationStarted == 1) a.requiredHeats = a.heats;
    EventFile file;
    if (file.Open(disk)) {
        a.locked = ArrangementLocked(FindHeatResults(category, file.bytes), a.rounds, a.heats,
                                     cat->finalsState);
    }
    return true;
}

int ScrollRange(const Arrangement& a) {
    return std::max(0, TableRows(a) - kVisibleRows);
}

int ArrowPairAt(const Arrangement& a, int scroll, int x, int y) {
    const int live = TableRows(a) - scroll - 1;
    for (int r = 0; r <= kVisibleRows - 2 && r < live; ++r) {
        const bool down = x >= 371 && x <= 381 && y > kFirstRowTop + kRowPitch * r &&
                          y <= kFirstRowTop + 11 + kRowPitch * r;
        const bool up = x >= 351 && x <= 361 && y > kFirstRowTop + kRowPitch * (r + 1) &&
                        y <= kFirstRowTop + kRowPitch * (r + 1) + 11;
        if (down || up) return r;
    }
    return -1;
}

bool ClickTable(Arrangement& a, int scroll, int x, int y) {
    if (a.locked) return false;
    const int r = ArrowPairAt(a, scroll, x, y);
    if (r < 0 || scroll + r > kLastSlotWithRoomBehind) return false;
    std::swap(a.heatSlots[static_cast<std::size_t>(scroll + r)],
              a.heatSlots[static_cast<std::size_t>(scroll + r + 1)]);
    Recount(a);
    return true;
}

GenerateRefusal CheckGenerate(const Arrangement& a) {
    if (a.heats > kMostHeats) return GenerateRefusal::TooManyHeats;
    if (a.qualificationStarted == 1 && a.heats != a.requiredHeats) {
        return GenerateRefusal::HeatCountChanged;
    }
    return GenerateRefusal::None;
}

Text<64> HeatCountMismatch(int required) {
    Text<64> text;
    Format(text, "The number of heats generated must be equal to %d", required);
    return text;
}

bool Generate(Arrangement& a, Messages& messages, Disk& disk) {
    switch (CheckGenerate(a)) {
        case GenerateRefusal::TooManyHeats:
            messages.Error(kTooManyHeats);
            return false;
        case GenerateRefusal::HeatCountChanged:
            messages.Show(kHeatCountMismatchTitle, HeatCountMismatch(a.requiredHeats).View(),
                          MessageButtons::Ok, MessageIcon::Error);
            return false;
        case GenerateRefusal::None:
            break;
    }
    // The header as it stands now, with only this category's counts changed.
    EventHeader header;
    if (ReadEventHeader(header, disk) != FileOutcome::Done) {
        messages.Error(kRaceFileNotFound);
        return true;
    }
    CategoryRecord* cat = CategoryOf(header, a.category);
    if (cat == nullptr) return true;
    cat->rounds = a.rounds;
    cat->heatsPerRound = a.heats;
    auto list = std::make_unique<HeatSlotList>();
    list->qualificationStarted = cat->qualificationStarted;
    list->driversPerHeat = a.driversPerHeat;
    list->rounds = a.rounds;
    for (std::size_t s = 0; s < a.heatSlots.size(); ++s) list->places[s] = a.heatSlots[s].name;
    // The counts and the heats they count change together.
    Transaction t{EventStore{disk}};
    PutHeatSlotList(t, a.category, *list, false, messages);
    PutEventHeader(t, header);
    FileOutcome out = t.Commit();
    if (out == FileOutcome::Done) a.header = header;
    ReportUnavailable(out, messages);
    return true;
}

// ---------------------------------------------------------------------------------------------
// The table on the form.

namespace {

constexpr Rgb kTableBackground{230, 230, 220};
constexpr Rgb kHeadsBand{255, 255, 150};
constexpr Rgb kHeatBand{255, 255, 200};
constexpr Rgb kRule{150, 150, 150};
constexpr int kTableLeft = 50, kListLeft = 110, kTableRight = 700;
constexpr int kHeadsTop = 120, kHeadsBottom = 150, kTableBottomLimit = 590;
constexpr int kNameX = 115, kTransponderX = 390, kFirstFrequencyX = 450, kFrequencyPitch = 50;
constexpr int kUpArrowX = 351, kDownArrowX = 371, kArrowSize = 11;
constexpr const char* kUpArrow = "images/FlecheHaut.bmp";
constexpr const char* kDownArrow = "images/FlecheBas.bmp";

// The form's rows use the report's face on the table's own background.
TextStyle ScreenText(int height, Rgb colour = {0, 0, 0}) {
    return ReportText(height, Align::Left, colour);
}

}  // namespace

void DrawArrangementTable(Canvas& canvas, const Arrangement& a, int scroll) {
    const int rows = std::clamp(TableRows(a) - scroll, 0, kVisibleRows);
    const int bottom = std::min(kHeadsBottom + kRowPitch * TableRows(a), kTableBottomLimit);
    canvas.FillRect({kTableLeft, kHeadsTop, kTableRight, bottom}, kTableBackground);
    canvas.FillRect({kTableLeft, kHeadsTop, kTableRight, kHeadsBottom}, kHeadsBand);
    TextStyle heads = ScreenText(16);
    canvas.DrawText({55, 127}, "Heat", heads);
    canvas.DrawText({kNameX, 127}, "Driver", heads);
    canvas.DrawText({kTransponderX, 127}, "Transp.", heads);
    for (int k = 0; k < 5; ++k) {
        Text<8> head;
        Format(head, "Freq %d", k + 1);
        canvas.DrawText({kFirstFrequencyX + kFrequencyPitch * k, 127}, head.View(), heads);
    }
    canvas.DrawLine({kListLeft, kHeadsBottom}, {kListLeft, bottom}, 1, kRule);
    canvas.DrawLine({kTransponderX - 5, kHeadsTop}, {kTransponderX - 5, bottom}, 1, kRule);
    for (int k = 0; k < 5; ++k) {
        const int x = kFirstFrequencyX - 5 + kFrequencyPitch * k;
        canvas.DrawLine({x, kHeadsTop}, {x, bottom}, 1, kRule);
    }
    const std::array<bool, kHeatSlots> red = ClashingSlots(a.heatSlots, a.driversPerHeat);
    const TextStyle row = ScreenText(15);
    for (int r = 0; r < rows; ++r) {
        const int s = scroll + r;
        const int top = kFirstRowTop + kRowPitch * r;
        const ParticipantRecord& slot = a.heatSlots[static_cast<std::size_t>(s)];
        if (LaneOfSlot(s, a.driversPerHeat) == 1) {
            canvas.FillRect({kTableLeft, top - 4, kListLeft, top + kRowPitch - 4}, kHeatBand);
            Text<12> heat;
            Format(heat, "Heat %d", HeatOfSlot(s, a.driversPerHeat));
            canvas.DrawText({55, top}, heat.View(), row);
            canvas.DrawLine({kTableLeft, top - 4}, {kTableRight, top - 4}, 1, {0, 0, 0});
        } else {
            canvas.DrawLine({kListLeft, top - 4}, {kTableRight, top - 4}, 1, kRule);
        }
        if (slot.name != kEmptySlotName) {
            canvas.DrawText({kNameX, top}, slot.name.View(),
                            FittedText(canvas, slot.name.View(), row, kUpArrowX - kNameX - 4));
        }
        canvas.DrawText({kTransponderX, top}, slot.transponder.View(), row);
        for (int k = 0; k < 5; ++k) {
            const bool clash = k == 0 && red[static_cast<std::size_t>(s)];
            canvas.DrawText({kFirstFrequencyX + kFrequencyPitch * k, top},
                            slot.frequencies[static_cast<std::size_t>(k)].View(),
                            clash ? ScreenText(15, kClashRed) : row);
        }
    }
    // The arrows of each live pair: down under row r, up on row r + 1.
    const int live = TableRows(a) - scroll - 1;
    for (int r = 0; r <= kVisibleRows - 2 && r < live; ++r) {
        const int top = kFirstRowTop + kRowPitch * r;
        canvas.DrawBitmap(kDownArrow,
                          {kDownArrowX, top + 1, kDownArrowX + kArrowSize, top + 1 + kArrowSize});
        canvas.DrawBitmap(kUpArrow, {kUpArrowX, top + kRowPitch + 1, kUpArrowX + kArrowSize,
                                     top + kRowPitch + 1 + kArrowSize});
    }
}

// ---------------------------------------------------------------------------------------------
// The printout.

namespace {

constexpr Rect kOuterBorder{15, 15, 1100, 1585};
constexpr Rect kInnerBorder{20, 20, 1095, 1580};
constexpr Rect kLogoArea{25, 25, 225, 75};
constexpr int kPrintLeft = 100, kPrintRight = 1000;
constexpr int kPrintHeadsTop = 250, kPrintHeadsBottom = 306, kPrintHeadsY = 270;
constexpr int kLaneRowPitch = 28, kBlockGap = 5;
constexpr int kPageNumberTop = 1545;
constexpr int kPrintRules[] = {300, 380, 700, 850};

// 40 rows a page in blocks of heats; single-driver heats, whose gaps add up, stop above the
// page number instead of running off the page.
int HeatsPerPage(const Arrangement& a) {
    const int dph = std::max(1, a.driversPerHeat);
    const int fit = (kPageNumberTop - kPrintHeadsBottom) / (kLaneRowPitch * dph + kBlockGap);
    return std::max(1, std::min(kReportRowsPerPage / dph, fit));
}

}  // namespace

int ArrangementPageCount(const Arrangement& a) {
    if (a.participants <= 0 || a.driversPerHeat < 1) return 0;
    return (a.heats - 1) / HeatsPerPage(a) + 1;
}

void DrawArrangementPage(Canvas& canvas, const Arrangement& a, const Text<160>& footer, int page) {
    const int perPage = HeatsPerPage(a);
    const int firstHeat = page * perPage;
    const int blocks = std::min(perPage, a.heats - firstHeat);
    const int dph = a.driversPerHeat;
    const int block = kLaneRowPitch * dph + kBlockGap;
    const int bottom = kPrintHeadsBottom + block * blocks;

    canvas.SetIsotropicMapping(kReportWidth, kReportHeight);
    DrawPageBorders(canvas, kOuterBorder, kInnerBorder, kLogoArea);
    canvas.DrawLine({kPrintLeft, kPrintHeadsTop}, {kPrintRight, kPrintHeadsTop}, 2, kBlack);
    canvas.DrawLine({kPrintLeft, kPrintHeadsTop}, {kPrintLeft, bottom}, 2, kBlack);
    canvas.DrawLine({kPrintRight, kPrintHeadsTop}, {kPrintRight, bottom}, 2, kBlack);
    canvas.DrawLine({kPrintLeft, kPrintHeadsBottom}, {kPrintRight, kPrintHeadsBottom}, 2, kBlack);
    for (int x : kPrintRules) canvas.DrawLine({x, kPrintHeadsTop}, {x, bottom}, 1, kBlack);

    const TextStyle plain = ReportText(kHeaderFontHeight);
    Text<128> line;
    Format(line, "CATEGORY : %s", a.categoryName.CStr());
    canvas.DrawText({350, 70}, line.View(), plain);
    canvas.DrawText({350, 110}, "Qualification : Arrangement of heats", plain);
    Format(line, "Event : %s - %s", a.track.eventName.CStr(), a.track.circuit.CStr());
    canvas.DrawText({150, 170}, line.View(), plain);
    canvas.DrawText({200, kPrintHeadsY}, "Heat", ReportText(kHeaderFontHeight, Align::Centre));
    canvas.DrawText({360, kPrintHeadsY}, "Lane", ReportText(kHeaderFontHeight, Align::Right));
    canvas.DrawText({390, kPrintHeadsY}, "Driver", plain);
    canvas.DrawText({770, kPrintHeadsY}, "Transponder",
                    ReportText(kHeaderFontHeight, Align::Centre));
    canvas.DrawText({870, kPrintHeadsY}, "Freq1", plain);

    const std::array<bool, kHeatSlots> red = ClashingSlots(a.heatSlots, dph);
    for (int i = 0; i < blocks; ++i) {
        const int heat = firstHeat + i + 1;
        const int top = kPrintHeadsBottom + kBlockGap + block * i;
        const int end = kPrintHeadsBottom + block * (i + 1);
        canvas.DrawLine({kPrintLeft, end}, {kPrintRight, end}, 2, kBlack);
        Text<12> name;
        Format(name, "Heat %d", heat);
        canvas.DrawText({200, top + (kLaneRowPitch * dph - kHeaderFontHeight) / 2}, name.View(),
                        ReportText(kHeaderFontHeight, Align::Centre));
        for (int lane = 1; lane <= dph; ++lane) {
            const int s = (heat - 1) * dph + lane - 1;
            if (s >= kHeatSlots) break;
            const ParticipantRecord& slot = a.heatSlots[static_cast<std::size_t>(s)];
            const int y = top + kLaneRowPitch * (lane - 1);
            if (lane > 1) canvas.DrawLine({300, y - 2}, {kPrintRight, y - 2}, 1, kRowRuleGrey);
            Text<4> number;
            Format(number, "%d", lane);
            canvas.DrawText({360, y}, number.View(), ReportText(kHeaderFontHeight, Align::Right));
            if (slot.name != kEmptySlotName) {
                canvas.DrawText({390, y}, slot.name.View(),
                                FittedText(canvas, slot.name.View(), plain, 305));
            }
            canvas.DrawText({770, y}, slot.transponder.View(),
                            ReportText(kHeaderFontHeight, Align::Centre));
            canvas.DrawText({870, y}, slot.frequencies[0].View(),
                            ReportText(kHeaderFontHeight, Align::Left,
                                       red[static_cast<std::size_t>(s)] ? kClashRed : kBlack));
        }
    }
    Format(line, "Page %d /%d", page + 1, ArrangementPageCount(a));
    canvas.DrawText({1000, 1550}, line.View(), plain);
    canvas.DrawText({100, 220}, footer.View(), ReportText(kFooterFontHeight));
}

PrintOutcome PrintArrangement(const Arrangement& a, Dialogs& dialogs, Messages& messages,
                              Clock& clock) {
    const Text<160> name = DocumentName(a.track.eventName.View(), a.categoryName.View(),
                                        "Qualifying heats arrangement");
    return PrintPages(dialogs, messages, clock, name.View(), "", ArrangementPageCount(a),
                      [&](Canvas& page, const Text<160>& footer, int index) {
                          DrawArrangementPage(page, a, footer, index);
                      });
}

}  // namespace velkaro
