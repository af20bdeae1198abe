#include "device/PortWriteError.h"

#include <cerrno>
#include <cstring>

namespace pavlune {

PortWriteError PortWriteError::fromErrno(int error) {
    Kind kind = Kind::other;
    switch (error) {
    case EIO: // what a terminal answers once its USB adapter is pulled out
    case ENXIO:
    case ENODEV:
    case EPIPE:
        kind = Kind::deviceGone;
        break;
    case EBADF:
        kind = Kind::notOpen;
        break;
    default:
        break;
    }
    return {kind, std::strerror(error), {}};
}

PortWriteError PortWriteError::deadlinePassed(std::chrono::milliseconds waited) {
    return {Kind::deadline, "", waited};
}

std::string PortWriteError::describe() const {
    const char* words = "";
    switch (kind) {
    case Kind::none:
        return "written";
    case Kind::notOpen:
        words = "no port is open";
        break;
    case Kind::deviceGone:
        words = "the device is gone";
        break;
    case Kind::deadline:
        words = "no room on the line within ";
        break;
    case Kind::other:
        words = "cannot write";
        break;
    }
    std::string text = words;
    if (kind == Kind::deadline) {
        text += std::to_string(deadline.count()) + " ms";
    }
    return osText.empty() ? text : text + " (" + osText + ")";
}

} // namespace pavlune
