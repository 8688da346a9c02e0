#include "platform/program_folder.h"

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <system_error>

#include "platform/cp1252.h"
#include "platform/disk.h"

namespace fs = std::filesystem;

namespace velkaro {

std::string DefaultProgramFolder() {
    const char* xdg = std::getenv("XDG_DATA_HOME");
    if (xdg && *xdg) return (fs::path(xdg) / kProgramFolderName).string();
    const char* home = std::getenv("HOME");
    if (home && *home) {
        return (fs::path(home) / ".local" / "share" / kProgramFolderName).string();
    }
    return {};
}

namespace {

// A folder is usable when a file can be created in it: a read-only or full disk fails here,
// before anything of the user's is touched.
bool CanWriteIn(const fs::path& folder) {
    std::string probe = Cp1252FromUtf8((folder / ".velkaro-write-probe").string());
    return ReplaceWholeFile(SystemDisk(), probe, "probe") && SystemDisk().Remove(probe);
}

// A shipped file that is not there yet arrives whole or not at all: a first start cut short
// never leaves half a database, which no later start would replace.
bool CopyNewFile(const fs::path& from, const fs::path& to) {
    std::optional<std::string> bytes = ReadWholeFile(SystemDisk(), Cp1252FromUtf8(from.string()));
    return bytes && ReplaceWholeFile(SystemDisk(), Cp1252FromUtf8(to.string()), *bytes);
}

}  // namespace

SeedResult SeedProgramFolder(const std::string& folder, const std::string& skeleton) {
    SeedResult result;
    std::error_code ec;
    if (folder.empty()) return result;
    fs::create_directories(folder, ec);
    if (ec || !fs::is_directory(folder) || !CanWriteIn(folder)) return result;

    if (!skeleton.empty() && fs::is_directory(skeleton)) {
        for (auto it = fs::recursive_directory_iterator(skeleton, ec);
             !ec && it != fs::recursive_directory_iterator(); it.increment(ec)) {
            fs::path rel = fs::relative(it->path(), skeleton, ec);
            if (ec) return result;
            fs::path target = fs::path(folder) / rel;
            if (it->is_directory()) {
                fs::create_directories(target, ec);
                if (ec) return result;
            } else if (it->is_regular_file() && !fs::exists(fs::symlink_status(target))) {
                // Made afresh, the copy is the user's to write whatever the skeleton's mode.
                if (!CopyNewFile(it->path(), target)) return result;
                ++result.filesCopied;
            }
        }
        if (ec) return result;
    }
    result.ok = true;
    return result;
}

namespace {

// Only start-up moves the process: every name used later is built on the program folder.
bool SetCurrentFolder(const std::string& folder) {
    return ::chdir(folder.c_str()) == 0;
}

}  // namespace

bool PrepareProgramFolder(const std::string& folder, const std::string& skeleton,
                          Messages& messages) {
    if (!SeedProgramFolder(folder, skeleton).ok || !SetCurrentFolder(folder)) {
        std::string text = "Error: The program folder \"" + Cp1252FromUtf8(folder) +
                           "\" cannot be created or written.\nThe program will close.";
        messages.Error(text);
        return false;
    }
    return true;
}

int ComPortNumber(std::string_view comName) {
    if (comName.size() < 4 || comName.size() > 5 || comName.substr(0, 3) != "COM") return 0;
    int n = 0;
    for (char c : comName.substr(3)) {
        if (c < '0' || c > '9') return 0;
        n = n * 10 + (c - '0');
    }
    if (comName[3] == '0') return 0;
    return n >= 1 && n <= 49 ? n : 0;
}

std::optional<std::string> ResolveComPort(std::string_view comName,
                                          const std::string& programFolder) {
    int n = ComPortNumber(comName);
    if (n == 0) return std::nullopt;
    if (!programFolder.empty()) {
        fs::path own = fs::path(programFolder) / "ports" / std::string(comName);
        std::error_code ec;
        if (fs::exists(fs::symlink_status(own, ec))) return own.string();
    }
    if (n <= 8) return "/dev/ttyUSB" + std::to_string(n - 1);
    if (n <= 16) return "/dev/ttyACM" + std::to_string(n - 9);
    return "/dev/ttyS" + std::to_string(n - 17);
}

bool CopyFileReplacing(std::string_view from, std::string_view to, Disk& disk) {
    std::optional<std::string> bytes = ReadWholeFile(disk, from);
    return bytes && ReplaceWholeFile(disk, to, *bytes);
}

std::string CurrentFolder() {
    std::error_code ec;
    return Cp1252FromUtf8(fs::current_path(ec).string());
}

}  // namespace velkaro
