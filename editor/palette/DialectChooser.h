#pragma once

#include "editor/focus/FocusFrame.h"
#include "engine/2d/Layer.h"

#include <array>
#include <cstdint>
#include <functional>

namespace engine {
class EventListener;
class Sprite;
} // namespace engine

// The popup over the whole screen that offers the three dialects (jam,
// latte, que) as buttons in a row leftwards from above the dialect toggle,
// on a grey veil. A tapped option reports the choice at once, slides onto
// the toggle and then asks to be closed; a tap on the veil asks to be closed
// without a choice (Escape does the same through the editor's keyboard). The
// owner decides what closing means and calls `fadeAway`.
class DialectChooser : public engine::Layer {
public:
    static constexpr int kDialectCount = 3;
    static constexpr float kFadeDuration = 0.1f;
    static constexpr float kSlideDuration = 0.1f;
    // The options' row lies this far above the toggle, with this gap between options.
    static constexpr float kRise = 100;
    static constexpr float kOptionGap = 20;
    static constexpr std::uint8_t kPressedOpacity = 128;
    static const engine::Color4B kVeilColour;

    // The options, `current` among them shown as chosen; fades in.
    static DialectChooser* create(engine::Vec2 togglePosition, int current);

    // Fades out and removes itself, then runs `then`. Takes no more touches.
    void fadeAway(const std::function<void()>& then);

    // Null while the picture is missing.
    engine::Sprite* option(int dialect) const;
    bool isClosing() const { return closing_; }

    // The keys: the first move frames the current dialect, later ones move
    // the frame one option (+1 rightwards), round at the ends; choosing takes
    // the framed option as a tap on it would. False with none framed.
    void moveFocus(int step);
    bool chooseFocused();
    // The framed dialect, -1 before the first move.
    int focusedDialect() const { return focused_; }

    std::function<void(int dialect)> onChosen;
    std::function<void()> onCloseRequested;

protected:
    DialectChooser(engine::Vec2 togglePosition, int current)
        : togglePosition_(togglePosition), current_(current) {}
    ~DialectChooser() override;
    bool initChooser();

private:
    using engine::Layer::init;
    void addOptions();
    void listenToOption(engine::Sprite* option);
    void listenToVeil();
    void requestClose();
    void choose(engine::Sprite* option);

    engine::Vec2 togglePosition_;
    int current_;
    std::array<engine::Sprite*, kDialectCount> options_{};
    bool closing_ = false;
    // An option was tapped; the others no longer react.
    bool chosen_ = false;
    int focused_ = -1;
    FocusFrame frame_;
};
