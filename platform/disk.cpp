#include "platform/disk.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <string>

#include "platform/cp1252.h"
#include "platform/program_folder.h"

namespace velkaro {

namespace {

DiskFault FaultOf(int error) {
    switch (error) {
        case ENOSPC:
        case EDQUOT:
            return DiskFault::Full;
        case EACCES:
        case EPERM:
        case EROFS:
        case ETXTBSY:
            return DiskFault::Denied;
        case ENOENT:
        case ENOTDIR:
            return DiskFault::Missing;
        default:
            return DiskFault::Broken;
    }
}

class PosixFile final : public DiskFile {
  public:
    PosixFile(Disk& disk, int fd) : disk_(disk), fd_(fd) {}
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
            if (n <= 0) return disk_.Fail(n < 0 ? FaultOf(errno) : DiskFault::Full);
            p += n;
            left -= static_cast<std::size_t>(n);
            at += n;
        }
        return true;
    }

    bool Truncate(std::uint64_t size) override {
        Unmap();
        return ::ftruncate(fd_, static_cast<off_t>(size)) == 0 || disk_.Fail(FaultOf(errno));
    }

    bool Sync() override { return ::fdatasync(fd_) == 0 || disk_.Fail(FaultOf(errno)); }

  private:
    void Unmap() {
        copy_.clear();
        if (mapped_) ::munmap(map_, size_);
        mapped_ = false;
        map_ = nullptr;
        size_ = 0;
    }

    Disk& disk_;
    int fd_;
    void* map_ = nullptr;
    std::size_t size_ = 0;
    bool mapped_ = false;
    std::string copy_;
};

class PosixDisk final : public Disk {
  public:
    std::unique_ptr<DiskFile> Open(std::string_view name, OpenMode mode) override {
        int flags = (mode == OpenMode::Read ? O_RDONLY : O_RDWR) | O_CLOEXEC;
        if (mode == OpenMode::CreateEmpty) flags |= O_CREAT | O_TRUNC;
        int fd = ::open(FileSystemName(name).c_str(), flags, 0644);
        if (fd < 0) {
            Fail(FaultOf(errno));
            return nullptr;
        }
        // A folder opens for reading, but holds no bytes to read.
        struct stat st {};
        if (::fstat(fd, &st) != 0 || S_ISDIR(st.st_mode)) {
            Fail(DiskFault::Broken);
            ::close(fd);
            return nullptr;
        }
        return std::make_unique<PosixFile>(*this, fd);
    }

    bool Exists(std::string_view name) override {
        struct stat st {};
        return ::stat(FileSystemName(name).c_str(), &st) == 0;
    }

    bool Remove(std::string_view name) override {
        return ::unlink(FileSystemName(name).c_str()) == 0 || Fail(FaultOf(errno));
    }

    bool Rename(std::string_view from, std::string_view to) override {
        return ::rename(FileSystemName(from).c_str(), FileSystemName(to).c_str()) == 0 ||
               Fail(FaultOf(errno));
    }

    bool SyncFolder(std::string_view name) override {
        std::string path = FileSystemName(name);
        std::size_t slash = path.find_last_of('/');
        std::string folder = slash == std::string::npos ? "." : path.substr(0, slash + 1);
        int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        if (fd < 0) return Fail(FaultOf(errno));
        bool ok = ::fsync(fd) == 0 || Fail(FaultOf(errno));
        ::close(fd);
        return ok;
    }
};

}  // namespace

Disk& SystemDisk() {
    // Stateless but for the last fault: every call opens and closes what it uses.
    static PosixDisk disk;
    return disk;
}

std::optional<std::string> ReadWholeFile(Disk& disk, std::string_view name) {
    std::unique_ptr<DiskFile> file = disk.Open(name, OpenMode::Read);
    if (!file) return std::nullopt;
    return std::string(file->Contents());
}

bool ReplaceWholeFile(Disk& disk, std::string_view name, std::string_view bytes) {
    // Renaming would replace a write-protected file as readily as any other: it is asked first,
    // as an in-place write would.
    if (disk.Exists(name) && !disk.Open(name, OpenMode::Existing)) return false;
    const std::string fresh = std::string(name) + "-new";
    std::unique_ptr<DiskFile> out = disk.Open(fresh, OpenMode::CreateEmpty);
    if (!out) return false;
    bool ok = out->Write(0, bytes) && out->Sync();
    out.reset();
    // Once renamed, the file is whole whatever happens next; flushing the folder makes a save
    // that was reported done stay done after a power cut.
    ok = ok && disk.Rename(fresh, name) && disk.SyncFolder(name);
    if (!ok) {
        DiskFault cause = disk.LastFault();
        disk.Remove(fresh);  // fails harmlessly once renamed
        disk.Fail(cause);
    }
    return ok;
}

std::string FullName(std::string_view name) {
    if (!name.empty() && name.front() == '/') return std::string(name);
    return CurrentFolder() + "/" + std::string(name);
}

std::string FolderOf(std::string_view name) {
    std::string full = FullName(name);
    std::size_t slash = full.find_last_of('/');
    return slash == 0 ? "/" : full.substr(0, slash);
}

std::string CannotWrite(DiskFault fault, std::string_view name) {
    const std::string file = "\"" + FullName(name) + "\"";
    const std::string folder = "\"" + FolderOf(name) + "\"";
    switch (fault) {
        case DiskFault::Full:
            return "Error: The disk is full: " + file + " could not be written.";
        case DiskFault::Denied:
            return "Error: " + file + " could not be written: the file or its folder " + folder +
                   " is write-protected.";
        case DiskFault::Missing:
            return "Error: " + file + " could not be written: the folder " + folder +
                   " does not exist.";
        default:
            return "Error: " + file + " could not be written: the disk reported an error.";
    }
}

std::string CannotRead(DiskFault fault, std::string_view name) {
    const std::string file = "\"" + FullName(name) + "\"";
    switch (fault) {
        case DiskFault::Missing:
            return "Error: " + file + " could not be read: the file does not exist.";
        case DiskFault::Denied:
            return "Error: " + file + " could not be read: access is denied.";
        default:
            return "Error: " + file + " could not be read: the disk reported an error.";
    }
}

}  // namespace velkaro
