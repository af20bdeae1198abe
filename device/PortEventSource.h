#pragma once

#include <chrono>
#include <string>
#include <vector>

namespace pavlune {

// Where a port watcher learns that serial devices came or went: a cheap list
// of the devices present now, and a wait that the system may cut short when
// it announces a change. A system that announces nothing simply lets every
// wait run out, and the watcher compares the lists.
class PortEventSource {
public:
    virtual ~PortEventSource() = default;

    // The serial devices present now, by name, in any order.
    virtual std::vector<std::string> presentDevices() = 0;

    // Returns when the system reports a serial device added or removed, when
    // `timeout` has passed, or when interrupt() is called.
    virtual void waitForChange(std::chrono::milliseconds timeout) = 0;

    // Makes the current and every later waitForChange return at once; any thread.
    virtual void interrupt() = 0;
};

} // namespace pavlune
