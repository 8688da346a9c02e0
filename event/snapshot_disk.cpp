#include "event/snapshot_disk.h"

#include "event/event_model.h"

namespace velkaro {
namespace {

class SnapshotFile : public DiskFile {
  public:
    explicit SnapshotFile(std::string_view bytes) : bytes_(bytes) {}
    std::string_view Contents() override { return bytes_; }
    bool Write(std::uint64_t, std::string_view) override { return false; }
    bool Truncate(std::uint64_t) override { return false; }
    bool Sync() override { return false; }

  private:
    std::string_view bytes_;
};

}  // namespace

std::unique_ptr<DiskFile> SnapshotDisk::Open(std::string_view name, OpenMode mode) {
    if (name != kWorkingCopy) {
        Fail(DiskFault::Missing);
        return nullptr;
    }
    // A reader opens the working copy for reading and writing; it only ever gets to read it.
    if (mode == OpenMode::CreateEmpty) {
        Fail(DiskFault::Denied);
        return nullptr;
    }
    return std::make_unique<SnapshotFile>(bytes_);
}

bool SnapshotDisk::Exists(std::string_view name) {
    return name == kWorkingCopy;
}

}  // namespace velkaro
