#pragma once

#include "device/SerialPortInfo.h"

#include <string>

namespace pavlune {

// What tells one serial device from another, so that a remembered choice
// follows the device and not the name the system happened to give it this
// time (/dev/ttyUSB0 and /dev/ttyUSB1 swap with the order of plugging).
//
// A USB adapter is known by its vendor, product and serial number; one
// without a serial number by vendor and product on the same name. Anything
// else is known by its name and description. Settings from before this was
// kept hold only a name: such an identity is unconfirmed.
struct PortIdentity {
    std::string name;
    std::string description;
    int usbVendor = -1;
    int usbProduct = -1;
    std::string usbSerial;
    bool confirmed = true; // false: only a name is known

    static PortIdentity of(const SerialPortInfo& port);
    // An identity read from old settings: a name and nothing else.
    static PortIdentity nameOnly(const std::string& name);

    bool hasUsbIdentity() const { return usbVendor >= 0 && usbProduct >= 0; }

    // Whether `port` is this device.
    bool matches(const SerialPortInfo& port) const;

    // Whether a search may choose `port` for this remembered identity without
    // the user: it matches, it is not a built-in UART (which rarely has a
    // board on it and never tells what is attached), and an unconfirmed
    // identity chooses only what a search would choose anyway.
    bool mayChooseWithoutUser(const SerialPortInfo& port) const;

    bool operator==(const PortIdentity&) const = default;
};

} // namespace pavlune
