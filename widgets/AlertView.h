#pragma once

#include "engine/2d/Node.h"

#include <cstdint>
#include <functional>
#include <string>

namespace engine {
class Event;
class Touch;
} // namespace engine

// The modal OK / Cancel box: a picture window with a message and two picture
// buttons over an invisible layer that takes every touch on the screen, so
// nothing beneath reacts while it shows. It decides nothing itself: the
// caller fills the callbacks, which usually end with close().
//
// Showing it is the caller's part: add it to the scene, set its opacity to 0
// and fade it in over kFadeDuration.
class AlertView : public engine::Node {
public:
    using Callback = std::function<void(AlertView*)>;

    static constexpr float kFadeDuration = 0.05f;
    static constexpr float kMessageFontSize = 28;

    // `message` is UTF-8. Null when the node cannot be initialised.
    static AlertView* create(const std::string& message);

    using engine::Node::init;
    virtual bool init(const std::string& message);

    // A box that only tells something: the Cancel button goes, and OK moves
    // to the middle of the window.
    void informOnly();

    // Drops the callbacks at once (so taps during the fade do nothing), then
    // fades the box out and removes it from the scene.
    void close();
    bool isClosing() const { return closing_; }

    // Escape: what a tap beside the window does. False when that is nothing.
    bool dismiss();
    // Return: what the OK button does. False when the box is closing.
    bool confirm();
    // The box on top among `parent`'s children that is not closing, or null.
    static AlertView* shownIn(const engine::Node* parent);

    // Each receives this box; empty after init.
    Callback onOk;
    Callback onCancel;
    // A tap outside the window.
    Callback onOutside;

protected:
    AlertView() = default;
    ~AlertView() override;

private:
    engine::Node* ok_ = nullptr;
    engine::Node* cancel_ = nullptr; // a child while shown
    bool closing_ = false;

    // Calls a copy, so that a callback that closes the box (and so empties
    // itself) is not destroyed while it runs.
    void invoke(const Callback& callback);
    void listenAsBackground(engine::Node* layer);
    void listenAsWindow(engine::Node* window);
    void listenAsButton(engine::Node* button, Callback AlertView::*callback);
};
