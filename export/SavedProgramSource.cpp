#include "export/SavedProgramSource.h"

#include "catalogue/CatalogueView.h"
#include "engine/base/AutoreleasePool.h"
#include "engine/base/FileUtils.h"
#include "export/TextEscaping.h"
#include "field/FieldGeometry.h"
#include "field/FieldModel.h"
#include "field/ProgramDocument.h"
#include "store/SaveDataManager.h"

#include <charconv>
#include <cstdint>
#include <filesystem>
#include <fstream>

namespace pavlune {

namespace {

// The editor's window: the field's rows are laid out for its visible size.
const engine::Size kEditorVisibleSize(1024, 768);
// Pictures are drawn at twice their design size.
constexpr float kPictureScale = 2.0f;

std::uint32_t bigEndian32(const unsigned char* bytes) {
    return (std::uint32_t{bytes[0]} << 24) | (std::uint32_t{bytes[1]} << 16) |
           (std::uint32_t{bytes[2]} << 8) | std::uint32_t{bytes[3]};
}

bool endsWith(const std::string& text, const std::string& end) {
    return text.size() >= end.size() && text.compare(text.size() - end.size(), end.size(), end) == 0;
}

// The program file of the saved program with `identifier`, or "".
std::string programFileOf(const std::string& identifier, std::string& error) {
    int wanted = 0;
    const char* end = identifier.data() + identifier.size();
    if (identifier.empty() || std::from_chars(identifier.data(), end, wanted).ptr != end || wanted <= 0) {
        error = escapeText(identifier) + ": neither a saved program's identifier nor a .plist file";
        return {};
    }
    SaveDataManager* store = SaveDataManager::create(nullptr, SaveDataManager::Access::ReadOnly);
    for (const SaveData* data : store->getDatas()) {
        if (data->identifier == wanted) {
            return store->getProgramFullPath(data);
        }
    }
    error = "no saved program " + identifier + " (see --list-programs)";
    return {};
}

} // namespace

void SavedProgramSource::listPrograms(std::ostream& out) {
    // Only looks: a damaged list is read as the editor would rebuild it, but
    // nothing in the store is moved, created or written.
    SaveDataManager* store = SaveDataManager::create(nullptr, SaveDataManager::Access::ReadOnly);
    for (const SaveData* data : store->getDatas()) {
        out << data->identifier << '\t' << escapeText(data->modify) << '\t' << escapeText(data->title)
            << '\n';
    }
    engine::AutoreleasePool::current().clear();
}

std::string SavedProgramSource::titleOf(const std::string& program) {
    std::string title;
    SaveDataManager* store = SaveDataManager::create(nullptr, SaveDataManager::Access::ReadOnly);
    for (const SaveData* data : store->getDatas()) {
        if (std::to_string(data->identifier) == program) {
            title = data->title;
        }
    }
    engine::AutoreleasePool::current().clear();
    return title;
}

engine::Size SavedProgramSource::pictureDesignSize(const std::string& resource) {
    const std::string path = engine::FileUtils::getInstance()->fullPathForFilename(resource);
    std::ifstream in(path, std::ios::binary);
    unsigned char header[24] = {};
    // The signature, then the IHDR chunk: length, type, width, height.
    if (!in.read(reinterpret_cast<char*>(header), sizeof header) || header[1] != 'P' || header[2] != 'N' ||
        header[3] != 'G' || std::string(reinterpret_cast<char*>(header + 12), 4) != "IHDR") {
        return engine::Size();
    }
    return engine::Size(static_cast<float>(bigEndian32(header + 16)) / kPictureScale,
                        static_cast<float>(bigEndian32(header + 20)) / kPictureScale);
}

bool SavedProgramSource::fieldRowsOf(const std::string& program, FieldRows& rows, std::string& error) {
    // A file named on the command line is relative to the working directory,
    // not to the resource folders that the file layer searches.
    std::error_code noWorkingDirectory;
    const std::string file = !endsWith(program, ".plist") ? programFileOf(program, error)
                             : program.front() == '/'
                                 ? program
                                 : std::filesystem::absolute(program, noWorkingDirectory).string();
    if (file.empty()) {
        return false;
    }
    const std::optional<engine::Value> root = engine::FileUtils::getInstance()->readPropertyList(file);
    if (!root || root->getType() != engine::Value::Type::VECTOR) {
        error = escapeText(file) + ": not a program file (no readable array of cards)";
        return false;
    }
    const FieldGeometry geometry(kEditorVisibleSize, pictureDesignSize("res/r_field_no.png"),
                                 pictureDesignSize("res/r_field.png"),
                                 pictureDesignSize("res/r_btn_add.png"));
    // Only the card counts and face pictures are read: the same in every dialect.
    const CatalogueView catalogue(jam, basic);
    FieldModel model(geometry, catalogue);
    ProgramDocument document;
    document.load(root->asValueVector(), model, [&catalogue](int cardSet, int cardIndex) {
        return pictureDesignSize(catalogue.getCardFaceImage(cardIndex, cardSet));
    });
    rows = model.fieldRows();
    engine::AutoreleasePool::current().clear();
    return true;
}

} // namespace pavlune
