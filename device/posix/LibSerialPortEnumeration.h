#pragma once

#include "device/SerialPortInfo.h"

#include <vector>

namespace pavlune {

// Appends the serial ports that libserialport finds, in its order: the name is
// the device path, the description the USB product description where there is
// one, otherwise the library's own description; a USB adapter's vendor,
// product and serial number where the system tells them. False when the library fails.
bool enumerateLibSerialPorts(std::vector<SerialPortInfo>& found);

} // namespace pavlune
