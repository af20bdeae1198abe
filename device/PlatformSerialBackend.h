#pragma once

#include "device/SerialBackend.h"

#include <memory>

namespace pavlune {

class SerialPage;

// The backend of the platform this build runs on (posix/, win32/ or web/).
std::unique_ptr<SerialBackend> createPlatformSerialBackend();

// The page that lists the ports and carries out the transfers in a browser
// build; null on the desktop, where workers do.
std::shared_ptr<SerialPage> platformSerialPage();

} // namespace pavlune
