#include "device/PavluneCardSerialManager.h"
#include "engine/base/Log.h"
#include "tests/device/FakeSerialBackend.h"

#include <cerrno>
#include <cstring>
#include <gtest/gtest.h>

using namespace pavlune;

namespace {

class SerialManagerTest : public ::testing::Test {
protected:
    SerialManagerTest()
        : script(std::make_shared<FakeSerialBackend::Script>()),
          manager(std::make_unique<FakeSerialBackend>(script)) {}

    void present(std::vector<SerialPortInfo> ports) {
        std::lock_guard lock(script->mutex);
        script->present = std::move(ports);
    }

    bool search() {
        return manager.searchPorts([](bool) {});
    }

    std::vector<std::string> names() const {
        std::vector<std::string> result;
        for (const SerialPortInfo& port : manager.getPorts()) {
            result.push_back(port.name);
        }
        return result;
    }

    std::shared_ptr<FakeSerialBackend::Script> script;
    PavluneCardSerialManager manager;
};

TEST_F(SerialManagerTest, StartsEmptyWithNothingSelected) {
    EXPECT_TRUE(manager.getPorts().empty());
    EXPECT_EQ(manager.getSelectedIndex(), 0);
    EXPECT_FALSE(manager.getSelectedPort().has_value());
    EXPECT_FALSE(manager.isSelectedPortActive());
    EXPECT_EQ(manager.getState(), PavluneCardSerialManager::stateIdle);
}

TEST_F(SerialManagerTest, ActivateCallsBackOnlyTheFirstTime) {
    int calls = 0;
    bool result = false;
    EXPECT_TRUE(manager.activate([&](bool ok) {
        ++calls;
        result = ok;
    }));
    EXPECT_EQ(calls, 1);
    EXPECT_TRUE(result);
    EXPECT_TRUE(manager.activate([&](bool) { ++calls; }));
    EXPECT_EQ(calls, 1);
    EXPECT_EQ(manager.getState(), PavluneCardSerialManager::stateIdle);
}

TEST_F(SerialManagerTest, SearchWithoutPortsSucceedsAndListsNothing) {
    std::vector<bool> results;
    EXPECT_TRUE(manager.searchPorts([&](bool ok) { results.push_back(ok); }));
    EXPECT_EQ(results, std::vector<bool>{true});
    EXPECT_TRUE(manager.getPorts().empty());
}

TEST_F(SerialManagerTest, SearchListsInSystemOrderAndMarksOnlyTheFirstActive) {
    present({{"/dev/ttyUSB1", "Board B", false}, {"/dev/ttyUSB0", "Board A", true}});
    ASSERT_TRUE(search());
    const std::vector<SerialPortInfo> expected{{"/dev/ttyUSB1", "Board B", true},
                                               {"/dev/ttyUSB0", "Board A", false}};
    EXPECT_EQ(manager.getPorts(), expected);
    EXPECT_TRUE(manager.isSelectedPortActive());
}

TEST_F(SerialManagerTest, SearchSkipsPortsWithoutNameOrDescription) {
    present({{"/dev/ttyS0", "", false}, {"", "Nameless", false}, {"/dev/ttyACM0", "Board", false}});
    ASSERT_TRUE(search());
    const std::vector<SerialPortInfo> expected{{"/dev/ttyACM0", "Board", true}};
    EXPECT_EQ(manager.getPorts(), expected);
}

TEST_F(SerialManagerTest, EverySearchRebuildsTheList) {
    present({{"/dev/ttyUSB0", "A", false}, {"/dev/ttyUSB1", "B", false}});
    ASSERT_TRUE(search());
    ASSERT_TRUE(search());
    ASSERT_TRUE(search());
    EXPECT_EQ(names(), (std::vector<std::string>{"/dev/ttyUSB0", "/dev/ttyUSB1"}));

    present({{"/dev/ttyUSB1", "B", false}});
    ASSERT_TRUE(search());
    const std::vector<SerialPortInfo> expected{{"/dev/ttyUSB1", "B", false}};
    EXPECT_EQ(manager.getPorts(), expected)
        << "the port the first search chose is gone: no other takes its place";
    EXPECT_EQ(manager.getMissingPortName(), "/dev/ttyUSB0");

    present({});
    ASSERT_TRUE(search());
    EXPECT_TRUE(manager.getPorts().empty());
}

TEST_F(SerialManagerTest, SearchKeepsTheSelectionOnTheSamePortName) {
    present({{"/dev/ttyUSB0", "A", false}, {"/dev/ttyUSB1", "B", false}});
    ASSERT_TRUE(search());
    manager.setSelectedIndex(1);

    present({{"/dev/ttyACM0", "C", false}, {"/dev/ttyUSB0", "A", false}, {"/dev/ttyUSB1", "B", false}});
    ASSERT_TRUE(search());
    EXPECT_EQ(manager.getSelectedIndex(), 2);
    EXPECT_EQ(manager.getSelectedPort()->name, "/dev/ttyUSB1");
    EXPECT_TRUE(manager.isSelectedPortActive()) << "the chosen port stays the one run on";
    EXPECT_FALSE(manager.getPorts()[0].active);

    present({{"/dev/ttyUSB1", "B", false}});
    ASSERT_TRUE(search());
    EXPECT_EQ(manager.getSelectedIndex(), 0);
    EXPECT_TRUE(manager.isSelectedPortActive());
}

TEST_F(SerialManagerTest, ChoosingAPortMovesTheActiveMarkToIt) {
    present({{"/dev/ttyUSB0", "A", false}, {"/dev/ttyUSB1", "B", false}});
    ASSERT_TRUE(search());
    manager.setSelectedIndex(1);
    const std::vector<SerialPortInfo> expected{{"/dev/ttyUSB0", "A", false}, {"/dev/ttyUSB1", "B", true}};
    EXPECT_EQ(manager.getPorts(), expected);
    EXPECT_TRUE(manager.isSelectedPortActive());
}

TEST_F(SerialManagerTest, ExtraPortsAndTheLastPortFollowWhatEverySearchFinds) {
    manager.setExtraPorts({"/dev/pts/3", "/tmp/board"});
    manager.setLastPort("/run/screen-board", "シミュレータ");
    present({{"/dev/ttyUSB0", "A", false}});
    ASSERT_TRUE(search());
    manager.setSelectedIndex(2);
    present({});
    ASSERT_TRUE(search());
    using T = SerialPortInfo::Transport;
    const std::vector<SerialPortInfo> expected{{"/dev/pts/3", "/dev/pts/3", false, T::named},
                                               {"/tmp/board", "/tmp/board", true, T::named},
                                               {"/run/screen-board", "シミュレータ", false, T::screen}};
    EXPECT_EQ(manager.getPorts(), expected)
        << "listed again, the extra ones described by their path, the choice kept";
    manager.setSelectedIndex(2);
    present({{"/dev/ttyUSB0", "A", false}});
    ASSERT_TRUE(search());
    EXPECT_EQ(manager.getSelectedPort()->name, "/run/screen-board") << "the last port stays chosen";
}

TEST_F(SerialManagerTest, StateReadsSearchingWhileTheSystemIsAsked) {
    int stateDuringSearch = -1;
    script->onEnumerate = [&] { stateDuringSearch = manager.getState(); };
    int stateInDone = -1;
    manager.searchPorts([&](bool) { stateInDone = manager.getState(); });
    EXPECT_EQ(stateDuringSearch, PavluneCardSerialManager::stateSearching);
    EXPECT_EQ(stateInDone, PavluneCardSerialManager::stateIdle) << "idle before the status line is redrawn";
}

TEST_F(SerialManagerTest, RefusedOpenSaysWhyAndLogsThePortWithTheSystemsReason) {
    const engine::Log::Capture log;
    EXPECT_FALSE(manager.openSelectedPort());
    EXPECT_EQ(manager.getLastOpenError().kind, pavlune::PortOpenError::Kind::notSelected);

    manager.addPort("/dev/ttyUSB0", "A");
    for (const int refusal : {EACCES, EBUSY}) {
        {
            std::lock_guard lock(script->mutex);
            script->openable = {"/dev/ttyUSB9"};
            script->refusal = pavlune::PortOpenError::fromErrno(refusal);
        }
        EXPECT_FALSE(manager.openSelectedPort());
        EXPECT_EQ(manager.getLastOpenError(), pavlune::PortOpenError::fromErrno(refusal));
        EXPECT_EQ(log.linesWith({"warning device", "/dev/ttyUSB0", std::strerror(refusal)}).size(), 1u)
            << std::strerror(refusal);
    }
    {
        std::lock_guard lock(script->mutex);
        script->openable.clear();
    }
    EXPECT_TRUE(manager.openSelectedPort());
    EXPECT_TRUE(manager.getLastOpenError().ok());
    EXPECT_EQ(log.lines().size(), 3u) << "an open that succeeds says nothing";
}

TEST_F(SerialManagerTest, AChosenPortThatIsGoneIsNotReplacedUntilItComesBack) {
    present({{"/dev/ttyUSB0", "A", false}, {"/dev/ttyUSB1", "B", false}});
    ASSERT_TRUE(search());
    manager.setSelectedIndex(1);
    present({{"/dev/ttyUSB0", "A", false}, {"/dev/ttyUSB2", "D", false}});
    ASSERT_TRUE(search());
    EXPECT_FALSE(manager.getSelectedPort().has_value()) << "nothing else is chosen behind the user's back";
    EXPECT_FALSE(manager.isSelectedPortActive());
    EXPECT_EQ(manager.getMissingPortName(), "/dev/ttyUSB1");
    for (const SerialPortInfo& port : manager.getPorts()) {
        EXPECT_FALSE(port.active) << port.name;
    }

    present({{"/dev/ttyUSB1", "B", false}, {"/dev/ttyUSB0", "A", false}});
    ASSERT_TRUE(search());
    EXPECT_EQ(manager.getSelectedIndex(), 0) << "plugged in again: chosen again";
    EXPECT_TRUE(manager.isSelectedPortActive());
    EXPECT_EQ(manager.getMissingPortName(), "");
}

TEST_F(SerialManagerTest, SearchListsWhereABoardIsLikelyFirstAndNeverChoosesABuiltInPortOrTheSimulator) {
    using T = SerialPortInfo::Transport;
    struct Case {
        const char* what;
        std::vector<SerialPortInfo> present;
        std::vector<std::string> extra;
        std::vector<std::string> order;
        const char* chosen; // "" for none
    };
    const std::vector<Case> cases{
        {"USB before a built-in port found first",
         {{"/dev/ttyS0", "ttyS0", false, T::native}, {"/dev/ttyUSB0", "CP2102", false, T::usb}},
         {},
         {"/dev/ttyUSB0", "/run/sim", "/dev/ttyS0"},
         "/dev/ttyUSB0"},
        {"only a built-in port: listed, not chosen",
         {{"/dev/ttyS0", "ttyS0", false, T::native}},
         {},
         {"/run/sim", "/dev/ttyS0"},
         ""},
        {"a named port before the simulator",
         {{"/dev/ttyS0", "ttyS0", false, T::native}},
         {"/dev/pts/4"},
         {"/dev/pts/4", "/run/sim", "/dev/ttyS0"},
         "/dev/pts/4"},
        {"USB before a named port, unknown kinds between",
         {{"/dev/rfcomm0", "BT", false, T::other}, {"/dev/ttyACM0", "Board", false, T::usb}},
         {"/dev/pts/4"},
         {"/dev/ttyACM0", "/dev/rfcomm0", "/dev/pts/4", "/run/sim"},
         "/dev/ttyACM0"},
    };
    for (const Case& c : cases) {
        PavluneCardSerialManager fresh(std::make_unique<FakeSerialBackend>(script));
        fresh.setExtraPorts(c.extra);
        fresh.setLastPort("/run/sim", "シミュレータ");
        present(c.present);
        ASSERT_TRUE(fresh.searchPorts([](bool) {}));
        std::vector<std::string> order;
        for (const SerialPortInfo& port : fresh.getPorts()) {
            order.push_back(port.name);
        }
        EXPECT_EQ(order, c.order) << c.what;
        const std::optional<SerialPortInfo> selected = fresh.getSelectedPort();
        EXPECT_EQ(selected ? selected->name : "", c.chosen) << c.what;
        EXPECT_EQ(fresh.getMissingPortName(), "") << c.what;
    }
}

TEST_F(SerialManagerTest, ChoosingByNameIgnoresWhereTheRowIs) {
    present({{"/dev/ttyUSB0", "A", false}, {"/dev/ttyUSB1", "B", false}});
    ASSERT_TRUE(search());
    present({{"/dev/ttyACM0", "C", false}, {"/dev/ttyUSB0", "A", false}, {"/dev/ttyUSB1", "B", false}});
    ASSERT_TRUE(search());
    EXPECT_TRUE(manager.choosePort("/dev/ttyUSB1"));
    EXPECT_EQ(manager.getSelectedIndex(), 2);
    EXPECT_TRUE(manager.isSelectedPortActive());
    EXPECT_FALSE(manager.choosePort("/dev/ttyUSB7")) << "a row that is no longer listed chooses nothing";
    EXPECT_EQ(manager.getSelectedPort()->name, "/dev/ttyUSB1");
}

// Catches a remembered port ignored at the first search, one that wins over
// the user's choice in this run, and one that is selected while absent.
TEST_F(SerialManagerTest, TheRememberedPortIsSelectedWhenPresentAndTheChoiceOfThisRunIsNot) {
    manager.setRememberedPort(PortIdentity::nameOnly("/dev/ttyUSB1"));
    present({{"/dev/ttyUSB0", "A", false}, {"/dev/ttyUSB1", "B", false}});
    ASSERT_TRUE(search());
    EXPECT_EQ(manager.getSelectedPort()->name, "/dev/ttyUSB1");
    EXPECT_TRUE(manager.isSelectedPortActive());

    manager.setSelectedIndex(0);
    ASSERT_TRUE(search());
    EXPECT_EQ(manager.getSelectedPort()->name, "/dev/ttyUSB0") << "the choice of this run stays";
}

TEST_F(SerialManagerTest, ARememberedPortThatIsAbsentLeavesTheUsualChoice) {
    manager.setRememberedPort(PortIdentity::nameOnly("/dev/ttyACM3"));
    present({{"/dev/ttyUSB2", "D", false}, {"/dev/ttyUSB1", "B", false}});
    ASSERT_TRUE(search());
    EXPECT_EQ(manager.getSelectedPort()->name, "/dev/ttyUSB2")
        << "the usual choice: the first USB port found";
}

// Two adapters of the same model that swap names between two searches (or
// two mornings): the choice follows the serial number, not the name.
// Catches identity matched by name, and a chosen record not renamed.
TEST_F(SerialManagerTest, TheChosenAdapterFollowsItsSerialNumberWhenNamesSwap) {
    using T = SerialPortInfo::Transport;
    const auto adapter = [](const char* name, const char* serial) {
        return SerialPortInfo{name, "FT232R USB UART", false, T::usb, 0x0403, 0x6001, serial};
    };
    present({adapter("/dev/ttyUSB0", "AAAA"), adapter("/dev/ttyUSB1", "BBBB")});
    ASSERT_TRUE(search());
    ASSERT_TRUE(manager.choosePort("/dev/ttyUSB1"));
    present({adapter("/dev/ttyUSB0", "BBBB"), adapter("/dev/ttyUSB1", "AAAA")});
    ASSERT_TRUE(search());
    EXPECT_EQ(manager.getSelectedPort()->usbSerial, "BBBB");
    EXPECT_EQ(manager.getSelectedPort()->name, "/dev/ttyUSB0");
    EXPECT_EQ(manager.getChosenIdentity()->name, "/dev/ttyUSB0") << "remembered under the name it has now";

    // The same swap at the next start, from what was remembered.
    PavluneCardSerialManager next(std::make_unique<FakeSerialBackend>(script));
    next.setRememberedPort(PortIdentity::of(adapter("/dev/ttyUSB1", "BBBB")));
    ASSERT_TRUE(next.searchPorts([](bool) {}));
    EXPECT_EQ(next.getSelectedPort()->usbSerial, "BBBB");
    EXPECT_TRUE(next.isSelectedPortActive());
}

// What a remembered port chooses at start, against what is present.
// Each row catches one mistake: a built-in UART re-chosen (from an old name-only
// file or a full one), another adapter on the remembered name chosen, an
// absent adapter replaced by the first one found, a model without serial
// numbers matched on another name, a description that differs ignored.
TEST_F(SerialManagerTest, ARememberedPortIsChosenAtStartOnlyWhenItIsTheSameDevice) {
    using T = SerialPortInfo::Transport;
    const SerialPortInfo uart{"/dev/ttyS0", "16550A", false, T::native};
    const SerialPortInfo ftdiA{"/dev/ttyUSB0", "FT232R", false, T::usb, 0x0403, 0x6001, "AAAA"};
    const SerialPortInfo ftdiB{"/dev/ttyUSB0", "FT232R", false, T::usb, 0x0403, 0x6001, "BBBB"};
    const SerialPortInfo unoOn0{"/dev/ttyACM0", "Uno", false, T::usb, 0x2341, 0x0043, ""};
    const SerialPortInfo unoOn1{"/dev/ttyACM1", "Uno", false, T::usb, 0x2341, 0x0043, ""};
    const SerialPortInfo rfcomm{"/dev/rfcomm0", "Bluetooth", false, T::other};
    const SerialPortInfo rfcommOther{"/dev/rfcomm0", "Other link", false, T::other};
    struct Case {
        const char* what;
        PortIdentity remembered;
        std::vector<SerialPortInfo> present;
        std::string selected; // empty: nothing
        std::string missing;  // what the status line says is unplugged
    };
    const Case cases[] = {
        {"old file names the UART", PortIdentity::nameOnly("/dev/ttyS0"), {uart}, "", ""},
        {"old file names the UART, an adapter is there",
         PortIdentity::nameOnly("/dev/ttyS0"),
         {uart, ftdiA},
         "/dev/ttyUSB0",
         ""},
        {"old file names an adapter",
         PortIdentity::nameOnly("/dev/ttyUSB0"),
         {uart, ftdiB},
         "/dev/ttyUSB0",
         ""},
        {"a UART remembered with its device", PortIdentity::of(uart), {uart}, "", ""},
        {"the same adapter", PortIdentity::of(ftdiA), {uart, ftdiA}, "/dev/ttyUSB0", ""},
        {"another adapter on its name", PortIdentity::of(ftdiA), {uart, ftdiB}, "", "/dev/ttyUSB0"},
        {"no serial numbers: same name", PortIdentity::of(unoOn0), {unoOn0}, "/dev/ttyACM0", ""},
        {"no serial numbers: another name", PortIdentity::of(unoOn0), {unoOn1}, "", "/dev/ttyACM0"},
        {"no USB: same name and description", PortIdentity::of(rfcomm), {rfcomm}, "/dev/rfcomm0", ""},
        {"no USB: another description", PortIdentity::of(rfcomm), {uart, rfcommOther}, "/dev/rfcomm0", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        PavluneCardSerialManager fresh(std::make_unique<FakeSerialBackend>(script));
        fresh.setRememberedPort(c.remembered);
        present(c.present);
        ASSERT_TRUE(fresh.searchPorts([](bool) {}));
        const std::optional<SerialPortInfo> selected = fresh.getSelectedPort();
        EXPECT_EQ(selected ? selected->name : std::string(), c.selected);
        EXPECT_EQ(fresh.getMissingPortName(), c.missing);
        EXPECT_EQ(fresh.isSelectedPortActive(), !c.selected.empty());
    }
}

TEST_F(SerialManagerTest, FailedSearchReportsFalseAndKeepsTheList) {
    present({{"/dev/ttyUSB0", "A", false}, {"/dev/ttyUSB1", "B", false}});
    ASSERT_TRUE(search());
    manager.setSelectedIndex(1);
    {
        std::lock_guard lock(script->mutex);
        script->enumerationSucceeds = false;
        script->present.clear();
    }
    std::vector<bool> results;
    EXPECT_FALSE(manager.searchPorts([&](bool ok) { results.push_back(ok); }));
    EXPECT_EQ(results, std::vector<bool>{false});
    EXPECT_EQ(names(), (std::vector<std::string>{"/dev/ttyUSB0", "/dev/ttyUSB1"}));
    EXPECT_EQ(manager.getSelectedIndex(), 1);
}

TEST_F(SerialManagerTest, AddedPortIsActiveOnlyInAnEmptyList) {
    manager.addPort("/dev/pts/7", "pseudo-terminal");
    manager.addPort("/dev/pts/8", "pseudo-terminal");
    using T = SerialPortInfo::Transport;
    const std::vector<SerialPortInfo> expected{{"/dev/pts/7", "pseudo-terminal", true, T::named},
                                               {"/dev/pts/8", "pseudo-terminal", false, T::named}};
    EXPECT_EQ(manager.getPorts(), expected);
}

TEST_F(SerialManagerTest, OpenSelectedPortOpensTheSelectedNameAndClosesThePreviousPort) {
    present({{"/dev/ttyUSB0", "A", false}, {"/dev/ttyUSB1", "B", false}});
    ASSERT_TRUE(search());
    manager.setSelectedIndex(1);
    EXPECT_TRUE(manager.openSelectedPort());
    EXPECT_TRUE(manager.openSelectedPort());
    std::lock_guard lock(script->mutex);
    EXPECT_EQ(script->opens, (std::vector<std::string>{"/dev/ttyUSB1", "/dev/ttyUSB1"}));
    EXPECT_EQ(script->closes, 1) << "the first port is closed before the second open";
    EXPECT_EQ(script->openName, "/dev/ttyUSB1");
}

TEST_F(SerialManagerTest, OpenFailsWithoutAValidSelectionAndTouchesNoDevice) {
    EXPECT_FALSE(manager.openSelectedPort()) << "empty list";
    manager.addPort("/dev/ttyUSB0", "A");
    manager.setSelectedIndex(1);
    EXPECT_FALSE(manager.openSelectedPort());
    manager.setSelectedIndex(-1);
    EXPECT_FALSE(manager.openSelectedPort());
    std::lock_guard lock(script->mutex);
    EXPECT_TRUE(script->opens.empty());
}

TEST_F(SerialManagerTest, WriteNeedsASuccessfulOpen) {
    EXPECT_FALSE(manager.writeByte(0x41)) << "before any open";
    EXPECT_EQ(manager.getLastWriteError().kind, PortWriteError::Kind::notOpen);
    manager.addPort("/dev/ttyUSB0", "A");
    {
        std::lock_guard lock(script->mutex);
        script->openable = {"/dev/ttyUSB9"};
    }
    EXPECT_FALSE(manager.openSelectedPort());
    EXPECT_EQ(manager.getLastOpenError(), (PortOpenError{PortOpenError::Kind::busy, "scripted refusal"}))
        << "the backend's reason is kept for the caller";
    EXPECT_FALSE(manager.writeByte(0x41)) << "after a failed open";
    {
        std::lock_guard lock(script->mutex);
        script->openable.clear();
    }
    ASSERT_TRUE(manager.openSelectedPort());
    EXPECT_TRUE(manager.getLastOpenError().ok());
    EXPECT_TRUE(manager.writeByte(0x41));
    EXPECT_TRUE(manager.writeByte(0x0A));
    EXPECT_TRUE(manager.getLastWriteError().ok());
    std::lock_guard lock(script->mutex);
    EXPECT_EQ(script->written, "A\n");
}

// Catches a log line that guesses instead of giving the system's reason, and
// one line per byte of a send that keeps failing.
TEST_F(SerialManagerTest, AFailedWriteIsLoggedOncePerOpenWithTheSystemsReason) {
    const engine::Log::Capture log;
    manager.addPort("/dev/ttyUSB0", "A");
    {
        std::lock_guard lock(script->mutex);
        script->writeSucceeds = [](std::size_t attempt) { return attempt == 0; };
        script->writeFailure = PortWriteError::fromErrno(EIO);
    }
    ASSERT_TRUE(manager.openSelectedPort());
    EXPECT_TRUE(manager.writeByte(0x41));
    EXPECT_FALSE(manager.writeByte(0x42));
    EXPECT_EQ(manager.getLastWriteError().osText, std::strerror(EIO)) << "the caller hears why";
    EXPECT_FALSE(manager.writeByte(0x43));
    EXPECT_EQ(log.linesWith({"warning device", "/dev/ttyUSB0", std::strerror(EIO)}).size(), 1u);

    ASSERT_TRUE(manager.openSelectedPort());
    EXPECT_FALSE(manager.writeByte(0x44));
    EXPECT_EQ(log.linesWith({"warning device", "/dev/ttyUSB0", std::strerror(EIO)}).size(), 2u)
        << "a new open, a new line";
    EXPECT_EQ(log.lines().size(), 2u);
}

TEST_F(SerialManagerTest, HandlerSlotsKeepWhatTheEditorStores) {
    EXPECT_FALSE(manager.getCallRequestHandler());
    SerialCallType received = SerialCallType::run;
    int searches = 0;
    manager.setCallRequestHandler([&](SerialCallType type) { received = type; });
    manager.setPortArrivalHandler([&] { ++searches; });
    manager.setPortRemovalHandler([&] { searches += 10; });
    manager.getCallRequestHandler()(SerialCallType::stop);
    manager.getPortArrivalHandler()();
    manager.getPortRemovalHandler()();
    EXPECT_EQ(received, SerialCallType::stop);
    EXPECT_EQ(searches, 11);
}

TEST(SerialPortInfoTest, DisplayTextMarksTheActivePort) {
    EXPECT_EQ((SerialPortInfo{"/dev/ttyUSB0", "Board", true}.displayText()), "\u25CF /dev/ttyUSB0 [ Board ]");
    EXPECT_EQ((SerialPortInfo{"COM3", "USB Serial", false}.displayText()), "  COM3 [ USB Serial ]");
    EXPECT_EQ((SerialPortInfo{"/run/user/1/sim-7", "シミュレータ", true, SerialPortInfo::Transport::screen}
                   .displayText()),
              "\u25CF シミュレータ")
        << "the simulator's link path is no name for a child";
}

} // namespace
