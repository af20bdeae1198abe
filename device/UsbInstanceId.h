#pragma once

#include <string>

namespace pavlune {

// What a Windows device instance ID tells of a USB serial adapter
// ("USB\VID_2341&PID_0043\75735323430351C0B0C1"): its serial number, the
// last part, where the device has one. Windows makes that part up for a
// device without one ("5&3753427A&0&2": it holds '&'), and an interface of a
// composite device ("USB\VID_2341&PID_8036&MI_00\6&...") carries a made-up
// part too; other buses (FTDIBUS\...) word it their own way. None of those
// is a serial number: they change with the socket, and identify nothing.
class UsbInstanceId {
public:
    // The serial number, or empty.
    static std::string serialNumber(const std::string& instanceId);
};

} // namespace pavlune
