#pragma once

#include <string>

namespace pavlune {

// A copy of one listed serial port, handed to readers so that they never hold
// a pointer into the manager's list while a search rebuilds it.
struct SerialPortInfo {
    // How the port is reached, which decides whether it may be chosen without
    // the user: a built-in UART rarely has the board on it, a board on the
    // screen is only used when asked for.
    enum class Transport {
        other,  // what the system could not tell (or a Bluetooth link)
        usb,    // a USB serial adapter: where a board usually is
        native, // a built-in UART (/dev/ttyS0): listed, never chosen by itself
        named,  // a device the user named when starting the program
        screen, // the board simulator
    };

    std::string name;        // what the open operation is given (/dev/ttyUSB0, COM3)
    std::string description; // the adapter's product description where there is one
    bool active = false;     // the port that the editor may run or stop on
    Transport transport = Transport::other;
    // What identifies a USB adapter, where the system tells it: -1 and empty
    // when unknown.
    int usbVendor = -1;
    int usbProduct = -1;
    std::string usbSerial{};

    // The text of the port status line and of a port list row:
    // "● NAME [ DESCRIPTION ]" for the active port, two blanks instead of the
    // circle otherwise. The board on the screen shows only its description:
    // its name is a link in a temporary folder.
    std::string displayText() const {
        const std::string marker = active ? "\u25CF " : "  ";
        if (transport == Transport::screen) {
            return marker + description;
        }
        return marker + name + " [ " + description + " ]";
    }

    // Whether a search may choose this port when the user has chosen none.
    bool choosableBySearch() const {
        return transport != Transport::native && transport != Transport::screen;
    }

    bool operator==(const SerialPortInfo&) const = default;
};

} // namespace pavlune
