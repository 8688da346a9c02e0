#include "tests/event/crash_disk.h"

#include <algorithm>

namespace velkaro::test {

namespace {

struct Change {
    bool cut = false;  // a cut to `offset`, else a write of `bytes` at `offset`
    std::uint64_t offset = 0;
    std::string bytes;
};

void Apply(std::string& data, const Change& c) {
    if (c.cut) {
        data.resize(c.offset);
        return;
    }
    if (data.size() < c.offset + c.bytes.size()) data.resize(c.offset + c.bytes.size(), '\0');
    data.replace(c.offset, c.bytes.size(), c.bytes);
}

}  // namespace

struct CrashDisk::Inode {
    std::string data;     // what a reader sees
    std::string durable;  // what is on the platter
    std::vector<Change> pending;
};

namespace {

class CrashFile final : public DiskFile {
  public:
    CrashFile(CrashDisk& disk, std::shared_ptr<CrashDisk::Inode> inode, std::string_view name)
        : disk_(disk), inode_(std::move(inode)), name_(name) {}

    std::string_view Contents() override { return inode_->data; }

    bool Write(std::uint64_t offset, std::string_view bytes) override {
        bool crashNow = disk_.crashAt == disk_.Steps();
        if (!disk_.Step(bytes.size())) {
            if (crashNow) {
                Record({false, offset,
                        std::string(bytes.substr(0, std::min(bytes.size(), disk_.tornBytes)))});
            }
            return false;
        }
        if (name_ == disk_.fullFile) {
            disk_.fullFile.clear();
            Record({false, offset, std::string(bytes.substr(0, bytes.size() / 2))});
            return disk_.Fail(DiskFault::Full);
        }
        Record({false, offset, std::string(bytes)});
        return true;
    }

    bool Truncate(std::uint64_t size) override {
        if (!disk_.Step()) return false;
        Record({true, size, {}});
        return true;
    }

    bool Sync() override {
        if (!disk_.Step()) return false;
        inode_->durable = inode_->data;
        inode_->pending.clear();
        return true;
    }

  private:
    void Record(Change c) {
        Apply(inode_->data, c);
        inode_->pending.push_back(std::move(c));
    }

    CrashDisk& disk_;
    std::shared_ptr<CrashDisk::Inode> inode_;
    std::string name_;
};

}  // namespace

CrashDisk::CrashDisk(const std::map<std::string, std::string>& files) {
    for (const auto& [name, bytes] : files) {
        auto inode = std::make_shared<Inode>();
        inode->data = inode->durable = bytes;
        names_[name] = inode;
    }
    durableNames_ = names_;
}

bool CrashDisk::Step(std::size_t writeSize) {
    if (crashed_) return Fail(DiskFault::Broken);
    stepSizes_.push_back(writeSize);
    if (steps_++ == crashAt) {
        crashed_ = true;
        return Fail(DiskFault::Broken);
    }
    return true;
}

std::unique_ptr<DiskFile> CrashDisk::Open(std::string_view name, OpenMode mode) {
    std::string key(name);
    auto it = names_.find(key);
    if (mode != OpenMode::CreateEmpty) {
        if (crashed_ || it == names_.end()) {
            Fail(crashed_ ? DiskFault::Broken : DiskFault::Missing);
            return nullptr;
        }
        return std::make_unique<CrashFile>(*this, it->second, name);
    }
    if (!Step()) return nullptr;
    if (it != names_.end()) {
        Apply(it->second->data, {true, 0, {}});
        it->second->pending.push_back({true, 0, {}});
        return std::make_unique<CrashFile>(*this, it->second, name);
    }
    auto inode = std::make_shared<Inode>();
    names_[key] = inode;
    pendingNames_.push_back({"", key, inode});
    return std::make_unique<CrashFile>(*this, inode, name);
}

bool CrashDisk::Exists(std::string_view name) {
    return !crashed_ && names_.count(std::string(name)) > 0;
}

bool CrashDisk::Remove(std::string_view name) {
    if (!Step()) return false;
    auto it = names_.find(std::string(name));
    if (it == names_.end()) return Fail(DiskFault::Missing);
    pendingNames_.push_back({it->first, "", it->second});
    names_.erase(it);
    return true;
}

bool CrashDisk::Rename(std::string_view from, std::string_view to) {
    if (!Step()) return false;
    auto it = names_.find(std::string(from));
    if (it == names_.end()) return Fail(DiskFault::Missing);
    std::shared_ptr<Inode> inode = it->second;
    names_.erase(it);
    names_[std::string(to)] = inode;
    pendingNames_.push_back({std::string(from), std::string(to), inode});
    return true;
}

bool CrashDisk::SyncFolder(std::string_view) {
    if (!Step()) return false;
    durableNames_ = names_;
    pendingNames_.clear();
    return true;
}

std::map<std::string, std::string> CrashDisk::Files() const {
    std::map<std::string, std::string> out;
    for (const auto& [name, inode] : names_) out[name] = inode->data;
    return out;
}

std::map<std::string, std::string> CrashDisk::Survivors(Loss loss, std::mt19937& rng) const {
    if (loss == Loss::None) return Files();
    std::map<std::string, std::shared_ptr<Inode>> names = durableNames_;
    if (loss == Loss::Some) {
        // Name changes reach the disk in order, but any of them may be missing.
        for (const NameChange& c : pendingNames_) {
            if (rng() % 2 == 0) continue;
            if (!c.from.empty()) {
                auto it = names.find(c.from);
                if (it == names.end() || it->second != c.inode) continue;
                names.erase(it);
            }
            if (!c.to.empty()) names[c.to] = c.inode;
        }
    }
    std::map<std::string, std::string> out;
    for (const auto& [name, inode] : names) {
        std::string data = inode->durable;
        if (loss == Loss::Some) {
            for (const Change& c : inode->pending) {
                if (rng() % 2 == 0) continue;
                Change kept = c;
                if (!kept.cut && rng() % 2 == 0) kept.bytes.resize(rng() % (kept.bytes.size() + 1));
                Apply(data, kept);
            }
        }
        out[name] = std::move(data);
    }
    return out;
}

}  // namespace velkaro::test
