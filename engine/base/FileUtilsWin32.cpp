// FileUtils on Windows: the same contract as on POSIX systems, with UTF-8
// paths handed to the wide-character calls, so any file name works whatever
// the system's code page. Paths are given back with '/' separators; both
// separators are accepted.
#include "engine/base/FileUtils.h"
#include "engine/base/PlistCodec.h"
#include "engine/base/WideText.h"

#include <algorithm>
#include <atomic>
#include <filesystem>
#include <shlobj.h>
#include <windows.h>

namespace engine {

namespace {

// A scanner or indexer may hold a freshly written file for a moment; a
// replace that meets it is tried again for up to about half a second.
constexpr int kReplaceAttempts = 25;
constexpr DWORD kReplacePauseMs = 20;

std::wstring widen(const std::string& text) {
    return wideFromUtf8(text);
}

std::string narrow(const std::wstring& wide) {
    return utf8FromWide(wide);
}

bool isSeparator(char c) {
    return c == '/' || c == '\\';
}

std::string withForwardSlashes(std::string path) {
    std::replace(path.begin(), path.end(), '\\', '/');
    return path;
}

std::string withTrailingSeparator(std::string path) {
    if (!path.empty() && !isSeparator(path.back())) {
        path += '/';
    }
    return path;
}

std::string::size_type lastSeparator(const std::string& path) {
    return path.find_last_of("/\\");
}

std::string parentFolder(const std::string& path) {
    const auto slash = lastSeparator(path);
    return slash == std::string::npos ? "." : path.substr(0, slash + 1);
}

std::string executableFolder() {
    std::wstring buffer(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length = GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
        if (length == 0) {
            return {};
        }
        if (length < buffer.size()) {
            buffer.resize(length);
            break;
        }
        buffer.resize(buffer.size() * 2);
    }
    const std::string path = withForwardSlashes(narrow(buffer));
    return path.substr(0, path.find_last_of('/') + 1);
}

bool attributesOf(const std::string& path, WIN32_FILE_ATTRIBUTE_DATA& data) {
    const std::wstring wide = widen(path);
    return !wide.empty() && GetFileAttributesExW(wide.c_str(), GetFileExInfoStandard, &data) != 0;
}

bool isTransientSharingError(DWORD error) {
    return error == ERROR_ACCESS_DENIED || error == ERROR_SHARING_VIOLATION || error == ERROR_LOCK_VIOLATION;
}

// Moves `from` over `to`, replacing it, and returns only once the move is on
// the disk.
bool replaceFile(const std::string& from, const std::string& to) {
    const std::wstring source = widen(from);
    const std::wstring target = widen(to);
    if (source.empty() || target.empty()) {
        return false;
    }
    for (int attempt = 1;; ++attempt) {
        if (MoveFileExW(source.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
            return true;
        }
        if (attempt == kReplaceAttempts || !isTransientSharingError(GetLastError())) {
            return false;
        }
        Sleep(kReplacePauseMs);
    }
}

bool writeAll(HANDLE file, const char* data, std::size_t size) {
    while (size > 0) {
        const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(size, 1U << 30));
        DWORD written = 0;
        if (!WriteFile(file, data, chunk, &written, nullptr) || written == 0) {
            return false;
        }
        data += written;
        size -= written;
    }
    return true;
}

// The write behind every writer: a new sibling file, flushed, then moved over
// the target; on any failure the sibling is removed again.
bool writeAtomically(const char* data, std::size_t size, const std::string& fullPath) {
    if (fullPath.empty() || isSeparator(fullPath.back())) {
        return false;
    }
    static std::atomic<unsigned> serial{0};
    const std::string name = fullPath.substr(lastSeparator(fullPath) + 1);
    HANDLE file = INVALID_HANDLE_VALUE;
    std::string temporary;
    for (int attempt = 0; attempt < 100 && file == INVALID_HANDLE_VALUE; ++attempt) {
        temporary = parentFolder(fullPath) + "." + name + ".tmp-" + std::to_string(GetCurrentProcessId()) +
                    "-" + std::to_string(serial++);
        file = CreateFileW(widen(temporary).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
        if (file == INVALID_HANDLE_VALUE && GetLastError() != ERROR_FILE_EXISTS) {
            return false;
        }
    }
    if (file == INVALID_HANDLE_VALUE) {
        return false;
    }
    bool ok = writeAll(file, data, size) && FlushFileBuffers(file);
    ok = CloseHandle(file) && ok;
    ok = ok && replaceFile(temporary, fullPath);
    if (!ok) {
        DeleteFileW(widen(temporary).c_str());
    }
    return ok;
}

std::string localAppDataFolder() {
    PWSTR folder = nullptr;
    std::string path;
    if (SHGetKnownFolderPath(FOLDERID_LocalAppData, KF_FLAG_CREATE, nullptr, &folder) == S_OK && folder) {
        path = narrow(folder);
    }
    CoTaskMemFree(folder);
    if (path.empty()) {
        if (const wchar_t* variable = _wgetenv(L"LOCALAPPDATA"); variable && *variable) {
            path = narrow(variable);
        }
    }
    return path.empty() ? std::string() : withTrailingSeparator(withForwardSlashes(path));
}

} // namespace

FileUtils* FileUtils::getInstance() {
    static FileUtils instance;
    return &instance;
}

FileUtils::FileUtils() : writablePath_(defaultWritablePath()), searchPaths_(defaultSearchPaths()) {}

std::string FileUtils::defaultWritablePath() {
    std::string base = localAppDataFolder();
    if (base.empty()) {
        base = executableFolder();
    }
    return base + "PavluneApps/";
}

std::vector<std::string> FileUtils::defaultSearchPaths() {
    std::vector<std::string> paths;
    if (const std::string exeFolder = executableFolder(); !exeFolder.empty()) {
        paths.push_back(exeFolder);
    }
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

// "C:/x", "C:\x", "\\server\share" and a rooted "/x" (on the current drive)
// never go through the search paths.
bool FileUtils::isAbsolutePath(const std::string& path) const {
    if (path.empty()) {
        return false;
    }
    if (isSeparator(path[0])) {
        return true;
    }
    const bool driveLetter = (path[0] >= 'A' && path[0] <= 'Z') || (path[0] >= 'a' && path[0] <= 'z');
    return path.size() >= 3 && driveLetter && path[1] == ':' && isSeparator(path[2]);
}

bool FileUtils::isFileExist(const std::string& filename) const {
    WIN32_FILE_ATTRIBUTE_DATA data{};
    return attributesOf(filename, data) && (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

bool FileUtils::isDirectoryExist(const std::string& dirPath) const {
    WIN32_FILE_ATTRIBUTE_DATA data{};
    return attributesOf(dirPath, data) && (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

bool FileUtils::createDirectory(const std::string& dirPath) const {
    if (dirPath.empty()) {
        return false;
    }
    std::error_code error;
    std::filesystem::create_directories(std::filesystem::path(widen(dirPath)), error);
    return isDirectoryExist(dirPath);
}

bool FileUtils::removeFile(const std::string& filePath) const {
    // Only regular files: an empty relative name must never take a folder
    // (such as the writable path itself) with it.
    return isFileExist(filePath) && DeleteFileW(widen(filePath).c_str()) != 0;
}

bool FileUtils::renameFile(const std::string& oldFullPath, const std::string& newFullPath) const {
    if (oldFullPath.empty() || newFullPath.empty()) {
        return false;
    }
    return replaceFile(oldFullPath, newFullPath);
}

bool FileUtils::renameFile(const std::string& dirPath, const std::string& oldName,
                           const std::string& newName) const {
    const std::string folder = withTrailingSeparator(dirPath);
    return renameFile(folder + oldName, folder + newName);
}

std::int64_t FileUtils::getFileSize(const std::string& filePath) const {
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (!attributesOf(filePath, data) || (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
        return -1;
    }
    return (static_cast<std::int64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
}

std::optional<std::time_t> FileUtils::getFileModificationTime(const std::string& filePath) const {
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (filePath.empty() || !attributesOf(filePath, data)) {
        return std::nullopt;
    }
    // FILETIME counts 100 ns steps from 1601-01-01.
    constexpr std::int64_t kUnixEpoch = 116444736000000000LL;
    const std::int64_t ticks = (static_cast<std::int64_t>(data.ftLastWriteTime.dwHighDateTime) << 32) |
                               data.ftLastWriteTime.dwLowDateTime;
    return static_cast<std::time_t>((ticks - kUnixEpoch) / 10'000'000);
}

std::vector<std::string> FileUtils::listFiles(const std::string& dirPath) const {
    std::vector<std::string> names;
    std::error_code error;
    std::filesystem::directory_iterator entries(std::filesystem::path(widen(dirPath)), error);
    if (dirPath.empty() || error) {
        return names;
    }
    for (const auto& entry : entries) {
        std::error_code statusError;
        if (entry.is_regular_file(statusError)) {
            names.push_back(narrow(entry.path().filename().wstring()));
        }
    }
    std::sort(names.begin(), names.end());
    return names;
}

std::optional<std::string> FileUtils::readFile(const std::string& filename) const {
    const std::string path = resolveForReading(filename);
    if (!isFileExist(path)) {
        return std::nullopt;
    }
    // Shared with writers and deleters: reading never stops a replace.
    HANDLE file =
        CreateFileW(widen(path).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                    nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        return std::nullopt;
    }
    std::string bytes;
    char buffer[64 * 1024];
    for (;;) {
        DWORD got = 0;
        if (!ReadFile(file, buffer, sizeof buffer, &got, nullptr)) {
            CloseHandle(file);
            return std::nullopt;
        }
        if (got == 0) {
            break;
        }
        bytes.append(buffer, got);
    }
    CloseHandle(file);
    return bytes;
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

std::optional<Value> FileUtils::readPropertyList(const std::string& filename) const {
    const auto bytes = readFile(filename);
    if (!bytes) {
        return std::nullopt;
    }
    return PlistCodec::parse(*bytes);
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
