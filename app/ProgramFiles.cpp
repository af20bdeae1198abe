#include "app/ProgramFiles.h"

#include "editor/ProgramPicture.h"
#include "engine/2d/Director.h"
#include "engine/2d/Scene.h"
#include "engine/platform/FileChooser.h"
#include "saves/SaveListTexts.h"
#include "saves/SaveScene.h"
#include "store/ClassFile.h"
#include "store/ProgramExchange.h"
#include "store/SaveData.h"
#include "store/SaveDataManager.h"
#include "widgets/Notice.h"

#include <algorithm>
#include <memory>
#include <optional>

using engine::FileChoice;
using Texts = SaveListTexts;

namespace {

engine::Node* runningScene() {
    return engine::Director::getInstance()->getRunningScene();
}

void tell(const std::string& message) {
    Notice::show(runningScene(), message, Texts::kNoticeCaption);
}

void tellFailure(const std::string& message) {
    Notice::showFailure(runningScene(), message, Texts::kFailureCaption);
}

// What a chooser that gave no file says; nothing for a cancel.
void tellUnchosen(const FileChoice& choice, const char* notDone) {
    if (choice.outcome == FileChoice::Outcome::Unavailable) {
        tellFailure(Texts::kNoChooserMessage);
    } else if (choice.outcome == FileChoice::Outcome::Failed) {
        tellFailure(notDone);
    }
}

// The list, when it is the screen shown; it shows the store anew.
void showListAgain() {
    engine::Scene* scene = engine::Director::getInstance()->getRunningScene();
    if (!scene) {
        return;
    }
    for (engine::Node* child : scene->getChildren()) {
        if (auto* list = dynamic_cast<SaveScene*>(child)) {
            list->reloadList();
        }
    }
}

} // namespace

ProgramFiles::ProgramFiles(engine::FileChooser& chooser) : chooser_(chooser) {
    chooser_.unasked = [this](const FileChoice& choice) { added(choice); };
}

ProgramFiles::~ProgramFiles() {
    chooser_.unasked = nullptr;
}

bool ProgramFiles::chooserFree() const {
    if (chooser_.isAsking()) {
        tell(Texts::kChooserOpenMessage);
        return false;
    }
    return true;
}

void ProgramFiles::exported(const FileChoice& choice, bool skipped) {
    if (choice.outcome == FileChoice::Outcome::Chosen) {
        const std::string message = Texts::kExportedMessage + choice.name;
        if (skipped) {
            tellFailure(message + "\n" + Texts::kSkippedMessage);
        } else {
            tell(message);
        }
    } else {
        tellUnchosen(choice, Texts::kNotWrittenMessage);
    }
}

void ProgramFiles::exportPrograms(const std::vector<SaveData*>& records) {
    if (records.size() != 1) {
        exportClass(records);
        return;
    }
    if (!chooserFree()) {
        return;
    }
    if (!records.front() || records.front()->identifier == 0) {
        tell(Texts::kNothingToExportMessage); // a new program not saved yet: no card laid
        return;
    }
    const std::optional<ProgramExchange::Exported> file =
        ProgramExchange::exportProgram(*SaveDataManager::getInstance(), records.front());
    if (!file) {
        tellFailure(Texts::kUnreadableProgramMessage);
        return;
    }
    chooser_.save(Texts::kExportTitle, file->fileName, file->bytes,
                  [](const FileChoice& choice) { exported(choice, false); });
}

void ProgramFiles::exportAll() {
    const auto& listed = SaveDataManager::getInstance()->getDatas();
    exportClass(std::vector<SaveData*>(listed.begin(), listed.end()));
}

void ProgramFiles::exportClass(const std::vector<SaveData*>& records) {
    if (!chooserFree()) {
        return;
    }
    if (records.empty()) {
        tell(Texts::kNothingToExportMessage);
        return;
    }
    ClassFile::Exported file = ClassFile::exportPrograms(*SaveDataManager::getInstance(), records);
    const bool skipped = file.skipped > 0;
    chooser_.save(Texts::kExportAllTitle, ClassFile::kFileName, std::move(file.bytes),
                  [skipped](const FileChoice& choice) { exported(choice, skipped); });
}

void ProgramFiles::importFile() {
    if (SaveDataManager::getInstance()->isReadOnly()) {
        tell(Texts::kReadOnlyMessage);
        return;
    }
    if (!chooserFree()) {
        return;
    }
    chooser_.open(Texts::kImportTitle, [this](const FileChoice& choice) { added(choice); });
}

void ProgramFiles::added(const FileChoice& choice) {
    if (choice.outcome != FileChoice::Outcome::Chosen) {
        tellUnchosen(choice, Texts::kNotReadMessage);
    } else if (SaveDataManager::getInstance()->isReadOnly()) {
        tell(Texts::kReadOnlyMessage);
    } else {
        add(choice.bytes, choice.name);
    }
}

void ProgramFiles::add(const std::string& bytes, const std::string& name) {
    SaveDataManager* store = SaveDataManager::getInstance();
    SaveData* added = nullptr;
    const ProgramExchange::ImportResult result = ProgramExchange::importProgram(*store, bytes, name, &added);
    if (result == ProgramExchange::ImportResult::Added) {
        drawPictures(1);
        tell(Texts::kImportedMessage + added->title + Texts::kImportedWhere);
        return;
    }
    if (result == ProgramExchange::ImportResult::NotSaved) {
        tellFailure(Texts::kProgramNotSavedMessage);
        return;
    }
    // Not one program: perhaps a whole class.
    const ClassFile::Imported imported = ClassFile::importAll(*store, bytes);
    drawPictures(imported.added);
    switch (imported.result) {
    case ClassFile::Result::Added:
        tell(Texts::kImportedCountBefore + std::to_string(imported.added) + Texts::kImportedCountAfter +
             Texts::kImportedWhere);
        break;
    case ClassFile::Result::NotSaved:
        tellFailure(Texts::kProgramNotSavedMessage);
        break;
    case ClassFile::Result::Unreadable:
        tellFailure(Texts::kNotAProgramMessage);
        break;
    }
}

void ProgramFiles::drawPictures(int count) {
    SaveDataManager* store = SaveDataManager::getInstance();
    count = std::min(count, static_cast<int>(store->getDatas().size()));
    if (count <= 0) {
        return;
    }
    // The new entries at once (with the empty picture), then with their own.
    SaveScene::setSavedListOffset(0);
    showListAgain();
    auto waiting = std::make_shared<int>(count);
    for (int i = 0; i < count; ++i) {
        SaveData* record = store->getDatas().at(static_cast<std::size_t>(i));
        ProgramPicture::draw(record, store->loadProgram(record), [waiting](const std::string&) {
            if (--*waiting == 0) {
                showListAgain();
            }
        });
    }
}
