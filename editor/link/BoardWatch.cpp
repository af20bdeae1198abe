#include "editor/link/BoardWatch.h"

#include "editor/controls/RunControls.h"
#include "editor/field/RowLight.h"
#include "editor/link/BoardPanel.h"
#include "editor/link/InProcessBoard.h"
#include "engine/2d/Sprite.h"

namespace {

constexpr float kGap = 2;

// What the panel keeps clear of: the run buttons' panel and the back button.
engine::Rect runControlsArea(const RunControls& controls) {
    const engine::Rect run = controls.getPlayerPanel()->getBoundingBox();
    const engine::Rect back = controls.getBackTab()->getBoundingBox();
    const float left = std::min(run.getMinX(), back.getMinX());
    const float bottom = std::min(run.getMinY(), back.getMinY());
    return {left, bottom, std::max(run.getMaxX(), back.getMaxX()) - left,
            std::max(run.getMaxY(), back.getMaxY()) - bottom};
}

} // namespace

BoardWatch::BoardWatch(InProcessBoard& board, engine::Node* scene, FieldScrollView* view,
                       const FieldBoard& field, const RunControls& runControls)
    : board_(board), light_(std::make_unique<RowLight>(view, field)) {
    panel_ = BoardPanel::create(board, [&runControls] { return runControlsArea(runControls); });
    if (panel_) {
        // Just left of the run buttons, level with their foot: between them and
        // the column of rows, above the bottom bar; the child moves it where it suits.
        const engine::Rect run = runControlsArea(runControls);
        panel_->setPosition(run.getMinX() - BoardPanel::kWidth - kGap, run.getMinY());
        panel_->setVisible(false);
        scene->addChild(panel_.get());
    }
    board_.onChange = [this] { changed(); };
}

BoardWatch::~BoardWatch() {
    board_.onChange = nullptr;
    if (panel_) {
        panel_->removeFromParent();
    }
}

void BoardWatch::changed() {
    if (panel_) {
        panel_->setVisible(true);
        panel_->refresh();
    }
    light_->show(board_.runningRow());
}
