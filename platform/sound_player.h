#pragma once

#include <string_view>

namespace velkaro {

// WAV playback by relative file name ("sons/...") in Windows-1252. A new sound replaces the one
// playing; a missing file or a machine without sound plays nothing and reports nothing.
class SoundPlayer {
  public:
    virtual ~SoundPlayer() = default;
    virtual void PlayAsync(std::string_view file) = 0;
    // Returns when the sound has finished.
    virtual void PlayAndWait(std::string_view file) = 0;
    // Starts a sound whose end is asked for with Heard(), for a wait that must not block.
    virtual void PlayWatched(std::string_view file) { PlayAsync(file); }
    // Whether the last PlayWatched sound has been heard to its end, or never will be.
    virtual bool Heard() { return true; }
    // Empty while sounds can be heard; otherwise a few words on why not, for the race panel.
    virtual std::string_view Status() const { return {}; }
    // Reads the sound files again, for when they may have changed (another language).
    virtual void Reload() {}
};

}  // namespace velkaro
