#include "timing/run_printout.h"

#include <algorithm>
#include <array>
#include <memory>

#include "common/plain_words.h"
#include "timing/classification.h"

namespace velkaro {

namespace {

constexpr Rect kOuterBorder{15, 15, 1585, 1100};
constexpr Rect kInnerBorder{20, 20, 1580, 1095};
constexpr Rect kLogoArea{25, 25, 225, 75};
constexpr int kFontHeight = 26;
constexpr int kTableLeft = 156;
constexpr int kTableRight = 1430;
constexpr int kTableTop = 260;
constexpr int kHeadsBottom = 333;
constexpr int kBlockHeadsY = 299;
constexpr int kFirstRowY = 335;
constexpr int kNameRoom = 650 - 286 - 4;  // up to the laps column's rule

struct Label {
    std::string_view text;
    Point at;
    Align align;
};

constexpr std::array<Label, 11> kLabels{{
    {"Driver", {286, 286}, Align::Left},
    {"Pos", {202, 286}, Align::Right},
    {"No", {260, 286}, Align::Right},
    {"Results taken into account", {962, 273}, Align::Right},
    {"Laps", {715, 307}, Align::Right},
    {"Racetime", {871, 307}, Align::Right},
    {"Best lap", {1027, 307}, Align::Right},
    {"Transponders records", {1365, 273}, Align::Right},
    {"Laps", {1105, 307}, Align::Right},
    {"Racetime", {1261, 307}, Align::Right},
    {"Best lap", {1417, 307}, Align::Right},
}};

void Line(Canvas& c, int x1, int y1, int x2, int y2, int pen, Rgb colour) {
    c.DrawLine({x1, y1}, {x2, y2}, pen, colour);
}

void DrawRules(Canvas& c, int cars) {
    int pitch = RunRowPitch(cars), bottom = RunTableBottom(cars);
    Line(c, kTableLeft, kTableTop, kTableRight, kTableTop, 2, kBlack);
    Line(c, kTableLeft, kHeadsBottom, kTableRight, kHeadsBottom, 2, kBlack);
    Line(c, kTableLeft, kTableTop - 1, kTableLeft, kHeadsBottom, 2, kBlack);
    Line(c, kTableRight, kTableTop, kTableRight, kHeadsBottom, 2, kBlack);
    Line(c, kTableLeft, kHeadsBottom, kTableLeft, bottom, 2, kBlack);
    Line(c, kTableRight, kHeadsBottom, kTableRight, bottom, 2, kBlack);
    Line(c, kTableLeft, bottom, kTableRight, bottom, 2, kBlack);
    for (int x : {208, 273, 650, 1040}) Line(c, x, kTableTop, x, bottom, 1, kBlack);
    Line(c, 650, kBlockHeadsY, kTableRight, kBlockHeadsY, 1, kBlack);
    for (int x : {728, 884, 1118, 1274}) Line(c, x, kBlockHeadsY, x, bottom, 1, kRowRuleGrey);
    for (int k = 1; k < cars; ++k) {
        int y = kHeadsBottom + pitch * k;
        Line(c, kTableLeft, y, kTableRight, y, 1, kRowRuleGrey);
    }
}

}  // namespace

void DrawRunPrintout(Canvas& c, const RunPrintout& p) {
    c.SetIsotropicMapping(kRunPageWidth, kRunPageHeight);
    DrawPageBorders(c, kOuterBorder, kInnerBorder, kLogoArea);
    DrawRules(c, p.cars);

    TextStyle left = ReportText(kFontHeight), right = ReportText(kFontHeight, Align::Right);
    c.DrawText({520, 65}, p.category, left);
    c.DrawText({520, 117}, p.run, left);
    c.DrawText({195, 195}, p.event, left);
    for (const Label& l : kLabels) c.DrawText(l.at, l.text, l.align == Align::Left ? left : right);

    int pitch = RunRowPitch(p.cars);
    for (int k = 0; k < p.cars; ++k) {
        const LiveRow& r = (*p.rows)[std::size_t(k)];
        int y = kFirstRowY + pitch * k;
        // Left block: the classification taken into account; right block: what the
        // transponder records show.
        c.DrawText({202, y}, r.position.View(), right);
        c.DrawText({260, y}, r.carNumber.View(), right);
        c.DrawText({286, y}, r.driverName.View(),
                   FittedText(c, r.driverName.View(), left, kNameRoom));
        c.DrawText({715, y}, r.laps.View(), right);
        c.DrawText({871, y}, r.totalTime.View(), right);
        c.DrawText({1027, y}, r.bestLap.View(), right);
        c.DrawText({1105, y}, r.passingCount.View(), right);
        c.DrawText({1261, y}, r.lastPassingRaceTime.View(), right);
        c.DrawText({1417, y}, r.bestLapFromTimes.View(), right);
    }
    c.DrawText({156, 936}, "Comment:", left);
    c.DrawText({338, 936}, p.comment, left);

    Text<224> footer;
    Text<160> described = RunDescriptionInWords(p.description);
    Format(footer, "%.*s - %.*s", int(described.View().size()), described.View().data(),
           int(p.condition.size()), p.condition.data());
    c.DrawText({156, 234}, footer.View(), ReportText(kFooterFontHeight));
}

PrintOutcome PrintRunResults(RunEngine& e, Dialogs& dialogs, Messages& messages) {
    ComputeBestLapFromTimes(e.tables.cars, e.options.startMode.Value());
    // An armed run shows what was loaded; any other is classified afresh for the sheet.
    if (e.phase != RunPhase::Armed) {
        RebuildLiveOrder(e.tables, e.options);
        ++e.repaints;
    }
    const Text<160> name =
        RunDocumentName(e.eventHeader.View(), e.categoryHeader.View(), e.runHeader.View());
    std::unique_ptr<PrintJob> job = dialogs.Print(name.View(), PageOrientation::Landscape);
    if (!job) return PrintOutcome::Cancelled;
    int cars = std::clamp(e.tables.carsInUse, 0, kCarSlots);
    if (cars == 0) return PrintOutcome::Empty;
    RunPrintout p;
    p.category = e.categoryHeader.View();
    p.run = e.runHeader.View();
    p.event = e.eventHeader.View();
    p.rows = &e.tables.rows;
    p.cars = cars;
    p.description = e.trailer.description.View();
    p.condition = e.trailer.condition.View();
    p.comment = e.trailer.comment.View();
    DrawRunPrintout(job->Page(), p);
    if (!job->Finish()) {
        messages.Error(kPrintFailed);
        return PrintOutcome::Failed;
    }
    return PrintOutcome::Printed;
}

}  // namespace velkaro
