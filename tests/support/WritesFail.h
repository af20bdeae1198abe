#pragma once

#include <csignal>
#include <sys/resource.h>

// While it lives, every write of a file fails (as on a full or read-only
// disk); removing and renaming still work. Tests run as root, so file
// permissions cannot stand in for this.
class WritesFail {
public:
    WritesFail() {
        getrlimit(RLIMIT_FSIZE, &saved_);
        previous_ = std::signal(SIGXFSZ, SIG_IGN);
        rlimit none = saved_;
        none.rlim_cur = 0;
        setrlimit(RLIMIT_FSIZE, &none);
    }
    ~WritesFail() {
        setrlimit(RLIMIT_FSIZE, &saved_);
        std::signal(SIGXFSZ, previous_);
    }
    WritesFail(const WritesFail&) = delete;
    WritesFail& operator=(const WritesFail&) = delete;

private:
    rlimit saved_{};
    void (*previous_)(int) = nullptr;
};
