#pragma once

#include <cstdint>
#include <memory>
#include <string_view>

namespace velkaro {

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
    Existing,     // read and write; fails when the file does not exist
    CreateEmpty,  // created when missing, emptied otherwise
};

// Files by Windows-1252 name, relative to the current folder or absolute.
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
};

// The machine's file system (POSIX calls; files are mapped for reading).
Disk& SystemDisk();

}  // namespace velkaro
