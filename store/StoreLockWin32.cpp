// LockFileEx on one byte: the lock belongs to the handle, so a second handle
// in the same process is refused as another process would be; closing the
// handle (or the process ending) lets it go. The file is shared for reading
// and writing so that a refused copy can still open it and be told.
#include "engine/base/WideText.h"
#include "store/StoreLock.h"

#include <windows.h>

#include <string>

StoreLock::Attempt StoreLock::tryAcquire(const std::string& folder) {
    Attempt attempt;
    const std::wstring path = engine::wideFromUtf8(folder + kFileName);
    // Not inherited (no security attributes): a started program never holds it.
    HANDLE file = CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE,
                              FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        attempt.reason = "CreateFileW error " + std::to_string(GetLastError());
        return attempt;
    }
    OVERLAPPED whole{};
    if (!LockFileEx(file, LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY, 0, 1, 0, &whole)) {
        const DWORD error = GetLastError();
        CloseHandle(file);
        if (error == ERROR_LOCK_VIOLATION) {
            attempt.state = State::HeldElsewhere;
        } else {
            attempt.reason = "LockFileEx error " + std::to_string(error);
        }
        return attempt;
    }
    attempt.state = State::Held;
    attempt.lock.reset(new StoreLock(reinterpret_cast<std::intptr_t>(file)));
    return attempt;
}

StoreLock::~StoreLock() {
    // The lock keeps the HANDLE as an integer, as POSIX keeps a descriptor.
    // NOLINTNEXTLINE(performance-no-int-to-ptr)
    CloseHandle(reinterpret_cast<HANDLE>(handle_));
}
