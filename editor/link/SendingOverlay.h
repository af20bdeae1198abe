#pragma once

#include <functional>
#include <string>

namespace engine {
class Label;
class LayerColor;
class Node;
class Sprite;
} // namespace engine

// The dark overlay of a send: the text that goes to the board as it goes, a
// turning spinner and a stop button. When the send ends (or is stopped) it
// becomes a panel that keeps the text until the user taps it.
class SendingOverlay {
public:
    // `boardFont`: the text is shown in the board's own character set (jam),
    // otherwise in the Japanese system font.
    SendingOverlay(engine::Node* scene, bool boardFont);
    ~SendingOverlay();

    SendingOverlay(const SendingOverlay&) = delete;
    SendingOverlay& operator=(const SendingOverlay&) = delete;

    // Released on the stop button (the panel comes on the next frame).
    std::function<void()> onStop;
    // Released inside the panel: the owner removes the overlay.
    std::function<void()> onClose;

    void appendText(const std::string& text);
    // The stop button and the spinner go; a tap inside closes the panel.
    void finish();
    bool isPanel() const { return finished_; }

    engine::LayerColor* getLayer() const { return layer_; }
    engine::Label* getText() const { return text_; }
    engine::Sprite* getStopButton() const { return stopButton_; }
    engine::Sprite* getSpinner() const { return spinner_; }

private:
    void addStopButton();

    engine::Node* scene_ = nullptr;
    engine::LayerColor* layer_ = nullptr;
    engine::Sprite* stopButton_ = nullptr;
    engine::Sprite* spinner_ = nullptr;
    engine::Label* text_ = nullptr;
    bool finished_ = false;
};
