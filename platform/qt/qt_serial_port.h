#pragma once

#include <QSerialPort>
#include <string>

#include "platform/serial_port.h"

namespace velkaro {

// A real serial port over QSerialPort, "COMn" resolved through the program folder's table.
class QtSerialPort final : public SerialPort {
  public:
    explicit QtSerialPort(std::string programFolder) : programFolder_(std::move(programFolder)) {}

    bool Open(std::string_view comName, const LineSettings& settings) override;
    bool Purge() override;
    bool RaiseDtr() override;
    bool Read(std::uint8_t* buffer, int max, int* got) override;
    bool Write(const std::uint8_t* buffer, int count, int* written) override;
    void Close() override;
    bool IsOpen() const override { return port_.isOpen(); }

    // The device path the last Open resolved to.
    const std::string& DevicePath() const { return devicePath_; }

  private:
    std::string programFolder_;
    std::string devicePath_;
    LineSettings settings_;
    QSerialPort port_;
};

}  // namespace velkaro
