#pragma once

#include "engine/base/RefPtr.h"

#include <memory>

namespace engine {
class Node;
} // namespace engine

class BoardPanel;
class EditorSession;
class InProcessBoard;
class RowLight;

// Watching the simulator in this process from the editor: its panel (shown
// from the first thing sent to it on, while it is the chosen board) and the
// lit row of the card it runs. Both follow the board only when it changes.
class BoardWatch {
public:
    // The session's rooms are built up to its board link.
    BoardWatch(InProcessBoard& board, EditorSession& session, engine::Node* scene);
    ~BoardWatch();
    BoardWatch(const BoardWatch&) = delete;
    BoardWatch& operator=(const BoardWatch&) = delete;

    BoardPanel* panel() const { return panel_.get(); }
    const RowLight& light() const { return *light_; }

private:
    void changed();
    void boardChosen();

    InProcessBoard& board_;
    EditorSession& session_;
    engine::RefPtr<BoardPanel> panel_;
    std::unique_ptr<RowLight> light_;
};
