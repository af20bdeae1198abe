#pragma once

#include <cstdint>

namespace pavlune {

// The desktop's real-time broker (RealtimeKit): it puts a thread of an
// ordinary user's process on real-time scheduling, within limits of its own.
// The transfer thread asks it where the system refuses real-time scheduling
// to the process itself. Tests substitute a fake.
class RealtimeKit {
public:
    struct Limits {
        // The highest real-time priority the broker grants.
        int maxPriority = 0;
        // The process's RLIMIT_RTTIME must be at most this (microseconds).
        long long rtTimeMicrosMax = 0;
    };

    virtual ~RealtimeKit() = default;
    // False when the broker cannot be reached or does not answer.
    virtual bool readLimits(Limits& limits) = 0;
    // Asks for real-time scheduling of `thread` (the kernel's thread id) of
    // this process at `priority`; true when granted.
    virtual bool makeThreadRealtime(std::uint64_t thread, std::uint32_t priority) = 0;
};

} // namespace pavlune
