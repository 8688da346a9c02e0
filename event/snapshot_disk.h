#pragma once

#include <memory>
#include <string>
#include <string_view>

#include "platform/disk.h"

// The user's event file as the readers' working copy: its bytes are read once and served under
// the working copy's name from memory. Nothing is ever written: every write, removal or rename
// fails as on a write-protected disk, so the user's file cannot change whatever a reader does.

namespace velkaro {

class SnapshotDisk : public Disk {
  public:
    explicit SnapshotDisk(std::string bytes) : bytes_(std::move(bytes)) {}
    std::unique_ptr<DiskFile> Open(std::string_view name, OpenMode mode) override;
    bool Exists(std::string_view name) override;
    bool Remove(std::string_view) override { return Fail(DiskFault::Denied); }
    bool Rename(std::string_view, std::string_view) override { return Fail(DiskFault::Denied); }
    bool SyncFolder(std::string_view) override { return Fail(DiskFault::Denied); }
    std::string_view Bytes() const { return bytes_; }

  private:
    std::string bytes_;
};

}  // namespace velkaro
