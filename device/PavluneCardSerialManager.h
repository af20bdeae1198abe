#pragma once

#include "device/PortIdentity.h"
#include "device/PortOpenError.h"
#include "device/PortWriteError.h"
#include "device/SerialBackend.h"
#include "device/SerialCallType.h"
#include "device/SerialPortInfo.h"
#include "engine/base/Ref.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

namespace pavlune {

class PavluneCardSerialData;
class PortChangeWatcher;

// The serial link: the list of present ports, the user's choice among them,
// the link state, and the one open port. Searches, opens and writes run on
// worker threads while the main thread reads the list and the choice, so one
// mutex guards the list, the selection and the state (readers get copies),
// and a second one serialises every use of the open port.
class PavluneCardSerialManager : public engine::Ref {
public:
    static constexpr int stateIdle = 0;
    static constexpr int stateSearching = 2;
    static constexpr int stateConnecting = 3;

    // The process-wide manager on the platform's backend, created on first use
    // from whichever thread asks first, and never destroyed.
    static PavluneCardSerialManager* getInstance();

    // A manager of its own on the given backend (tests, tools); runs init.
    explicit PavluneCardSerialManager(std::unique_ptr<SerialBackend> backend);
    ~PavluneCardSerialManager() override;

    // Selects index 0 and empties the list.
    bool init();

    // The first call sets the state to idle, starts watching for serial
    // devices that come and go (when the backend can tell; the two port slots
    // hear of them) and calls `done(true)` on the calling thread; later calls
    // do nothing. Returns true either way.
    bool activate(const std::function<void(bool)>& done);

    // Rebuilds the list from the present ports: USB adapters first, then
    // ports the system could not tell, the extra ports, the last port and the
    // built-in UARTs. The selection follows the chosen device (PortIdentity),
    // whatever name it has now; when that device is gone nothing is selected
    // (nothing else is chosen behind the user's back) until it comes back or
    // the user chooses another. While nothing was chosen in this run, the
    // remembered port is chosen when the device found matches it (never a
    // built-in UART); a remembered USB adapter that is absent is waited for;
    // otherwise the first USB, unknown or extra port is chosen, a built-in
    // UART or the last port only when the user picks it. The selected record
    // is the active one. The state reads searching meanwhile. When the system
    // cannot be asked, the list stays as it was. Calls `done` with the
    // result, on the calling thread, and returns it.
    bool searchPorts(const std::function<void(bool)>& done);

    // Devices that enumeration does not show (a pseudo-terminal, an unusual
    // adapter) but that every search lists after the ports it found, each
    // with its path as its description.
    void setExtraPorts(std::vector<std::string> paths);
    // One more device that every search lists last, after the extra ports,
    // with a description of its own (the board on the screen); an empty name
    // lists none.
    void setLastPort(const std::string& name, const std::string& description);

    // The port the user chose in an earlier run (see searchPorts).
    void setRememberedPort(const std::optional<PortIdentity>& port);

    // Puts one named record at the end of the list (chosen and active when
    // nothing is chosen yet). For a device that enumeration does not show,
    // such as a pseudo-terminal named on a command line.
    void addPort(const std::string& name, const std::string& description);

    // Closes the open port and opens the selected one. False when the
    // selection does not index a record or the open fails; then
    // getLastOpenError says why (and the reason is logged, component "device").
    bool openSelectedPort();
    // Why the last openSelectedPort failed (ok after one that succeeded).
    PortOpenError getLastOpenError() const;

    // One byte to the open port; false when none is open or the write fails,
    // then getLastWriteError says why (the first failure after an open is
    // logged with that reason, component "device").
    bool writeByte(std::uint8_t byte);
    // Why the last writeByte failed (ok after one that succeeded).
    PortWriteError getLastWriteError() const;

    // What the board has sent back on the open port since the last call (at
    // most `limit` bytes), without waiting; empty when nothing came.
    std::string readAnswer(std::size_t limit);

    std::vector<SerialPortInfo> getPorts() const;
    std::optional<SerialPortInfo> getSelectedPort() const;
    // True when the selection indexes a record and that record is active: the
    // condition for running or stopping a program.
    bool isSelectedPortActive() const;
    int getSelectedIndex() const;
    // The chosen port: it becomes the active record (the one that is run on).
    void setSelectedIndex(int index);
    // Chooses the listed port of that name; false (and nothing changes) when
    // none is listed. A list on the screen chooses this way, so a search that
    // reordered the list meanwhile cannot make a tap pick the neighbour.
    bool choosePort(const std::string& name);
    // What identifies the chosen port (to remember it); empty when nothing
    // was chosen.
    std::optional<PortIdentity> getChosenIdentity() const;
    // The name of the chosen port while it is not listed (unplugged); empty
    // when the selection is listed or nothing was ever chosen.
    std::string getMissingPortName() const;
    int getState() const;

    // Slots that the editor fills; this layer never calls them itself (a
    // layer that hears from the board or sees ports come and go may).
    void setCallRequestHandler(std::function<void(SerialCallType)> handler);
    void setPortArrivalHandler(std::function<void()> handler);
    void setPortRemovalHandler(std::function<void()> handler);
    std::function<void(SerialCallType)> getCallRequestHandler() const;
    std::function<void()> getPortArrivalHandler() const;
    std::function<void()> getPortRemovalHandler() const;

private:
    void releasePortsLocked();
    void selectChosenLocked();
    void markSelectedActiveLocked();

    mutable std::mutex mutex_; // ports_, selectedIndex_, state_, started_, the slots
    std::vector<PavluneCardSerialData*> ports_;
    int selectedIndex_ = 0;
    std::optional<PortIdentity> chosen_; // what the user (or a search) chose; kept while it is unplugged
    int state_ = stateIdle;
    int searchesRunning_ = 0;
    bool started_ = false;
    std::vector<std::string> extraPorts_;
    std::string lastPortName_;
    std::string lastPortDescription_;
    std::optional<PortIdentity> remembered_;
    std::function<void(SerialCallType)> callRequestHandler_;
    std::function<void()> portArrivalHandler_;
    std::function<void()> portRemovalHandler_;

    std::mutex searchMutex_;       // one enumeration at a time
    mutable std::mutex portMutex_; // the open port, its name, the last errors, writeFailureLogged_
    PortOpenError lastOpenError_;
    PortWriteError lastWriteError_;
    std::string openPortName_;
    bool writeFailureLogged_ = false;
    std::unique_ptr<SerialBackend> backend_;
    std::unique_ptr<PortChangeWatcher> watcher_; // set once, by the first activate
};

} // namespace pavlune
