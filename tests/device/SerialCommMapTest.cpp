// The ports that only the device map knows join those of the device set-up.
#include "device/win32/SerialCommMap.h"

#include <gtest/gtest.h>

using namespace pavlune;

namespace {

SerialPortInfo setupPort(const std::string& name, const std::string& description) {
    SerialPortInfo port;
    port.name = name;
    port.description = description;
    port.transport = SerialPortInfo::Transport::usb;
    return port;
}

TEST(SerialCommMapTest, AddsOnlyTheComNamesTheSetUpSearchDidNotFind) {
    std::vector<SerialPortInfo> found = {setupPort("COM3", "USB-SERIAL CH340")};
    SerialCommMap::addMissing(found, {
                                         {"\\Device\\Serial2", "com3"}, // the same port, in other case
                                         {"\\Device\\VCP0", "COM5"},
                                         {"\\Device\\ProlificSerial0", "COM7"},
                                         {"\\Device\\VCP1", "COM5"}, // named twice in the map
                                         {"\\Device\\Broken", ""},
                                         {"\\Device\\Serial0", "COM1"}, // a UART on the board
                                         {"\\Device\\SerialUsb0", "COM8"},
                                         {"Unusual", "COM9"},
                                     });
    struct Expected {
        const char* name;
        const char* description;
        SerialPortInfo::Transport transport;
    };
    const Expected expected[] = {
        {"COM3", "USB-SERIAL CH340", SerialPortInfo::Transport::usb},
        {"COM5", "VCP0", SerialPortInfo::Transport::other},
        {"COM7", "ProlificSerial0", SerialPortInfo::Transport::other},
        {"COM1", "Serial0", SerialPortInfo::Transport::native},
        {"COM8", "SerialUsb0", SerialPortInfo::Transport::other},
        {"COM9", "Unusual", SerialPortInfo::Transport::other},
    };
    ASSERT_EQ(found.size(), std::size(expected));
    for (std::size_t i = 0; i < found.size(); ++i) {
        EXPECT_EQ(found[i].name, expected[i].name) << i;
        EXPECT_EQ(found[i].description, expected[i].description) << i;
        EXPECT_EQ(found[i].transport, expected[i].transport) << i;
        EXPECT_EQ(found[i].displayText(),
                  std::string("  ") + expected[i].name + " [ " + expected[i].description + " ]");
    }
}

} // namespace
