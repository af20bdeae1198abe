#include "editor/EditorRooms.h"

#include "editor/EditorKeys.h"
#include "editor/cards/CardSprite.h"
#include "editor/controls/RunControls.h"
#include "editor/field/FieldBoard.h"
#include "editor/field/TrashCan.h"
#include "editor/focus/EditorFocus.h"
#include "editor/gestures/CardGestures.h"
#include "editor/history/UndoRedoControls.h"
#include "editor/link/BoardLink.h"
#include "editor/link/BoardWatch.h"
#include "editor/link/ScreenBoardWatch.h"
#include "editor/panel/ProgramPanel.h"
#include "editor/print/PrintButton.h"

EditorRooms::EditorRooms() = default;

EditorRooms::~EditorRooms() = default;
