// FileUtils on Windows: the same contract as on POSIX systems, with UTF-8
// paths handed to the wide-character calls, so any file name works whatever
// the system's code page. Paths are given back with '/' separators; both
// separators are accepted.
#include "engine/base/FileUtils.h"
#include "engine/base/WideText.h"

#include <windows.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <filesystem>
#include <shlobj.h>

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

// The errno value that tells a caller the same as a Windows error.
int errnoFor(DWORD error) {
    switch (error) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
        return ENOENT;
    case ERROR_ACCESS_DENIED:
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION:
        return EACCES;
    case ERROR_TOO_MANY_OPEN_FILES:
        return EMFILE;
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL:
        return ENOSPC;
    case ERROR_WRITE_PROTECT:
        return EROFS;
    default:
        return EIO;
    }
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

bool fileWriteAtomically(const char* data, std::size_t size, const std::string& fullPath, int& error) {
    if (fullPath.empty() || isSeparator(fullPath.back())) {
        error = EISDIR;
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
            error = errnoFor(GetLastError());
            return false;
        }
    }
    if (file == INVALID_HANDLE_VALUE) {
        error = EEXIST;
        return false;
    }
    bool ok = writeAll(file, data, size) && FlushFileBuffers(file);
    error = ok ? 0 : errnoFor(GetLastError());
    if (!CloseHandle(file) && ok) {
        ok = false;
        error = errnoFor(GetLastError());
    }
    if (ok && !replaceFile(temporary, fullPath)) {
        ok = false;
        error = errnoFor(GetLastError());
    }
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

// The shared calls carry a file as an integer, as POSIX carries a descriptor;
// it was made from a HANDLE by openForReading.
HANDLE fileHandle(std::intptr_t handle) {
    return reinterpret_cast<HANDLE>(handle); // NOLINT(performance-no-int-to-ptr): see above
}

} // namespace

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
    return paths;
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

bool FileUtils::renameFile(const std::string& oldFullPath, const std::string& newFullPath, int* error) const {
    const bool renamed =
        !oldFullPath.empty() && !newFullPath.empty() && replaceFile(oldFullPath, newFullPath);
    if (error) {
        *error =
            renamed ? 0 : (oldFullPath.empty() || newFullPath.empty() ? ENOENT : errnoFor(GetLastError()));
    }
    return renamed;
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

std::string FileUtils::withSeparator(std::string path) {
    return withTrailingSeparator(std::move(path));
}

bool FileUtils::openForReading(const std::string& path, std::intptr_t& handle, std::uint64_t& size,
                               int& error) {
    // Shared with writers and deleters: reading never stops a replace.
    HANDLE file =
        CreateFileW(widen(path).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                    nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        error = errnoFor(GetLastError());
        return false;
    }
    LARGE_INTEGER length{};
    if (GetFileType(file) != FILE_TYPE_DISK || !GetFileSizeEx(file, &length)) {
        error = EINVAL;
        CloseHandle(file);
        return false;
    }
    handle = reinterpret_cast<std::intptr_t>(file);
    size = static_cast<std::uint64_t>(length.QuadPart);
    return true;
}

std::int64_t FileUtils::readSome(std::intptr_t handle, char* buffer, std::size_t capacity, int& error) {
    DWORD got = 0;
    const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(capacity, 1U << 30));
    if (!ReadFile(fileHandle(handle), buffer, chunk, &got, nullptr)) {
        error = errnoFor(GetLastError());
        return -1;
    }
    return got;
}

void FileUtils::closeFile(std::intptr_t handle) {
    CloseHandle(fileHandle(handle));
}

// MOVEFILE_WRITE_THROUGH makes each rename durable before it returns.
bool FileUtils::writeAtomically(const char* data, std::size_t size, const std::string& fullPath, int& error,
                                RenameSync /*sync*/) {
    return fileWriteAtomically(data, size, fullPath, error);
}

void FileUtils::syncFolderOf(const std::string& /*fullPath*/) const {}

} // namespace engine
