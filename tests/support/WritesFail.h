#pragma once

#ifdef _WIN32
#include <gtest/gtest.h>

// Windows has no per-process limit on file sizes, and wine keeps no access
// rights, so a test cannot make the writes of its own process fail there: the
// tests that need it are left out of the Windows run (WIN32_SKIP in their
// CMakeLists.txt), and one that is not fails here instead of passing blindly.
class WritesFail {
public:
    WritesFail() { ADD_FAILURE() << "writes cannot be made to fail on Windows: skip this test there"; }
};
#else
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
#endif
