#pragma once

#include "device/SerialBackend.h"

#include <memory>

namespace pavlune {

// The backend of the platform this build runs on (posix/ or win32/).
std::unique_ptr<SerialBackend> createPlatformSerialBackend();

} // namespace pavlune
