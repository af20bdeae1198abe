#include "editor/link/BoardWatch.h"

#include "editor/EditorSession.h"
#include "editor/controls/BottomBar.h"
#include "editor/controls/RunControls.h"
#include "editor/field/RowLight.h"
#include "editor/link/BoardLink.h"
#include "editor/link/BoardPanel.h"
#include "editor/link/InProcessBoard.h"
#include "engine/2d/Sprite.h"
#include "widgets/HitTest.h"

#include <vector>

using engine::Rect;

namespace {

constexpr float kGap = 2;

bool shows(const engine::Node* node) {
    for (const engine::Node* up = node; up; up = up->getParent()) {
        if (!up->isVisible()) {
            return false;
        }
    }
    return true;
}

// What the panel keeps clear of: where each control the session lists takes
// a touch, the run buttons' panel and the back tab, and the bottom bar as
// far as it reaches open (its settings tab over its whole slide). Popups
// need no place here: they come over the panel.
std::vector<Rect> controlAreas(const EditorSession& session) {
    const EditorRooms& rooms = session.rooms();
    std::vector<Rect> areas{HitTest::worldBoundingBox(rooms.runControls->getPlayerPanel()),
                            HitTest::worldBoundingBox(rooms.runControls->getBackTab())};
    for (const EditorSession::Control& control : session.controls()) {
        if (control.node && shows(control.node)) {
            areas.push_back(HitTest::touchArea(control.node));
        }
    }
    const BottomBar* bar = rooms.bottomBar;
    const float shut = bar->getPositionY();
    Rect open = HitTest::worldBoundingBox(bar->getPanel());
    open.origin.y -= shut;
    areas.push_back(open);
    if (const engine::Node* tab = bar->getSettingsTab()) {
        Rect slide = HitTest::worldBoundingBox(tab);
        slide.origin.y += BottomBar::kClosedY - shut;
        slide.size.height -= BottomBar::kClosedY;
        areas.push_back(slide);
    }
    return areas;
}

} // namespace

BoardWatch::BoardWatch(InProcessBoard& board, EditorSession& session, engine::Node* scene)
    : board_(board), session_(session),
      light_(std::make_unique<RowLight>(session.rooms().fieldView, *session.rooms().board)) {
    panel_ = BoardPanel::create(board, [&session] { return controlAreas(session); });
    if (panel_) {
        // Just left of the run buttons, level with their foot: between them and
        // the column of rows; the child moves it where it suits.
        const Rect run = HitTest::worldBoundingBox(session.rooms().runControls->getPlayerPanel());
        panel_->setPosition(run.getMinX() - BoardPanel::kWidth - kGap, run.getMinY());
        panel_->setVisible(false);
        scene->addChild(panel_.get());
    }
    board_.forgetProgram(); // a program still running from an editor opened earlier lights nothing here
    board_.onChange.take(this, [this] { changed(); });
    session.rooms().link->onBoardChosen = [this] { boardChosen(); };
}

BoardWatch::~BoardWatch() {
    board_.onChange.release(this);
    session_.rooms().link->onBoardChosen = nullptr;
    if (panel_) {
        panel_->removeFromParent();
    }
}

void BoardWatch::changed() {
    if (panel_) {
        // A program left running here after another board was chosen shows nothing.
        if (session_.rooms().link->simulatorChosen()) {
            panel_->setVisible(true);
        }
        panel_->refresh();
    }
    // Only the board in use is lit: after a real board is chosen, nothing
    // knows which card runs.
    light_->show(session_.rooms().link->simulatorChosen() ? board_.runningRow() : std::nullopt);
}

void BoardWatch::boardChosen() {
    if (!session_.rooms().link->simulatorChosen()) {
        if (panel_) {
            panel_->setVisible(false);
        }
        light_->show(std::nullopt);
    }
}
