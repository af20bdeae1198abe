#pragma once

#include "device/SerialBackend.h"
#include "device/posix/TermiosPort.h"

namespace pavlune {

// Discovery through libserialport, access through termios, devices coming
// and going through udev (or a look at /sys every few seconds).
class PosixSerialBackend : public SerialBackend {
public:
    bool enumeratePorts(std::vector<SerialPortInfo>& found) override;
    PortOpenError openPort(const std::string& name) override;
    PortWriteError writeByte(std::uint8_t byte) override;
    void closePort() override;
    std::string readWaiting(std::size_t limit) override;
    std::unique_ptr<PortEventSource> createPortEventSource() override;

private:
    TermiosPort port_;
};

} // namespace pavlune
