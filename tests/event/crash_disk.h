#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "platform/disk.h"

namespace velkaro::test {

// A disk in memory that can lose power. Every change (creating or emptying a file, a write, a
// cut, a flush, a removal, a renaming, a folder flush) is one step; at the chosen step the
// power fails: a write gets only its first `tornBytes` bytes through, any other change does not
// happen, and every later call fails. What the disk then holds depends on what was flushed:
// file contents reach the disk with Sync, names (creations, removals, renamings) with
// SyncFolder.
class CrashDisk final : public Disk {
  public:
    enum class Loss {
        None,      // the process was killed: everything it wrote is kept
        Unsynced,  // power cut: whatever was not flushed is lost
        Some,      // power cut: a random part of what was not flushed is kept, writes torn
    };

    CrashDisk() = default;
    explicit CrashDisk(const std::map<std::string, std::string>& files);
    CrashDisk(const std::string& name, const std::string& bytes)
        : CrashDisk(std::map<std::string, std::string>{{name, bytes}}) {}

    int crashAt = -1;  // the step at which the power fails; -1 never
    std::size_t tornBytes = 0;
    // The first write to this file gets half its bytes through and fails, as on a full disk;
    // the disk goes on working.
    std::string fullFile;
    int Steps() const { return steps_; }
    bool Crashed() const { return crashed_; }

    // The files after the crash, as a fresh disk would find them.
    std::map<std::string, std::string> Survivors(Loss loss, std::mt19937& rng) const;
    std::map<std::string, std::string> Files() const;  // as they stand now

    std::unique_ptr<DiskFile> Open(std::string_view name, OpenMode mode) override;
    bool Exists(std::string_view name) override;
    bool Remove(std::string_view name) override;
    bool Rename(std::string_view from, std::string_view to) override;
    bool SyncFolder(std::string_view name) override;

    struct Inode;
    // Counts a step (of `writeSize` bytes for a write); false when the power is out, or goes
    // out now.
    bool Step(std::size_t writeSize = 0);
    // The size of every write so far, by step; 0 for the other steps.
    const std::vector<std::size_t>& StepSizes() const { return stepSizes_; }

  private:
    struct NameChange {
        std::string from;  // empty for a creation
        std::string to;    // empty for a removal
        std::shared_ptr<Inode> inode;
    };

    std::map<std::string, std::shared_ptr<Inode>> names_;
    std::map<std::string, std::shared_ptr<Inode>> durableNames_;
    std::vector<NameChange> pendingNames_;
    std::vector<std::size_t> stepSizes_;
    int steps_ = 0;
    bool crashed_ = false;
};

}  // namespace velkaro::test
