#pragma once

#include <string>

namespace pavlune {

// Why a serial device did not open, in the terms a developer can act on,
// with the operating system's own text. The default value means it opened.
struct PortOpenError {
    enum class Kind {
        none,             // opened
        noSuchDevice,     // absent or unplugged
        permissionDenied, // the user may not open it (a missing group, say)
        blocked,          // the system's policy forbids serial ports (a managed browser)
        busy,             // another program holds it
        notATerminal,     // a regular file, a directory, /dev/null: never written to
        notSelected,      // no port is chosen, or the chosen one is not listed
        other,
    };

    Kind kind = Kind::none;
    std::string osText; // strerror or the system's message; empty when opened

    bool ok() const { return kind == Kind::none; }

    // The kind a POSIX errno value stands for, with its strerror text.
    static PortOpenError fromErrno(int error);
    // "permission denied (Permission denied)": the kind in words, then the system's text.
    std::string describe() const;

    bool operator==(const PortOpenError&) const = default;
};

} // namespace pavlune
