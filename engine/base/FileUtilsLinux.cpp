// FileUtils on the Linux desktop: the user's folders and the resources beside
// the executable. The file calls are the POSIX ones (FileUtilsPosix.cpp).
#include "engine/base/FileUtils.h"

#include <cstdlib>
#include <filesystem>
#include <pwd.h>
#include <unistd.h>

namespace engine {

namespace {

std::string executableFolder() {
    std::error_code error;
    const auto exe = std::filesystem::read_symlink("/proc/self/exe", error);
    return error ? std::string() : exe.parent_path().string();
}

} // namespace

std::string FileUtils::defaultWritablePath() {
    const char* dataHome = std::getenv("XDG_DATA_HOME");
    if (dataHome && dataHome[0] == '/') {
        return withSeparator(dataHome) + "PavluneApps/";
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
    return withSeparator(homePath) + ".local/share/PavluneApps/";
}

std::vector<std::string> FileUtils::defaultSearchPaths() {
    std::vector<std::string> paths;
    const std::string exeFolder = withSeparator(executableFolder());
    if (!exeFolder.empty()) {
        paths.push_back(exeFolder);
        paths.push_back(exeFolder + "../share/pavlune-cards/");
    }
#ifdef PAVLUNE_INSTALL_DATADIR
    paths.push_back(withSeparator(PAVLUNE_INSTALL_DATADIR));
#endif
#ifdef PAVLUNE_SOURCE_ROOT
    paths.push_back(withSeparator(PAVLUNE_SOURCE_ROOT));
#endif
    return paths;
}

// The files are on a disk already.
void FileUtils::filesWritten() {}

} // namespace engine
