#pragma once

#include <cstdint>
#include <string_view>

#include "platform/disk.h"

namespace velkaro {

// What a file holds, in 64 bits: two readings of a file are the same event when their
// fingerprints are equal. A file that cannot be read has fingerprint 0.
std::uint64_t FileFingerprint(std::string_view name, Disk& disk);

}  // namespace velkaro
