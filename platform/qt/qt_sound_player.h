#pragma once

#include <QElapsedTimer>
#include <QThread>
#include <atomic>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>

#include "platform/sound_mixer.h"
#include "platform/sound_player.h"

namespace velkaro {

// Every WAV of "sons" held in memory, played through one audio stream opened at start-up and
// kept for the program's life, so that no sound waits for a stream to open or is cut by one
// closing. The stream is fed from a thread of its own with a short timer, rather than pulled by
// the sink (Qt 6.4's PulseAudio sink stops pulling after its first read): what is queued ahead of
// the speaker, hence the delay of every sound, stays small and known, and a busy main thread
// (painting, a form opening) does not starve the speaker.
class QtSoundPlayer final : public SoundPlayer {
  public:
    // `folder` is the sound folder's relative name, as the requests spell it.
    explicit QtSoundPlayer(std::string folder = "sons");
    ~QtSoundPlayer() override;

    void PlayAsync(std::string_view file) override;
    // Waits in a local event loop that takes no user input (the program's timer keeps ticking),
    // until the device has played the last sample, or a second past the sound's length.
    void PlayAndWait(std::string_view file) override;
    // Heard once the device has played the last sample, or a second past the sound's length.
    void PlayWatched(std::string_view file) override;
    bool Heard() override;
    std::string_view Status() const override;
    void Reload() override;

    // Stream frames the device has played.
    std::int64_t FramesPlayed() const;

    // What the audio thread shares with the program's thread.
    struct Shared {
        std::mutex lock;
        std::optional<SoundMixer> mixer;
        std::atomic<std::int64_t> framesPlayed{0};
        std::atomic<bool> failed{false};
    };

  private:
    std::shared_ptr<const PcmSound> Find(std::string_view file);

    std::string folder_;
    PcmFormat format_;
    std::string status_;
    std::map<std::string, std::shared_ptr<const PcmSound>> sounds_;  // by file-system name
    Shared shared_;
    QThread thread_;
    QObject* feeder_ = nullptr;  // lives in thread_

    // The watched sound.
    bool watching_ = false;
    std::uint64_t watchTicket_ = 0;
    qint64 watchBoundMs_ = 0;
    QElapsedTimer watched_;
};

}  // namespace velkaro
