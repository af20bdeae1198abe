#pragma once

#include "engine/2d/LayerColor.h"
#include "engine/base/Geometry.h"

#include <array>
#include <functional>
#include <vector>

namespace engine {
class Label;
} // namespace engine

class InProcessBoard;

// The board simulator's face in the editor: its LED, its buzzer, the six
// outputs and the car on their wheels, drawn from the board's state each time
// it changes. A child can drag it anywhere on the screen except over the
// areas `keepClear` gives (world units: the controls, which it would hide).
class BoardPanel : public engine::LayerColor {
public:
    // Narrow, to fit between the column of rows and the run buttons.
    static constexpr float kWidth = 84;
    static constexpr float kHeight = 330;

    using Areas = std::function<std::vector<engine::Rect>()>;
    static BoardPanel* create(InProcessBoard& board, Areas keepClear);

    // Shows the board as it is now.
    void refresh();
    // Moves by `delta` unless that would leave the screen or cover what is kept clear.
    bool moveBy(const engine::Vec2& delta);

    engine::Node* led() const { return led_; }
    engine::Node* buzzer() const { return buzzer_; }
    engine::Node* output(int port) const { return outputs_.at(static_cast<std::size_t>(port - 1)); }
    engine::Node* leftWheel() const { return wheels_[0]; }
    engine::Node* rightWheel() const { return wheels_[1]; }

private:
    BoardPanel(InProcessBoard& board, Areas keepClear) : board_(board), keepClear_(std::move(keepClear)) {}
    bool build();
    engine::LayerColor* lamp(float x, float y, float width, float height, const char* caption);
    void listenForDrags();

    InProcessBoard& board_;
    Areas keepClear_;
    engine::LayerColor* led_ = nullptr;
    engine::LayerColor* buzzer_ = nullptr;
    std::array<engine::LayerColor*, 6> outputs_{};
    std::array<engine::LayerColor*, 2> wheels_{};
};
