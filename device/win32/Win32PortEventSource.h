#pragma once

#include "device/PortEventSource.h"

// clang-format off
#include <windows.h> // before cfgmgr32.h, which needs its types
#include <cfgmgr32.h>
// clang-format on

namespace pavlune {

// Serial devices as Windows shows them: the present ones are the values of
// HKLM\HARDWARE\DEVICEMAP\SERIALCOMM (the COM names of the ports that are
// there now, a cheap read), and the configuration manager announces COM-port
// device interfaces arriving and leaving (Windows 8 and later; where it
// cannot, as under wine, every wait runs its time and the watcher compares
// the lists).
class Win32PortEventSource : public PortEventSource {
public:
    Win32PortEventSource();
    ~Win32PortEventSource() override;

    Win32PortEventSource(const Win32PortEventSource&) = delete;
    Win32PortEventSource& operator=(const Win32PortEventSource&) = delete;

    std::vector<std::string> presentDevices() override;
    void waitForChange(std::chrono::milliseconds timeout) override;
    void interrupt() override;

private:
    static DWORD CALLBACK onNotification(HCMNOTIFICATION notification, PVOID context, CM_NOTIFY_ACTION action,
                                         PCM_NOTIFY_EVENT_DATA data, DWORD size);

    HANDLE changed_ = nullptr;     // auto-reset: one announcement wakes one wait
    HANDLE interrupted_ = nullptr; // manual reset, never reset: every later wait returns
    HMODULE configManager_ = nullptr;
    HCMNOTIFICATION notification_ = nullptr;
};

} // namespace pavlune
