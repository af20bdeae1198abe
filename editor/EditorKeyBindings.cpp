#include "editor/EditorKeyBindings.h"

#include "editor/EditorKeys.h"
#include "editor/FieldScene.h"
#include "editor/cards/NumberEditor.h"
#include "editor/controls/RunControls.h"
#include "editor/history/UndoRedoControls.h"
#include "editor/link/BoardLink.h"
#include "editor/link/SendingOverlay.h"
#include "editor/palette/DialectChooser.h"
#include "editor/palette/DialectToggle.h"
#include "editor/panel/ProgramPanel.h"

std::unique_ptr<EditorKeys> EditorKeyBindings::bind(FieldScene* scene, UndoRedoControls* undoRedo) {
    auto keys = std::make_unique<EditorKeys>(scene, scene->getFieldView());
    keys->onPlay = [scene] {
        RunControls* controls = scene->getRunControls();
        if (controls && controls->onPlay) {
            controls->onPlay();
        }
    };
    keys->onUndo = [undoRedo] { undoRedo->undo(); };
    keys->onRedo = [undoRedo] { undoRedo->redo(); };
    // Nothing may change behind a popup or an overlay, nor a second send start
    // behind the sending one. The number editor's box holds the keys itself
    // while it types; it is named for the moments it does not.
    keys->isModalOpen = [scene] { return scene->isModalOpen(); };

    keys->addCloser([scene] {
        ProgramPanel* panel = scene->getProgramPanel();
        return panel && panel->closeIfOpen();
    });
    keys->addCloser([scene] {
        BoardLink* link = scene->getBoardLink();
        if (!link || !link->getPortList()) {
            return false;
        }
        link->closePortList();
        return true;
    });
    keys->addCloser([scene] {
        DialectToggle* toggle = scene->getDialectToggle();
        DialectChooser* chooser = toggle ? toggle->getChooser() : nullptr;
        if (!chooser || chooser->isClosing()) {
            return false;
        }
        toggle->closeDialectChooser();
        return true;
    });
    keys->addCloser([scene] {
        NumberEditor* editor = scene->getNumberEditor();
        if (!editor || editor->isClosing()) {
            return false;
        }
        editor->cancel();
        return true;
    });
    // The sending overlay's stop button; its finished panel is left to a tap.
    keys->addCloser([scene] {
        BoardLink* link = scene->getBoardLink();
        SendingOverlay* sending = link ? link->getSendingOverlay() : nullptr;
        if (!sending || sending->isPanel() || !sending->onStop) {
            return false;
        }
        sending->onStop();
        return true;
    });
    return keys;
}
