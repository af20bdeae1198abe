#pragma once

#include "device/PortOpenError.h"

#include <string>

namespace pavlune {

// Why a serial port could not be opened, in words a teacher can act on.
// Empty when it opened.
std::string describeOpenFailure(const PortOpenError& error);

// The reason when the chosen port is no longer in the list at all.
std::string describeMissingSelection();

} // namespace pavlune
