#include "tools/decoder-sim/pty_link.h"

#include <fcntl.h>
#include <pty.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <system_error>

namespace fs = std::filesystem;

namespace velkaro::sim {
namespace {

// Where the entry points while the link is down: nowhere, so that opening the port fails.
constexpr const char* kLinkDown = "decoder-sim-link-down";

std::string Target(const std::string& entry) {
    std::error_code ec;
    fs::path target = fs::read_symlink(entry, ec);
    return ec ? std::string() : target.string();
}

}  // namespace

PtyLink::PtyLink(std::string programFolder, int port)
    : folder_(std::move(programFolder)),
      entry_((fs::path(folder_) / "ports" / ("COM" + std::to_string(port))).string()) {}

PtyLink::~PtyLink() {
    Drop();
    if (EntryIsOurs()) {
        std::error_code ec;
        fs::remove(entry_, ec);
    }
}

bool PtyLink::EntryIsOurs() const {
    std::string target = Target(entry_);
    return target == kLinkDown || target.rfind("/dev/pts/", 0) == 0;
}

bool PtyLink::CheckEntry(std::string* error) const {
    std::error_code ec;
    fs::file_status status = fs::symlink_status(entry_, ec);
    if (!fs::exists(status)) return true;
    if (fs::is_symlink(status) && EntryIsOurs()) return true;
    *error = entry_ + " is already there" +
             (fs::is_symlink(status) ? " and points to " + Target(entry_) : std::string()) +
             ": remove it or choose another port";
    return false;
}

bool PtyLink::PointEntryAt(const std::string& target, std::string* error) {
    std::error_code ec;
    fs::create_directories(fs::path(entry_).parent_path(), ec);
    // A new link renamed over the old one: the program never finds the entry missing.
    std::string temporary = entry_ + ".new" + std::to_string(::getpid());
    fs::remove(temporary, ec);
    if (::symlink(target.c_str(), temporary.c_str()) != 0 ||
        ::rename(temporary.c_str(), entry_.c_str()) != 0) {
        *error = "cannot make " + entry_ + ": " + std::strerror(errno);
        fs::remove(temporary, ec);
        return false;
    }
    return true;
}

bool PtyLink::Open(std::string* error) {
    Drop();
    char name[256] = {};
    if (::openpty(&master_, &slave_, name, nullptr, nullptr) != 0) {
        *error = std::string("cannot make a pseudo-terminal: ") + std::strerror(errno);
        master_ = slave_ = -1;
        return false;
    }
    // Raw bytes both ways, at the decoder's speed.
    termios line{};
    if (::tcgetattr(slave_, &line) == 0) {
        ::cfmakeraw(&line);
        ::cfsetspeed(&line, B9600);
        ::tcsetattr(slave_, TCSANOW, &line);
    }
    ::fcntl(master_, F_SETFL, ::fcntl(master_, F_GETFL) | O_NONBLOCK);
    ::fcntl(master_, F_SETFD, FD_CLOEXEC);
    ::fcntl(slave_, F_SETFD, FD_CLOEXEC);
    device_ = name;
    if (!PointEntryAt(device_, error)) {
        Drop();
        return false;
    }
    return true;
}

void PtyLink::Drop() {
    if (master_ < 0) return;
    std::string ignored;
    PointEntryAt(kLinkDown, &ignored);
    ::close(master_);
    ::close(slave_);
    master_ = slave_ = -1;
}

std::size_t PtyLink::Write(const std::uint8_t* bytes, std::size_t count) {
    if (master_ < 0) return 0;
    ssize_t n = ::write(master_, bytes, count);
    return n > 0 ? static_cast<std::size_t>(n) : 0;
}

std::size_t PtyLink::Read(std::uint8_t* bytes, std::size_t max) {
    if (master_ < 0) return 0;
    ssize_t n = ::read(master_, bytes, max);
    return n > 0 ? static_cast<std::size_t>(n) : 0;
}

}  // namespace velkaro::sim
