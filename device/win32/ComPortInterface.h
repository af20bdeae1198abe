#pragma once

#include <windows.h>

namespace pavlune {

// The device interface class of COM ports, {86E0D1E0-8089-11D0-9CE4-08003E301F73}:
// the port search and the plug-in notifications ask for the same class.
inline const GUID comPortInterface = {
    0x86E0D1E0, 0x8089, 0x11D0, {0x9C, 0xE4, 0x08, 0x00, 0x3E, 0x30, 0x1F, 0x73}};

} // namespace pavlune
