#include "platform/sound_mixer.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/support/test_support.h"

namespace velkaro {
namespace {

using test::WavFile;
const auto Le = test::LittleEndian;

std::string S16(std::vector<int> v) {
    std::string s;
    for (int x : v) s += Le(std::uint32_t(x), 2);
    return s;
}

// Each case converts a file to `out`, or refuses it with `why`.
TEST(DecodeWav, ConvertsIntegerPcmToTheOutputFormat) {
    struct Case {
        std::string file;
        PcmFormat out;
        std::vector<std::int16_t> samples;
        std::string why;
    };
    const Case cases[] = {
        {WavFile(1, 1, 22050, 16, S16({0, 1000, -1000})),
         {44100, 2},  // interpolated, both channels
         {0, 0, 500, 500, 1000, 1000, 0, 0, -1000, -1000, -1000, -1000},
         ""},
        {WavFile(1, 1, 8000, 8, std::string{'\x80', '\xC0', '\x00'}),
         {8000, 1},
         {0, 16384, -32768},
         ""},
        {WavFile(1, 2, 8000, 16, S16({1000, 3000, -200, 0})), {8000, 1}, {2000, -100}, ""},
        {WavFile(1, 1, 8000, 24, Le(0x400000, 3) + Le(0xC00000, 3)),
         {8000, 1},
         {16384, -16384},
         ""},
        {WavFile(0xFFFE, 1, 16000, 16, S16({10, 20, 30, 40})), {8000, 1}, {10, 30}, ""},
        {"RIFX" + WavFile(1, 1, 8000, 16, S16({1})).substr(4), {}, {}, "not a RIFF/WAVE file"},
        {WavFile(3, 1, 8000, 32, Le(0, 4)), {}, {}, "not integer PCM"},
        {WavFile(1, 1, 8000, 12, S16({1})), {}, {}, "no usable format chunk"},
        {WavFile(1, 1, 8000, 16, "").substr(0, 36), {}, {}, "no data chunk"},
    };
    for (const Case& c : cases) {
        PcmSound sound{"", {1}};
        std::string why;
        EXPECT_EQ(DecodeWav(c.file, c.out, sound, why), c.why.empty()) << c.why;
        EXPECT_EQ(why, c.why);
        EXPECT_EQ(sound.samples, c.samples) << c.why;
    }
}

// A request is a sound name ("a": 1..5, "b": 21..23), a buffer of n frames ("n"), or n ms that
// pass before the next request ("+n").
TEST(SoundMixer, ReplacesQueuesAndAccountsForEnds) {
    struct Case {
        const char* what;
        std::int64_t slice;
        std::vector<std::string> steps;
        std::vector<std::int16_t> out;
        std::vector<std::int64_t> ends;  // per sound request, -1 while waiting
    };
    const Case cases[] = {
        {"a sound then silence", 1, {"a", "8"}, {1, 2, 3, 4, 5, 0, 0, 0}, {5}},
        {"replaced from the next buffer on",
         1,
         {"a", "2", "b", "4"},
         {1, 2, 21, 22, 23, 0},
         {2, 5}},
        {"not before its minimum slice", 3, {"a", "1", "b", "5"}, {1, 2, 3, 21, 22, 23}, {3, 6}},
        {"a burst of one sound gives a start each",
         2,
         {"a", "a", "a", "9"},
         {1, 2, 1, 2, 1, 2, 3, 4, 5},
         {2, 4, 9}},
        {"another sound at once drops the waiting one",
         2,
         {"a", "b", "4"},
         {21, 22, 23, 0},
         {0, 3}},
        {"a shorter one at once keeps its start", 2, {"b", "a", "6"}, {21, 22, 1, 2, 3, 4}, {2, 7}},
        {"another sound asked for later plays after it",
         2,
         {"a", "+5", "b", "4"},
         {1, 2, 21, 22},
         {2, 5}},
        {"waiting until a buffer", 1, {"2", "a"}, {0, 0}, {-1}},
        {"ends count in stream frames", 1, {"3", "b", "2", "2"}, {0, 0, 0, 21, 22, 23, 0}, {6}},
    };
    auto a = std::make_shared<PcmSound>(PcmSound{"a", {1, 2, 3, 4, 5}});
    auto b = std::make_shared<PcmSound>(PcmSound{"b", {21, 22, 23}});
    for (const Case& c : cases) {
        SoundMixer mixer({8000, 1}, c.slice);
        std::vector<std::uint64_t> tickets;
        std::vector<std::int16_t> out;
        std::int64_t now = 0;
        for (const std::string& s : c.steps) {
            if (s == "a" || s == "b") {
                tickets.push_back(mixer.Start(s == "a" ? a : b, now));
                continue;
            }
            if (s[0] == '+') {
                now += std::stol(s.substr(1)) * 1000;
                continue;
            }
            std::vector<std::int16_t> buffer(std::stoul(s), -1);
            mixer.Render(buffer.data(), std::int64_t(buffer.size()));
            out.insert(out.end(), buffer.begin(), buffer.end());
        }
        EXPECT_EQ(out, c.out) << c.what;
        EXPECT_EQ(mixer.FramesRendered(), std::int64_t(out.size())) << c.what;
        std::vector<std::int64_t> ends;
        for (std::uint64_t t : tickets) ends.push_back(mixer.EndFrame(t).value_or(-1));
        EXPECT_EQ(ends, c.ends) << c.what;
    }
}

// Speakers are mostly stereo: a slice and an end count in frames of both channels.
TEST(SoundMixer, CountsFramesNotSamples) {
    SoundMixer mixer({8000, 2}, 1);
    auto ticket = mixer.Start(std::make_shared<PcmSound>(PcmSound{"s", {1, -1, 2, -2}}), 0);
    std::vector<std::int16_t> buffer(6, 9);
    mixer.Render(buffer.data(), 3);
    EXPECT_EQ(buffer, (std::vector<std::int16_t>{1, -1, 2, -2, 0, 0}));
    EXPECT_EQ(mixer.EndFrame(ticket), 2);
}

}  // namespace
}  // namespace velkaro
