#include "device/posix/LibSerialPortEnumeration.h"

#include <libserialport.h>
#include <string>

namespace pavlune {

namespace {

std::string textOrEmpty(const char* text) {
    return text ? std::string(text) : std::string();
}

} // namespace

bool enumerateLibSerialPorts(std::vector<SerialPortInfo>& found) {
    sp_port** list = nullptr;
    if (sp_list_ports(&list) != SP_OK) {
        return false;
    }
    for (sp_port** port = list; *port != nullptr; ++port) {
        SerialPortInfo info;
        info.name = textOrEmpty(sp_get_port_name(*port));
        switch (sp_get_port_transport(*port)) {
        case SP_TRANSPORT_USB:
            info.transport = SerialPortInfo::Transport::usb;
            info.description = textOrEmpty(sp_get_port_usb_product(*port));
            if (int vendor = 0, product = 0; sp_get_port_usb_vid_pid(*port, &vendor, &product) == SP_OK) {
                info.usbVendor = vendor;
                info.usbProduct = product;
                info.usbSerial = textOrEmpty(sp_get_port_usb_serial(*port));
            }
            break;
        case SP_TRANSPORT_NATIVE:
            info.transport = SerialPortInfo::Transport::native;
            break;
        default:
            break;
        }
        if (info.description.empty()) {
            info.description = textOrEmpty(sp_get_port_description(*port));
        }
        found.push_back(std::move(info));
    }
    sp_free_port_list(list);
    return true;
}

} // namespace pavlune
