#pragma once

#include "device/SerialPortInfo.h"
#include "engine/base/Ref.h"

#include <string>

namespace pavlune {

// One port that a search found. The manager's list holds one reference to
// each record; readers outside the manager get SerialPortInfo copies.
class PavluneCardSerialData : public engine::Ref {
public:
    PavluneCardSerialData(std::string name, std::string description, bool active,
                          SerialPortInfo::Transport transport = SerialPortInfo::Transport::other);
    // The port as enumeration found it, its USB identity included.
    explicit PavluneCardSerialData(SerialPortInfo port);

    const std::string& getName() const { return info_.name; }
    const std::string& getDescription() const { return info_.description; }
    bool isActive() const { return info_.active; }
    SerialPortInfo::Transport getTransport() const { return info_.transport; }
    // Only the manager changes it, under its lock.
    void setActive(bool active) { info_.active = active; }

    SerialPortInfo toInfo() const { return info_; }

private:
    SerialPortInfo info_;
};

} // namespace pavlune
