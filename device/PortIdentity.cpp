#include "device/PortIdentity.h"

namespace pavlune {

PortIdentity PortIdentity::of(const SerialPortInfo& port) {
    return PortIdentity{port.name, port.description, port.usbVendor, port.usbProduct, port.usbSerial, true};
}

PortIdentity PortIdentity::nameOnly(const std::string& name) {
    PortIdentity identity;
    identity.name = name;
    identity.confirmed = false;
    return identity;
}

bool PortIdentity::matches(const SerialPortInfo& port) const {
    if (!confirmed) {
        return port.name == name;
    }
    const bool portHasUsbIdentity = port.usbVendor >= 0 && port.usbProduct >= 0;
    if (hasUsbIdentity() != portHasUsbIdentity) {
        return false;
    }
    if (hasUsbIdentity()) {
        if (port.usbVendor != usbVendor || port.usbProduct != usbProduct) {
            return false;
        }
        // Two adapters of one model tell themselves apart only by serial number.
        return usbSerial.empty() ? port.usbSerial.empty() && port.name == name : port.usbSerial == usbSerial;
    }
    return port.name == name && port.description == description;
}

bool PortIdentity::mayChooseWithoutUser(const SerialPortInfo& port) const {
    if (!matches(port) || port.transport == SerialPortInfo::Transport::native) {
        return false;
    }
    return confirmed || port.choosableBySearch();
}

} // namespace pavlune
