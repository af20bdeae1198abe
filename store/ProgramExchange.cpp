#include "store/ProgramExchange.h"

#include "engine/base/PlistCodec.h"
#include "store/SaveData.h"
#include "store/SaveDataManager.h"

#include <cstring>
#include <string_view>

std::optional<ProgramExchange::Exported> ProgramExchange::exportProgram(SaveDataManager& store,
                                                                        SaveData* data) {
    if (!data || data->identifier == 0) {
        return std::nullopt;
    }
    std::optional<SaveDataManager::Problem> problem;
    const engine::ValueVector program = store.loadProgram(data, &problem);
    if (problem) {
        return std::nullopt;
    }
    // Written anew rather than copied, so the file is always the store's own
    // form even when the one on disk came from another writer.
    return Exported{fileNameFor(data->title), engine::PlistCodec::toXml(program)};
}

ProgramExchange::ImportResult ProgramExchange::importProgram(SaveDataManager& store, const std::string& bytes,
                                                             const std::string& fileName, SaveData** added) {
    std::optional<engine::Value> root = engine::PlistCodec::parse(bytes);
    if (!root || root->getType() != engine::Value::Type::VECTOR) {
        return ImportResult::Unreadable;
    }
    SaveData* record = SaveData::create();
    if (store.saveProgram(record, root->asValueVector()) != SaveDataManager::SaveResult::Added) {
        return ImportResult::NotSaved;
    }
    // The program is in; a title the store refuses leaves the usual one.
    if (const std::string title = titleFor(fileName); !title.empty()) {
        store.renameData(record, title);
    }
    if (added) {
        *added = record;
    }
    return ImportResult::Added;
}

std::string ProgramExchange::fileNameFor(const std::string& title) {
    std::string name;
    for (const char c : title) {
        const auto byte = static_cast<unsigned char>(c);
        const bool refused = byte < 0x20 || byte == 0x7f || std::strchr("/\\:*?\"<>|", c) != nullptr;
        name += refused || (name.empty() && c == '.') ? '_' : c;
    }
    if (name.empty()) {
        name = "program";
    }
    return name + ".plist";
}

std::string ProgramExchange::titleFor(const std::string& fileName) {
    const std::size_t folderEnd = fileName.find_last_of("/\\");
    std::string title = folderEnd == std::string::npos ? fileName : fileName.substr(folderEnd + 1);
    constexpr std::string_view kExtension = ".plist";
    if (title.size() >= kExtension.size() &&
        title.compare(title.size() - kExtension.size(), kExtension.size(), kExtension) == 0) {
        title.resize(title.size() - kExtension.size());
    }
    return title;
}
