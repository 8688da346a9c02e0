#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "platform/disk.h"
#include "platform/messages.h"

namespace velkaro {

inline constexpr std::string_view kProgramFolderName = "Velkaro Race Management";

// $XDG_DATA_HOME/Velkaro Race Management, or ~/.local/share/Velkaro Race Management.
// Empty when neither XDG_DATA_HOME nor HOME is set. File-system spelling (UTF-8).
std::string DefaultProgramFolder();

struct SeedResult {
    bool ok = false;
    int filesCopied = 0;
};

// Creates the program folder when missing and copies into it every file of the shipped skeleton
// that is not there yet; a user's file is never overwritten. Fails, without touching anything
// further, when the folder cannot be created or written.
SeedResult SeedProgramFolder(const std::string& folder, const std::string& skeleton);

// Seeds the folder and makes it the current directory, once and for the program's life. On failure
// tells the user which folder is unusable and returns false: the program must then end.
bool PrepareProgramFolder(const std::string& folder, const std::string& skeleton,
                          Messages& messages);

// The device behind a "COM%d" name: the program folder's own "ports/COMn" entry when it exists
// (a link made by the user or the decoder simulator), otherwise COM1-8 are /dev/ttyUSB0-7,
// COM9-16 /dev/ttyACM0-7 and COM17-49 /dev/ttyS0-32. nullopt outside COM1 to COM49.
std::optional<std::string> ResolveComPort(std::string_view comName,
                                          const std::string& programFolder);

// The number n of "COMn" when 1 <= n <= 49, else 0.
int ComPortNumber(std::string_view comName);

// Copies a file over another in one step (Windows-1252 names, relative to the current directory
// or absolute); false when the source cannot be read or the target written.
bool CopyFileReplacing(std::string_view from, std::string_view to, Disk& disk);

// The current directory in Windows-1252. It is the program folder from start-up on.
std::string CurrentFolder();

}  // namespace velkaro
