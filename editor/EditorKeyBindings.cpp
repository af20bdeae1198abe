#include "editor/EditorKeyBindings.h"

#include "editor/EditorKeys.h"
#include "editor/EditorPopups.h"
#include "editor/FieldScene.h"
#include "editor/cards/NumberEditor.h"
#include "editor/controls/RunControls.h"
#include "editor/history/UndoRedoControls.h"
#include "editor/link/BoardLink.h"
#include "editor/link/SendingOverlay.h"
#include "editor/palette/DialectChooser.h"
#include "editor/palette/DialectToggle.h"
#include "editor/panel/ProgramPanel.h"
#include "widgets/AlertView.h"

void EditorKeyBindings::listPopups(FieldScene* scene, EditorPopups& popups) {
    // An alert box comes over everything else, so Escape answers it first
    // (as a tap beside its window).
    popups.add({"alert", [scene] { return AlertView::shownIn(scene) != nullptr; },
                [scene] { return AlertView::shownIn(scene)->dismiss(); }});
    popups.add({"program panel",
                [scene] { return scene->getProgramPanel() && scene->getProgramPanel()->isOpen(); },
                [scene] { return scene->getProgramPanel()->closeIfOpen(); }});
    popups.add({"port list",
                [scene] { return scene->getBoardLink() && scene->getBoardLink()->getPortList(); },
                [scene] {
                    scene->getBoardLink()->closePortList();
                    return true;
                }});
    // Still open while it fades away after a choice; Escape has nothing to do then.
    popups.add({"dialect chooser",
                [scene] { return scene->getDialectToggle() && scene->getDialectToggle()->getChooser(); },
                [scene] {
                    DialectToggle* toggle = scene->getDialectToggle();
                    if (toggle->getChooser()->isClosing()) {
                        return false;
                    }
                    toggle->closeDialectChooser();
                    return true;
                }});
    // Its box holds the keys itself while it types; listed for the moments it does not.
    popups.add({"number editor", [scene] { return scene->getNumberEditor() != nullptr; },
                [scene] {
                    NumberEditor* editor = scene->getNumberEditor();
                    if (editor->isClosing()) {
                        return false;
                    }
                    editor->cancel();
                    return true;
                }});
    // The sending overlay's stop button; its finished panel is left to a tap.
    popups.add({"sending overlay",
                [scene] { return scene->getBoardLink() && scene->getBoardLink()->getSendingOverlay(); },
                [scene] {
                    SendingOverlay* sending = scene->getBoardLink()->getSendingOverlay();
                    if (sending->isPanel() || !sending->onStop) {
                        return false;
                    }
                    sending->onStop();
                    return true;
                }});
    popups.add({"loading overlay",
                [scene] { return scene->getBoardLink() && scene->getBoardLink()->getLoadingOverlay(); },
                nullptr});
}

std::unique_ptr<EditorKeys> EditorKeyBindings::bind(FieldScene* scene, UndoRedoControls* undoRedo,
                                                    EditorPopups& popups) {
    auto keys = std::make_unique<EditorKeys>(scene, scene->getFieldView(), popups);
    keys->onPlay = [scene] {
        RunControls* controls = scene->getRunControls();
        if (controls && controls->onPlay) {
            controls->onPlay();
        }
    };
    keys->onUndo = [undoRedo] { undoRedo->undo(); };
    keys->onRedo = [undoRedo] { undoRedo->redo(); };
    return keys;
}
