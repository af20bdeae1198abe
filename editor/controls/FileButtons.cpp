#include "editor/controls/FileButtons.h"

#include "editor/EditorSession.h"
#include "editor/EditorTexts.h"
#include "editor/controls/BottomBar.h"
#include "widgets/ProgramSharing.h"
#include "widgets/TextButton.h"

using engine::Size;

void FileButtons::add(BottomBar* bar, EditorSession& session, const std::function<SaveData*()>& program) {
    if (!bar || !ProgramSharing::get()) {
        return;
    }
    struct Place {
        const char* text;
        float width;
        std::function<void()> action;
    };
    const Place places[] = {
        {EditorTexts::kExportButton, kShortWidth,
         [program] { ProgramSharing::get()->exportPrograms({program()}); }},
        {EditorTexts::kExportAllButton, kLongWidth, [] { ProgramSharing::get()->exportAll(); }},
        {EditorTexts::kImportButton, kShortWidth, [] { ProgramSharing::get()->importFile(); }},
    };
    float x = kLeft;
    for (const Place& place : places) {
        if (engine::Node* button = TextButton::create(place.text, Size(place.width, kHeight), place.action)) {
            button->setPosition(x, kY);
            bar->addChild(button);
            session.addControl({button, place.action});
        }
        x += place.width + kGap;
    }
}
