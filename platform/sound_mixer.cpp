#include "platform/sound_mixer.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace velkaro {

namespace {

std::uint32_t Le(std::string_view b, std::size_t at, int bytes) {
    std::uint32_t v = 0;
    for (int i = bytes - 1; i >= 0; --i) v = v << 8 | std::uint8_t(b[at + std::size_t(i)]);
    return v;
}

// One sample as a value in [-1, 1).
double Sample(std::string_view b, std::size_t at, int bits) {
    switch (bits) {
        case 8:
            return (double(std::uint8_t(b[at])) - 128.0) / 128.0;
        case 16:
            return double(std::int16_t(Le(b, at, 2))) / 32768.0;
        case 24:
            return double(std::int32_t(Le(b, at, 3) << 8)) / 2147483648.0;
        default:
            return double(std::int32_t(Le(b, at, 4))) / 2147483648.0;
    }
}

constexpr std::size_t kRemembered = 64;
constexpr std::size_t kMaxWaiting = 64;
// Requests closer than this come from one tick's work: the later one is what is meant.
constexpr std::int64_t kSameMomentUs = 2000;

}  // namespace

bool DecodeWav(std::string_view b, PcmFormat out, PcmSound& sound, std::string& why) {
    sound.samples.clear();
    if (b.size() < 12 || b.substr(0, 4) != "RIFF" || b.substr(8, 4) != "WAVE") {
        why = "not a RIFF/WAVE file";
        return false;
    }
    int channels = 0, rate = 0, bits = 0;
    std::string_view data;
    bool haveData = false;
    for (std::size_t at = 12; at + 8 <= b.size();) {
        std::string_view id = b.substr(at, 4);
        std::size_t size = Le(b, at + 4, 4);
        // A data size past the end is common in files cut short: keep what is there.
        std::size_t avail = std::min(size, b.size() - at - 8);
        if (id == "fmt ") {
            if (avail < 16) break;
            int tag = int(Le(b, at + 8, 2));
            channels = int(Le(b, at + 10, 2));
            rate = int(Le(b, at + 12, 4));
            bits = int(Le(b, at + 22, 2));
            if (tag != 1 && tag != 0xFFFE) {
                why = "not integer PCM";
                return false;
            }
        } else if (id == "data") {
            data = b.substr(at + 8, avail);
            haveData = true;
        }
        at += 8 + size + (size & 1);
    }
    if (channels < 1 || rate < 1 || (bits != 8 && bits != 16 && bits != 24 && bits != 32)) {
        why = "no usable format chunk";
        return false;
    }
    if (!haveData) {
        why = "no data chunk";
        return false;
    }
    const std::size_t frameBytes = std::size_t(channels) * std::size_t(bits / 8);
    const std::size_t inFrames = data.size() / frameBytes;
    std::vector<double> mono(inFrames);
    for (std::size_t f = 0; f < inFrames; ++f) {
        double sum = 0;
        for (int c = 0; c < channels; ++c) {
            sum += Sample(data, f * frameBytes + std::size_t(c * bits / 8), bits);
        }
        mono[f] = sum / channels;
    }
    const auto outFrames =
        std::size_t(std::llround(double(inFrames) * double(out.rate) / double(rate)));
    sound.samples.resize(outFrames * std::size_t(out.channels));
    for (std::size_t j = 0; j < outFrames; ++j) {
        double src = double(j) * double(rate) / double(out.rate);
        auto i0 = std::min(std::size_t(src), inFrames - 1);
        std::size_t i1 = std::min(i0 + 1, inFrames - 1);
        double frac = src - double(i0);
        double v = mono[i0] * (1 - frac) + mono[i1] * frac;
        auto s = std::int16_t(std::clamp(std::lround(v * 32768.0), -32768L, 32767L));
        std::fill_n(sound.samples.begin() + std::ptrdiff_t(j * std::size_t(out.channels)),
                    out.channels, s);
    }
    return true;
}

SoundMixer::SoundMixer(PcmFormat format, std::int64_t minimumSliceFrames)
    : format_(format), slice_(std::max<std::int64_t>(minimumSliceFrames, 1)) {}

void SoundMixer::Remember(std::uint64_t ticket, std::int64_t end) {
    played_.push_back({ticket, end});
    if (played_.size() > kRemembered) played_.pop_front();
}

std::uint64_t SoundMixer::Start(std::shared_ptr<const PcmSound> sound, std::int64_t askedUs) {
    std::uint64_t ticket = nextTicket_++;
    if (!sound || sound->samples.empty()) {
        Remember(ticket, rendered_);
        return ticket;
    }
    if (!waiting_.empty() && waiting_.back().sound->name != sound->name &&
        askedUs - waiting_.back().askedUs < kSameMomentUs &&
        waiting_.back().sound->samples.size() >= sound->samples.size()) {
        Remember(waiting_.back().ticket, rendered_);
        waiting_.pop_back();
    }
    if (waiting_.size() >= kMaxWaiting) {
        Remember(waiting_.front().ticket, rendered_);
        waiting_.pop_front();
    }
    waiting_.push_back({ticket, std::move(sound), askedUs});
    return ticket;
}

void SoundMixer::Render(std::int16_t* out, std::int64_t frames) {
    const auto ch = std::int64_t(format_.channels);
    std::int64_t done = 0;
    while (done < frames) {
        const std::int64_t now = rendered_ + done;
        if (!waiting_.empty() && (!playing_ || position_ >= slice_)) {
            if (playing_) Remember(playingTicket_, now);
            playing_ = std::move(waiting_.front().sound);
            playingTicket_ = waiting_.front().ticket;
            waiting_.pop_front();
            playingStart_ = now;
            position_ = 0;
            continue;
        }
        if (!playing_) {
            std::memset(out + done * ch, 0, std::size_t((frames - done) * ch) * sizeof *out);
            break;
        }
        const auto length = std::int64_t(playing_->samples.size()) / ch;
        std::int64_t n = std::min(length - position_, frames - done);
        if (!waiting_.empty()) n = std::min(n, slice_ - position_);
        std::memcpy(out + done * ch, playing_->samples.data() + position_ * ch,
                    std::size_t(n * ch) * sizeof *out);
        position_ += n;
        done += n;
        if (position_ >= length) {
            Remember(playingTicket_, playingStart_ + length);
            playing_.reset();
        }
    }
    rendered_ += frames;
}

std::optional<std::int64_t> SoundMixer::EndFrame(std::uint64_t ticket) const {
    if (playing_ && ticket == playingTicket_) {
        return playingStart_ + std::int64_t(playing_->samples.size()) / format_.channels;
    }
    for (const Waiting& w : waiting_) {
        if (w.ticket == ticket) return std::nullopt;
    }
    for (auto it = played_.rbegin(); it != played_.rend(); ++it) {
        if (it->ticket == ticket) return it->end;
    }
    return std::int64_t{0};
}

}  // namespace velkaro
