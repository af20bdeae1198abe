#pragma once

#include <string>

namespace pavlune {

// A copy of one listed serial port, handed to readers so that they never hold
// a pointer into the manager's list while a search rebuilds it.
struct SerialPortInfo {
    std::string name;        // what the open operation is given (/dev/ttyUSB0, COM3)
    std::string description; // the adapter's product description where there is one
    bool active = false;     // the port that the editor may run or stop on

    // The text of the port status line and of a port list row:
    // "● NAME [ DESCRIPTION ]" for the active port, two blanks instead of the circle otherwise.
    std::string displayText() const {
        return (active ? "\u25CF " : "  ") + name + " [ " + description + " ]";
    }

    bool operator==(const SerialPortInfo&) const = default;
};

} // namespace pavlune
