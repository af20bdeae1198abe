// Ports that come and go on Windows: the list of present ports and a wait
// that interrupt() ends for good.
#include "device/win32/Win32PortEventSource.h"

#include <windows.h>

#include <algorithm>
#include <chrono>
#include <gtest/gtest.h>
#include <thread>

using namespace pavlune;
using namespace std::chrono_literals;

TEST(Win32PortEventSourceTest, PresentPortsAreTheSerialCommNames) {
    HKEY key = nullptr;
    if (RegCreateKeyExW(HKEY_LOCAL_MACHINE, L"HARDWARE\\DEVICEMAP\\SERIALCOMM", 0, nullptr,
                        REG_OPTION_VOLATILE, KEY_SET_VALUE, nullptr, &key, nullptr) != ERROR_SUCCESS) {
        GTEST_SKIP() << "the device map cannot be written here (no administrator)";
    }
    const wchar_t name[] = L"COM42";
    ASSERT_EQ(RegSetValueExW(key, L"\\Device\\PavluneTestSerial", 0, REG_SZ,
                             reinterpret_cast<const BYTE*>(name), sizeof name),
              ERROR_SUCCESS);
    Win32PortEventSource source;
    const auto present = source.presentDevices();
    RegDeleteValueW(key, L"\\Device\\PavluneTestSerial");
    RegCloseKey(key);
    EXPECT_NE(std::find(present.begin(), present.end(), "COM42"), present.end());
    const auto after = source.presentDevices();
    EXPECT_EQ(std::find(after.begin(), after.end(), "COM42"), after.end());
}

TEST(Win32PortEventSourceTest, InterruptEndsTheCurrentWaitAndEveryLaterOne) {
    Win32PortEventSource source;
    const auto start = std::chrono::steady_clock::now();
    std::thread waiter([&] { source.waitForChange(60s); });
    std::this_thread::sleep_for(50ms); // let the waiter block first
    source.interrupt();
    waiter.join();
    source.waitForChange(60s);
    EXPECT_LT(std::chrono::steady_clock::now() - start, 10s);
}
