#include "device/win32/Win32SerialBackend.h"

#include "device/PlatformSerialBackend.h"
#include "device/UsbInstanceId.h"
#include "device/win32/ComPortInterface.h"
#include "device/win32/SerialCommMap.h"
#include "device/win32/Win32PortEventSource.h"
#include "engine/base/WideText.h"

#include <algorithm>
#include <setupapi.h>
#include <string>
#include <vector>

namespace pavlune {

namespace {

// The system's message for a GetLastError code, on one line.
std::string systemMessage(DWORD code) {
    char* text = nullptr;
    const DWORD length = FormatMessageA(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM |
                                            FORMAT_MESSAGE_IGNORE_INSERTS,
                                        nullptr, code, 0, reinterpret_cast<LPSTR>(&text), 0, nullptr);
    std::string message = length > 0 && text ? std::string(text, length) : "error " + std::to_string(code);
    if (text) {
        LocalFree(text);
    }
    while (!message.empty() && (message.back() == '\n' || message.back() == '\r' || message.back() == ' ')) {
        message.pop_back();
    }
    return message;
}

PortOpenError openErrorFor(DWORD code) {
    PortOpenError::Kind kind = PortOpenError::Kind::other;
    switch (code) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
    case ERROR_BAD_UNIT:
        kind = PortOpenError::Kind::noSuchDevice;
        break;
    case ERROR_ACCESS_DENIED: // what a COM port that another program holds answers
    case ERROR_SHARING_VIOLATION:
        kind = PortOpenError::Kind::busy;
        break;
    default:
        break;
    }
    return {kind, systemMessage(code)};
}

PortWriteError writeErrorFor(DWORD code) {
    PortWriteError::Kind kind = PortWriteError::Kind::other;
    switch (code) {
    case ERROR_GEN_FAILURE: // what a USB adapter's driver answers once it is pulled out
    case ERROR_BAD_COMMAND:
    case ERROR_DEVICE_NOT_CONNECTED:
    case ERROR_FILE_NOT_FOUND:
        kind = PortWriteError::Kind::deviceGone;
        break;
    case ERROR_INVALID_HANDLE:
        kind = PortWriteError::Kind::notOpen;
        break;
    default:
        break;
    }
    return {kind, systemMessage(code), {}};
}

std::string readPortName(HDEVINFO devices, SP_DEVINFO_DATA& device) {
    HKEY key = SetupDiOpenDevRegKey(devices, &device, DICS_FLAG_GLOBAL, 0, DIREG_DEV, KEY_QUERY_VALUE);
    if (key == INVALID_HANDLE_VALUE) {
        return {};
    }
    wchar_t value[256] = {};
    DWORD size = sizeof(value) - sizeof(wchar_t); // keep room for the terminator
    const LONG status =
        RegQueryValueExW(key, L"PortName", nullptr, nullptr, reinterpret_cast<LPBYTE>(value), &size);
    RegCloseKey(key);
    return status == ERROR_SUCCESS ? engine::utf8FromWide(value) : std::string();
}

std::string readProperty(HDEVINFO devices, SP_DEVINFO_DATA& device, DWORD property) {
    DWORD size = 0;
    std::vector<wchar_t> buffer;
    while (!SetupDiGetDeviceRegistryPropertyW(devices, &device, property, nullptr,
                                              reinterpret_cast<PBYTE>(buffer.data()),
                                              static_cast<DWORD>(buffer.size() * sizeof(wchar_t)), &size)) {
        if (GetLastError() != ERROR_INSUFFICIENT_BUFFER) {
            return {};
        }
        buffer.assign(size / sizeof(wchar_t) + 1, L'\0');
    }
    // A list of strings (the hardware IDs) gives its first, the most precise.
    return buffer.empty() ? std::string() : engine::utf8FromWide(buffer.data());
}

// The name the user sees in the device manager ("USB-SERIAL CH340 (COM3)")
// without the port name that the list shows beside it anyway.
std::string friendlyDescription(std::string friendly, const std::string& portName) {
    const std::string suffix = " (" + portName + ")";
    if (friendly.size() > suffix.size() &&
        friendly.compare(friendly.size() - suffix.size(), suffix.size(), suffix) == 0) {
        friendly.resize(friendly.size() - suffix.size());
    }
    return friendly;
}

// The device's instance ID ("USB\VID_2341&PID_0043\<serial number>").
std::string readInstanceId(HDEVINFO devices, SP_DEVINFO_DATA& device) {
    DWORD size = 0;
    SetupDiGetDeviceInstanceIdW(devices, &device, nullptr, 0, &size);
    std::vector<wchar_t> buffer(size + 1, L'\0');
    if (size == 0 || !SetupDiGetDeviceInstanceIdW(devices, &device, buffer.data(),
                                                  static_cast<DWORD>(buffer.size()), nullptr)) {
        return {};
    }
    return engine::utf8FromWide(buffer.data());
}

// The four hex digits after `key` in a hardware ID such as
// "USB\VID_2341&PID_0043&REV_0001"; -1 when there are none.
int hexAfter(const std::string& id, const std::string& key) {
    const std::size_t at = id.find(key);
    if (at == std::string::npos || at + key.size() + 4 > id.size()) {
        return -1;
    }
    int value = 0;
    for (std::size_t i = at + key.size(); i < at + key.size() + 4; ++i) {
        const char c = id[i];
        const int digit = c >= '0' && c <= '9'   ? c - '0'
                          : c >= 'A' && c <= 'F' ? c - 'A' + 10
                          : c >= 'a' && c <= 'f' ? c - 'a' + 10
                                                 : -1;
        if (digit < 0) {
            return -1;
        }
        value = value * 16 + digit;
    }
    return value;
}

} // namespace

Win32SerialBackend::~Win32SerialBackend() {
    closePort();
}

bool Win32SerialBackend::enumeratePorts(std::vector<SerialPortInfo>& found) {
    HDEVINFO devices =
        SetupDiGetClassDevsW(&comPortInterface, nullptr, nullptr, DIGCF_PRESENT | DIGCF_DEVICEINTERFACE);
    if (devices == INVALID_HANDLE_VALUE) {
        return false;
    }
    SP_DEVINFO_DATA device{};
    device.cbSize = sizeof(device);
    for (DWORD index = 0; SetupDiEnumDeviceInfo(devices, index, &device); ++index) {
        SerialPortInfo info;
        info.name = readPortName(devices, device);
        if (info.name.empty()) {
            continue;
        }
        info.description = friendlyDescription(readProperty(devices, device, SPDRP_FRIENDLYNAME), info.name);
        if (info.description.empty()) {
            info.description = readProperty(devices, device, SPDRP_DEVICEDESC);
        }
        const std::string hardwareId = readProperty(devices, device, SPDRP_HARDWAREID);
        info.usbVendor = hexAfter(hardwareId, "VID_");
        info.usbProduct = hexAfter(hardwareId, "PID_");
        if (info.usbVendor < 0 || info.usbProduct < 0) {
            info.usbVendor = -1;
            info.usbProduct = -1;
        } else {
            info.transport = SerialPortInfo::Transport::usb;
            info.usbSerial = UsbInstanceId::serialNumber(readInstanceId(devices, device));
        }
        if (!info.description.empty()) {
            found.push_back(std::move(info));
        }
    }
    const DWORD error = GetLastError();
    SetupDiDestroyDeviceInfoList(devices);
    SerialCommMap::addMissing(found, SerialCommMap::read());
    return error == 0 || error == ERROR_NO_MORE_ITEMS;
}

PortOpenError Win32SerialBackend::openPort(const std::string& name) {
    closePort();
    // The device namespace prefix, and at most 126 characters of path in all.
    const std::string path = ("\\\\.\\" + name).substr(0, 126);
    const std::wstring widePath = engine::wideFromUtf8(path);
    if (widePath.empty()) {
        return {PortOpenError::Kind::noSuchDevice, "the name is not UTF-8"};
    }
    portHandle_ =
        CreateFileW(widePath.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    if (portHandle_ == INVALID_HANDLE_VALUE) {
        return openErrorFor(GetLastError());
    }
    if (GetFileType(portHandle_) != FILE_TYPE_CHAR) {
        closePort();
        return {PortOpenError::Kind::notATerminal, "not a character device"};
    }
    DCB line{};
    line.DCBlength = sizeof(line);
    GetCommState(portHandle_, &line);
    line.BaudRate = 115200;
    line.ByteSize = 8;
    line.Parity = NOPARITY;
    line.StopBits = ONESTOPBIT;
    line.fParity = FALSE;
    SetCommState(portHandle_, &line); // a driver that refuses still leaves an open port
    // A write that finds no room gives up at the deadline instead of waiting
    // for ever (or for whatever the last program left set).
    COMMTIMEOUTS timeouts{};
    GetCommTimeouts(portHandle_, &timeouts);
    timeouts.WriteTotalTimeoutMultiplier = 0;
    timeouts.WriteTotalTimeoutConstant = static_cast<DWORD>(kWriteDeadline.count());
    SetCommTimeouts(portHandle_, &timeouts);
    return {};
}

PortWriteError Win32SerialBackend::writeByte(std::uint8_t byte) {
    if (portHandle_ == INVALID_HANDLE_VALUE) {
        return {PortWriteError::Kind::notOpen, "", {}};
    }
    DWORD written = 0;
    if (!WriteFile(portHandle_, &byte, 1, &written, nullptr)) {
        return writeErrorFor(GetLastError());
    }
    // The write time-out passed: the call succeeds with nothing written.
    return written == 1 ? PortWriteError{} : PortWriteError::deadlinePassed(kWriteDeadline);
}

std::string Win32SerialBackend::readWaiting(std::size_t limit) {
    if (portHandle_ == INVALID_HANDLE_VALUE) {
        return {};
    }
    // Only what is queued already: the port has no time-outs, so asking for
    // more would wait for the board.
    DWORD errors = 0;
    COMSTAT status{};
    if (!ClearCommError(portHandle_, &errors, &status) || status.cbInQue == 0) {
        return {};
    }
    std::string received(std::min<std::size_t>(status.cbInQue, limit), '\0');
    DWORD count = 0;
    if (!ReadFile(portHandle_, received.data(), static_cast<DWORD>(received.size()), &count, nullptr)) {
        return {};
    }
    received.resize(count);
    return received;
}

void Win32SerialBackend::closePort() {
    if (portHandle_ != INVALID_HANDLE_VALUE) {
        CloseHandle(portHandle_);
        portHandle_ = INVALID_HANDLE_VALUE;
    }
}

std::unique_ptr<PortEventSource> Win32SerialBackend::createPortEventSource() {
    return std::make_unique<Win32PortEventSource>();
}

std::unique_ptr<SerialBackend> createPlatformSerialBackend() {
    return std::make_unique<Win32SerialBackend>();
}

std::shared_ptr<SerialPage> platformSerialPage() {
    return nullptr;
}

} // namespace pavlune
