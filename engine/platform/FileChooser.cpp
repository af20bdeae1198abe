#include "engine/platform/FileChooser.h"

#include "engine/base/FileUtils.h"

#include <cstring>

namespace engine {

std::string FileChooser::nameOf(const std::string& path) {
    const std::size_t folderEnd = path.find_last_of("/\\");
    return folderEnd == std::string::npos ? path : path.substr(folderEnd + 1);
}

FileChoice FileChooser::writeChosen(const std::string& path, const std::string& bytes) {
    FileChoice choice;
    choice.name = nameOf(path);
    int error = 0;
    if (FileUtils::getInstance()->writeStringToFile(bytes, path, &error)) {
        choice.outcome = FileChoice::Outcome::Chosen;
    } else {
        choice.reason = "cannot write " + path + ": " + std::strerror(error);
    }
    return choice;
}

FileChoice FileChooser::readChosen(const std::string& path) {
    FileChoice choice;
    choice.name = nameOf(path);
    FileUtils::FileRead read = FileUtils::getInstance()->readFileUpTo(path, kMaxOpenBytes);
    switch (read.status) {
    case FileUtils::FileRead::Status::Read:
        choice.outcome = FileChoice::Outcome::Chosen;
        choice.bytes = std::move(read.bytes);
        break;
    case FileUtils::FileRead::Status::TooLarge:
        choice.reason = path + " is larger than " + std::to_string(kMaxOpenBytes) + " bytes";
        break;
    case FileUtils::FileRead::Status::Missing:
    case FileUtils::FileRead::Status::Unreadable:
        choice.reason = "cannot read " + path + ": " + std::strerror(read.error);
        break;
    }
    return choice;
}

} // namespace engine
