#pragma once

#include "engine/2d/Layer.h"
#include "engine/base/RefPtr.h"
#include "store/SaveData.h"
#include "widgets/FieldScrollViewDelegate.h"

#include <functional>
#include <memory>
#include <vector>

namespace engine {
class Sprite;
}

class BoardLink;
class BottomBar;
class CardGestures;
class CardPalette;
class DialectToggle;
class EditorKeys;
class EditorPopups;
class FieldBoard;
class FieldScrollView;
class InputCardSprite;
class NumberEditor;
class ProgramPanel;
class RunControls;
class TrashCan;
class UndoRedoControls;

// The editor screen of one program: the palette on the left, the field of 40
// numbered rows with the program's cards in the middle, the run controls and
// the program panel's button on the right, the back button with undo and redo
// at the top right and the bottom bar with the port controls. It composes the
// rooms of editor/ and wires them together; every finished edit is saved at
// once and recorded as an undo step.
class FieldScene : public engine::Layer, public FieldScrollViewDelegate {
public:
    // `record` null starts a new program. Null when the layer cannot be made.
    static FieldScene* create(SaveData* record);
    // At start-up: reads the settings file and selects the dialect and card
    // set of the last run, which every editor of the process then opens with.
    static void restoreSettings();
    virtual bool init(SaveData* record);

    SaveData* getSaveData() const { return record; }
    FieldScrollView* getFieldView() const { return fieldView; }
    FieldBoard* getBoard() const { return board.get(); }
    TrashCan* getTrash() const { return trash.get(); }
    engine::Sprite* getBackButton() const;
    BottomBar* getBottomBar() const { return bottomBar; }
    RunControls* getRunControls() const { return runControls.get(); }
    engine::Layer* getPaletteLayer() const { return paletteLayer; }
    NumberEditor* getNumberEditor() const { return numberEditor; }
    CardGestures* getGestures() const { return gestures.get(); }
    CardPalette* getPalette() const { return palette; }
    DialectToggle* getDialectToggle() const { return dialectToggle; }
    BoardLink* getBoardLink() const { return boardLink.get(); }
    ProgramPanel* getProgramPanel() const { return programPanel.get(); }
    UndoRedoControls* getUndoRedo() const { return undoRedo.get(); }
    EditorKeys* getKeys() const { return keys.get(); }
    EditorPopups* getPopups() const { return popups.get(); }

    // Saves the field (the store writes it on its worker) and records an undo
    // step; the first save of a new program also lists it and draws its
    // picture. A failed save is reported once, until a save succeeds again.
    void saveField();
    // One message while saves keep failing; a save that succeeds ends it.
    void reportSaveOutcome(bool written);
    // Puts an edit back and says why: another copy of the editor holds the store.
    void refuseEdit();
    // Puts the program file's cards on the field (once, at the start), and
    // says when the file was unreadable, set aside or too long.
    void loadField();
    // Draws the program's picture for the list and writes it; `done` runs on
    // the main thread once it is written (or could not be). A picture not
    // written is logged and drawn again at the next save.
    void captureThumbnail(std::function<void()> done);
    // Whether one of the editor's popups or overlays (EditorKeyBindings lists
    // them) is open: nothing beneath it answers (keys, the wheel, the middle
    // button, the dialect toggle, undo).
    bool isModalOpen() const;
    // Where the controls drawn over the field lie (screen units): the back
    // button and its tab, the undo and redo buttons, the run panel, the code
    // button, the bar and its settings tab. A loose card is kept clear of them.
    std::vector<engine::Rect> controlAreas() const;
    // Play, unless a card on a row holds a number it refuses; then it says
    // which row and sends nothing. True when it started the program.
    bool playIfNumbersFit();
    // Opens the number editor over a number card on the field.
    void openNumberEditor(InputCardSprite* card);

    // Shows at once that the editor is leaving (the back button pressed, the
    // loading overlay); from the next frame on checks every 0.5 s until the
    // serial link is idle, then waits for the queued saves, saves the picture
    // and replaces the running scene by the list.
    void goBack();

    // Whether no port operation runs (the back button waits for it); idle
    // when unset.
    std::function<bool()> linkIsIdle;
    // Shows that leaving waits (for the serial link, then for the list).
    std::function<void()> showWaitingForLink;
    // Takes that away again when the list could not be opened.
    std::function<void()> hideWaitingForLink;

    // Once a zoom has come to rest (a frame after its last step, when the
    // view has put its offset right; each step of a pinch puts it off), the
    // loose cards it brought under a control are settled.
    void scrollViewDidZoom(FieldScrollView* view) override;

    // The wheel over the palette scrolls it (wired to the palette in init).
    std::function<void(float scrollY)> onPaletteWheel;

    static constexpr float kLeaveCheckInterval = 0.5f;
    static constexpr const char* kLeaveKey = "leave";
    static constexpr const char* kSettleKey = "settle";
    // Field units scrolled per wheel step.
    static constexpr float kWheelStep = 10;

protected:
    FieldScene();
    ~FieldScene() override;

private:
    using engine::Layer::init;
    bool buildField();
    void buildFrame();
    void listenToMouse();
    // One check of the back button's wait; true once leaving has started.
    bool tryToLeave();
    // The back button and the overlay as before the tap.
    void standDown();

    engine::RefPtr<SaveData> record;
    FieldScrollView* fieldView = nullptr;
    engine::Layer* paletteLayer = nullptr;
    std::unique_ptr<TrashCan> trash;
    std::unique_ptr<FieldBoard> board;
    BottomBar* bottomBar = nullptr;
    std::unique_ptr<RunControls> runControls;
    NumberEditor* numberEditor = nullptr;
    std::unique_ptr<CardGestures> gestures;
    CardPalette* palette = nullptr;
    DialectToggle* dialectToggle = nullptr;
    std::unique_ptr<BoardLink> boardLink;
    std::unique_ptr<ProgramPanel> programPanel;
    std::unique_ptr<UndoRedoControls> undoRedo;
    std::unique_ptr<EditorPopups> popups;
    std::unique_ptr<EditorKeys> keys;
    bool leaving = false;
    bool thumbnailOwed = false; // the last picture was not written
    bool saveFailureShown = false;
};
