#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <string>
#include <vector>

#include "platform/serial_port.h"

namespace velkaro {

// A scripted serial port: each queued chunk is what one read finds waiting (a read takes at most
// what it asks for and leaves the rest for the next), writes are recorded, and writes can be made
// to write nothing, as on a decoder whose link is gone.
class FakeSerialPort final : public SerialPort {
  public:
    bool Open(std::string_view comName, const LineSettings& settings) override;
    bool Purge() override;
    bool RaiseDtr() override;
    bool Read(std::uint8_t* buffer, int max, int* got) override;
    bool Write(const std::uint8_t* buffer, int count, int* written) override;
    void Close() override;
    bool IsOpen() const override { return open_; }

    // What the next read finds; each call queues one chunk that reads never merge.
    void QueueRead(std::vector<std::uint8_t> bytes) { reads_.push_back(std::move(bytes)); }
    bool ReadsPending() const { return !reads_.empty(); }
    // Called when a write is made, with its bytes: lets a test answer a command.
    std::function<void(FakeSerialPort&, const std::vector<std::uint8_t>&)> onWrite;

    bool failOpen = false;
    bool writesFail = false;  // writes succeed but write nothing

    std::string openedName;
    LineSettings openedSettings;
    int openCount = 0;
    int purgeCount = 0;
    bool dtrRaised = false;
    std::vector<std::vector<std::uint8_t>> writes;  // every write that reached the device

  private:
    bool open_ = false;
    std::deque<std::vector<std::uint8_t>> reads_;
};

}  // namespace velkaro
