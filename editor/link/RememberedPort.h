#pragma once

#include "device/PortIdentity.h"
#include "store/AppSettings.h"

#include <optional>

// The chosen port between the settings file and the serial link: the store
// keeps plain values, the link matches devices by their identity.
class RememberedPort {
public:
    // No port when the settings name none. A name without its device (an
    // earlier version's file) is not confirmed.
    static std::optional<pavlune::PortIdentity> fromSettings(const AppSettings::Port& port);
    static AppSettings::Port toSettings(const pavlune::PortIdentity& identity);
};
