#include "device/PavluneCardSerialData.h"

#include <utility>

namespace pavlune {

PavluneCardSerialData::PavluneCardSerialData(std::string name, std::string description, bool active,
                                             SerialPortInfo::Transport transport)
    : name_(std::move(name)), description_(std::move(description)), active_(active), transport_(transport) {}

SerialPortInfo PavluneCardSerialData::toInfo() const {
    return SerialPortInfo{name_, description_, active_, transport_};
}

} // namespace pavlune
