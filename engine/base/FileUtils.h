#pragma once

#include "engine/base/PlistGuard.h"
#include "engine/base/Value.h"

#include <cstdint>
#include <ctime>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

namespace engine {

// Files of the application: where it may write (the writable path), where its
// read-only resources are, and property-list files.
//
// Every write is atomic: the bytes go to a temporary file in the target's own
// folder, are flushed to the disk, and the temporary file is then renamed over
// the target. A crash or a full disk therefore leaves either the old file or
// the new one, never a truncated mix, and a failed write returns false with
// the old file untouched. Readers never change the files they read. Writes
// and renames that fail give the system's error number (an errno value, on
// Windows too) through their optional `error`, for the caller to report.
//
// Relative names passed to the readers are resolved as resources
// (`fullPathForFilename`); writers expect full paths.
class FileUtils {
public:
    static FileUtils* getInstance();

    // --- writable path -------------------------------------------------------

    // The per-user data folder, always ending with '/': $XDG_DATA_HOME/PavluneApps/,
    // or ~/.local/share/PavluneApps/ when XDG_DATA_HOME is not set to an
    // absolute path. Created (with its parents) when missing.
    std::string getWritablePath() const;
    // The same path without creating it, for readers that must change nothing.
    std::string peekWritablePath() const;
    // Points the writable path elsewhere (tests use a temporary folder); a
    // missing trailing separator is added. An empty path restores the default.
    void setWritablePath(const std::string& path);

    // --- resources -------------------------------------------------------------

    // The full path of a resource such as "res/r_back.png": an absolute path
    // that names an existing file is returned as it is; a relative one is
    // looked up in the search paths in order. Empty when not found.
    std::string fullPathForFilename(const std::string& filename) const;
    // Folders searched for resources, each ending with '/'. By default: the
    // executable's folder, <executable>/../share/pavlune-cards/, the install
    // prefix's share/pavlune-cards/ and, in a development build, the source tree.
    std::vector<std::string> getSearchPaths() const;
    void setSearchPaths(const std::vector<std::string>& paths);

    // --- files and folders ----------------------------------------------------

    // True for a regular file (a directory of that name does not count).
    bool isFileExist(const std::string& filename) const;
    bool isDirectoryExist(const std::string& dirPath) const;
    bool isAbsolutePath(const std::string& path) const;
    // Creates the folder and any missing parents; true if it exists afterwards.
    bool createDirectory(const std::string& dirPath) const;
    // Removes a regular file (never a directory); true if it was removed.
    bool removeFile(const std::string& filePath) const;
    // Renames a file, replacing `newFullPath` if it exists.
    bool renameFile(const std::string& oldFullPath, const std::string& newFullPath,
                    int* error = nullptr) const;
    // Same, for two names in one folder.
    bool renameFile(const std::string& dirPath, const std::string& oldName, const std::string& newName) const;
    // Size in bytes, or -1 when the file does not exist.
    std::int64_t getFileSize(const std::string& filePath) const;
    // Last modification time, or nothing when the file does not exist.
    std::optional<std::time_t> getFileModificationTime(const std::string& filePath) const;
    // Names (not paths) of the regular files directly inside a folder, sorted.
    std::vector<std::string> listFiles(const std::string& dirPath) const;

    // --- whole-file reading ------------------------------------------------------

    // The bytes of a file; empty when it is missing or unreadable.
    std::vector<unsigned char> getFileData(const std::string& filename) const;
    std::string getStringFromFile(const std::string& filename) const;
    // Same, but tells a missing or unreadable file apart from an empty one.
    std::optional<std::string> readFile(const std::string& filename) const;

    // What reading a file came to. A file beyond the size asked for is never
    // read (its size is checked first), and one that exists but cannot be
    // opened or read, or lies in a folder that may not be searched, keeps the
    // system's error number.
    struct FileRead {
        enum class Status { Read, Missing, Unreadable, TooLarge };
        Status status = Status::Missing;
        std::string bytes; // when Read
        int error = 0;     // errno when Unreadable
    };
    FileRead readFileUpTo(const std::string& filename, std::size_t maxBytes) const;

    // --- atomic writing ------------------------------------------------------------

    bool writeDataToFile(const std::vector<unsigned char>& data, const std::string& fullPath,
                         int* error = nullptr) const;
    // Whether an atomic write makes its rename durable before it returns (an
    // fsync of the folder), or leaves that to a later syncFolderOf: a writer
    // with a newer state waiting goes on to it sooner. Either way the file
    // holds the whole new state once the write returns.
    enum class RenameSync { Now, Later };
    bool writeStringToFile(const std::string& text, const std::string& fullPath, int* error = nullptr,
                           RenameSync sync = RenameSync::Now) const;
    // Makes the renames into the folder of `fullPath` durable; nothing to do
    // where a rename is written through (Windows).
    void syncFolderOf(const std::string& fullPath) const;

    // --- property lists ------------------------------------------------------------

    // The root dictionary or array of a property-list file; empty when the file
    // is missing, cannot be parsed or has a root of the other kind.
    ValueMap getValueMapFromFile(const std::string& filename) const;
    ValueVector getValueVectorFromFile(const std::string& filename) const;
    // The root value of a property-list file, or nothing when the file is
    // missing or cannot be parsed (so callers can tell damage from emptiness).
    std::optional<Value> readPropertyList(const std::string& filename) const;

    // Reading a property-list file, with the reason when it failed. A file
    // beyond PlistGuard's limits (bytes, nesting, values, string length) is
    // Damaged like one that does not parse, and never read whole.
    struct PlistRead {
        enum class Status { Read, Missing, Unreadable, Damaged };
        Status status = Status::Missing;
        std::optional<Value> root;                               // when Read
        int error = 0;                                           // errno when Unreadable
        PlistGuard::Verdict verdict = PlistGuard::Verdict::Fits; // when Damaged
    };
    PlistRead readPropertyListFile(const std::string& filename) const;
    // Writes an XML property list atomically.
    bool writeValueMapToFile(const ValueMap& map, const std::string& fullPath, int* error = nullptr) const;
    bool writeValueVectorToFile(const ValueVector& vector, const std::string& fullPath,
                                int* error = nullptr) const;

private:
    FileUtils();

    std::string resolveForReading(const std::string& filename) const;

    // The platform's side, in FileUtilsPosix.cpp (with FileUtilsWeb.cpp in the
    // browser) or FileUtilsWin32.cpp; the
    // rest is shared.
    static std::string defaultWritablePath();
    static std::vector<std::string> defaultSearchPaths();
    // The path with its folder separator at the end.
    static std::string withSeparator(std::string path);
    // Opens a regular file for reading without waiting on it (a pipe put in
    // its place cannot hold the reader). False with `error` (an errno value)
    // when it cannot be opened or is not a regular file.
    static bool openForReading(const std::string& path, std::intptr_t& handle, std::uint64_t& size,
                               int& error);
    // Bytes read, 0 at the end of the file, -1 with `error` on failure.
    static std::int64_t readSome(std::intptr_t handle, char* buffer, std::size_t capacity, int& error);
    static void closeFile(std::intptr_t handle);
    // A new uniquely named sibling, created exclusively and flushed to the
    // disk, then moved over the target; removed again on any failure, with
    // the errno value of the step that failed in `error`.
    static bool writeAtomically(const char* data, std::size_t size, const std::string& fullPath, int& error,
                                RenameSync sync);
    // Called by the POSIX calls after each change. In the browser the files
    // live in memory and the page is told to copy them to its lasting storage
    // (FileUtilsWeb.cpp); on a disk there is nothing to do (FileUtilsLinux.cpp).
    static void filesWritten();

    mutable std::mutex mutex_;
    std::string writablePath_;
    std::vector<std::string> searchPaths_;
};

} // namespace engine
