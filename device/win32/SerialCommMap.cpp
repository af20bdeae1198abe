#include "device/win32/SerialCommMap.h"

#include "engine/base/WideText.h"

#include <windows.h>

#include <algorithm>
#include <cctype>
#include <cstddef>

namespace pavlune {

namespace {

bool sameName(const std::string& a, const std::string& b) {
    return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
        return std::toupper(static_cast<unsigned char>(x)) == std::toupper(static_cast<unsigned char>(y));
    });
}

bool startsWith(const std::string& text, const std::string& start) {
    return text.compare(0, start.size(), start) == 0;
}

// "\Device\Serial0": the name serial.sys gives the UARTs on the board.
bool isBuiltInUart(const std::string& device) {
    const std::string prefix = "\\Device\\Serial";
    return device.size() > prefix.size() && startsWith(device, prefix) &&
           std::all_of(device.begin() + static_cast<std::ptrdiff_t>(prefix.size()), device.end(),
                       [](char c) { return c >= '0' && c <= '9'; });
}

} // namespace

std::vector<SerialCommMap::Entry> SerialCommMap::read() {
    std::vector<Entry> entries;
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, L"HARDWARE\\DEVICEMAP\\SERIALCOMM", 0, KEY_QUERY_VALUE, &key) !=
        ERROR_SUCCESS) {
        return entries;
    }
    for (DWORD index = 0;; ++index) {
        wchar_t valueName[256] = {};
        DWORD nameLength = 256;
        wchar_t data[256] = {};
        DWORD dataSize = sizeof data - sizeof(wchar_t); // room for the terminator
        DWORD type = 0;
        const LONG status = RegEnumValueW(key, index, valueName, &nameLength, nullptr, &type,
                                          reinterpret_cast<LPBYTE>(data), &dataSize);
        if (status == ERROR_NO_MORE_ITEMS) {
            break;
        }
        if (status == ERROR_SUCCESS && type == REG_SZ) {
            entries.push_back({engine::utf8FromWide(valueName), engine::utf8FromWide(data)});
        }
    }
    RegCloseKey(key);
    return entries;
}

void SerialCommMap::addMissing(std::vector<SerialPortInfo>& found, const std::vector<Entry>& entries) {
    for (const Entry& entry : entries) {
        const bool listed = std::any_of(found.begin(), found.end(), [&entry](const SerialPortInfo& port) {
            return sameName(port.name, entry.name);
        });
        if (entry.name.empty() || listed) {
            continue;
        }
        SerialPortInfo port;
        port.name = entry.name;
        const std::string prefix = "\\Device\\";
        port.description =
            startsWith(entry.device, prefix) ? entry.device.substr(prefix.size()) : entry.device;
        if (port.description.empty()) {
            port.description = entry.name;
        }
        if (isBuiltInUart(entry.device)) {
            port.transport = SerialPortInfo::Transport::native;
        }
        found.push_back(std::move(port));
    }
}

} // namespace pavlune
