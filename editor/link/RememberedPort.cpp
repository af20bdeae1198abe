#include "editor/link/RememberedPort.h"

std::optional<pavlune::PortIdentity> RememberedPort::fromSettings(const AppSettings::Port& port) {
    if (port.name.empty()) {
        return std::nullopt;
    }
    if (!port.confirmed) {
        return pavlune::PortIdentity::nameOnly(port.name);
    }
    return pavlune::PortIdentity{port.name,       port.description, port.usbVendor,
                                 port.usbProduct, port.usbSerial,   true};
}

AppSettings::Port RememberedPort::toSettings(const pavlune::PortIdentity& identity) {
    return AppSettings::Port{identity.name,       identity.description, identity.usbVendor,
                             identity.usbProduct, identity.usbSerial,   identity.confirmed};
}
