#include <gtest/gtest.h>

#include <array>
#include <string>
#include <vector>

#include "platform/fake/fake_clock.h"
#include "tests/event/fields.h"
#include "tests/support/test_support.h"
#include "timing/decoder_link.h"
#include "tools/decoder-sim/field.h"
#include "tools/decoder-sim/line.h"
#include "tools/decoder-sim/options.h"
#include "tools/decoder-sim/record_file.h"
#include "tools/decoder-sim/wire.h"

namespace velkaro::sim {
namespace {

using test::Fields;

// What the program decodes from MK2 bytes, as "transponder@ms".
std::string Decode(const std::uint8_t* bytes, std::size_t count) {
    FakeClock clock;
    std::string out;
    DecodeMk2Passings(bytes, static_cast<int>(count), 0, clock, [&out](const Passing& p) {
        out += Fields(p.transponder) + "@" + std::to_string(p.timeMs) + " ";
    });
    return out;
}

TEST(SimWire, EveryMillisecondOfAFrameReadsBackAsSent) {
    for (std::int64_t ms = 0; ms < 1000; ++ms) {
        for (std::int64_t base : {0LL, 59000LL, 3599000LL, 7384000LL}) {
            auto frame = EncodeMk2Passing(4660, base + ms);
            ASSERT_GE(frame[9] * 256 + frame[10], 18661);
            ASSERT_EQ(Decode(frame.data(), frame.size()),
                      "004660@" + std::to_string(base + ms) + " ");
        }
    }
    auto mk1 = EncodeMk1Passing(0x1234);
    EXPECT_EQ(Fields(mk1[0], mk1[1]), "18|52");
}

TEST(SimWire, CommandsAreFoundWhereverTheReadsCutThem) {
    const std::vector<std::uint8_t> stream{0x00, 0xFF, 0xFF, 0xFF, 0x01, 0x02, 0xFF, 0xFF, 0xFF,
                                           0x02, 0x00, 0x17, 0xFF, 0xFF, 0xFF, 0xE0, 0x04};
    for (std::size_t cut = 0; cut <= stream.size(); ++cut) {
        CommandScanner scanner;
        std::vector<Command> found = scanner.Feed(stream.data(), cut);
        std::vector<Command> rest = scanner.Feed(stream.data() + cut, stream.size() - cut);
        found.insert(found.end(), rest.begin(), rest.end());
        EXPECT_EQ(found, (std::vector<Command>{Command::PresenceQuery, Command::ClockReset,
                                               Command::KeepAlive}))
            << "cut at " << cut;
    }
}

// The crossings of a started field until `ms`, "car:number@ms" with a "+" for a doubled report
// and a "-" for a missed one.
std::string Crossings(const FieldSettings& s, std::int64_t ms) {
    Field field(s);
    EXPECT_EQ(field.NextAtMs(), -1);  // on the grid until started
    field.Start();
    std::string out;
    Crossing c;
    while (field.PopDue(ms, &c)) {
        out += Fields(c.car, c.transponder, c.number) + "@" + std::to_string(c.atMs) +
               (c.kind == Crossing::Kind::Doubled  ? "+"
                : c.kind == Crossing::Kind::Missed ? "-"
                                                   : "") +
               " ";
    }
    out += "next@" + std::to_string(field.NextAtMs());
    field.Stop();
    EXPECT_FALSE(field.PopDue(ms + 100000, &c));
    return out;
}

TEST(SimField, AGridStartStaggerMissesDoublesAndALapLimit) {
    FieldSettings s;
    s.transponders = {501, 502};
    s.lapMeanS = 3.0;
    s.lapSpreadS = s.paceSpreadS = 0;
    // A third of a lap to the line, the second car a grid gap behind, then 3 s laps.
    EXPECT_EQ(Crossings(s, 7000),
              "1|501|1@1000 2|502|1@1250 1|501|2@4000 2|502|2@4250 1|501|3@7000 next@7250");
    // Released 5 s apart, every crossing reported twice, two crossings each.
    s.staggerS = 5;
    s.maxCrossings = 2;
    s.doublePercent = 100;
    s.doubleGapMs = 120;
    EXPECT_EQ(Crossings(s, 60000),
              "1|501|1@1000 1|501|1@1120+ 1|501|2@4000 1|501|2@4120+ 2|502|1@6000 2|502|1@6120+ "
              "2|502|2@9000 2|502|2@9120+ next@-1");
    s.doublePercent = 0;
    s.missPercent = 100;
    EXPECT_EQ(Crossings(s, 60000),
              "1|501|1@1000- 1|501|2@4000- 2|502|1@6000- 2|502|2@9000- next@-1");
}

// Five bytes sent at 0 and three at 2 ms, as the program gets them: "piece size@us". At 9600 baud
// a byte takes 1041.67 us and the second write waits for the line.
TEST(SimLine, BytesLeaveAtTheLineSpeedInPiecesThatCutMessagesAnywhere) {
    const std::pair<std::array<int, 3>, std::string> cases[] = {
        // baud, smallest, largest piece
        {{0, 2, 2}, "2@0 2@0 1@0 2@2000 1@2000 "},  // a piece goes short when the line falls silent
        {{9600, 0, 0}, "1@1041 1@2083 1@3124 1@4166 1@5208 1@6249 1@7291 1@8333 "},
        {{9600, 3, 3}, "3@3124 3@6249 2@8333 "}};
    const std::uint8_t bytes[] = {1, 2, 3, 4, 5, 6, 7, 8};
    for (const auto& [settings, expected] : cases) {
        Line line(settings[0], settings[1], settings[2], 7);
        std::string pieces;
        std::vector<std::uint8_t> piece, got;
        for (std::int64_t us = 0; us <= 10000; ++us) {
            if (us == 0) line.Send(bytes, 5, us);
            if (us == 2000) line.Send(bytes + 5, 3, us);
            while (line.NextDueUs() <= us && line.Due(us, &piece)) {
                pieces += Fields(piece.size()) + "@" + std::to_string(us) + " ";
                got.insert(got.end(), piece.begin(), piece.end());
            }
        }
        EXPECT_EQ(Fields(pieces, got == std::vector<std::uint8_t>(bytes, bytes + 8)),
                  Fields(expected, 1));
    }
}

TEST(SimRecord, ReadsTheHandWrittenReplayAndWhatItWrites) {
    Record r;
    std::string error;
    ASSERT_TRUE(
        ParseRecord(test::ReadWholeFile(VELKARO_TEST_DATA "/timing/replay.rec"), &r, &error))
        << error;
    ASSERT_EQ(Fields(r.model == Model::Mk2, r.bursts.size()), "1|3");
    EXPECT_EQ(Fields(r.bursts[1].atMs, r.bursts[1].bytes.size(), r.bursts[1].bytes[0]), "150|12|7");
    EXPECT_EQ(Decode(r.bursts[2].bytes.data(), r.bursts[2].bytes.size()), "001001@13500 ");

    std::uint8_t bytes[] = {0x00, 0x0A, 0xFF};
    ASSERT_TRUE(ParseRecord(
        RecordHeader(Model::Mk1) + RecordLine(0, bytes, 3) + RecordLine(20, bytes, 1), &r, &error))
        << error;
    ASSERT_EQ(Fields(r.model == Model::Mk1, r.bursts.size(), r.bursts[1].atMs), "1|2|20");
    EXPECT_EQ(r.bursts[0].bytes, (std::vector<std::uint8_t>{0x00, 0x0A, 0xFF}));
}

TEST(SimRecord, BadLinesAreNamed) {
    const std::pair<const char*, const char*> bad[] = {
        {"10 FF\n5 FF\n", "line 2: time goes backwards"},
        {"10 FG\n", "line 1: \"FG\" is not a byte in hex"},
        {"10 1FF\n", "line 1: \"1FF\" is not a byte in hex"},
        {"# c\n\n10\n", "line 3: no bytes after the time"},
        {"10 FF\nmodel mk2\n", "line 2: the model comes once, before the first bytes"},
        {"model mk3\n", "line 1: the model is mk1 or mk2"},
        {"x10 FF\n", "line 1: a line starts with its time in milliseconds"},
    };
    Record r;
    for (const auto& [input, message] : bad) {
        std::string error;
        EXPECT_FALSE(ParseRecord(input, &r, &error)) << input;
        EXPECT_EQ(error, message);
    }
}

TEST(SimOptions, DefaultsSuitTheModelAndBadValuesAreRefused) {
    Options o;
    std::string error;
    ASSERT_TRUE(ParseOptions({}, &o, &error));
    EXPECT_EQ(Fields(o.model == Model::Mk2, o.start == StartWhen::ClockReset,
                     o.field.transponders.size(), o.field.transponders[9]),
              "1|1|10|1010");
    ASSERT_TRUE(ParseOptions({"--model", "mk1", "--transponders", "7,65535", "--port", "49",
                              "--start", "2.5", "--seed", "9", "--quiet"},
                             &o, &error));
    EXPECT_EQ(Fields(o.start == StartWhen::After, o.startAfterS, o.field.transponders[0],
                     o.field.transponders[1], o.field.transponders.size(), o.port, o.field.seed),
              "1|2.500000|7|65535|2|49|9");
    ASSERT_TRUE(ParseOptions({"--model", "mk1"}, &o, &error));
    EXPECT_EQ(o.start, StartWhen::Command);
    ASSERT_TRUE(ParseOptions({"--line-speed", "9600", "--chunk", "1-64"}, &o, &error));
    EXPECT_EQ(Fields(o.lineBaud, o.chunkMin, o.chunkMax), "9600|1|64");

    for (const std::vector<std::string>& args :
         std::vector<std::vector<std::string>>{{"--port", "50"},
                                               {"--cars", "21"},
                                               {"--transponders", "1,,2"},
                                               {"--lap-mean", "0"},
                                               {"--miss", "101"},
                                               {"--model", "mk3"},
                                               {"--start", "soon"},
                                               {"--model", "mk1", "--start", "reset"},
                                               {"--chunk", "5-2"},
                                               {"--chunk", "0-3"},
                                               {"--line-speed", "-1"},
                                               {"--frobnicate", "1"},
                                               {"--port"}}) {
        error.clear();
        EXPECT_FALSE(ParseOptions(args, &o, &error)) << args[0];
        EXPECT_FALSE(error.empty());
    }
    EXPECT_FALSE(ParseOptions({"--bogus"}, &o, &error));
    EXPECT_EQ(error, "unknown option --bogus");
    EXPECT_FALSE(ParseOptions({"--seed"}, &o, &error));
    EXPECT_EQ(error, "--seed needs a value");
}

}  // namespace
}  // namespace velkaro::sim
