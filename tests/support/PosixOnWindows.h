#pragma once

// The few POSIX calls that the tests use, for the Windows build (included
// into every test source there by the build). Paths stay as the tests write
// them: "/tmp/..." is a folder on the current drive (under wine the Linux
// /tmp), made when missing.
#ifdef _WIN32
#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <direct.h>
#include <filesystem>
#include <random>
#include <system_error>

inline char* mkdtemp(char* pattern) {
    const std::size_t length = std::strlen(pattern);
    if (length < 6 || std::strcmp(pattern + length - 6, "XXXXXX") != 0) {
        errno = EINVAL;
        return nullptr;
    }
    std::error_code error;
    std::filesystem::create_directories(std::filesystem::path(pattern).parent_path(), error);
    static constexpr char kLetters[] = "abcdefghijklmnopqrstuvwxyz0123456789";
    std::mt19937 random(std::random_device{}());
    for (int attempt = 0; attempt < 100; ++attempt) {
        for (std::size_t i = length - 6; i < length; ++i) {
            pattern[i] = kLetters[random() % (sizeof kLetters - 1)];
        }
        if (_mkdir(pattern) == 0) {
            return pattern;
        }
        if (errno != EEXIST) {
            return nullptr;
        }
    }
    return nullptr;
}

inline int setenv(const char* name, const char* value, int overwrite) {
    if (!overwrite && std::getenv(name)) {
        return 0;
    }
    return _putenv_s(name, value) == 0 ? 0 : -1;
}

// Windows has no empty variables: setting one to "" removes it.
inline int unsetenv(const char* name) {
    return _putenv_s(name, "") == 0 ? 0 : -1;
}

// Only what the tests ask for: a file's modification time, to the second.
#define AT_FDCWD (-100)
inline int utimensat(int /*folder*/, const wchar_t* path, const timespec times[2], int /*flags*/) {
    using namespace std::chrono;
    std::error_code error;
    const auto modified = file_clock::from_sys(system_clock::from_time_t(times[1].tv_sec));
    std::filesystem::last_write_time(std::filesystem::path(path), modified, error);
    return error ? -1 : 0;
}

// Windows has no symbolic links to pseudo-terminals: the tests that read one
// are skipped there (WIN32_SKIP) and this only lets them compile.
inline long readlink(const char* /*path*/, char* /*target*/, std::size_t /*size*/) {
    errno = ENOSYS;
    return -1;
}
#endif
