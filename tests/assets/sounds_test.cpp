#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <set>
#include <string>
#include <vector>

#include "tests/assets/assets_support.h"
#include "tests/support/test_support.h"

namespace fs = std::filesystem;

namespace velkaro::test {
namespace {

struct Wav {
    bool valid = false;
    std::string fault;
    int rate = 0;
    std::vector<std::int16_t> samples;
    double Seconds() const { return rate ? double(samples.size()) / rate : 0.0; }
};

std::uint32_t U32(const std::string& b, std::size_t at) {
    return std::uint32_t(std::uint8_t(b[at])) | std::uint32_t(std::uint8_t(b[at + 1])) << 8 |
           std::uint32_t(std::uint8_t(b[at + 2])) << 16 |
           std::uint32_t(std::uint8_t(b[at + 3])) << 24;
}
std::uint16_t U16(const std::string& b, std::size_t at) {
    return std::uint16_t(std::uint8_t(b[at]) | std::uint8_t(b[at + 1]) << 8);
}

// What a player needs of a file: a RIFF/WAVE container whose sizes agree with the file, a
// 16-bit mono PCM format chunk and a data chunk.
Wav ParseWav(const std::string& b) {
    Wav w;
    if (b.size() < 12 || b.compare(0, 4, "RIFF") != 0 || b.compare(8, 4, "WAVE") != 0) {
        w.fault = "not RIFF/WAVE";
        return w;
    }
    if (U32(b, 4) != b.size() - 8) {
        w.fault = "RIFF size does not match the file";
        return w;
    }
    bool haveFormat = false;
    for (std::size_t at = 12; at + 8 <= b.size();) {
        std::string id = b.substr(at, 4);
        std::uint32_t size = U32(b, at + 4);
        if (at + 8 + size > b.size()) {
            w.fault = "chunk " + id + " runs past the end";
            return w;
        }
        if (id == "fmt ") {
            if (size < 16 || U16(b, at + 8) != 1 || U16(b, at + 10) != 1 || U16(b, at + 22) != 16) {
                w.fault = "not 16-bit mono PCM";
                return w;
            }
            w.rate = int(U32(b, at + 12));
            if (U32(b, at + 16) != U32(b, at + 12) * 2 || U16(b, at + 20) != 2) {
                w.fault = "byte rate or block size inconsistent";
                return w;
            }
            haveFormat = true;
        } else if (id == "data") {
            if (!haveFormat) {
                w.fault = "data before format";
                return w;
            }
            for (std::size_t i = 0; i + 1 < size; i += 2) {
                w.samples.push_back(std::int16_t(U16(b, at + 8 + i)));
            }
            w.valid = true;
            return w;
        }
        at += 8 + size + (size & 1);
    }
    w.fault = "no data chunk";
    return w;
}

// Level of the sounding part in dB: power mean of the 10 ms frames within 20 dB of the loudest.
double Loudness(const Wav& w) {
    std::size_t frame = std::size_t(w.rate / 100);
    std::vector<double> powers;
    for (std::size_t i = 0; i + frame <= w.samples.size(); i += frame) {
        double sum = 0;
        for (std::size_t k = i; k < i + frame; ++k) {
            double s = w.samples[k] / 32768.0;
            sum += s * s;
        }
        powers.push_back(sum / double(frame));
    }
    double loudest = *std::max_element(powers.begin(), powers.end());
    double total = 0;
    int n = 0;
    for (double p : powers) {
        if (p >= loudest / 100.0) {
            total += p;
            ++n;
        }
    }
    return 10 * std::log10(total / n);
}

std::string Stem(const fs::path& p) {
    std::string s = p.stem().string();
    if (s.ends_with("GB")) s.resize(s.size() - 2);
    return s;
}

const std::set<std::string> kSignals{"foghorn", "truckhorn", "beep1", "buzz", "youpi", "nokia-sms"};

class Sounds : public ::testing::Test {
  protected:
    void SetUp() override {
        for (const fs::path& f : FilesUnder(DataFolder() / "sons")) {
            files.push_back(f);
            wavs.push_back(ParseWav(ReadWholeFile(f)));
        }
        ASSERT_FALSE(files.empty());
    }
    std::vector<fs::path> files;
    std::vector<Wav> wavs;
};

TEST_F(Sounds, EveryFileIsAPlayableWav) {
    for (std::size_t i = 0; i < files.size(); ++i) {
        EXPECT_EQ(files[i].extension(), ".wav") << files[i];
        EXPECT_TRUE(wavs[i].valid) << files[i] << ": " << wavs[i].fault;
        EXPECT_EQ(wavs[i].rate, 22050) << files[i];
    }
}

TEST_F(Sounds, CallsAreOverBeforeTheNextOneIsDue) {
    // The last five seconds of a countdown are called once a second.
    const std::set<std::string> everySecond{"cinq", "quatre", "trois", "deux", "un"};
    for (std::size_t i = 0; i < files.size(); ++i) {
        std::string stem = Stem(files[i]);
        double s = wavs[i].Seconds();
        EXPECT_GT(s, 0.08) << files[i];
        if (everySecond.contains(stem)) {
            EXPECT_LT(s, 0.9) << files[i];
        } else if (stem == "beep1") {
            EXPECT_LT(s, 0.25) << files[i];  // cars cross the line a fraction of a second apart
        } else if (stem == "nokia-sms") {
            EXPECT_LT(s, 1.0) << files[i];  // played to its end before a countdown starts
        } else {
            EXPECT_LT(s, 2.5) << files[i];
        }
    }
}

TEST_F(Sounds, NoCallIsMuchLouderThanAnother) {
    std::vector<double> spoken;
    for (std::size_t i = 0; i < files.size(); ++i) {
        if (!wavs[i].valid) continue;
        auto [lo, hi] = std::minmax_element(wavs[i].samples.begin(), wavs[i].samples.end());
        EXPECT_GT(*lo, -32767) << files[i] << " clips";
        EXPECT_LT(*hi, 32767) << files[i] << " clips";
        if (!kSignals.contains(Stem(files[i]))) spoken.push_back(Loudness(wavs[i]));
    }
    ASSERT_FALSE(spoken.empty());
    auto [quietest, loudest] = std::minmax_element(spoken.begin(), spoken.end());
    EXPECT_LT(*loudest - *quietest, 2.0);
    for (std::size_t i = 0; i < files.size(); ++i) {
        if (wavs[i].valid && kSignals.contains(Stem(files[i]))) {
            EXPECT_NEAR(Loudness(wavs[i]), *loudest, 6.0) << files[i];
        }
    }
}

TEST_F(Sounds, EveryCallHasItsEnglishCounterpart) {
    std::set<std::string> names;
    for (const fs::path& f : files) names.insert(f.filename().string());
    for (const std::string& name : names) {
        std::string stem = name.substr(0, name.size() - 4);
        if (stem.ends_with("GB") || kSignals.contains(stem)) continue;
        EXPECT_TRUE(names.contains(stem + "GB.wav")) << name;
    }
}

// A WAV file of the given format holding the given 16-bit samples.
std::string MakeWav(int channels, int bits, const std::vector<std::int16_t>& samples) {
    std::string data;
    for (std::int16_t s : samples) data += LittleEndian(std::uint16_t(s), 2);
    return WavFile(1, channels, 22050, bits, data);
}

TEST(WavParser, RefusesWhatAPlayerWouldRefuse) {
    Wav w = ParseWav(MakeWav(1, 16, {1, -1}));
    ASSERT_TRUE(w.valid) << w.fault;
    EXPECT_EQ(w.rate, 22050);
    EXPECT_EQ(w.samples, (std::vector<std::int16_t>{1, -1}));
    EXPECT_NEAR(ParseWav(MakeWav(1, 16, std::vector<std::int16_t>(22050))).Seconds(), 1.0, 1e-9);

    EXPECT_FALSE(ParseWav(MakeWav(2, 16, {1, -1})).valid);
    EXPECT_FALSE(ParseWav(MakeWav(1, 8, {1, -1})).valid);
    std::string cut = MakeWav(1, 16, {1, -1, 2});
    cut.resize(cut.size() - 2);
    EXPECT_FALSE(ParseWav(cut).valid);  // RIFF size no longer matches
    cut.replace(4, 4, LittleEndian(std::uint32_t(cut.size() - 8), 4));
    EXPECT_FALSE(ParseWav(cut).valid);  // data chunk runs past the end
    EXPECT_FALSE(ParseWav("RIFX" + MakeWav(1, 16, {0}).substr(4)).valid);
}

}  // namespace
}  // namespace velkaro::test
