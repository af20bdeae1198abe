#pragma once

#include "engine/2d/Layer.h"
#include "store/SaveData.h"
#include "widgets/FieldScrollViewDelegate.h"

#include <functional>
#include <memory>
#include <vector>

namespace engine {
class Sprite;
}

class EditorSession;
class InputCardSprite;

// The editor screen of one program: the palette on the left, the field of 40
// numbered rows with the program's cards in the middle, the run controls and
// the program panel's button on the right, the back button with undo and redo
// at the top right and the bottom bar with the port controls. It lays out
// the rooms of editor/ and hands them to its EditorSession, which holds the
// choices, the popups and the commands they share; every finished edit the
// session hears of is saved at once and recorded as an undo step.
class FieldScene : public engine::Layer, public FieldScrollViewDelegate {
public:
    // `record` null starts a new program. Null when the layer cannot be made.
    static FieldScene* create(SaveData* record);
    virtual bool init(SaveData* record);

    EditorSession& getSession() const { return *session_; }

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
    // A field scrolled before every card node is built builds the rest at
    // once, so a card scrolled into sight is there to be touched.
    void scrollViewDidScroll(FieldScrollView* view) override;

    // The wheel over the palette scrolls it (wired to the palette in init).
    std::function<void(float scrollY)> onPaletteWheel;

    static constexpr float kLeaveCheckInterval = 0.5f;
    static constexpr const char* kLeaveKey = "leave";
    static constexpr const char* kSettleKey = "settle";
    static constexpr const char* kBuildingKey = "building";
    // Field units scrolled per wheel step: half a row.
    static constexpr float kWheelStep = 65;

protected:
    FieldScene();
    ~FieldScene() override;

private:
    using engine::Layer::init;
    // The field's view, the board of rows on it and the gestures on its cards.
    bool buildField();
    void buildFrame();
    // The palette, its card set tabs and the dialect toggle.
    bool buildPalette();
    // The port controls in the bar, play and stop, and their workers.
    void buildLink();
    // Undo and redo from the program as loaded, beside the back button.
    bool buildHistory();
    // The rooms' popups (in Escape's order) and commands.
    void registerRooms();
    engine::Sprite* backButton() const;
    void listenToMouse();
    // The busy overlay once the editor has slid in, while cards out of sight
    // are still being built.
    void showWhileBuilding();
    void listenForHiding();
    // One check of the back button's wait; true once leaving has started.
    bool tryToLeave();
    // The back button and the overlay as before the tap.
    void standDown();

    std::unique_ptr<EditorSession> session_;
    bool leaving = false;
    bool thumbnailOwed = false; // the last picture was not written
    bool saveFailureShown = false;
};
