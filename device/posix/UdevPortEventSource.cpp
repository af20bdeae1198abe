#include "device/posix/UdevPortEventSource.h"

#include <cstdint>
#include <dirent.h>
#include <libudev.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/stat.h>
#include <unistd.h>

namespace pavlune {

UdevPortEventSource::UdevPortEventSource(const char* sysClassTty) : sysClassTty_(sysClassTty) {
    wakeFd_ = ::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
    udev_ = udev_new();
    if (udev_) {
        monitor_ = udev_monitor_new_from_netlink(udev_, "udev");
    }
    if (monitor_ && (udev_monitor_filter_add_match_subsystem_devtype(monitor_, "tty", nullptr) < 0 ||
                     udev_monitor_enable_receiving(monitor_) < 0)) {
        udev_monitor_unref(monitor_);
        monitor_ = nullptr; // the timed look at /sys alone still notices changes
    }
}

UdevPortEventSource::~UdevPortEventSource() {
    if (monitor_) {
        udev_monitor_unref(monitor_);
    }
    if (udev_) {
        udev_unref(udev_);
    }
    if (wakeFd_ >= 0) {
        ::close(wakeFd_);
    }
}

std::vector<std::string> UdevPortEventSource::presentDevices() {
    std::vector<std::string> names;
    DIR* folder = ::opendir(sysClassTty_.c_str());
    if (!folder) {
        return names;
    }
    while (const dirent* entry = ::readdir(folder)) {
        if (entry->d_name[0] == '.') {
            continue;
        }
        // Virtual terminals and pseudo-terminals have no "device" link; serial
        // hardware (built in or on USB) has one.
        const std::string deviceLink = sysClassTty_ + "/" + entry->d_name + "/device";
        struct stat info {};
        if (::lstat(deviceLink.c_str(), &info) == 0) {
            names.emplace_back(entry->d_name);
        }
    }
    ::closedir(folder);
    return names;
}

void UdevPortEventSource::waitForChange(std::chrono::milliseconds timeout) {
    pollfd fds[2] = {{wakeFd_, POLLIN, 0}, {monitor_ ? udev_monitor_get_fd(monitor_) : -1, POLLIN, 0}};
    const int count = monitor_ ? 2 : 1;
    if (::poll(fds, static_cast<nfds_t>(count), static_cast<int>(timeout.count())) <= 0) {
        return; // time is up (or a signal): the caller looks anyway
    }
    if (count == 2 && (fds[1].revents & POLLIN) != 0) {
        // What was announced does not matter: the caller compares the lists.
        drainMonitor();
    }
}

void UdevPortEventSource::drainMonitor() {
    while (udev_device* device = udev_monitor_receive_device(monitor_)) {
        udev_device_unref(device);
    }
}

void UdevPortEventSource::interrupt() {
    if (wakeFd_ >= 0) {
        const std::uint64_t one = 1;
        [[maybe_unused]] const ssize_t written = ::write(wakeFd_, &one, sizeof(one));
    }
}

} // namespace pavlune
