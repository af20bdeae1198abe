#pragma once

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#include <share.h>
#include <string>
#include <sys/stat.h>

// While it lives, the file is held open with every kind of sharing refused,
// as another program may hold it on Windows: opening it then fails with a
// sharing violation, which the reader reports as EACCES.
class UnreadableFile {
public:
    explicit UnreadableFile(const std::string& path) {
        _sopen_s(&fd_, path.c_str(), _O_RDONLY | _O_BINARY, _SH_DENYRW, _S_IREAD);
    }
    ~UnreadableFile() {
        if (fd_ >= 0) {
            _close(fd_);
        }
    }
    UnreadableFile(const UnreadableFile&) = delete;
    UnreadableFile& operator=(const UnreadableFile&) = delete;

private:
    int fd_ = -1;
};
#else
#include <linux/capability.h>
#include <string>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

// While it lives, the file cannot be opened by this thread: its permission
// bits are cleared and, because tests run as root, the thread also gives up
// the capabilities that let root ignore them (it keeps them in its permitted
// set, so they come back afterwards). Opening it then fails with EACCES as it
// would for a user whose file it is not.
class UnreadableFile {
public:
    explicit UnreadableFile(std::string path) : path_(std::move(path)) {
        struct stat info {};
        if (::stat(path_.c_str(), &info) == 0) {
            mode_ = info.st_mode & 07777;
        }
        ::chmod(path_.c_str(), 0);
        ::syscall(SYS_capget, &header_, saved_);
        __user_cap_data_struct lowered[2] = {saved_[0], saved_[1]};
        lowered[0].effective &= ~((1u << CAP_DAC_OVERRIDE) | (1u << CAP_DAC_READ_SEARCH));
        ::syscall(SYS_capset, &header_, lowered);
    }
    ~UnreadableFile() {
        ::syscall(SYS_capset, &header_, saved_);
        ::chmod(path_.c_str(), mode_);
    }
    UnreadableFile(const UnreadableFile&) = delete;
    UnreadableFile& operator=(const UnreadableFile&) = delete;

private:
    std::string path_;
    mode_t mode_ = 0644;
    __user_cap_header_struct header_{_LINUX_CAPABILITY_VERSION_3, 0};
    __user_cap_data_struct saved_[2]{};
};
#endif
