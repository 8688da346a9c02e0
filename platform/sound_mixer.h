#pragma once

#include <cstdint>
#include <deque>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace velkaro {

// The one format every sound is converted to: interleaved signed 16-bit samples.
struct PcmFormat {
    int rate = 44100;
    int channels = 2;
};

struct PcmSound {
    std::string name;  // what it was requested by: equal names stack, different ones replace
    std::vector<std::int16_t> samples;
};

// Decodes RIFF/WAVE integer PCM (8, 16, 24 or 32 bits, any channel count and rate) into `out`.
// Channels are averaged to mono then copied to each output channel; the rate is converted by
// linear interpolation. On failure `why` says what is wrong and `sound` is left empty.
bool DecodeWav(std::string_view bytes, PcmFormat out, PcmSound& sound, std::string& why);

// Plays one sound at a time into an endless stream of buffers; silence between sounds.
//
// A request replaces the sound playing from the next buffer on. Requests that arrive before the
// next buffer would otherwise be lost, so they queue: one for the same sound as the request before
// it stacks (a burst of lap beeps gives a start for each). One for another sound, asked for at the
// same moment, drops the waiting request before it when that one is no shorter: a cheer followed
// at once by a beep is heard as the beep, while a beep followed at once by the next car's cheer
// keeps its start, and a waiting sound asked for earlier is never dropped, so that a lap beep is
// not lost when the output falls behind. A queued sound starts once the one before it has played
// `minimumSliceFrames`.
class SoundMixer {
  public:
    SoundMixer(PcmFormat format, std::int64_t minimumSliceFrames);

    const PcmFormat& Format() const { return format_; }

    // `askedUs`: when it was asked for, on any steady clock in microseconds. Returns a ticket for
    // EndFrame.
    std::uint64_t Start(std::shared_ptr<const PcmSound> sound, std::int64_t askedUs);

    // Fills `frames` frames.
    void Render(std::int16_t* out, std::int64_t frames);

    // Frames handed out since construction.
    std::int64_t FramesRendered() const { return rendered_; }

    // The stream frame just after the ticket's last sample (earlier when it was replaced), or
    // nothing while it waits for a buffer. A dropped or forgotten ticket ends where it stands.
    std::optional<std::int64_t> EndFrame(std::uint64_t ticket) const;

  private:
    struct Waiting {
        std::uint64_t ticket;
        std::shared_ptr<const PcmSound> sound;
        std::int64_t askedUs;
    };
    struct Played {
        std::uint64_t ticket;
        std::int64_t end;
    };
    void Remember(std::uint64_t ticket, std::int64_t end);

    PcmFormat format_;
    std::int64_t slice_;
    std::int64_t rendered_ = 0;
    std::uint64_t nextTicket_ = 1;
    std::deque<Waiting> waiting_;
    std::shared_ptr<const PcmSound> playing_;
    std::uint64_t playingTicket_ = 0;
    std::int64_t playingStart_ = 0;
    std::int64_t position_ = 0;  // frames of playing_ already rendered
    std::deque<Played> played_;  // the latest tickets' end frames, newest last
};

}  // namespace velkaro
