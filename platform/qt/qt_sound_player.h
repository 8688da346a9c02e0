#pragma once

#include <QSoundEffect>

#include "platform/sound_player.h"

namespace velkaro {

class QtSoundPlayer final : public SoundPlayer {
  public:
    void PlayAsync(std::string_view file) override;
    // Waits in a local event loop that takes no user input, bounded by the file's duration.
    void PlayAndWait(std::string_view file) override;

  private:
    bool Start(std::string_view file);
    QSoundEffect effect_;
};

// The playing time of a PCM WAV file in milliseconds, 0 when it is not one.
int WavDurationMs(const std::string& path);

}  // namespace velkaro
