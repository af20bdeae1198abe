#pragma once

#include "device/SerialBackend.h"
#include "device/posix/TermiosPort.h"

namespace pavlune {

// Discovery through libserialport, access through termios.
class PosixSerialBackend : public SerialBackend {
public:
    bool enumeratePorts(std::vector<SerialPortInfo>& found) override;
    PortOpenError openPort(const std::string& name) override;
    bool writeByte(std::uint8_t byte) override;
    void closePort() override;

private:
    TermiosPort port_;
};

} // namespace pavlune
