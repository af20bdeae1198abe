#pragma once

#include <cstdint>
#include <linux/capability.h>
#include <sys/resource.h>
#include <sys/syscall.h>
#include <unistd.h>

// What a thread may do about its own scheduling, for the tests of the
// sending thread's priority.
namespace scheduling_rights {

// The kernel's struct sched_attr, as far as the slice.
struct SchedAttributes {
    std::uint32_t size;
    std::uint32_t policy;
    std::uint64_t flags;
    std::int32_t nice;
    std::uint32_t priority;
    std::uint64_t runtime;
    std::uint64_t deadline;
    std::uint64_t period;
    std::uint32_t utilMin;
    std::uint32_t utilMax;
};

// The normal policy's slice of the calling thread; 0 where the kernel keeps none.
inline std::uint64_t sliceOfThisThread() {
    SchedAttributes attributes{};
    attributes.size = sizeof attributes;
    return syscall(SYS_sched_getattr, 0, &attributes, sizeof attributes, 0U) == 0 ? attributes.runtime : 0;
}

// Capabilities are per thread: only the calling thread loses the right.
inline bool dropNiceCapability() {
    __user_cap_header_struct header{_LINUX_CAPABILITY_VERSION_3, 0};
    __user_cap_data_struct data[2]{};
    if (syscall(SYS_capget, &header, data) != 0) {
        return false;
    }
    data[CAP_SYS_NICE / 32].effective &= ~(1U << (CAP_SYS_NICE % 32));
    return syscall(SYS_capset, &header, data) == 0;
}

// While it lives the process's RLIMIT_RTPRIO is 0 (a thread without
// CAP_SYS_NICE then gets no real-time policy); RLIMIT_RTTIME, which a
// transfer may lower, is put back too (where the process may raise it).
class NoRealTimeRights {
public:
    NoRealTimeRights() {
        getrlimit(RLIMIT_RTTIME, &savedTime_);
        ok_ = getrlimit(RLIMIT_RTPRIO, &savedPriority_) == 0;
        rlimit none = savedPriority_;
        none.rlim_cur = 0;
        ok_ = ok_ && setrlimit(RLIMIT_RTPRIO, &none) == 0;
    }
    ~NoRealTimeRights() {
        setrlimit(RLIMIT_RTPRIO, &savedPriority_);
        setrlimit(RLIMIT_RTTIME, &savedTime_);
    }
    NoRealTimeRights(const NoRealTimeRights&) = delete;
    NoRealTimeRights& operator=(const NoRealTimeRights&) = delete;

    bool ok() const { return ok_; }

private:
    rlimit savedPriority_{};
    rlimit savedTime_{};
    bool ok_ = false;
};

} // namespace scheduling_rights
