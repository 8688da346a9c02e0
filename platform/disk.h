#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace velkaro {

// Why a call on a disk, or on one of its files, failed.
enum class DiskFault {
    None,
    Missing,  // no such file, or its folder does not exist
    Denied,   // the file or its folder is write-protected
    Full,     // no space left on the disk
    Broken,   // any other error the disk reports
};

class Disk;

// One open file. The event file code reads a file whole and writes it at offsets, so that a
// test can stand a disk in for the real one and stop it at any write.
class DiskFile {
  public:
    virtual ~DiskFile() = default;
    // The file as it stands; the view stays valid until the next call on this file.
    virtual std::string_view Contents() = 0;
    // Writes at an offset, extending the file when needed.
    virtual bool Write(std::uint64_t offset, std::string_view bytes) = 0;
    virtual bool Truncate(std::uint64_t size) = 0;
    // Returns once what was written has reached the disk.
    virtual bool Sync() = 0;
};

enum class OpenMode {
    Read,         // reading only; fails when the file does not exist
    Existing,     // read and write; fails when the file does not exist
    CreateEmpty,  // created when missing, emptied otherwise
};

// Files by Windows-1252 name, relative to the current folder or absolute. Every call that fails,
// on the disk or on one of its files, leaves the reason in LastFault.
class Disk {
  public:
    virtual ~Disk() = default;
    virtual std::unique_ptr<DiskFile> Open(std::string_view name, OpenMode mode) = 0;
    virtual bool Exists(std::string_view name) = 0;
    virtual bool Remove(std::string_view name) = 0;
    // Replaces `to` by `from` in one step.
    virtual bool Rename(std::string_view from, std::string_view to) = 0;
    // Makes the creation, removal or renaming of names in the folder of `name` durable.
    virtual bool SyncFolder(std::string_view name) = 0;

    DiskFault LastFault() const { return fault_; }
    // Records why a call failed; false, for the caller to return.
    bool Fail(DiskFault fault) {
        fault_ = fault;
        return false;
    }

  private:
    DiskFault fault_ = DiskFault::None;
};

// The machine's file system (POSIX calls; files are mapped for reading).
Disk& SystemDisk();

// A whole file, opened for reading only; nullopt when it cannot be read.
std::optional<std::string> ReadWholeFile(Disk& disk, std::string_view name);

// Replaces a file whole, or creates it: the bytes go to "<name>-new", which is flushed and
// renamed over the file, and the folder is flushed. A crash at any moment leaves the old file
// or the new one, never a part of either. A write-protected file is left alone. False, with
// the reason in LastFault, when it cannot be done; the file is then as it was, unless only the
// last flush of the folder failed.
bool ReplaceWholeFile(Disk& disk, std::string_view name, std::string_view bytes);

// The full name of a file (Windows-1252) and of the folder that holds it, as told to the user.
std::string FullName(std::string_view name);
std::string FolderOf(std::string_view name);

// What to tell the user ("Error: ...") of a file that could not be written or read, and why.
std::string CannotWrite(DiskFault fault, std::string_view name);
std::string CannotRead(DiskFault fault, std::string_view name);

}  // namespace velkaro
