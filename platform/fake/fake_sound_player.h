#pragma once

#include <string>
#include <vector>

#include "platform/sound_player.h"

namespace velkaro {

class FakeSoundPlayer final : public SoundPlayer {
  public:
    struct Played {
        std::string file;
        bool waited;
        friend bool operator==(const Played&, const Played&) = default;
    };

    void PlayAsync(std::string_view file) override { played.push_back({std::string(file), false}); }
    void PlayAndWait(std::string_view file) override {
        played.push_back({std::string(file), true});
    }

    void PlayWatched(std::string_view file) override {
        played.push_back({std::string(file), true});
        pollsLeft_ = pollsPerSignal;
    }
    bool Heard() override {
        ++polls;
        if (pollsLeft_ == 0) return true;
        --pollsLeft_;
        return false;
    }

    std::string_view Status() const override { return status; }
    void Reload() override { ++reloads; }

    // Just the file names, in order.
    std::vector<std::string> Files() const {
        std::vector<std::string> files;
        for (const Played& p : played) files.push_back(p.file);
        return files;
    }

    // A watched sound is heard after this many polls of Heard(); `polls` counts them all.
    int pollsPerSignal = 0;
    int polls = 0;

    std::vector<Played> played;
    std::string status;
    int reloads = 0;

  private:
    int pollsLeft_ = 0;
};

}  // namespace velkaro
