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

    const std::string& getName() const { return name_; }
    const std::string& getDescription() const { return description_; }
    bool isActive() const { return active_; }
    SerialPortInfo::Transport getTransport() const { return transport_; }
    // Only the manager changes it, under its lock.
    void setActive(bool active) { active_ = active; }

    SerialPortInfo toInfo() const;

private:
    std::string name_;
    std::string description_;
    bool active_;
    SerialPortInfo::Transport transport_;
};

} // namespace pavlune
