#pragma once

#include <array>
#include <cstdint>
#include <vector>

namespace velkaro::sim {

enum class Model { Mk1, Mk2 };

// What the decoder answers. The two bytes after an MK2's model byte are free: a firmware
// version here.
inline constexpr std::array<std::uint8_t, 7> kPresenceAnswer{0xFF, 0xFF, 0xFF, 0x01,
                                                             0x02, 0x01, 0x00};
inline constexpr std::array<std::uint8_t, 7> kClockResetAnswer{0xFF, 0xFF, 0xFF, 0x02,
                                                               0x00, 0x00, 0x00};

// An MK2 passing frame for a detection at decoderMs on the decoder's clock. The sub-second
// counter is the smallest one the program reads back as the same millisecond.
std::array<std::uint8_t, 11> EncodeMk2Passing(std::uint16_t transponder, std::int64_t decoderMs);
std::array<std::uint8_t, 2> EncodeMk1Passing(std::uint16_t transponder);

enum class Command { PresenceQuery, ClockReset, KeepAlive };

// Finds the program's commands in what it writes. A command cut between two reads is joined, as
// a device's receiver would; anything else is skipped.
class CommandScanner {
  public:
    std::vector<Command> Feed(const std::uint8_t* bytes, std::size_t count);

  private:
    std::vector<std::uint8_t> pending_;
};

}  // namespace velkaro::sim
