// The platform-neutral side of FileUtils: the writable path, the search
// paths, bounded reading and property lists, on top of the few calls
// FileUtilsPosix.cpp and FileUtilsWin32.cpp give.
#include "engine/base/FileUtils.h"

#include "engine/base/PlistCodec.h"

#include <cerrno>
#include <limits>

namespace engine {

namespace {

// Closes a file opened by the platform's side on every way out.
class ReadHandle {
public:
    ReadHandle(std::intptr_t handle, void (*close)(std::intptr_t)) : handle_(handle), close_(close) {}
    ~ReadHandle() { close_(handle_); }
    ReadHandle(const ReadHandle&) = delete;
    ReadHandle& operator=(const ReadHandle&) = delete;
    std::intptr_t get() const { return handle_; }

private:
    std::intptr_t handle_;
    void (*close_)(std::intptr_t);
};

} // namespace

FileUtils* FileUtils::getInstance() {
    static FileUtils instance;
    return &instance;
}

FileUtils::FileUtils() : writablePath_(defaultWritablePath()), searchPaths_(defaultSearchPaths()) {}

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
    writablePath_ = path.empty() ? defaultWritablePath() : withSeparator(path);
}

std::vector<std::string> FileUtils::getSearchPaths() const {
    std::lock_guard lock(mutex_);
    return searchPaths_;
}

void FileUtils::setSearchPaths(const std::vector<std::string>& paths) {
    std::vector<std::string> normalised;
    for (const auto& path : paths) {
        if (!path.empty()) {
            normalised.push_back(withSeparator(path));
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

bool FileUtils::renameFile(const std::string& dirPath, const std::string& oldName,
                           const std::string& newName) const {
    const std::string folder = withSeparator(dirPath);
    return renameFile(folder + oldName, folder + newName);
}

FileUtils::FileRead FileUtils::readFileUpTo(const std::string& filename, std::size_t maxBytes) const {
    FileRead result;
    const std::string path = resolveForReading(filename);
    const auto failed = [&result](int error) {
        result.bytes.clear();
        result.status = FileRead::Status::Unreadable;
        result.error = error;
        return result;
    };
    errno = 0;
    if (!isFileExist(path)) {
        // A folder on the way that may not be searched hides whether the
        // file is there: that is no missing file.
        const int error = errno;
        return error != 0 && error != ENOENT && error != ENOTDIR ? failed(error) : result;
    }
    std::intptr_t opened = -1;
    std::uint64_t size = 0;
    int error = 0;
    if (!openForReading(path, opened, size, error)) {
        return failed(error);
    }
    const ReadHandle file(opened, &FileUtils::closeFile);
    if (size > maxBytes) {
        result.status = FileRead::Status::TooLarge;
        return result;
    }
    result.bytes.reserve(static_cast<std::size_t>(size));
    char buffer[64 * 1024];
    for (;;) {
        const std::int64_t got = readSome(file.get(), buffer, sizeof buffer, error);
        if (got < 0) {
            return failed(error);
        }
        if (got == 0) {
            break;
        }
        // The file may grow while it is read.
        if (result.bytes.size() + static_cast<std::size_t>(got) > maxBytes) {
            result.bytes.clear();
            result.status = FileRead::Status::TooLarge;
            return result;
        }
        result.bytes.append(buffer, static_cast<std::size_t>(got));
    }
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

bool FileUtils::writeDataToFile(const std::vector<unsigned char>& data, const std::string& fullPath,
                                int* error) const {
    int failure = 0;
    const bool written = writeAtomically(reinterpret_cast<const char*>(data.data()), data.size(), fullPath,
                                         failure, RenameSync::Now);
    if (error) {
        *error = written ? 0 : failure;
    }
    return written;
}

bool FileUtils::writeStringToFile(const std::string& text, const std::string& fullPath, int* error,
                                  RenameSync sync) const {
    int failure = 0;
    const bool written = writeAtomically(text.data(), text.size(), fullPath, failure, sync);
    if (error) {
        *error = written ? 0 : failure;
    }
    return written;
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

bool FileUtils::writeValueMapToFile(const ValueMap& map, const std::string& fullPath, int* error) const {
    const std::string xml = PlistCodec::toXml(map);
    if (xml.empty() && error) {
        *error = EINVAL; // nothing a property list can hold
    }
    return !xml.empty() && writeStringToFile(xml, fullPath, error);
}

bool FileUtils::writeValueVectorToFile(const ValueVector& vector, const std::string& fullPath,
                                       int* error) const {
    const std::string xml = PlistCodec::toXml(vector);
    if (xml.empty() && error) {
        *error = EINVAL;
    }
    return !xml.empty() && writeStringToFile(xml, fullPath, error);
}

} // namespace engine
