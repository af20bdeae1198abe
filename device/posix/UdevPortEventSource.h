#pragma once

#include "device/PortEventSource.h"

#include <string>

struct udev;
struct udev_monitor;

namespace pavlune {

// Serial devices as Linux shows them: the present ones are the entries of
// /sys/class/tty that stand for a device (a cheap directory walk), and udev's
// monitor announces tty devices being added or removed. Without a running
// udev (a container) no announcement comes and every wait runs its time.
class UdevPortEventSource : public PortEventSource {
public:
    explicit UdevPortEventSource(const char* sysClassTty = "/sys/class/tty");
    ~UdevPortEventSource() override;

    UdevPortEventSource(const UdevPortEventSource&) = delete;
    UdevPortEventSource& operator=(const UdevPortEventSource&) = delete;

    std::vector<std::string> presentDevices() override;
    void waitForChange(std::chrono::milliseconds timeout) override;
    void interrupt() override;

private:
    // Empties the monitor's queue (the socket does not block).
    void drainMonitor();

    std::string sysClassTty_;
    udev* udev_ = nullptr;
    udev_monitor* monitor_ = nullptr;
    int wakeFd_ = -1; // an eventfd that interrupt() signals
};

} // namespace pavlune
