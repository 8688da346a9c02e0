#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/disk.h"

namespace velkaro {

// New bytes for a file from an offset on; a patch may run past the end of the file.
struct Patch {
    std::uint64_t offset = 0;
    std::string bytes;
};

// The rollback journal kept beside a file while it changes: "<file>-journal".
std::string JournalName(std::string_view file);

// Writes the patches into `file`, whose present bytes are `before`, so that a crash or power
// failure at any moment leaves the file either entirely as before or entirely as after, once
// RollBackInterruptedChange has run. False when the change could not be made; the file is
// then as before (or will be at the next roll-back).
bool CommitPatches(Disk& disk, std::string_view name, DiskFile& file, std::string_view before,
                   const std::vector<Patch>& patches);

// Puts back the bytes of a change that a crash interrupted. True when nothing was pending or
// the file is whole again.
bool RollBackInterruptedChange(Disk& disk, std::string_view name);

// Whether a complete journal waits to be played back.
bool ChangePending(Disk& disk, std::string_view name);

}  // namespace velkaro
