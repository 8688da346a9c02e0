#pragma once

#include <cstdint>
#include <string_view>

namespace velkaro {

enum class Parity { None, Odd, Even };

// The line of a decoder: both models talk 9600 baud 8N1 without flow control, DTR and RTS on.
struct LineSettings {
    int baud = 9600;
    int dataBits = 8;
    Parity parity = Parity::None;
    int stopBits = 1;
    bool dtr = true;
    bool rts = true;
    int inputQueue = 4096;
    int outputQueue = 4096;
    int readTimeoutMs = 1;     // a read returns at once with whatever is waiting
    int writeTimeoutMs = 100;  // a write reports what reached the device within this time
};

// One serial port, driven from the user-interface thread: every call returns promptly.
class SerialPort {
  public:
    virtual ~SerialPort() = default;
    // Opens "COM1".."COM49" with the line settings; false when the name is out of range, the
    // device is missing or busy, or the settings are refused. An open port is closed first.
    virtual bool Open(std::string_view comName, const LineSettings& settings) = 0;
    // Discards what is queued in both directions.
    virtual bool Purge() = 0;
    virtual bool RaiseDtr() = 0;
    // Reads at most max bytes that are waiting (never more), *got is the count.
    virtual bool Read(std::uint8_t* buffer, int max, int* got) = 0;
    // *written is what reached the device within the write time-out.
    virtual bool Write(const std::uint8_t* buffer, int count, int* written) = 0;
    virtual void Close() = 0;
    virtual bool IsOpen() const = 0;
};

}  // namespace velkaro
