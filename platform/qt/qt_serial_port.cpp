#include "platform/qt/qt_serial_port.h"

#include "platform/program_folder.h"

namespace velkaro {

bool QtSerialPort::Open(std::string_view comName, const LineSettings& settings) {
    Close();
    std::optional<std::string> device = ResolveComPort(comName, programFolder_);
    if (!device) return false;
    devicePath_ = *device;
    settings_ = settings;
    port_.setPortName(QString::fromStdString(devicePath_));
    if (!port_.open(QIODevice::ReadWrite)) return false;
    QSerialPort::Parity parity = settings.parity == Parity::Odd    ? QSerialPort::OddParity
                                 : settings.parity == Parity::Even ? QSerialPort::EvenParity
                                                                   : QSerialPort::NoParity;
    bool ok =
        port_.setBaudRate(settings.baud) &&
        port_.setDataBits(static_cast<QSerialPort::DataBits>(settings.dataBits)) &&
        port_.setParity(parity) &&
        port_.setStopBits(settings.stopBits == 2 ? QSerialPort::TwoStop : QSerialPort::OneStop) &&
        port_.setFlowControl(QSerialPort::NoFlowControl);
    if (!ok) {
        port_.close();
        return false;
    }
    port_.setReadBufferSize(settings.inputQueue);
    // A pseudo-terminal refuses the modem lines; a real UART takes them. Neither is fatal.
    port_.setRequestToSend(settings.rts);
    return true;
}

bool QtSerialPort::Purge() {
    if (!port_.isOpen()) return false;
    port_.clear(QSerialPort::AllDirections);
    port_.readAll();
    return true;
}

bool QtSerialPort::RaiseDtr() {
    if (!port_.isOpen()) return false;
    port_.setDataTerminalReady(true);  // fails harmlessly on a pseudo-terminal
    return true;
}

bool QtSerialPort::Read(std::uint8_t* buffer, int max, int* got) {
    *got = 0;
    if (!port_.isOpen()) return false;
    if (max <= 0) return true;
    if (port_.bytesAvailable() == 0) port_.waitForReadyRead(settings_.readTimeoutMs);
    qint64 n = port_.read(reinterpret_cast<char*>(buffer), max);
    if (n < 0) return false;
    *got = static_cast<int>(n);
    return true;
}

bool QtSerialPort::Write(const std::uint8_t* buffer, int count, int* written) {
    *written = 0;
    if (!port_.isOpen()) return false;
    // QSerialPort only queues: what counts is what reached the device within the time-out.
    qint64 n = port_.write(reinterpret_cast<const char*>(buffer), count);
    if (n < 0) return false;
    while (port_.bytesToWrite() > 0) {
        if (!port_.waitForBytesWritten(settings_.writeTimeoutMs)) {
            port_.clear(QSerialPort::Output);
            return true;
        }
    }
    *written = static_cast<int>(n);
    return true;
}

void QtSerialPort::Close() {
    if (port_.isOpen()) port_.close();
}

}  // namespace velkaro
