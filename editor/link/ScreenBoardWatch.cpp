#include "editor/link/ScreenBoardWatch.h"

#include "editor/link/ScreenBoard.h"

ScreenBoardWatch::ScreenBoardWatch(ScreenBoard& board, FieldScrollView* view, const FieldBoard& field)
    : board_(board), light_(view, field) {
    // A program still running from an editor left earlier wrote other rows.
    board_.forgetProgram();
    board_.onChange.take(this, [this] { light_.show(board_.runningRow()); });
}

ScreenBoardWatch::~ScreenBoardWatch() {
    board_.onChange.release(this);
}
