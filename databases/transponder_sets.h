#pragma once

#include <array>
#include <string_view>

#include "databases/file_flaws.h"
#include "platform/disk.h"
#include "platform/text.h"

namespace velkaro {

inline constexpr int kTransponderSets = 20;
inline constexpr int kTranspondersPerSet = 20;
inline constexpr std::string_view kTransponderSetsFile =
    "BaseDonn\xE9"
    "esTranspondeurs.bd";
inline constexpr std::string_view kTransponderSetsFileNotFound =
    "Error: Transponders database file not found";

// A club's set of transponders, lent to drivers without their own.
struct TransponderSet {
    Text<7> name;
    std::array<Text<7>, kTranspondersPerSet> transponders;
};
using TransponderSets = std::array<TransponderSet, kTransponderSets>;

// Reads the sets in file order over a table the caller has cleared; a line a set could not hold
// whole leaves its set empty and is listed in `flaws`. False when the file cannot be opened.
bool LoadTransponderSets(TransponderSets& sets, Disk& disk, FileFlaws* flaws = nullptr);
// Replaces the file with all 20 sets, empty fields included; a crash leaves the old file or
// the new one. False when the file cannot be written.
bool SaveTransponderSets(const TransponderSets& sets, Disk& disk);

}  // namespace velkaro
