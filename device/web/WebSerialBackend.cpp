#include "device/web/WebSerialBackend.h"

#include <algorithm>
#include <utility>

namespace pavlune {

WebSerialBackend::WebSerialBackend(std::shared_ptr<SerialPage> page) : page_(std::move(page)) {}

std::vector<std::string> WebSerialBackend::portNames(const std::vector<SerialPage::Port>& ports) {
    std::vector<std::string> names;
    for (std::size_t i = 0; i < ports.size(); ++i) {
        const auto earlier =
            std::count_if(ports.begin(), ports.begin() + static_cast<long>(i),
                          [&](const SerialPage::Port& p) { return p.description == ports[i].description; });
        // The second of two alike adapters is told apart by its place.
        names.push_back(earlier == 0 ? ports[i].description
                                     : ports[i].description + " (" + std::to_string(earlier + 1) + ")");
    }
    return names;
}

bool WebSerialBackend::enumeratePorts(std::vector<SerialPortInfo>& found) {
    if (!page_->available()) {
        return false;
    }
    const std::vector<SerialPage::Port> ports = page_->ports();
    const std::vector<std::string> names = portNames(ports);
    for (std::size_t i = 0; i < ports.size(); ++i) {
        SerialPortInfo info;
        info.name = names[i];
        info.description = "Web Serial";
        info.transport = ports[i].usb ? SerialPortInfo::Transport::usb : SerialPortInfo::Transport::other;
        // No serial number here: a port is its vendor and product on its place.
        info.usbVendor = ports[i].usbVendor;
        info.usbProduct = ports[i].usbProduct;
        found.push_back(std::move(info));
    }
    return true;
}

int WebSerialBackend::indexOf(const std::string& name) {
    const std::vector<std::string> names = portNames(page_->ports());
    const auto it = std::find(names.begin(), names.end(), name);
    return it == names.end() ? -1 : static_cast<int>(it - names.begin());
}

PortOpenError WebSerialBackend::openPort(const std::string& name) {
    if (indexOf(name) < 0) {
        return {PortOpenError::Kind::noSuchDevice, "the port is no longer allowed or present"};
    }
    return {};
}

PortWriteError WebSerialBackend::writeByte(std::uint8_t) {
    return {PortWriteError::Kind::other, "the page writes the bytes of a transfer itself", {}};
}

void WebSerialBackend::closePort() {}

} // namespace pavlune
