#include "editor/controls/FileButtons.h"

#include "editor/EditorTexts.h"
#include "editor/controls/BottomBar.h"
#include "widgets/ProgramSharing.h"
#include "widgets/TextButton.h"

using engine::Size;

void FileButtons::add(BottomBar* bar, const std::function<SaveData*()>& program) {
    if (!bar || !ProgramSharing::get()) {
        return;
    }
    const float halfWidth = (kRight - kLeft - kGap) / 2;
    const float lowerRowY = kTopRowY - kGap - kRowHeight;
    // Upper row: this program out, a file in; lower row: every program out.
    struct Place {
        const char* text;
        float x, y, width;
        std::function<void()> action;
    };
    const Place places[] = {
        {EditorTexts::kExportButton, kLeft, kTopRowY, halfWidth,
         [program] { ProgramSharing::get()->exportPrograms({program()}); }},
        {EditorTexts::kImportButton, kLeft + halfWidth + kGap, kTopRowY, halfWidth,
         [] { ProgramSharing::get()->importFile(); }},
        {EditorTexts::kExportAllButton, kLeft, lowerRowY, kRight - kLeft,
         [] { ProgramSharing::get()->exportAll(); }},
    };
    for (const Place& place : places) {
        if (engine::Node* button =
                TextButton::create(place.text, Size(place.width, kRowHeight), place.action)) {
            button->setPosition(place.x, place.y);
            bar->addChild(button);
        }
    }
}
