#include "platform/fake/fake_serial_port.h"

#include <algorithm>
#include <cstring>

#include "platform/program_folder.h"

namespace velkaro {

bool FakeSerialPort::Open(std::string_view comName, const LineSettings& settings) {
    Close();
    ++openCount;
    if (failOpen || ComPortNumber(comName) == 0) return false;
    openedName = std::string(comName);
    openedSettings = settings;
    dtrRaised = false;
    open_ = true;
    return true;
}

bool FakeSerialPort::Purge() {
    if (!open_) return false;
    ++purgeCount;
    return true;
}

bool FakeSerialPort::RaiseDtr() {
    if (!open_) return false;
    dtrRaised = true;
    return true;
}

bool FakeSerialPort::Read(std::uint8_t* buffer, int max, int* got) {
    *got = 0;
    if (!open_) return false;
    if (reads_.empty() || max <= 0) return true;
    std::vector<std::uint8_t>& chunk = reads_.front();
    int n = std::min<int>(max, static_cast<int>(chunk.size()));
    if (n > 0) std::memcpy(buffer, chunk.data(), static_cast<std::size_t>(n));
    chunk.erase(chunk.begin(), chunk.begin() + n);
    if (chunk.empty()) reads_.pop_front();
    *got = n;
    return true;
}

bool FakeSerialPort::Write(const std::uint8_t* buffer, int count, int* written) {
    *written = 0;
    if (!open_) return false;
    std::vector<std::uint8_t> bytes(buffer, buffer + std::max(count, 0));
    if (writesFail) return true;
    writes.push_back(bytes);
    *written = count;
    if (onWrite) onWrite(*this, bytes);
    return true;
}

void FakeSerialPort::Close() {
    open_ = false;
}

}  // namespace velkaro
