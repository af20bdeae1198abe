#include "device/PortOpenError.h"

#include <cerrno>
#include <cstring>

namespace pavlune {

PortOpenError PortOpenError::fromErrno(int error) {
    Kind kind = Kind::other;
    switch (error) {
    case ENOENT:
    case ENODEV:
    case ENXIO:
        kind = Kind::noSuchDevice;
        break;
    case EACCES:
    case EPERM:
        kind = Kind::permissionDenied;
        break;
    case EBUSY:
    case EAGAIN: // flock's answer for a lock held elsewhere
#if EWOULDBLOCK != EAGAIN
    case EWOULDBLOCK:
#endif
        kind = Kind::busy;
        break;
    case EISDIR:
    case ENOTTY:
        kind = Kind::notATerminal;
        break;
    default:
        break;
    }
    return {kind, std::strerror(error)};
}

std::string PortOpenError::describe() const {
    const char* words = "";
    switch (kind) {
    case Kind::none:
        return "opened";
    case Kind::noSuchDevice:
        words = "no such device";
        break;
    case Kind::permissionDenied:
        words = "permission denied";
        break;
    case Kind::blocked:
        words = "blocked by policy";
        break;
    case Kind::busy:
        words = "busy, held by another program";
        break;
    case Kind::notATerminal:
        words = "not a terminal device";
        break;
    case Kind::notSelected:
        words = "no port is selected";
        break;
    case Kind::other:
        words = "cannot open";
        break;
    }
    return osText.empty() ? std::string(words) : std::string(words) + " (" + osText + ")";
}

} // namespace pavlune
