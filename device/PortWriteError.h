#pragma once

#include <chrono>
#include <string>

namespace pavlune {

// Why a byte did not reach the open port, in the terms a developer can act
// on: the operating system's own text, or the deadline that passed while the
// line had no room. The default value means the byte was written.
struct PortWriteError {
    enum class Kind {
        none,       // written
        notOpen,    // no port is open (none chosen, or its open failed)
        deviceGone, // unplugged, or the line hung up
        deadline,   // the line had no room for the byte within `deadline`
        other,
    };

    Kind kind = Kind::none;
    std::string osText;                   // strerror or the system's message; empty for a deadline
    std::chrono::milliseconds deadline{}; // deadline only

    bool ok() const { return kind == Kind::none; }

    // The kind a POSIX errno value stands for, with its strerror text.
    static PortWriteError fromErrno(int error);
    // The line stayed full for `waited`.
    static PortWriteError deadlinePassed(std::chrono::milliseconds waited);
    // "the device is gone (Input/output error)", "no room on the line within
    // 3000 ms": the kind in words, then the system's text.
    std::string describe() const;

    bool operator==(const PortWriteError&) const = default;
};

} // namespace pavlune
