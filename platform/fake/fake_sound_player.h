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

    // Just the file names, in order.
    std::vector<std::string> Files() const {
        std::vector<std::string> files;
        for (const Played& p : played) files.push_back(p.file);
        return files;
    }

    std::vector<Played> played;
};

}  // namespace velkaro
