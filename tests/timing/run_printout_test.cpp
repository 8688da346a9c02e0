#include "timing/run_printout.h"

#include <algorithm>
#include <string>
#include <tuple>
#include <vector>

#include "platform/fake/fake_dialogs.h"
#include "platform/fake/recording_canvas.h"
#include "tests/timing/engine_fixture.h"

namespace velkaro::test {
namespace {

using Kind = RecordingCanvas::Kind;
using Op = RecordingCanvas::Op;

std::vector<Op> Lines(const RecordingCanvas& c, Rgb colour, int pen) {
    std::vector<Op> found;
    for (const Op& op : c.OfKind(Kind::Line)) {
        if (op.colour == colour && op.penWidth == pen) found.push_back(op);
    }
    return found;
}

const Op* TextOp(const RecordingCanvas& c, std::string_view text) {
    for (const Op& op : c.ops) {
        if (op.kind == Kind::Text && op.text == text) return &op;
    }
    return nullptr;
}

TEST(RunPrintout, RowsShareTheTableByTheNumberOfCars) {
    struct Case {
        int cars, pitch, bottom;
    };
    for (const Case& c : {Case{4, 143, 905}, Case{20, 28, 893}}) {
        SCOPED_TRACE(c.cars);
        LiveRows rows;
        for (int k = 0; k < c.cars; ++k) {
            LiveRow& r = rows[std::size_t(k)];
            Format(r.position, "P%d", k + 1);
            Format(r.carNumber, "N%d", k + 1);
            Format(r.driverName, "Driver %d", k + 1);
            Format(r.laps, "L%d", k + 1);
            Format(r.totalTime, "T%d", k + 1);
            Format(r.bestLap, "B%d", k + 1);
            Format(r.passingCount, "C%d", k + 1);
            Format(r.lastPassingRaceTime, "R%d", k + 1);
            Format(r.bestLapFromTimes, "12.%03d", k);
        }
        RunPrintout p{"CATEGORY : Buggy",
                      "Qualification : Round1 - Heat2",
                      "Event : Cup - Lakeside",
                      &rows,
                      c.cars,
                      "Duration 5 min",
                      "Dry",
                      "Rain at the end"};
        RecordingCanvas page;
        DrawRunPrintout(page, p);
        EXPECT_EQ(RunRowPitch(c.cars), c.pitch);
        EXPECT_EQ(page.OfKind(Kind::Mapping)[0].at, (Point{1600, 900}));

        auto grey = Lines(page, kRowRuleGrey, 1);
        std::vector<int> between;
        for (const Op& op : grey) {
            if (op.at.y == op.to.y) between.push_back(op.at.y);
            if (op.at.x == op.to.x) {
                EXPECT_EQ(op.to.y, c.bottom);
            }
        }
        ASSERT_EQ(int(between.size()), c.cars - 1);
        for (int k = 1; k < c.cars; ++k) EXPECT_EQ(between[std::size_t(k - 1)], 333 + c.pitch * k);
        auto thick = Lines(page, kBlack, 2);
        EXPECT_TRUE(std::any_of(thick.begin(), thick.end(), [&](const Op& op) {
            return op.at == Point{156, c.bottom} && op.to == Point{1430, c.bottom};
        }));
        for (const Op& op : Lines(page, kBlack, 1)) {
            if (op.at.x == op.to.x) {
                EXPECT_EQ(op.to.y, c.bottom);
            }
        }

        // Every text at its point and alignment: the rows' nine columns, then the frame.
        std::vector<std::tuple<std::string, Point, Align>> texts;
        for (int k = 0; k < c.cars; ++k) {
            const LiveRow& r = rows[std::size_t(k)];
            int y = 335 + c.pitch * k;
            for (auto [text, x, align] : {std::tuple{r.position.View(), 202, Align::Right},
                                          {r.carNumber.View(), 260, Align::Right},
                                          {r.driverName.View(), 286, Align::Left},
                                          {r.laps.View(), 715, Align::Right},
                                          {r.totalTime.View(), 871, Align::Right},
                                          {r.bestLap.View(), 1027, Align::Right},
                                          {r.passingCount.View(), 1105, Align::Right},
                                          {r.lastPassingRaceTime.View(), 1261, Align::Right},
                                          {r.bestLapFromTimes.View(), 1417, Align::Right}}) {
                texts.emplace_back(std::string(text), Point{x, y}, align);
            }
        }
        for (auto [text, x, y, align] : {std::tuple{"CATEGORY : Buggy", 520, 65, Align::Left},
                                         {"Qualification : Round1 - Heat2", 520, 117, Align::Left},
                                         {"Event : Cup - Lakeside", 195, 195, Align::Left},
                                         {"Duration 5 min - Dry", 156, 234, Align::Left},
                                         {"Results taken into account", 962, 273, Align::Right},
                                         {"Transponders records", 1365, 273, Align::Right},
                                         {"Pos", 202, 286, Align::Right},
                                         {"No", 260, 286, Align::Right},
                                         {"Driver", 286, 286, Align::Left},
                                         {"Laps", 715, 307, Align::Right},
                                         {"Racetime", 871, 307, Align::Right},
                                         {"Best lap", 1027, 307, Align::Right},
                                         {"Laps", 1105, 307, Align::Right},
                                         {"Racetime", 1261, 307, Align::Right},
                                         {"Best lap", 1417, 307, Align::Right},
                                         {"Comment:", 156, 936, Align::Left},
                                         {"Rain at the end", 338, 936, Align::Left}}) {
            texts.emplace_back(text, Point{x, y}, align);
        }
        for (const auto& [text, at, align] : texts) {
            const auto& ops = page.ops;
            EXPECT_TRUE(std::any_of(ops.begin(), ops.end(),
                                    [&](const Op& op) {
                                        return op.kind == Kind::Text && op.text == text &&
                                               op.at == at && op.style.align == align;
                                    }))
                << text << " at " << at.x << "," << at.y;
        }
        EXPECT_EQ(TextOp(page, "Duration 5 min - Dry")->style.font.height, 17);
    }
}

class RunPrintoutTest : public EngineTest {
  protected:
    FakeDialogs dialogs_;
};

TEST_F(RunPrintoutTest, WhatThePrintButtonSends) {
    struct Case {
        const char* what;
        std::vector<int> slots;
        bool run, printer;
        int failsAtPage;
        PrintOutcome outcome;
    };
    for (const Case& c : std::vector<Case>{
             {"armed: as loaded", {0, 1, 2}, false, true, 0, PrintOutcome::Printed},
             {"run: classified afresh", {0, 1, 2}, true, true, 0, PrintOutcome::Printed},
             {"no car", {}, false, true, 0, PrintOutcome::Empty},
             {"cancelled", {0, 1}, true, false, 0, PrintOutcome::Cancelled},
             {"printer fails", {0, 1}, true, true, 1, PrintOutcome::Failed}}) {
        SCOPED_TRACE(c.what);
        dialogs_ = FakeDialogs{};
        dialogs_.printerAvailable = c.printer;
        dialogs_.printerFailsAtPage = c.failsAtPage;
        if (c.slots.empty()) {
            Arm({});
        } else if (c.slots.size() == 2) {
            Arm({0, 1});
        } else {
            Arm({0, 1, 2});
        }
        if (c.run) {
            StartAndGo();
            Laps({{1, 3000, 11000}, {0, 4000, 12000}}, 40000);
            StopCommand(engine_);
        }
        engine_.tables.rows[0].driverName = "stale";
        std::uint32_t repaints = engine_.repaints;
        bool fails = c.outcome == PrintOutcome::Failed;
        if (fails) messages_.Expect(MessageAnswer::Ok);
        std::size_t shown = messages_.shown.size();
        EXPECT_EQ(PrintRunResults(engine_, dialogs_, messages_), c.outcome);
        EXPECT_EQ(messages_.shown.size() - shown, fails ? 1u : 0u);
        EXPECT_EQ(engine_.repaints != repaints, c.run);
        if (!c.printer) {
            EXPECT_TRUE(dialogs_.printed.empty());
            continue;
        }
        ASSERT_EQ(dialogs_.printed.size(), 1u);
        const FakeDialogs::Printed& doc = *dialogs_.printed[0];
        EXPECT_EQ(doc.name, "Run results");
        EXPECT_EQ(doc.orientation, PageOrientation::Landscape);
        if (c.outcome == PrintOutcome::Empty) {
            EXPECT_TRUE(doc.canvas.ops.empty());
            continue;
        }
        // The first row as the sheet shows it: the leader once classified.
        const Op* first = nullptr;
        for (const Op& op : doc.canvas.ops) {
            if (op.kind == Kind::Text && op.at == Point{286, 335}) first = &op;
        }
        ASSERT_NE(first, nullptr);
        EXPECT_EQ(first->text, c.run ? "Driver 2" : "stale");
    }
}

}  // namespace
}  // namespace velkaro::test
