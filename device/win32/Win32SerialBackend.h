#pragma once

#include "device/SerialBackend.h"

#include <windows.h>

namespace pavlune {

// Discovery through the device-setup interface (the present COM-port devices
// with their "PortName" and device description), access through the file and
// communication-state calls. Built on Windows only.
class Win32SerialBackend : public SerialBackend {
public:
    ~Win32SerialBackend() override;

    bool enumeratePorts(std::vector<SerialPortInfo>& found) override;
    PortOpenError openPort(const std::string& name) override;
    PortWriteError writeByte(std::uint8_t byte) override;
    void closePort() override;
    std::string readWaiting(std::size_t limit) override;
    std::unique_ptr<PortEventSource> createPortEventSource() override;

private:
    HANDLE portHandle_ = INVALID_HANDLE_VALUE;
};

} // namespace pavlune
