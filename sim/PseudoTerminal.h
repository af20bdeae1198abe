#pragma once

#include <string>

namespace pavlune {

// The simulator's end of the line: a pseudo-terminal whose other end is
// opened by name like a serial port. Raw mode, so every byte arrives as
// sent. Its own descriptor on the device end stays open, so the line never
// hangs up between one sender and the next.
class PseudoTerminal {
public:
    PseudoTerminal();
    PseudoTerminal(const PseudoTerminal&) = delete;
    PseudoTerminal& operator=(const PseudoTerminal&) = delete;
    ~PseudoTerminal();

    bool isOpen() const { return master_ >= 0; }
    // What went wrong when it did not open.
    const std::string& error() const { return error_; }
    // The path to open as the serial device, for example /dev/pts/3.
    const std::string& devicePath() const { return devicePath_; }
    // For poll(): readable when bytes arrived.
    int descriptor() const { return master_; }

    // The bytes that have arrived (none when none wait).
    std::string readAvailable();
    // Sends without waiting; what the other end has no room for is dropped,
    // as an unread board echo would be.
    void write(char byte);

private:
    int master_ = -1;
    int device_ = -1;
    std::string devicePath_;
    std::string error_;
};

} // namespace pavlune
