#pragma once

#include "device/PortEventSource.h"
#include "device/PortOpenError.h"
#include "device/PortWriteError.h"
#include "device/SerialPortInfo.h"

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace pavlune {

// The operating system's side of the serial link: enumeration of the present
// ports and access to one open port. The manager serialises every call to
// openPort, writeByte and closePort, and every call to enumeratePorts.
class SerialBackend {
public:
    // How long one byte may wait for room on a line that stopped draining
    // (a stalled adapter, a board that never reads), on every platform.
    static constexpr std::chrono::milliseconds kWriteDeadline{3000};

    virtual ~SerialBackend() = default;

    // Appends the present ports in the system's order (the `active` marks are the
    // manager's business). False when the system could not be asked.
    virtual bool enumeratePorts(std::vector<SerialPortInfo>& found) = 0;

    // Closes the open port, if any, then opens `name` exclusively with the fixed
    // line settings: 115200 baud, 8 data bits, no parity, 1 stop bit. Says
    // why when it fails.
    virtual PortOpenError openPort(const std::string& name) = 0;

    // One write call with one byte; ok when the system reports it written,
    // otherwise why not (the system's reason, or kWriteDeadline passed).
    virtual PortWriteError writeByte(std::uint8_t byte) = 0;

    virtual void closePort() = 0;

    // What the open port has received and not yet handed out, at most
    // `limit` bytes, without waiting; empty when nothing came (or this system
    // cannot read the line).
    virtual std::string readWaiting(std::size_t /*limit*/) { return {}; }

    // Where this system announces serial devices coming and going; null when
    // it has no such thing (then nobody watches).
    virtual std::unique_ptr<PortEventSource> createPortEventSource() { return nullptr; }
};

} // namespace pavlune
