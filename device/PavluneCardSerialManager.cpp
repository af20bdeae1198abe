#include "device/PavluneCardSerialManager.h"

#include "device/PavluneCardSerialData.h"
#include "device/PlatformSerialBackend.h"
#include "device/PortChangeWatcher.h"
#include "engine/base/Log.h"

#include <algorithm>
#include <cerrno>
#include <utility>

namespace pavlune {

PavluneCardSerialManager* PavluneCardSerialManager::getInstance() {
    // A function-local static is initialised once even when two threads race here.
    static PavluneCardSerialManager* const instance =
        new PavluneCardSerialManager(createPlatformSerialBackend());
    return instance;
}

PavluneCardSerialManager::PavluneCardSerialManager(std::unique_ptr<SerialBackend> backend)
    : backend_(std::move(backend)) {
    init();
}

PavluneCardSerialManager::~PavluneCardSerialManager() {
    watcher_.reset(); // its thread calls the slots below
    {
        std::lock_guard lock(portMutex_);
        backend_->closePort();
    }
    std::lock_guard lock(mutex_);
    releasePortsLocked();
}

bool PavluneCardSerialManager::init() {
    std::lock_guard lock(mutex_);
    selectedIndex_ = 0;
    chosen_.reset();
    releasePortsLocked();
    return true;
}

void PavluneCardSerialManager::releasePortsLocked() {
    for (PavluneCardSerialData* record : ports_) {
        record->release();
    }
    ports_.clear();
}

bool PavluneCardSerialManager::activate(const std::function<void(bool)>& done) {
    {
        std::lock_guard lock(mutex_);
        if (started_) {
            return true;
        }
        started_ = true;
        state_ = stateIdle;
    }
    if (std::unique_ptr<PortEventSource> source = backend_->createPortEventSource()) {
        // The slots are read at each change, so handlers set later are heard.
        watcher_ = std::make_unique<PortChangeWatcher>(
            std::move(source),
            [this] {
                if (auto handler = getPortArrivalHandler()) {
                    handler();
                }
            },
            [this] {
                if (auto handler = getPortRemovalHandler()) {
                    handler();
                }
            });
    }
    if (done) {
        done(true);
    }
    return true;
}

bool PavluneCardSerialManager::searchPorts(const std::function<void(bool)>& done) {
    {
        std::lock_guard lock(mutex_);
        ++searchesRunning_;
        state_ = stateSearching;
    }
    std::vector<SerialPortInfo> found;
    bool ok;
    {
        std::lock_guard searching(searchMutex_);
        ok = backend_->enumeratePorts(found);
    }
    std::unique_lock lock(mutex_);
    if (ok) {
        std::vector<PavluneCardSerialData*> fresh;
        const auto add = [&fresh](const SerialPortInfo& port) {
            SerialPortInfo record = port;
            record.active = false;
            fresh.push_back(new PavluneCardSerialData(std::move(record)));
        };
        // Where a board is most likely comes first: USB adapters, then what
        // the system could not tell, the named devices, the board on the
        // screen, and the built-in UARTs last.
        std::vector<SerialPortInfo> enumerated;
        for (const SerialPortInfo& port : found) {
            // A port without a name cannot be opened, and one without a
            // description is not something the user would recognise.
            if (!port.name.empty() && !port.description.empty()) {
                enumerated.push_back(port);
            }
        }
        std::stable_partition(enumerated.begin(), enumerated.end(), [](const SerialPortInfo& port) {
            return port.transport == SerialPortInfo::Transport::usb;
        });
        for (const SerialPortInfo& port : enumerated) {
            if (port.transport != SerialPortInfo::Transport::native) {
                add(port);
            }
        }
        for (const std::string& path : extraPorts_) {
            add({path, path, false, SerialPortInfo::Transport::named});
        }
        if (!lastPortName_.empty()) {
            add({lastPortName_, lastPortDescription_, false, SerialPortInfo::Transport::screen});
        }
        for (const SerialPortInfo& port : enumerated) {
            if (port.transport == SerialPortInfo::Transport::native) {
                add(port);
            }
        }
        releasePortsLocked();
        ports_ = std::move(fresh);
        selectChosenLocked();
    }
    // Idle again before `done`, which usually has the status line redrawn.
    if (--searchesRunning_ == 0) {
        state_ = stateIdle;
    }
    lock.unlock();
    if (done) {
        done(ok);
    }
    return ok;
}

void PavluneCardSerialManager::setExtraPorts(std::vector<std::string> paths) {
    std::lock_guard lock(mutex_);
    extraPorts_ = std::move(paths);
}

void PavluneCardSerialManager::setLastPort(const std::string& name, const std::string& description) {
    std::lock_guard lock(mutex_);
    lastPortName_ = name;
    lastPortDescription_ = description;
}

void PavluneCardSerialManager::selectChosenLocked() {
    selectedIndex_ = -1;
    if (!chosen_ && remembered_) {
        for (const PavluneCardSerialData* port : ports_) {
            if (remembered_->mayChooseWithoutUser(port->toInfo())) {
                chosen_ = PortIdentity::of(port->toInfo());
                break;
            }
        }
        // An adapter that says who it is is waited for: another one on its
        // old name may be someone else's board.
        if (!chosen_ && remembered_->confirmed && remembered_->hasUsbIdentity()) {
            chosen_ = remembered_;
        }
    }
    for (std::size_t i = 0; i < ports_.size(); ++i) {
        const SerialPortInfo port = ports_[i]->toInfo();
        if (chosen_ ? chosen_->matches(port) : port.choosableBySearch()) {
            selectedIndex_ = static_cast<int>(i);
            chosen_ = PortIdentity::of(port); // the name it has now
            break;
        }
    }
    markSelectedActiveLocked();
}

void PavluneCardSerialManager::markSelectedActiveLocked() {
    for (std::size_t i = 0; i < ports_.size(); ++i) {
        ports_[i]->setActive(static_cast<int>(i) == selectedIndex_);
    }
}

void PavluneCardSerialManager::setRememberedPort(const std::optional<PortIdentity>& port) {
    std::lock_guard lock(mutex_);
    remembered_ = port;
}

void PavluneCardSerialManager::addPort(const std::string& name, const std::string& description) {
    std::lock_guard lock(mutex_);
    ports_.push_back(new PavluneCardSerialData(name, description, false, SerialPortInfo::Transport::named));
    selectChosenLocked();
}

bool PavluneCardSerialManager::openSelectedPort() {
    std::optional<SerialPortInfo> selected = getSelectedPort();
    std::lock_guard lock(portMutex_);
    writeFailureLogged_ = false;
    if (!selected) {
        backend_->closePort();
        openPortName_.clear();
        lastOpenError_ = {PortOpenError::Kind::notSelected, ""};
        engine::Log::warning("device", "cannot open a port: " + lastOpenError_.describe());
        return false;
    }
    openPortName_ = selected->name;
    lastOpenError_ = backend_->openPort(selected->name);
    if (!lastOpenError_.ok()) {
        engine::Log::warning("device", selected->name + ": cannot open: " + lastOpenError_.describe());
    }
    return lastOpenError_.ok();
}

PortOpenError PavluneCardSerialManager::getLastOpenError() const {
    std::lock_guard lock(portMutex_);
    return lastOpenError_;
}

bool PavluneCardSerialManager::writeByte(std::uint8_t byte) {
    std::lock_guard lock(portMutex_);
    lastWriteError_ = backend_->writeByte(byte);
    if (!lastWriteError_.ok() && !writeFailureLogged_) {
        writeFailureLogged_ = true;
        engine::Log::warning("device", (openPortName_.empty() ? std::string("no port") : openPortName_) +
                                           ": a byte was not written: " + lastWriteError_.describe());
    }
    return lastWriteError_.ok();
}

PortWriteError PavluneCardSerialManager::getLastWriteError() const {
    std::lock_guard lock(portMutex_);
    return lastWriteError_;
}

std::string PavluneCardSerialManager::readAnswer(std::size_t limit) {
    std::lock_guard lock(portMutex_);
    return backend_->readWaiting(limit);
}

std::vector<SerialPortInfo> PavluneCardSerialManager::getPorts() const {
    std::lock_guard lock(mutex_);
    std::vector<SerialPortInfo> copies;
    copies.reserve(ports_.size());
    for (const PavluneCardSerialData* record : ports_) {
        copies.push_back(record->toInfo());
    }
    return copies;
}

std::optional<SerialPortInfo> PavluneCardSerialManager::getSelectedPort() const {
    std::lock_guard lock(mutex_);
    if (selectedIndex_ < 0 || static_cast<std::size_t>(selectedIndex_) >= ports_.size()) {
        return std::nullopt;
    }
    return ports_[static_cast<std::size_t>(selectedIndex_)]->toInfo();
}

bool PavluneCardSerialManager::isSelectedPortActive() const {
    std::optional<SerialPortInfo> selected = getSelectedPort();
    return selected && selected->active;
}

int PavluneCardSerialManager::getSelectedIndex() const {
    std::lock_guard lock(mutex_);
    return selectedIndex_;
}

void PavluneCardSerialManager::setSelectedIndex(int index) {
    std::lock_guard lock(mutex_);
    selectedIndex_ = index;
    const bool listed = index >= 0 && static_cast<std::size_t>(index) < ports_.size();
    chosen_ = listed ? std::optional(PortIdentity::of(ports_[static_cast<std::size_t>(index)]->toInfo()))
                     : std::nullopt;
    markSelectedActiveLocked();
}

bool PavluneCardSerialManager::choosePort(const std::string& name) {
    std::lock_guard lock(mutex_);
    for (std::size_t i = 0; i < ports_.size(); ++i) {
        if (ports_[i]->getName() == name) {
            selectedIndex_ = static_cast<int>(i);
            chosen_ = PortIdentity::of(ports_[i]->toInfo());
            markSelectedActiveLocked();
            return true;
        }
    }
    return false;
}

std::string PavluneCardSerialManager::getMissingPortName() const {
    std::lock_guard lock(mutex_);
    const bool listed = selectedIndex_ >= 0 && static_cast<std::size_t>(selectedIndex_) < ports_.size();
    return listed || !chosen_ ? std::string() : chosen_->name;
}

std::optional<PortIdentity> PavluneCardSerialManager::getChosenIdentity() const {
    std::lock_guard lock(mutex_);
    return chosen_;
}

int PavluneCardSerialManager::getState() const {
    std::lock_guard lock(mutex_);
    return state_;
}

void PavluneCardSerialManager::setCallRequestHandler(std::function<void(SerialCallType)> handler) {
    std::lock_guard lock(mutex_);
    callRequestHandler_ = std::move(handler);
}

void PavluneCardSerialManager::setPortArrivalHandler(std::function<void()> handler) {
    std::lock_guard lock(mutex_);
    portArrivalHandler_ = std::move(handler);
}

void PavluneCardSerialManager::setPortRemovalHandler(std::function<void()> handler) {
    std::lock_guard lock(mutex_);
    portRemovalHandler_ = std::move(handler);
}

std::function<void(SerialCallType)> PavluneCardSerialManager::getCallRequestHandler() const {
    std::lock_guard lock(mutex_);
    return callRequestHandler_;
}

std::function<void()> PavluneCardSerialManager::getPortArrivalHandler() const {
    std::lock_guard lock(mutex_);
    return portArrivalHandler_;
}

std::function<void()> PavluneCardSerialManager::getPortRemovalHandler() const {
    std::lock_guard lock(mutex_);
    return portRemovalHandler_;
}

} // namespace pavlune
