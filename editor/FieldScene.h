#pragma once

#include "engine/2d/Layer.h"
#include "engine/base/RefPtr.h"
#include "store/SaveData.h"
#include "widgets/FieldScrollViewDelegate.h"

#include <functional>
#include <memory>

namespace engine {
class Sprite;
}

class BoardLink;
class FieldBoard;
class FieldScrollView;
class InputCardSprite;
class NumberEditor;
class TrashCan;

// The editor screen of one program: the field of 40 numbered rows with the
// program's cards, the trash, and the back button, which saves the program's
// picture and returns to the list. Every finished edit writes the program
// file at once.
class FieldScene : public engine::Layer, public FieldScrollViewDelegate {
public:
    // `record` null starts a new program. Null when the layer cannot be made.
    static FieldScene* create(SaveData* record);
    virtual bool init(SaveData* record);

    SaveData* getSaveData() const { return record; }
    FieldScrollView* getFieldView() const { return fieldView; }
    FieldBoard* getBoard() const { return board.get(); }
    TrashCan* getTrash() const { return trash.get(); }
    engine::Sprite* getBackButton() const { return backButton; }
    NumberEditor* getNumberEditor() const { return numberEditor; }
    BoardLink* getBoardLink() const { return boardLink.get(); }
    engine::Layer* getBottomBar() const { return bottomBar; }

    // Writes the field to the program file; the first save of a new program
    // also lists it and draws its picture.
    void saveField();
    // Puts the program file's cards on the field (once, at the start).
    void loadField();
    // Draws the program's picture for the list and writes it; `done` runs on
    // the main thread once it is written (or could not be).
    void captureThumbnail(std::function<void()> done);
    // Opens the number editor over a number card on the field.
    void openNumberEditor(InputCardSprite* card);

    // Saves the picture, then replaces the running scene by the list; while
    // the board link works, waits for it (checking every 0.5 s).
    void goBack();

protected:
    FieldScene();
    ~FieldScene() override;

private:
    using engine::Layer::init;
    bool buildField();
    void buildBackButton();

    engine::RefPtr<SaveData> record;
    FieldScrollView* fieldView = nullptr;
    engine::Layer* paletteLayer = nullptr;
    std::unique_ptr<TrashCan> trash;
    std::unique_ptr<FieldBoard> board;
    engine::Sprite* backButton = nullptr;
    NumberEditor* numberEditor = nullptr;
    bool leaving = false;
    engine::Layer* bottomBar = nullptr;
    std::unique_ptr<BoardLink> boardLink;
};
