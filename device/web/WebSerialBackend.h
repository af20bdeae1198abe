#pragma once

#include "device/SerialBackend.h"

namespace pavlune {

// The browser build's backend. The page reaches serial ports only through the
// browser's own serial interface, which this backend does not use yet: it
// lists no port and opens none, so the editor tells that no board is there.
class WebSerialBackend : public SerialBackend {
public:
    bool enumeratePorts(std::vector<SerialPortInfo>& found) override;
    PortOpenError openPort(const std::string& name) override;
    bool writeByte(std::uint8_t byte) override;
    void closePort() override;
};

} // namespace pavlune
