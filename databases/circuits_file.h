#pragma once

#include <string_view>

#include "common/circuits.h"
#include "databases/file_flaws.h"
#include "platform/disk.h"

namespace velkaro {

inline constexpr std::string_view kCircuitsFile =
    "BaseDonn\xE9"
    "esCircuits.bd";
inline constexpr std::string_view kCircuitsFileNotFound = "Error: Circuits database file not found";

// Reads the records in file order into slots 0, 1, ... (at most kCircuitRecords), over a table
// the caller has cleared; a record with an empty name still takes its slot, a line a slot could
// not hold whole takes none and is listed in `flaws`. The record time's split is derived as it is
// read. False when the file cannot be opened.
bool LoadCircuits(CircuitTable& table, Disk& disk, FileFlaws* flaws = nullptr);

// Replaces the file whole: every slot whose name is not empty, in slot order. A crash leaves
// the old file or the new one. False when the file cannot be written.
bool SaveCircuits(const CircuitTable& table, Disk& disk);

}  // namespace velkaro
