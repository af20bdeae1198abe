#pragma once

#include "engine/base/RefPtr.h"

#include <memory>

namespace engine {
class Node;
} // namespace engine

class BoardPanel;
class FieldBoard;
class FieldScrollView;
class InProcessBoard;
class RowLight;
class RunControls;

// Watching the simulator in this process from the editor: its panel (shown
// from the first thing sent to it on) and the lit row of the card it runs.
// Both follow the board only when it changes.
class BoardWatch {
public:
    BoardWatch(InProcessBoard& board, engine::Node* scene, FieldScrollView* view, const FieldBoard& field,
               const RunControls& runControls);
    ~BoardWatch();
    BoardWatch(const BoardWatch&) = delete;
    BoardWatch& operator=(const BoardWatch&) = delete;

    BoardPanel* panel() const { return panel_.get(); }
    const RowLight& light() const { return *light_; }

private:
    void changed();

    InProcessBoard& board_;
    engine::RefPtr<BoardPanel> panel_;
    std::unique_ptr<RowLight> light_;
};
