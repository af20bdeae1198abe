#include "store/ClassFile.h"

#include "engine/base/PlistCodec.h"
#include "store/SaveData.h"
#include "store/SaveDataManager.h"

#include <optional>
#include <vector>

using engine::Value;
using engine::ValueMap;
using engine::ValueVector;

namespace {

struct Program {
    std::string title;
    ValueVector cards;
};

const Value* find(const ValueMap& map, const char* key) {
    const auto it = map.find(key);
    return it == map.end() ? nullptr : &it->second;
}

// The programs of a class file, or nothing when any part is not as written.
std::optional<std::vector<Program>> readPrograms(const std::string& bytes) {
    const std::optional<Value> root = engine::PlistCodec::parse(bytes);
    if (!root || root->getType() != Value::Type::MAP) {
        return std::nullopt;
    }
    const ValueMap& file = root->asValueMap();
    const Value* format = find(file, "format");
    const Value* version = find(file, "version");
    const Value* programs = find(file, "programs");
    if (!format || format->getType() != Value::Type::STRING || format->asString() != ClassFile::kFormat ||
        !version || version->getType() != Value::Type::INTEGER || version->asInt() != ClassFile::kVersion ||
        !programs || programs->getType() != Value::Type::VECTOR) {
        return std::nullopt;
    }
    std::vector<Program> read;
    for (const Value& entry : programs->asValueVector()) {
        if (entry.getType() != Value::Type::MAP) {
            return std::nullopt;
        }
        const Value* title = find(entry.asValueMap(), "title");
        const Value* cards = find(entry.asValueMap(), "program");
        if (!title || title->getType() != Value::Type::STRING || !cards ||
            cards->getType() != Value::Type::VECTOR) {
            return std::nullopt;
        }
        read.push_back({title->asString(), cards->asValueVector()});
    }
    return read;
}

} // namespace

ClassFile::Exported ClassFile::exportAll(SaveDataManager& store) {
    const auto& listed = store.getDatas();
    return exportPrograms(store, std::vector<SaveData*>(listed.begin(), listed.end()));
}

ClassFile::Exported ClassFile::exportPrograms(SaveDataManager& store, const std::vector<SaveData*>& records) {
    Exported exported;
    ValueVector programs;
    for (SaveData* data : records) {
        std::optional<SaveDataManager::Problem> problem;
        ValueVector cards = store.loadProgram(data, &problem);
        if (problem) {
            ++exported.skipped;
            continue;
        }
        programs.push_back(
            Value(ValueMap{{"title", Value(data->title)}, {"program", Value(std::move(cards))}}));
    }
    exported.programs = static_cast<int>(programs.size());
    exported.bytes = engine::PlistCodec::toXml(Value(ValueMap{
        {"format", Value(kFormat)}, {"version", Value(kVersion)}, {"programs", Value(std::move(programs))}}));
    return exported;
}

ClassFile::Imported ClassFile::importAll(SaveDataManager& store, const std::string& bytes) {
    Imported imported;
    const std::optional<std::vector<Program>> programs = readPrograms(bytes);
    if (!programs) {
        return imported;
    }
    // Each new entry goes to the front: the file's last (oldest) first.
    for (auto program = programs->rbegin(); program != programs->rend(); ++program) {
        SaveData* record = SaveData::create();
        if (store.saveProgram(record, program->cards) != SaveDataManager::SaveResult::Added) {
            imported.result = Result::NotSaved;
            return imported;
        }
        store.renameData(record, program->title);
        ++imported.added;
    }
    imported.result = Result::Added;
    return imported;
}
