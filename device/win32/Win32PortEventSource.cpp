#include "device/win32/Win32PortEventSource.h"

#include "device/win32/ComPortInterface.h"
#include "device/win32/SerialCommMap.h"

#include <algorithm>

namespace pavlune {

namespace {

// Looked up at run time: the call exists from Windows 8 on, and the headers
// of the cross compiler declare only its types.
using RegisterNotification = CONFIGRET(WINAPI*)(PCM_NOTIFY_FILTER, PVOID, PCM_NOTIFY_CALLBACK,
                                                PHCMNOTIFICATION);
using UnregisterNotification = CONFIGRET(WINAPI*)(HCMNOTIFICATION);

template <typename Function> Function lookUp(HMODULE module, const char* name) {
    return module ? reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(module, name)))
                  : nullptr;
}

} // namespace

Win32PortEventSource::Win32PortEventSource()
    : changed_(CreateEventW(nullptr, FALSE, FALSE, nullptr)),
      interrupted_(CreateEventW(nullptr, TRUE, FALSE, nullptr)),
      configManager_(LoadLibraryW(L"cfgmgr32.dll")) {
    const auto registerNotification =
        lookUp<RegisterNotification>(configManager_, "CM_Register_Notification");
    if (!registerNotification) {
        return;
    }
    CM_NOTIFY_FILTER filter{};
    filter.cbSize = sizeof filter;
    filter.FilterType = CM_NOTIFY_FILTER_TYPE_DEVICEINTERFACE;
    filter.u.DeviceInterface.ClassGuid = comPortInterface;
    if (registerNotification(&filter, this, &Win32PortEventSource::onNotification, &notification_) !=
        CR_SUCCESS) {
        notification_ = nullptr;
    }
}

Win32PortEventSource::~Win32PortEventSource() {
    // Unregistering waits for a callback that runs, so none outlives this.
    if (const auto unregister = lookUp<UnregisterNotification>(configManager_, "CM_Unregister_Notification");
        notification_ && unregister) {
        unregister(notification_);
    }
    if (configManager_) {
        FreeLibrary(configManager_);
    }
    CloseHandle(changed_);
    CloseHandle(interrupted_);
}

DWORD CALLBACK Win32PortEventSource::onNotification(HCMNOTIFICATION /*notification*/, PVOID context,
                                                    CM_NOTIFY_ACTION action, PCM_NOTIFY_EVENT_DATA /*data*/,
                                                    DWORD /*size*/) {
    if (action == CM_NOTIFY_ACTION_DEVICEINTERFACEARRIVAL ||
        action == CM_NOTIFY_ACTION_DEVICEINTERFACEREMOVAL) {
        SetEvent(static_cast<Win32PortEventSource*>(context)->changed_);
    }
    return ERROR_SUCCESS;
}

std::vector<std::string> Win32PortEventSource::presentDevices() {
    std::vector<std::string> names;
    for (const SerialCommMap::Entry& entry : SerialCommMap::read()) {
        names.push_back(entry.name);
    }
    std::sort(names.begin(), names.end());
    return names;
}

void Win32PortEventSource::waitForChange(std::chrono::milliseconds timeout) {
    const HANDLE events[] = {interrupted_, changed_};
    const auto milliseconds = static_cast<DWORD>(std::clamp<long long>(timeout.count(), 0, INFINITE - 1));
    WaitForMultipleObjects(2, events, FALSE, milliseconds);
}

void Win32PortEventSource::interrupt() {
    SetEvent(interrupted_);
}

} // namespace pavlune
