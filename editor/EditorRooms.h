#pragma once

#include <memory>

namespace engine {
class Layer;
} // namespace engine

class BoardLink;
class BoardWatch;
class BottomBar;
class CardGestures;
class CardPalette;
class DialectToggle;
class EditorFocus;
class EditorKeys;
class FieldBoard;
class FieldScrollView;
class NumberEditor;
class PrintButton;
class ProgramPanel;
class RunControls;
class ScreenBoardWatch;
class TrashCan;
class UndoRedoControls;

// What one editor screen is made of, in the order the scene builds it; taken
// apart in the reverse order. Nodes belong to the scene graph (null until
// built; the number editor only while it is open), the rest is owned here.
struct EditorRooms {
    EditorRooms();
    ~EditorRooms();
    EditorRooms(const EditorRooms&) = delete;
    EditorRooms& operator=(const EditorRooms&) = delete;

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
    std::unique_ptr<BoardLink> link;
    std::unique_ptr<PrintButton> printButton;
    std::unique_ptr<ProgramPanel> programPanel;
    std::unique_ptr<UndoRedoControls> undoRedo;
    std::unique_ptr<EditorFocus> focus;
    std::unique_ptr<EditorKeys> keys;
    // Only with the board simulator in this process.
    std::unique_ptr<BoardWatch> boardWatch;
    // Only with the simulator's own process.
    std::unique_ptr<ScreenBoardWatch> screenBoardWatch;
};
