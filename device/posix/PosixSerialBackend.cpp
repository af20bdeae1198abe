#include "device/posix/PosixSerialBackend.h"

#include "device/PlatformSerialBackend.h"
#include "device/posix/LibSerialPortEnumeration.h"
#include "device/posix/UdevPortEventSource.h"

namespace pavlune {

bool PosixSerialBackend::enumeratePorts(std::vector<SerialPortInfo>& found) {
    return enumerateLibSerialPorts(found);
}

PortOpenError PosixSerialBackend::openPort(const std::string& name) {
    return port_.open(name);
}

PortWriteError PosixSerialBackend::writeByte(std::uint8_t byte) {
    return port_.writeByte(byte);
}

void PosixSerialBackend::closePort() {
    port_.close();
}

std::string PosixSerialBackend::readWaiting(std::size_t limit) {
    return port_.readWaiting(limit);
}

std::unique_ptr<PortEventSource> PosixSerialBackend::createPortEventSource() {
    return std::make_unique<UdevPortEventSource>();
}

std::unique_ptr<SerialBackend> createPlatformSerialBackend() {
    return std::make_unique<PosixSerialBackend>();
}

std::shared_ptr<SerialPage> platformSerialPage() {
    return nullptr;
}

} // namespace pavlune
