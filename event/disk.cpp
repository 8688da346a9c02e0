#include "event/disk.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <string>

#include "platform/cp1252.h"

namespace velkaro {

namespace {

class PosixFile final : public DiskFile {
  public:
    explicit PosixFile(int fd) : fd_(fd) {}
    ~PosixFile() override {
        Unmap();
        ::close(fd_);
    }
    PosixFile(const PosixFile&) = delete;
    PosixFile& operator=(const PosixFile&) = delete;

    // Mapped rather than read: a search over tens of megabytes then runs on the page cache
    // itself, with no copy. Should mapping fail, the file is read.
    std::string_view Contents() override {
        if (mapped_) return {static_cast<const char*>(map_), size_};
        struct stat st {};
        if (::fstat(fd_, &st) != 0 || st.st_size <= 0) return {};
        auto size = static_cast<std::size_t>(st.st_size);
        void* p = ::mmap(nullptr, size, PROT_READ, MAP_SHARED, fd_, 0);
        if (p != MAP_FAILED) {
            map_ = p;
            size_ = size;
            mapped_ = true;
            return {static_cast<const char*>(map_), size_};
        }
        copy_.resize(size);
        std::size_t got = 0;
        while (got < size) {
            ssize_t n = ::pread(fd_, copy_.data() + got, size - got, static_cast<off_t>(got));
            if (n < 0 && errno == EINTR) continue;
            if (n <= 0) break;
            got += static_cast<std::size_t>(n);
        }
        copy_.resize(got);
        return copy_;
    }

    bool Write(std::uint64_t offset, std::string_view bytes) override {
        Unmap();
        const char* p = bytes.data();
        std::size_t left = bytes.size();
        auto at = static_cast<off_t>(offset);
        while (left > 0) {
            ssize_t n = ::pwrite(fd_, p, left, at);
            if (n < 0 && errno == EINTR) continue;
            if (n <= 0) return false;
            p += n;
            left -= static_cast<std::size_t>(n);
            at += n;
        }
        return true;
    }

    bool Truncate(std::uint64_t size) override {
        Unmap();
        return ::ftruncate(fd_, static_cast<off_t>(size)) == 0;
    }

    bool Sync() override { return ::fdatasync(fd_) == 0; }

  private:
    void Unmap() {
        copy_.clear();
        if (mapped_) ::munmap(map_, size_);
        mapped_ = false;
        map_ = nullptr;
        size_ = 0;
    }

    int fd_;
    void* map_ = nullptr;
    std::size_t size_ = 0;
    bool mapped_ = false;
    std::string copy_;
};

class PosixDisk final : public Disk {
  public:
    std::unique_ptr<DiskFile> Open(std::string_view name, OpenMode mode) override {
        int flags = O_RDWR | O_CLOEXEC;
        if (mode == OpenMode::CreateEmpty) flags |= O_CREAT | O_TRUNC;
        int fd = ::open(FileSystemName(name).c_str(), flags, 0644);
        if (fd < 0) return nullptr;
        return std::make_unique<PosixFile>(fd);
    }

    bool Exists(std::string_view name) override {
        struct stat st {};
        return ::stat(FileSystemName(name).c_str(), &st) == 0;
    }

    bool Remove(std::string_view name) override {
        return ::unlink(FileSystemName(name).c_str()) == 0;
    }

    bool Rename(std::string_view from, std::string_view to) override {
        return ::rename(FileSystemName(from).c_str(), FileSystemName(to).c_str()) == 0;
    }

    bool SyncFolder(std::string_view name) override {
        std::string path = FileSystemName(name);
        std::size_t slash = path.find_last_of('/');
        std::string folder = slash == std::string::npos ? "." : path.substr(0, slash + 1);
        int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        if (fd < 0) return false;
        bool ok = ::fsync(fd) == 0;
        ::close(fd);
        return ok;
    }
};

}  // namespace

Disk& SystemDisk() {
    // Stateless: every call opens and closes what it uses.
    static PosixDisk disk;
    return disk;
}

}  // namespace velkaro
