#include "platform/fake/faulty_disk.h"

namespace velkaro {

namespace {

class FaultyFile final : public DiskFile {
  public:
    FaultyFile(FaultyDisk& disk, std::unique_ptr<DiskFile> under)
        : disk_(disk), under_(std::move(under)) {}

    std::string_view Contents() override { return under_->Contents(); }

    bool Write(std::uint64_t offset, std::string_view bytes) override {
        if (disk_.noSpace) return disk_.Fail(DiskFault::Full);
        std::uint64_t size = under_->Contents().size();
        if (disk_.full && offset + bytes.size() > size) {
            if (offset < size) disk_.Pass(under_->Write(offset, bytes.substr(0, size - offset)));
            return disk_.Fail(DiskFault::Full);
        }
        return disk_.Pass(under_->Write(offset, bytes));
    }

    bool Truncate(std::uint64_t size) override { return disk_.Pass(under_->Truncate(size)); }
    bool Sync() override { return disk_.Pass(under_->Sync()); }

  private:
    FaultyDisk& disk_;
    std::unique_ptr<DiskFile> under_;
};

}  // namespace

std::unique_ptr<DiskFile> FaultyDisk::Open(std::string_view name, OpenMode mode) {
    if (mode != OpenMode::Read && writeProtected.count(std::string(name)) > 0) {
        Fail(DiskFault::Denied);
        return nullptr;
    }
    std::unique_ptr<DiskFile> file = under_.Open(name, mode);
    if (!file) {
        Pass(false);
        return nullptr;
    }
    return std::make_unique<FaultyFile>(*this, std::move(file));
}

}  // namespace velkaro
