// The serial number in a Windows device instance ID, from IDs as Windows
// writes them for adapters with and without a serial number.
#include "device/UsbInstanceId.h"

#include <gtest/gtest.h>

namespace pavlune {
namespace {

// Catches the made-up part of a device without a serial number taken for one
// (two such adapters would be the same device, and one moved to another
// socket a different one), an interface's parent part taken for the
// device's, and IDs of other buses or of another shape read anyway.
TEST(UsbInstanceId, OnlyAUsbDevicesOwnLastPartIsItsSerialNumber) {
    const struct {
        const char* id;
        const char* serial;
    } cases[] = {
        {"USB\\VID_2341&PID_0043\\75735323430351C0B0C1", "75735323430351C0B0C1"},
        {"usb\\vid_10c4&pid_ea60\\0001", "0001"},
        {"USB\\VID_1A86&PID_7523\\5&3753427A&0&2", ""},
        {"USB\\VID_2341&PID_8036&MI_00\\6&2F1F5E1A&0&0000", ""},
        {"USB\\VID_2341&PID_8036&MI_00\\A5012345", ""},
        {"FTDIBUS\\VID_0403+PID_6001+A50285BIA\\0000", ""},
        {"ACPI\\PNP0501\\1", ""},
        {"USB\\VID_2341&PID_0043\\", ""},
        {"USB\\VID_2341&PID_0043", ""},
        {"USB\\VID_2341&PID_0043\\ABC\\DEF", ""},
        {"", ""},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(UsbInstanceId::serialNumber(c.id), c.serial) << c.id;
    }
}

} // namespace
} // namespace pavlune
