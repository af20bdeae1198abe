#pragma once

#include "engine/2d/LayerColor.h"
#include "engine/base/Geometry.h"

#include <array>
#include <functional>

namespace engine {
class Label;
} // namespace engine

class InProcessBoard;

// The board simulator's face in the editor: its LED, its buzzer, the six
// outputs and the car on their wheels, drawn from the board's state each time
// it changes. A child can drag it anywhere on the screen except over the run
// controls (`keepOff`, world units), where it would hide play and stop.
class BoardPanel : public engine::LayerColor {
public:
    // Narrow, to fit between the column of rows and the run buttons.
    static constexpr float kWidth = 84;
    static constexpr float kHeight = 330;

    static BoardPanel* create(InProcessBoard& board, std::function<engine::Rect()> keepOff);

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
    BoardPanel(InProcessBoard& board, std::function<engine::Rect()> keepOff)
        : board_(board), keepOff_(std::move(keepOff)) {}
    bool build();
    engine::LayerColor* lamp(float x, float y, float width, float height, const char* caption);
    void listenForDrags();

    InProcessBoard& board_;
    std::function<engine::Rect()> keepOff_;
    engine::LayerColor* led_ = nullptr;
    engine::LayerColor* buzzer_ = nullptr;
    std::array<engine::LayerColor*, 6> outputs_{};
    std::array<engine::LayerColor*, 2> wheels_{};
};
