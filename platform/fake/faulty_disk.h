#pragma once

#include <memory>
#include <set>
#include <string>

#include "platform/disk.h"

namespace velkaro {

// A disk over another that fails on demand as a real one does: when full, a write that would
// make a file longer gets through only over the bytes the file already has, then fails; a
// write-protected file opens for reading only. Everything else passes through.
class FaultyDisk final : public Disk {
  public:
    explicit FaultyDisk(Disk& under) : under_(under) {}

    bool full = false;
    // Stricter than full: every write fails for want of space, even over bytes a file already
    // has, so that each writer meets the failure whatever the size of what it writes.
    bool noSpace = false;
    std::set<std::string> writeProtected;

    std::unique_ptr<DiskFile> Open(std::string_view name, OpenMode mode) override;
    bool Exists(std::string_view name) override { return under_.Exists(name); }
    bool Remove(std::string_view name) override { return Pass(under_.Remove(name)); }
    bool Rename(std::string_view from, std::string_view to) override {
        return Pass(under_.Rename(from, to));
    }
    bool SyncFolder(std::string_view name) override { return Pass(under_.SyncFolder(name)); }

    // The outcome of a call on the disk below, with its reason when it failed.
    bool Pass(bool ok) { return ok || Fail(under_.LastFault()); }

  private:
    Disk& under_;
};

}  // namespace velkaro
