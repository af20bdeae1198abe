#include "engine/base/FileUtils.h"

#include "engine/base/PlistCodec.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <limits>
#include <pwd.h>
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

std::string executableFolder() {
    std::error_code error;
    const auto exe = std::filesystem::read_symlink("/proc/self/exe", error);
    if (error) {
        return {};
    }
    return withTrailingSeparator(exe.parent_path().string());
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

// The write behind every writer: a temporary sibling, flushed, then renamed
// over the target; on any failure the temporary file is removed again.
bool writeAtomically(const char* data, std::size_t size, const std::string& fullPath) {
    if (fullPath.empty() || fullPath.back() == '/') {
        return false;
    }
    const std::string folder = parentFolder(fullPath);
    const std::string name = fullPath.substr(fullPath.find_last_of('/') + 1);
    std::string temporary = folder + "/." + name + ".tmp-XXXXXX";
    const int fd = ::mkstemp(temporary.data());
    if (fd < 0) {
        return false;
    }
    bool ok = ::fchmod(fd, 0644) == 0 && writeAll(fd, data, size) && ::fsync(fd) == 0;
    ok = (::close(fd) == 0) && ok;
    if (ok) {
        ok = ::rename(temporary.c_str(), fullPath.c_str()) == 0;
    }
    if (!ok) {
        ::unlink(temporary.c_str());
        return false;
    }
    // Make the rename itself durable; failing here no longer risks the data.
    const int folderFd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (folderFd >= 0) {
        ::fsync(folderFd);
        ::close(folderFd);
    }
    return true;
}

} // namespace

FileUtils* FileUtils::getInstance() {
    static FileUtils instance;
    return &instance;
}

FileUtils::FileUtils() : writablePath_(defaultWritablePath()), searchPaths_(defaultSearchPaths()) {}

std::string FileUtils::defaultWritablePath() {
    const char* dataHome = std::getenv("XDG_DATA_HOME");
    if (dataHome && dataHome[0] == '/') {
        return withTrailingSeparator(dataHome) + "PavluneApps/";
    }
    const char* home = std::getenv("HOME");
    std::string homePath = home && home[0] ? home : "";
    if (homePath.empty()) {
        if (const passwd* user = ::getpwuid(::getuid()); user && user->pw_dir) {
            homePath = user->pw_dir;
        }
    }
    if (homePath.empty()) {
        homePath = "/tmp";
    }
    return withTrailingSeparator(homePath) + ".local/share/PavluneApps/";
}

std::vector<std::string> FileUtils::defaultSearchPaths() {
    std::vector<std::string> paths;
    const std::string exeFolder = executableFolder();
    if (!exeFolder.empty()) {
        paths.push_back(exeFolder);
        paths.push_back(exeFolder + "../share/pavlune-cards/");
    }
#ifdef PAVLUNE_INSTALL_DATADIR
    paths.push_back(withTrailingSeparator(PAVLUNE_INSTALL_DATADIR));
#endif
#ifdef PAVLUNE_SOURCE_ROOT
    paths.push_back(withTrailingSeparator(PAVLUNE_SOURCE_ROOT));
#endif
    return paths;
}

std::string FileUtils::getWritablePath() const {
    std::string path;
    {
        std::lock_guard lock(mutex_);
        path = writablePath_;
    }
    createDirectory(path);
    return path;
}

std::string FileUtils::peekWritablePath() const {
    std::lock_guard lock(mutex_);
    return writablePath_;
}

void FileUtils::setWritablePath(const std::string& path) {
    std::lock_guard lock(mutex_);
    writablePath_ = path.empty() ? defaultWritablePath() : withTrailingSeparator(path);
}

std::vector<std::string> FileUtils::getSearchPaths() const {
    std::lock_guard lock(mutex_);
    return searchPaths_;
}

void FileUtils::setSearchPaths(const std::vector<std::string>& paths) {
    std::vector<std::string> normalised;
    for (const auto& path : paths) {
        if (!path.empty()) {
            normalised.push_back(withTrailingSeparator(path));
        }
    }
    std::lock_guard lock(mutex_);
    searchPaths_ = std::move(normalised);
}

std::string FileUtils::fullPathForFilename(const std::string& filename) const {
    if (filename.empty()) {
        return {};
    }
    if (isAbsolutePath(filename)) {
        return isFileExist(filename) ? filename : std::string();
    }
    for (const auto& folder : getSearchPaths()) {
        std::string candidate = folder + filename;
        if (isFileExist(candidate)) {
            return candidate;
        }
    }
    return {};
}

std::string FileUtils::resolveForReading(const std::string& filename) const {
    return isAbsolutePath(filename) ? filename : fullPathForFilename(filename);
}

bool FileUtils::isAbsolutePath(const std::string& path) const { return !path.empty() && path[0] == '/'; }

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
    return isFileExist(filePath) && ::unlink(filePath.c_str()) == 0;
}

bool FileUtils::renameFile(const std::string& oldFullPath, const std::string& newFullPath) const {
    if (oldFullPath.empty() || newFullPath.empty()) {
        return false;
    }
    return ::rename(oldFullPath.c_str(), newFullPath.c_str()) == 0;
}

bool FileUtils::renameFile(const std::string& dirPath, const std::string& oldName,
                           const std::string& newName) const {
    const std::string folder = withTrailingSeparator(dirPath);
    return renameFile(folder + oldName, folder + newName);
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

FileUtils::FileRead FileUtils::readFileUpTo(const std::string& filename, std::size_t maxBytes) const {
    FileRead result;
    const std::string path = resolveForReading(filename);
    if (!isFileExist(path)) {
        return result;
    }
    const auto failed = [&result](int error) {
        result.status = FileRead::Status::Unreadable;
        result.error = error;
        return result;
    };
    // Non-blocking, so that a pipe put in the file's place cannot hold the reader.
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) {
        return failed(errno);
    }
    struct stat info {};
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        const int error = errno ? errno : EINVAL;
        ::close(fd);
        return failed(error);
    }
    if (static_cast<std::uint64_t>(info.st_size) > maxBytes) {
        ::close(fd);
        result.status = FileRead::Status::TooLarge;
        return result;
    }
    result.bytes.reserve(static_cast<std::size_t>(info.st_size));
    char buffer[64 * 1024];
    for (;;) {
        const ssize_t got = ::read(fd, buffer, sizeof buffer);
        if (got < 0 && errno == EINTR) {
            continue;
        }
        if (got < 0) {
            const int error = errno;
            ::close(fd);
            result.bytes.clear();
            return failed(error);
        }
        if (got == 0) {
            break;
        }
        // The file may grow while it is read.
        if (result.bytes.size() + static_cast<std::size_t>(got) > maxBytes) {
            ::close(fd);
            result.bytes.clear();
            result.status = FileRead::Status::TooLarge;
            return result;
        }
        result.bytes.append(buffer, static_cast<std::size_t>(got));
    }
    ::close(fd);
    result.status = FileRead::Status::Read;
    return result;
}

std::optional<std::string> FileUtils::readFile(const std::string& filename) const {
    FileRead read = readFileUpTo(filename, std::numeric_limits<std::size_t>::max());
    if (read.status != FileRead::Status::Read) {
        return std::nullopt;
    }
    return std::move(read.bytes);
}

std::vector<unsigned char> FileUtils::getFileData(const std::string& filename) const {
    const auto bytes = readFile(filename);
    if (!bytes) {
        return {};
    }
    return std::vector<unsigned char>(bytes->begin(), bytes->end());
}

std::string FileUtils::getStringFromFile(const std::string& filename) const {
    return readFile(filename).value_or(std::string());
}

bool FileUtils::writeDataToFile(const std::vector<unsigned char>& data, const std::string& fullPath) const {
    return writeAtomically(reinterpret_cast<const char*>(data.data()), data.size(), fullPath);
}

bool FileUtils::writeStringToFile(const std::string& text, const std::string& fullPath) const {
    return writeAtomically(text.data(), text.size(), fullPath);
}

FileUtils::PlistRead FileUtils::readPropertyListFile(const std::string& filename) const {
    PlistRead result;
    FileRead file = readFileUpTo(filename, PlistGuard::Limits().maxBytes);
    switch (file.status) {
    case FileRead::Status::Missing:
        return result;
    case FileRead::Status::Unreadable:
        result.status = PlistRead::Status::Unreadable;
        result.error = file.error;
        return result;
    case FileRead::Status::TooLarge:
        result.status = PlistRead::Status::Damaged;
        result.verdict = PlistGuard::Verdict::TooLarge;
        return result;
    case FileRead::Status::Read:
        break;
    }
    result.root = PlistCodec::parse(file.bytes, &result.verdict);
    result.status = result.root ? PlistRead::Status::Read : PlistRead::Status::Damaged;
    return result;
}

std::optional<Value> FileUtils::readPropertyList(const std::string& filename) const {
    return readPropertyListFile(filename).root;
}

ValueMap FileUtils::getValueMapFromFile(const std::string& filename) const {
    auto root = readPropertyList(filename);
    if (!root || root->getType() != Value::Type::MAP) {
        return {};
    }
    return std::move(root->asValueMap());
}

ValueVector FileUtils::getValueVectorFromFile(const std::string& filename) const {
    auto root = readPropertyList(filename);
    if (!root || root->getType() != Value::Type::VECTOR) {
        return {};
    }
    return std::move(root->asValueVector());
}

bool FileUtils::writeValueMapToFile(const ValueMap& map, const std::string& fullPath) const {
    const std::string xml = PlistCodec::toXml(map);
    return !xml.empty() && writeStringToFile(xml, fullPath);
}

bool FileUtils::writeValueVectorToFile(const ValueVector& vector, const std::string& fullPath) const {
    const std::string xml = PlistCodec::toXml(vector);
    return !xml.empty() && writeStringToFile(xml, fullPath);
}

} // namespace engine
