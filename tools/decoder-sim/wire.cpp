#include "tools/decoder-sim/wire.h"

#include <algorithm>

namespace velkaro::sim {

std::array<std::uint8_t, 11> EncodeMk2Passing(std::uint16_t transponder, std::int64_t decoderMs) {
    if (decoderMs < 0) decoderMs = 0;
    std::int64_t hours = std::min<std::int64_t>(decoderMs / 3600000, 255);
    std::int64_t rest = decoderMs - hours * 3600000;
    std::int64_t minutes = std::min<std::int64_t>(rest / 60000, 59);
    rest -= minutes * 60000;
    std::int64_t seconds = std::min<std::int64_t>(rest / 1000, 59);
    std::int64_t ms = std::min<std::int64_t>(rest - seconds * 1000, 999);
    // The second runs from 18661 to 65535, 46875 counts; the program takes counts * 256 / 12000.
    std::int64_t counter = 18661 + (ms * 12000 + 255) / 256;
    return {0xFF,
            0xFF,
            0xFF,
            0xF0,
            static_cast<std::uint8_t>(transponder >> 8),
            static_cast<std::uint8_t>(transponder & 0xFF),
            static_cast<std::uint8_t>(hours),
            static_cast<std::uint8_t>(minutes),
            static_cast<std::uint8_t>(seconds),
            static_cast<std::uint8_t>(counter >> 8),
            static_cast<std::uint8_t>(counter & 0xFF)};
}

std::array<std::uint8_t, 2> EncodeMk1Passing(std::uint16_t transponder) {
    return {static_cast<std::uint8_t>(transponder >> 8),
            static_cast<std::uint8_t>(transponder & 0xFF)};
}

std::vector<Command> CommandScanner::Feed(const std::uint8_t* bytes, std::size_t count) {
    pending_.insert(pending_.end(), bytes, bytes + count);
    std::vector<Command> found;
    std::size_t i = 0;
    while (pending_.size() - i >= 5) {
        const std::uint8_t* b = pending_.data() + i;
        if (b[0] == 0xFF && b[1] == 0xFF && b[2] == 0xFF) {
            if (b[3] == 0x01 && b[4] == 0x02) {
                found.push_back(Command::PresenceQuery);
                i += 5;
                continue;
            }
            if (b[3] == 0x02 && b[4] == 0x00) {
                found.push_back(Command::ClockReset);
                i += 5;
                continue;
            }
            if (b[3] == 0xE0 && b[4] == 0x04) {
                found.push_back(Command::KeepAlive);
                i += 5;
                continue;
            }
        }
        ++i;
    }
    pending_.erase(pending_.begin(), pending_.begin() + static_cast<long>(i));
    return found;
}

}  // namespace velkaro::sim
