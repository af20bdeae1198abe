#pragma once

#include <optional>

namespace engine {
class LayerColor;
} // namespace engine

class FieldBoard;
class FieldScrollView;

// A band of light over one field row's slot, framing the card on it:
// the row whose card the board is running. Only a board that can say so
// lights it (the simulator, in this process or reporting from its own); a
// real board never does.
class RowLight {
public:
    static constexpr float kMargin = 14; // content units beyond the slot on every side

    RowLight(FieldScrollView* view, const FieldBoard& board);
    ~RowLight();
    RowLight(const RowLight&) = delete;
    RowLight& operator=(const RowLight&) = delete;

    // Lights `row`, or nothing.
    void show(std::optional<int> row);
    std::optional<int> shown() const { return shown_; }

private:
    const FieldBoard& board_;
    engine::LayerColor* band_ = nullptr; // the view's child
    std::optional<int> shown_;
};
