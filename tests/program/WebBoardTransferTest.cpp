#include "program/web/WebBoardTransfer.h"

#include "catalogue/CardSet.h"
#include "catalogue/Dialect.h"
#include "device/web/WebSerialBackend.h"
#include "engine/base/Log.h"
#include "tests/device/FakeSerialPage.h"

#include <chrono>
#include <gtest/gtest.h>
#include <regex>

using namespace pavlune;

namespace {

using State = SerialPage::Transfer::State;

// The bytes of a jam send of an empty field, and what the overlay shows of them.
const std::string kJamEmptyBytes = std::string("\x1B") + "\nOUT0\n" + "\n\n\n\n\nNEW\r\n" + "SAVE 0\nRUN\r\n";
const std::string kJamEmptyEcho = "\n\n\n\n\nNEW\r\nSAVE 0\nRUN\r\n";

std::string writesOf(const std::string& json) {
    static const std::regex write(R"(\[0,(\d+)\])");
    std::string bytes;
    for (auto it = std::sregex_iterator(json.begin(), json.end(), write); it != std::sregex_iterator();
         ++it) {
        bytes.push_back(static_cast<char>(std::stoi((*it)[1].str())));
    }
    return bytes;
}

class WebBoardTransferTest : public ::testing::Test {
protected:
    WebBoardTransferTest()
        : page(std::make_shared<FakeSerialPage>()), serial(std::make_unique<WebSerialBackend>(page)),
          transfer(serial, page, [this](const std::string& text) { shown += text; }) {
        page->present = {{"USB 2341:0043", true}, {"USB 0403:6001", true}};
        serial.searchPorts([](bool) {});
        serial.choosePort("USB 0403:6001");
    }

    WebBoardTransfer::ErrorCallback onError() {
        return [this](TransferFailure error) {
            ++errors;
            lastError = std::move(error);
        };
    }
    WebBoardTransfer::DoneCallback onDone() {
        return [this] { ++dones; };
    }

    void send(Dialect dialect) {
        transfer.startSend(CatalogueView(dialect, basic), FieldRows(), onError(), onDone());
    }

    std::shared_ptr<FakeSerialPage> page;
    PavluneCardSerialManager serial;
    WebBoardTransfer transfer;
    std::string shown;
    int errors = 0;
    int dones = 0;
    TransferFailure lastError;
};

TEST_F(WebBoardTransferTest, SendsTheProgramOnTheChosenPortAndShowsTheEchoOnceAsItGoesOut) {
    send(jam);
    ASSERT_EQ(page->started.size(), 1U);
    EXPECT_EQ(page->started[0].index, 1);
    EXPECT_EQ(writesOf(page->started[0].json), kJamEmptyBytes);

    // The break (write, check, pause) and the reset (6 bytes, each written,
    // checked and paused) echo nothing; the prologue's first byte does.
    page->next = {State::running, 21, "", ""};
    EXPECT_TRUE(transfer.poll());
    EXPECT_EQ(shown, "");
    page->next.position = 22;
    EXPECT_TRUE(transfer.poll());
    EXPECT_TRUE(transfer.poll());
    EXPECT_EQ(shown, "\n");
    EXPECT_EQ(dones + errors, 0);

    page->next = {State::done, 1000000, "", ""};
    EXPECT_FALSE(transfer.poll());
    EXPECT_EQ(shown, kJamEmptyEcho);
    EXPECT_EQ(dones, 1);
    EXPECT_EQ(errors, 0);
    const int polls = page->polls;
    EXPECT_FALSE(transfer.poll()); // ended: the page is not asked again
    EXPECT_EQ(page->polls, polls);
    EXPECT_EQ(dones, 1);
}

TEST_F(WebBoardTransferTest, EveryEndingCallsOneCallbackWithTheDesktopFailure) {
    struct Case {
        const char* name;
        Dialect dialect;
        SerialPage::Transfer ending;
        bool done;
        TransferFailure error;
    };
    const Case cases[] = {
        {"finished", latte, {State::done, 0, "", ""}, true, {}},
        {"stopped text send",
         jam,
         {State::stopped, 5, "", ""},
         false,
         TransferFailure{TransferFailure::Kind::stopped, {}}},
        {"stopped que send: the board runs what it got", que, {State::stopped, 5, "", ""}, true, {}},
        {"the line stayed full",
         jam,
         {State::writeFailed, 5, "deadline", "3000"},
         false,
         TransferFailure(
             PortWriteError{PortWriteError::Kind::deadline, "", std::chrono::milliseconds(3000)})},
        {"the browser refused a write",
         jam,
         {State::writeFailed, 5, "other", "The device has been lost."},
         false,
         TransferFailure(PortWriteError{PortWriteError::Kind::other, "The device has been lost.", {}})},
        {"transfer the page lost",
         jam,
         {State::unknown, 0, "", ""},
         false,
         TransferFailure(
             PortWriteError{PortWriteError::Kind::deviceGone, "the page no longer knows the transfer", {}})},
        {"port held elsewhere",
         jam,
         {State::openFailed, 0, "busy", "Failed to open serial port."},
         false,
         {TransferFailure::Kind::portNotOpened, {PortOpenError::Kind::busy, "Failed to open serial port."}}},
        {"port refused by the browser's settings",
         jam,
         {State::openFailed, 0, "blocked", "Access denied."},
         false,
         {TransferFailure::Kind::portNotOpened, {PortOpenError::Kind::blocked, "Access denied."}}},
        {"open failed otherwise",
         latte,
         {State::openFailed, 0, "other", "Failed to open serial port."},
         false,
         {TransferFailure::Kind::portNotOpened, {PortOpenError::Kind::other, "Failed to open serial port."}}},
    };
    const engine::Log::Capture log;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        dones = errors = 0;
        send(c.dialect);
        page->next = c.ending;
        EXPECT_FALSE(transfer.poll());
        EXPECT_EQ(dones, c.done ? 1 : 0);
        EXPECT_EQ(errors, c.done ? 0 : 1);
        if (!c.done) {
            EXPECT_EQ(lastError, c.error);
        }
    }
    // The page wrote the bytes, so the reason reaches the log from here.
    EXPECT_EQ(log.linesWith({"warning device", "3000 ms"}).size(), 1u);
    EXPECT_EQ(log.linesWith({"warning device", "The device has been lost."}).size(), 1u);
    EXPECT_EQ(log.linesWith({"warning device", "busy", "Failed to open serial port."}).size(), 1u);
}

TEST_F(WebBoardTransferTest, StopsAndRefusalsThatStartNothingOnThePage) {
    // The stop routine: break and reset, on the chosen port; the overlay's
    // stop reaches that transfer.
    transfer.startStop(CatalogueView(latte, basic), onError(), onDone());
    ASSERT_EQ(page->started.size(), 1U);
    transfer.requestStop();
    EXPECT_EQ(page->stopped, std::vector<int>{101});

    // que has no stop sequence: the reset button is the way.
    transfer.startStop(CatalogueView(que, basic), onError(), onDone());
    EXPECT_EQ(lastError, (TransferFailure{TransferFailure::Kind::cannotStop, {}}));

    // The chosen board was unplugged since the search.
    page->present = {{"USB 2341:0043", true}};
    send(jam);
    EXPECT_EQ(errors, 2);
    EXPECT_EQ(lastError.kind, TransferFailure::Kind::portNotOpened);
    EXPECT_EQ(lastError.port.kind, PortOpenError::Kind::noSuchDevice);
    EXPECT_EQ(page->started.size(), 1U);
}

} // namespace
