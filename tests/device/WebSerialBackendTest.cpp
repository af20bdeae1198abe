#include "device/web/WebSerialBackend.h"

#include "device/PavluneCardSerialManager.h"
#include "tests/device/FakeSerialPage.h"

#include <gtest/gtest.h>

using namespace pavlune;

namespace {

TEST(WebSerialBackend, ListsThePagePortsWithAlikeAdaptersNumbered) {
    auto page = std::make_shared<FakeSerialPage>();
    page->present = {
        {"USB 2341:0043", true}, {"シリアルポート", false}, {"USB 2341:0043", true}, {"USB 2341:0043", true}};
    WebSerialBackend backend(page);
    std::vector<SerialPortInfo> found;
    ASSERT_TRUE(backend.enumeratePorts(found));
    std::vector<std::string> names;
    for (const SerialPortInfo& port : found) {
        names.push_back(port.name);
    }
    EXPECT_EQ(names, (std::vector<std::string>{"USB 2341:0043", "シリアルポート", "USB 2341:0043 (2)",
                                               "USB 2341:0043 (3)"}));
    EXPECT_EQ(found[0].transport, SerialPortInfo::Transport::usb);
    EXPECT_EQ(found[1].transport, SerialPortInfo::Transport::other);
    EXPECT_EQ(backend.indexOf("USB 2341:0043 (2)"), 2);

    // A port the user no longer allows (or unplugged) does not open.
    EXPECT_TRUE(backend.openPort("USB 2341:0043 (3)").ok());
    EXPECT_EQ(backend.openPort("USB 0403:6001").kind, PortOpenError::Kind::noSuchDevice);
    // Bytes go through the page's schedule, never one by one from here.
    EXPECT_FALSE(backend.writeByte(0x41).ok());
}

TEST(WebSerialBackend, WithoutWebSerialTheSearchFailsAndKeepsTheList) {
    auto page = std::make_shared<FakeSerialPage>();
    page->present = {{"USB 2341:0043", true}};
    PavluneCardSerialManager manager(std::make_unique<WebSerialBackend>(page));
    ASSERT_TRUE(manager.searchPorts([](bool) {}));
    ASSERT_TRUE(manager.isSelectedPortActive()); // a search chooses the one USB board
    page->isAvailable = false;
    EXPECT_FALSE(manager.searchPorts([](bool) {}));
    EXPECT_EQ(manager.getPorts().size(), 1U);
}

} // namespace
