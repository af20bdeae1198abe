// FileUtils on POSIX systems: the platform's calls behind the shared code.
#include "engine/base/FileUtils.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <limits>
#include <sys/stat.h>
#include <unistd.h>

namespace engine {

namespace {

std::string withTrailingSeparator(std::string path) {
    if (!path.empty() && path.back() != '/') {
        path += '/';
    }
    return path;
}

std::string parentFolder(const std::string& path) {
    const auto slash = path.find_last_of('/');
    if (slash == std::string::npos) {
        return ".";
    }
    return slash == 0 ? "/" : path.substr(0, slash);
}

bool writeAll(int fd, const char* data, std::size_t size) {
    while (size > 0) {
        const ssize_t written = ::write(fd, data, size);
        if (written < 0) {
            if (errno == EINTR) {
                continue;
            }
            return false;
        }
        data += written;
        size -= static_cast<std::size_t>(written);
    }
    return true;
}

// Makes the renames into `folder` durable; a failure here no longer risks the data.
void syncFolder(const std::string& folder) {
    const int folderFd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (folderFd >= 0) {
        ::fsync(folderFd);
        ::close(folderFd);
    }
}

bool fileWriteAtomically(const char* data, std::size_t size, const std::string& fullPath, int& error,
                         bool syncRename) {
    if (fullPath.empty() || fullPath.back() == '/') {
        error = EISDIR;
        return false;
    }
    const std::string folder = parentFolder(fullPath);
    const std::string name = fullPath.substr(fullPath.find_last_of('/') + 1);
    std::string temporary = folder + "/." + name + ".tmp-XXXXXX";
    const int fd = ::mkstemp(temporary.data());
    if (fd < 0) {
        error = errno;
        return false;
    }
    bool ok = ::fchmod(fd, 0644) == 0 && writeAll(fd, data, size) && ::fsync(fd) == 0;
    error = ok ? 0 : errno; // before close and unlink can change it
    if (::close(fd) != 0 && ok) {
        ok = false;
        error = errno;
    }
    if (ok && ::rename(temporary.c_str(), fullPath.c_str()) != 0) {
        ok = false;
        error = errno;
    }
    if (!ok) {
        ::unlink(temporary.c_str());
        return false;
    }
    if (syncRename) {
        syncFolder(folder);
    }
    return true;
}

} // namespace

bool FileUtils::isAbsolutePath(const std::string& path) const {
    return !path.empty() && path[0] == '/';
}

bool FileUtils::isFileExist(const std::string& filename) const {
    struct stat info {};
    return !filename.empty() && ::stat(filename.c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

bool FileUtils::isDirectoryExist(const std::string& dirPath) const {
    struct stat info {};
    return !dirPath.empty() && ::stat(dirPath.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

bool FileUtils::createDirectory(const std::string& dirPath) const {
    if (dirPath.empty()) {
        return false;
    }
    std::error_code error;
    std::filesystem::create_directories(dirPath, error);
    return isDirectoryExist(dirPath);
}

bool FileUtils::removeFile(const std::string& filePath) const {
    // Only regular files: an empty relative name must never take a folder
    // (such as the writable path itself) with it.
    const bool removed = isFileExist(filePath) && ::unlink(filePath.c_str()) == 0;
    if (removed) {
        filesWritten();
    }
    return removed;
}

bool FileUtils::renameFile(const std::string& oldFullPath, const std::string& newFullPath, int* error) const {
    const bool renamed = !oldFullPath.empty() && !newFullPath.empty() &&
                         ::rename(oldFullPath.c_str(), newFullPath.c_str()) == 0;
    if (error) {
        *error = renamed ? 0 : (oldFullPath.empty() || newFullPath.empty() ? ENOENT : errno);
    }
    if (renamed) {
        filesWritten();
    }
    return renamed;
}

std::int64_t FileUtils::getFileSize(const std::string& filePath) const {
    struct stat info {};
    if (!isFileExist(filePath) || ::stat(filePath.c_str(), &info) != 0) {
        return -1;
    }
    return static_cast<std::int64_t>(info.st_size);
}

std::optional<std::time_t> FileUtils::getFileModificationTime(const std::string& filePath) const {
    struct stat info {};
    if (filePath.empty() || ::stat(filePath.c_str(), &info) != 0) {
        return std::nullopt;
    }
    return info.st_mtime;
}

std::vector<std::string> FileUtils::listFiles(const std::string& dirPath) const {
    std::vector<std::string> names;
    std::error_code error;
    std::filesystem::directory_iterator entries(dirPath, error);
    if (error) {
        return names;
    }
    for (const auto& entry : entries) {
        std::error_code statusError;
        if (entry.is_regular_file(statusError)) {
            names.push_back(entry.path().filename().string());
        }
    }
    std::sort(names.begin(), names.end());
    return names;
}

std::string FileUtils::withSeparator(std::string path) {
    return withTrailingSeparator(std::move(path));
}

bool FileUtils::openForReading(const std::string& path, std::intptr_t& handle, std::uint64_t& size,
                               int& error) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) {
        error = errno;
        return false;
    }
    struct stat info {};
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        error = errno ? errno : EINVAL;
        ::close(fd);
        return false;
    }
    handle = fd;
    size = static_cast<std::uint64_t>(info.st_size);
    return true;
}

std::int64_t FileUtils::readSome(std::intptr_t handle, char* buffer, std::size_t capacity, int& error) {
    for (;;) {
        const ssize_t got = ::read(static_cast<int>(handle), buffer, capacity);
        if (got >= 0) {
            return got;
        }
        if (errno != EINTR) {
            error = errno;
            return -1;
        }
    }
}

void FileUtils::closeFile(std::intptr_t handle) {
    ::close(static_cast<int>(handle));
}

bool FileUtils::writeAtomically(const char* data, std::size_t size, const std::string& fullPath, int& error,
                                RenameSync sync) {
    const bool written = fileWriteAtomically(data, size, fullPath, error, sync == RenameSync::Now);
    if (written) {
        filesWritten();
    }
    return written;
}

void FileUtils::syncFolderOf(const std::string& fullPath) const {
    syncFolder(parentFolder(fullPath));
}

} // namespace engine
