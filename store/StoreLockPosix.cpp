// flock: the lock belongs to the open file description, so a second open in
// the same process is refused as another process would be, and closing the
// descriptor (or the process ending) lets it go.
#include "store/StoreLock.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

StoreLock::Attempt StoreLock::tryAcquire(const std::string& folder) {
    Attempt attempt;
    const std::string path = folder + kFileName;
    // Never through a planted link, never blocked on a planted FIFO, never
    // inherited by a program the editor starts.
    const int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK, 0644);
    if (fd < 0) {
        attempt.reason = std::strerror(errno);
        return attempt;
    }
    struct stat status {};
    if (::fstat(fd, &status) != 0 || !S_ISREG(status.st_mode)) {
        attempt.reason = "not a regular file";
        ::close(fd);
        return attempt;
    }
    int result = 0;
    do {
        result = ::flock(fd, LOCK_EX | LOCK_NB);
    } while (result != 0 && errno == EINTR);
    if (result != 0) {
        const int error = errno;
        ::close(fd);
        if (error == EWOULDBLOCK) {
            attempt.state = State::HeldElsewhere;
        } else {
            attempt.reason = std::strerror(error);
        }
        return attempt;
    }
    attempt.state = State::Held;
    attempt.lock.reset(new StoreLock(fd));
    return attempt;
}

StoreLock::~StoreLock() {
    // Closing, not LOCK_UN: a forked child that still shares the description
    // must not take the parent's lock away.
    ::close(static_cast<int>(handle_));
}
