#pragma once

namespace engine {
class LayerColor;
class Node;
} // namespace engine

// The grey busy overlay: a turning spinner over the whole screen that takes
// every touch, so nothing beneath reacts while the board is being stopped or
// the editor waits for the link before leaving.
class LoadingOverlay {
public:
    // Above everything of the editor, a card being dragged included.
    static constexpr int kZOrder = 2000;

    explicit LoadingOverlay(engine::Node* scene);
    // Takes the overlay off the screen.
    ~LoadingOverlay();

    LoadingOverlay(const LoadingOverlay&) = delete;
    LoadingOverlay& operator=(const LoadingOverlay&) = delete;

    engine::LayerColor* getLayer() const { return layer_; }

private:
    engine::LayerColor* layer_ = nullptr;
};
