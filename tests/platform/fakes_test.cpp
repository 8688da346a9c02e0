#include <gtest/gtest.h>

#include <string>

#include "platform/fake/fake_clock.h"
#include "platform/fake/fake_dialogs.h"
#include "platform/fake/fake_messages.h"
#include "platform/fake/fake_serial_port.h"
#include "platform/fake/fake_sound_player.h"
#include "platform/fake/recording_canvas.h"

namespace velkaro {
namespace {

// Like the real port: a read never returns more than asked and keeps the rest, closed or unknown
// ports fail, and a failing write writes nothing.
TEST(FakeSerialPort, ReadsWritesAndFailuresAsTheRealOne) {
    FakeSerialPort port;
    int got = -1;
    std::uint8_t buf[8] = {};
    EXPECT_FALSE(port.Read(buf, 1, &got));
    EXPECT_EQ(got, 0);
    EXPECT_FALSE(port.Open("COM50", LineSettings{}));
    EXPECT_FALSE(port.IsOpen());
    ASSERT_TRUE(port.Open("COM1", LineSettings{}));
    port.QueueRead({1, 2, 3, 4, 5});
    port.QueueRead({6});
    std::string reads;
    for (int max : {3, 255, 255, 255}) {
        ASSERT_TRUE(port.Read(buf, max, &got));
        reads += std::to_string(got) + "@" + std::to_string(buf[0]) + " ";
    }
    EXPECT_EQ(reads, "3@1 2@4 1@6 0@6 ");  // chunks are never merged: one read, one arrival

    const std::uint8_t keepAlive[] = {0xFF, 0xFF, 0xFF, 0xE0, 0x04};
    EXPECT_TRUE(port.Write(keepAlive, 5, &got));
    EXPECT_EQ(got, 5);
    port.writesFail = true;
    EXPECT_TRUE(port.Write(keepAlive, 5, &got));
    EXPECT_EQ(got, 0);
    EXPECT_EQ(port.writes.size(), 1u);
    port.failOpen = true;
    EXPECT_FALSE(port.Open("COM2", LineSettings{}));
}

TEST(FakeClock, TickAndCounterMoveTogetherAndTheTickWraps) {
    FakeClock clock(0xFFFFFFF0u);
    std::int64_t c0 = clock.Counter();
    clock.AdvanceMs(32);
    EXPECT_EQ(clock.TickMs(), 0x10u);
    EXPECT_EQ(clock.TickMs() - 0xFFFFFFF0u, 32u);  // elapsed by subtraction survives the wrap
    EXPECT_EQ((clock.Counter() - c0) * 1000 / clock.Frequency(), 32);
    clock.AdvanceMicros(600);
    clock.AdvanceMicros(600);
    EXPECT_EQ(clock.TickMs(), 0x11u);
}

TEST(FakeClock, ABusyWaitOnTheCounterEnds) {
    FakeClock clock;
    clock.counterStepPerRead = 250;
    std::int64_t start = clock.Counter();
    int loops = 0;
    while ((clock.Counter() - start) * 1000 / clock.Frequency() <= 99) ++loops;
    EXPECT_EQ(loops, 399);
}

TEST(FakeMessages, AnswersFromTheScriptThenReportsUnexpectedBoxes) {
    FakeMessages m;
    std::vector<std::string> unexpected;
    m.onUnexpected = [&](const FakeMessages::Shown& s) { unexpected.push_back(s.text); };
    m.Expect(MessageAnswer::Yes);
    EXPECT_EQ(m.Show("Be careful", "Save?", MessageButtons::YesNoCancel, MessageIcon::Question),
              MessageAnswer::Yes);
    EXPECT_TRUE(unexpected.empty());
    EXPECT_EQ(m.Show("Be careful", "Again?", MessageButtons::YesNoCancel, MessageIcon::Question),
              MessageAnswer::Cancel);
    m.Error("Error: Race file not found");
    ASSERT_EQ(unexpected.size(), 2u);
    EXPECT_EQ(m.shown[2].title, "Error");
    EXPECT_EQ(m.shown[2].icon, MessageIcon::Error);
}

TEST(FakeSoundPlayer, KeepsOrderAndHowEachWasPlayed) {
    FakeSoundPlayer s;
    s.PlayAndWait("sons/nokia-sms.wav");
    s.PlayAsync("sons/bip.wav");
    ASSERT_EQ(s.played.size(), 2u);
    EXPECT_TRUE(s.played[0].waited);
    EXPECT_FALSE(s.played[1].waited);
    EXPECT_EQ(s.Files(), (std::vector<std::string>{"sons/nokia-sms.wav", "sons/bip.wav"}));
}

TEST(RecordingCanvas, RecordsAndReplaysTheSameList) {
    RecordingCanvas a;
    TextStyle style;
    style.align = Align::Right;
    a.FillRect({0, 0, 10, 10}, {1, 2, 3});
    a.DrawText({5, 6}, "Laps", style);
    a.FillGradient({0, 0, 100, 20}, {0, 0, 0}, {255, 255, 255}, 8, true);
    a.DrawBitmap("images/logo.bmp", {4, 2, 200, 52});
    RecordingCanvas b;
    a.Replay(b);
    ASSERT_EQ(b.ops.size(), 4u);
    EXPECT_EQ(b.Texts(), std::vector<std::string>{"Laps"});
    EXPECT_EQ(b.ops[1].style.align, Align::Right);
    EXPECT_EQ(b.ops[2].steps, 8);
    EXPECT_EQ(b.ops[3].r, (Rect{4, 2, 200, 52}));
    Font f;
    f.height = 20;
    EXPECT_EQ(a.MeasureFont(f).height, 20);
    EXPECT_EQ(a.TextWidth("abc", f), 30);
}

TEST(FakeDialogs, ScriptedAnswersThenCancel) {
    FakeDialogs d;
    d.openAnswers.push_back(std::string("/tmp/a.race"));
    EXPECT_EQ(d.OpenFile("/x", {"Race file (.race)", "*.race"}), "/tmp/a.race");
    EXPECT_FALSE(d.OpenFile("/x", {"Race file (.race)", "*.race"}).has_value());
    auto job = d.Print("report", PageOrientation::Portrait);
    ASSERT_TRUE(job);
    job->Page().DrawLine({0, 0}, {1, 1}, 1, {});
    EXPECT_TRUE(job->Finish());
    ASSERT_EQ(d.printed.size(), 1u);
    EXPECT_EQ(d.printed[0]->canvas.ops.size(), 1u);
    d.printerAvailable = false;
    EXPECT_EQ(d.Print("report", PageOrientation::Portrait), nullptr);
}

}  // namespace
}  // namespace velkaro
