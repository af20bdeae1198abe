#include "device/web/WebSerialBackend.h"

#include "device/PlatformSerialBackend.h"

namespace pavlune {

bool WebSerialBackend::enumeratePorts(std::vector<SerialPortInfo>& /*found*/) {
    return true;
}

PortOpenError WebSerialBackend::openPort(const std::string& /*name*/) {
    return PortOpenError{PortOpenError::Kind::noSuchDevice, "no serial ports in this browser build"};
}

bool WebSerialBackend::writeByte(std::uint8_t /*byte*/) {
    return false;
}

void WebSerialBackend::closePort() {}

std::unique_ptr<SerialBackend> createPlatformSerialBackend() {
    return std::make_unique<WebSerialBackend>();
}

} // namespace pavlune
