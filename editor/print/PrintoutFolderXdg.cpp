// The documents folder as the XDG user directories name it
// ($XDG_CONFIG_HOME/user-dirs.dirs, a line XDG_DOCUMENTS_DIR="$HOME/...").
#include "editor/print/PrintoutFolder.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>

namespace {

std::string environment(const char* name) {
    const char* value = std::getenv(name);
    return value ? value : "";
}

std::string documentsFolder(const std::string& home) {
    const std::string config = environment("XDG_CONFIG_HOME");
    std::ifstream dirs((config.empty() || config.front() != '/' ? home + "/.config" : config) +
                       "/user-dirs.dirs");
    const std::string key = "XDG_DOCUMENTS_DIR=\"";
    for (std::string line; std::getline(dirs, line);) {
        if (line.rfind(key, 0) != 0 || line.size() < key.size() + 1 || line.back() != '"') {
            continue;
        }
        std::string path = line.substr(key.size(), line.size() - key.size() - 1);
        if (path.rfind("$HOME", 0) == 0) {
            path.replace(0, 5, home);
        }
        return path;
    }
    return home + "/Documents";
}

} // namespace

std::string printoutFolder() {
    const std::string home = environment("HOME");
    if (home.empty()) {
        return {};
    }
    std::error_code error;
    const std::string documents = documentsFolder(home);
    return (std::filesystem::is_directory(documents, error) ? documents : home) + "/";
}
