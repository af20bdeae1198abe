#pragma once

#include "engine/base/Geometry.h"
#include "program/FieldRows.h"

#include <functional>
#include <memory>
#include <string>

namespace engine {
class Label;
class LayerColor;
class Node;
class Sprite;
} // namespace engine

class EditorChoices;
class EditorSession;
class ListingView;

// The whole program at a glance: a button under the run controls opens a
// panel with the field's program as a send in the current dialect would make
// it (jam with its line numbers, latte indented, que one instruction a line
// with its bytes and reading), scrolled by a drag or the wheel, with a copy
// button (or Ctrl+C) that puts the text on the clipboard. A tap outside the
// panel closes it; so does Escape (the panel is one of the session's popups).
class ProgramPanel {
public:
    static constexpr const char* kButtonImage = "res/r_program.png";
    static constexpr const char* kCopyImage = "res/r_copy.png";
    // Between the button and the back button's left edge.
    static constexpr float kGapBelowPlayer = 20;
    // Above every control of the scene, the dialect toggle (1) included.
    static constexpr int kPanelZOrder = 100;
    // Lines scrolled per wheel step.
    static constexpr float kWheelLines = 2;
    // How long the note that the text was copied stays.
    static constexpr float kCopiedNoteDuration = 1.5f;

    // Adds the button to `scene` centred under `playerPanel`, the run controls'
    // panel, where neither the rows nor the trash can reach.
    // `fieldRows` gives the field's program when the panel opens, in the
    // dialect `choices` (not owned) holds then.
    ProgramPanel(engine::Node* scene, const engine::Node* playerPanel,
                 std::function<pavlune::FieldRows()> fieldRows, const EditorChoices& choices);
    ~ProgramPanel();

    ProgramPanel(const ProgramPanel&) = delete;
    ProgramPanel& operator=(const ProgramPanel&) = delete;

    bool isOpen() const { return layer_ != nullptr; }
    // Shows the program as it is now; nothing when already open.
    void open();
    void close();
    // For the keyboard's Escape: closes the panel if it is open, saying whether it was.
    bool closeIfOpen();
    // The panel is a popup: nothing beneath answers while it is open.
    void registerWith(EditorSession& session);
    // Puts the shown text on the clipboard.
    void copy();

    // The text shown, as it is copied; empty while closed.
    const std::string& getText() const { return text_; }
    engine::Sprite* getButton() const { return button_; }
    engine::LayerColor* getLayer() const { return layer_; }
    engine::LayerColor* getSheet() const { return sheet_; }
    engine::Sprite* getCopyButton() const { return copyButton_; }
    ListingView* getListing() const { return listing_.get(); }

private:
    void buildHeader(const std::string& dialectName);
    void listenForTapsOutside();
    void listenToTheWheel();
    void listenForCopyKey();

    engine::Node* scene_ = nullptr;
    std::function<pavlune::FieldRows()> fieldRows_;
    const EditorChoices& choices_;
    engine::Sprite* button_ = nullptr;
    engine::LayerColor* layer_ = nullptr;
    engine::LayerColor* sheet_ = nullptr;
    engine::Sprite* copyButton_ = nullptr;
    engine::Label* copiedNote_ = nullptr;
    std::unique_ptr<ListingView> listing_;
    std::string text_;
    bool touchBeganOutside_ = false;
};
