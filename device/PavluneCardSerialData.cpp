#include "device/PavluneCardSerialData.h"

#include <utility>

namespace pavlune {

PavluneCardSerialData::PavluneCardSerialData(std::string name, std::string description, bool active,
                                             SerialPortInfo::Transport transport)
    : info_{std::move(name), std::move(description), active, transport} {}

PavluneCardSerialData::PavluneCardSerialData(SerialPortInfo port) : info_(std::move(port)) {}

} // namespace pavlune
