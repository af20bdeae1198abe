#pragma once

#include "device/SerialPortInfo.h"

#include <string>
#include <vector>

namespace pavlune {

// HKLM\HARDWARE\DEVICEMAP\SERIALCOMM: every serial port that a driver has
// started, as its device ("\Device\VCP0") and COM name. Some USB-serial
// drivers, and wine's COM ports, are there but not among the device set-up's
// COM-port interfaces, so the port search adds what only this map knows.
class SerialCommMap {
public:
    struct Entry {
        std::string device; // the driver's device object, "\Device\Serial0"
        std::string name;   // "COM1"
    };

    // The map as it stands; empty when it cannot be read.
    static std::vector<Entry> read();

    // Adds to `found` a port for each entry whose COM name (in any case) is
    // not there yet, described by its device's own name ("VCP0"). The
    // built-in UARTs' driver names its devices "\Device\SerialN" (and so
    // does wine, for the host's /dev/ttyS*): those are `native`, listed but
    // never chosen without the user; the rest the map does not tell.
    static void addMissing(std::vector<SerialPortInfo>& found, const std::vector<Entry>& entries);
};

} // namespace pavlune
