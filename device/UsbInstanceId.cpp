#include "device/UsbInstanceId.h"

#include <algorithm>
#include <cctype>

namespace pavlune {

namespace {

std::string upper(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
    return text;
}

} // namespace

std::string UsbInstanceId::serialNumber(const std::string& instanceId) {
    const std::size_t first = instanceId.find('\\');
    const std::size_t second = first == std::string::npos ? first : instanceId.find('\\', first + 1);
    if (second == std::string::npos || instanceId.find('\\', second + 1) != std::string::npos) {
        return {};
    }
    const std::string bus = upper(instanceId.substr(0, first));
    const std::string device = upper(instanceId.substr(first + 1, second - first - 1));
    std::string serial = instanceId.substr(second + 1);
    const bool usbDevice = bus == "USB" && device.find("VID_") != std::string::npos &&
                           device.find("PID_") != std::string::npos &&
                           device.find("&MI_") == std::string::npos;
    if (!usbDevice || serial.empty() || serial.find('&') != std::string::npos) {
        return {};
    }
    return serial;
}

} // namespace pavlune
