#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/fake/fake_clock.h"
#include "tests/support/test_support.h"
#include "timing/decoder_link.h"
#include "tools/decoder-sim/field.h"
#include "tools/decoder-sim/options.h"
#include "tools/decoder-sim/record_file.h"
#include "tools/decoder-sim/wire.h"

namespace velkaro::sim {
namespace {

std::vector<Passing> Decode(const std::uint8_t* bytes, std::size_t count) {
    FakeClock clock;
    std::vector<Passing> out;
    DecodeMk2Passings(bytes, static_cast<int>(count), 0, clock,
                      [&out](const Passing& p) { out.push_back(p); });
    return out;
}

TEST(SimWire, EveryMillisecondOfAFrameReadsBackAsSent) {
    for (std::int64_t ms = 0; ms < 1000; ++ms) {
        for (std::int64_t base : {0LL, 59000LL, 3599000LL, 7384000LL}) {
            auto frame = EncodeMk2Passing(4660, base + ms);
            int count = frame[9] * 256 + frame[10];
            ASSERT_GE(count, 18661);
            ASSERT_LE(count, 65535);
            std::vector<Passing> p = Decode(frame.data(), frame.size());
            ASSERT_EQ(p.size(), 1u);
            EXPECT_EQ(p[0].transponder, "004660");
            ASSERT_EQ(p[0].timeMs, base + ms);
        }
    }
    auto mk1 = EncodeMk1Passing(0x1234);
    EXPECT_EQ(mk1[0], 0x12);
    EXPECT_EQ(mk1[1], 0x34);
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

FieldSettings Steady(int cars) {
    FieldSettings s;
    for (int k = 0; k < cars; ++k) s.transponders.push_back(static_cast<std::uint16_t>(501 + k));
    s.lapMeanS = 3.0;
    s.lapSpreadS = 0;
    s.paceSpreadS = 0;
    return s;
}

std::vector<Crossing> RunFor(Field& field, std::int64_t ms) {
    std::vector<Crossing> out;
    Crossing c;
    while (field.PopDue(ms, &c)) out.push_back(c);
    return out;
}

TEST(SimField, AGridStartThenSteadyLaps) {
    Field field(Steady(2));
    EXPECT_EQ(field.NextAtMs(), -1);  // on the grid until started
    field.Start();
    std::vector<Crossing> c = RunFor(field, 7000);
    // A third of a lap to the line, the second car a grid gap behind, then 3 s laps.
    ASSERT_EQ(c.size(), 5u);
    std::vector<std::int64_t> at;
    for (const Crossing& x : c) at.push_back(x.atMs);
    EXPECT_EQ(at, (std::vector<std::int64_t>{1000, 1250, 4000, 4250, 7000}));
    EXPECT_EQ(c[1].car, 2);
    EXPECT_EQ(c[1].transponder, 502);
    EXPECT_EQ(c[4].number, 3);
    EXPECT_EQ(field.NextAtMs(), 7250);
    field.Stop();
    EXPECT_TRUE(RunFor(field, 100000).empty());
}

TEST(SimField, StaggerMissesDoublesAndALapLimit) {
    FieldSettings s = Steady(2);
    s.staggerS = 5;
    s.maxCrossings = 2;
    s.doublePercent = 100;
    s.doubleGapMs = 120;
    Field field(s);
    field.Start();
    std::vector<Crossing> c = RunFor(field, 60000);
    ASSERT_EQ(c.size(), 8u);
    EXPECT_EQ(c[1].kind, Crossing::Kind::Doubled);
    EXPECT_EQ(c[1].atMs, 1120);
    EXPECT_EQ(c[2].atMs, 4000);  // car 1's second crossing comes before car 2's first
    EXPECT_EQ(c[4].atMs, 6000);  // car 2 released 5 s after car 1
    EXPECT_EQ(field.NextAtMs(), -1);

    s.doublePercent = 0;
    s.missPercent = 100;
    Field blind(s);
    blind.Start();
    for (const Crossing& x : RunFor(blind, 60000)) EXPECT_EQ(x.kind, Crossing::Kind::Missed);
}

TEST(SimRecord, ReadsTheHandWrittenReplay) {
    Record r;
    std::string error;
    ASSERT_TRUE(
        ParseRecord(test::ReadWholeFile(VELKARO_TEST_DATA "/timing/replay.rec"), &r, &error))
        << error;
    ASSERT_TRUE(r.model.has_value());
    EXPECT_EQ(*r.model, Model::Mk2);
    ASSERT_EQ(r.bursts.size(), 3u);
    EXPECT_EQ(r.bursts[1].atMs, 150);
    EXPECT_EQ(r.bursts[1].bytes.size(), 12u);
    EXPECT_EQ(r.bursts[1].bytes[0], 0x07);
    std::vector<Passing> p = Decode(r.bursts[2].bytes.data(), r.bursts[2].bytes.size());
    ASSERT_EQ(p.size(), 1u);
    EXPECT_EQ(p[0].transponder, "001001");
    EXPECT_EQ(p[0].timeMs, 13500);
}

TEST(SimRecord, WhatItWritesItReadsBackAndBadLinesAreNamed) {
    std::uint8_t bytes[] = {0x00, 0x0A, 0xFF};
    std::string text =
        RecordHeader(Model::Mk1) + RecordLine(0, bytes, 3) + RecordLine(20, bytes, 1);
    Record r;
    std::string error;
    ASSERT_TRUE(ParseRecord(text, &r, &error)) << error;
    EXPECT_EQ(*r.model, Model::Mk1);
    ASSERT_EQ(r.bursts.size(), 2u);
    EXPECT_EQ(r.bursts[0].bytes, (std::vector<std::uint8_t>{0x00, 0x0A, 0xFF}));
    EXPECT_EQ(r.bursts[1].atMs, 20);

    const std::pair<const char*, const char*> bad[] = {
        {"10 FF\n5 FF\n", "line 2: time goes backwards"},
        {"10 FG\n", "line 1: \"FG\" is not a byte in hex"},
        {"10 1FF\n", "line 1: \"1FF\" is not a byte in hex"},
        {"# c\n\n10\n", "line 3: no bytes after the time"},
        {"10 FF\nmodel mk2\n", "line 2: the model comes once, before the first bytes"},
        {"model mk3\n", "line 1: the model is mk1 or mk2"},
        {"x10 FF\n", "line 1: a line starts with its time in milliseconds"},
    };
    for (const auto& [input, message] : bad) {
        EXPECT_FALSE(ParseRecord(input, &r, &error)) << input;
        EXPECT_EQ(error, message);
    }
}

TEST(SimOptions, DefaultsSuitTheModelAndBadValuesAreRefused) {
    Options o;
    std::string error;
    ASSERT_TRUE(ParseOptions({}, &o, &error));
    EXPECT_EQ(o.model, Model::Mk2);
    EXPECT_EQ(o.start, StartWhen::ClockReset);
    ASSERT_EQ(o.field.transponders.size(), 10u);
    EXPECT_EQ(o.field.transponders[9], 1010);

    ASSERT_TRUE(ParseOptions({"--model", "mk1", "--transponders", "7,65535", "--port", "49",
                              "--start", "2.5", "--seed", "9", "--quiet"},
                             &o, &error));
    EXPECT_EQ(o.start, StartWhen::After);
    EXPECT_DOUBLE_EQ(o.startAfterS, 2.5);
    EXPECT_EQ(o.field.transponders, (std::vector<std::uint16_t>{7, 65535}));
    EXPECT_EQ(o.port, 49);
    EXPECT_EQ(o.field.seed, 9u);
    ASSERT_TRUE(ParseOptions({"--model", "mk1"}, &o, &error));
    EXPECT_EQ(o.start, StartWhen::Command);

    const std::vector<std::vector<std::string>> refused = {
        {"--port", "50"},           {"--cars", "21"},
        {"--transponders", "1,,2"}, {"--lap-mean", "0"},
        {"--miss", "101"},          {"--model", "mk3"},
        {"--start", "soon"},        {"--model", "mk1", "--start", "reset"},
        {"--frobnicate", "1"},      {"--port"},
    };
    for (const auto& args : refused) {
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
