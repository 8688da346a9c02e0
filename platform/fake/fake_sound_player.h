#pragma once

#include <functional>
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
        if (whileWaiting) whileWaiting(std::string(file));
    }

    std::string_view Status() const override { return status; }
    void Reload() override { ++reloads; }

    // Runs while a sound is waited for: the real player's wait keeps the program's timer
    // ticking, and a test puts those ticks here.
    std::function<void(const std::string&)> whileWaiting;

    // Just the file names, in order.
    std::vector<std::string> Files() const {
        std::vector<std::string> files;
        for (const Played& p : played) files.push_back(p.file);
        return files;
    }

    std::vector<Played> played;
    std::string status;
    int reloads = 0;
};

}  // namespace velkaro
