#pragma once

#include "editor/field/RowLight.h"

class FieldBoard;
class FieldScrollView;
class ScreenBoard;

// Watching the simulator's own process from the editor (the Linux desktop's
// board on the screen, whose window shows the board itself): the lit row of
// the card it runs, from a program sent from this editor only.
class ScreenBoardWatch {
public:
    ScreenBoardWatch(ScreenBoard& board, FieldScrollView* view, const FieldBoard& field);
    ~ScreenBoardWatch();
    ScreenBoardWatch(const ScreenBoardWatch&) = delete;
    ScreenBoardWatch& operator=(const ScreenBoardWatch&) = delete;

    const RowLight& light() const { return light_; }

private:
    ScreenBoard& board_;
    RowLight light_;
};
