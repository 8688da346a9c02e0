#pragma once

#include <cstdint>
#include <string_view>

#include "platform/disk.h"
#include "platform/text.h"

namespace velkaro {

inline constexpr std::string_view kInterfaceSettingsFile = "R\xE9glagesInterface2.rg";
// Told when the settings file cannot be read or written.
inline constexpr std::string_view kInterfaceFileNotFound = "Error: Interface file not found";
inline constexpr std::string_view kMk1Type = "Velkaro";
inline constexpr std::string_view kMk2Type = "VelkaroMK2";

// The decoder's port and model as the last connection attempt left them.
struct InterfaceSettings {
    Text<6> port;            // "COM%d", 1 to 49
    std::int32_t ready = 0;  // a decoder answered, or an MK1 was assumed
    Text<16> interfaceType;
};

inline bool IsMk2(const InterfaceSettings& s) {
    return s.interfaceType == kMk2Type;
}

// Reads the settings file of the program folder: three whitespace-separated items. Port and type
// are emptied first, even when the file cannot be opened (false); an item missing from the file
// leaves its field empty (port, type) or as it was (ready).
bool ReadInterfaceSettings(InterfaceSettings& settings, Disk& disk);

// Rewrites the settings file whole. A decoder that is not ready is always written as an MK1, so
// that the next start detects the model afresh. False when the file cannot be written.
bool WriteInterfaceSettings(const InterfaceSettings& settings, Disk& disk);

}  // namespace velkaro
