#pragma once

#include <functional>
#include <memory>

namespace engine {
class Layer;
class LayerColor;
} // namespace engine

namespace pavlune {
class SerialPage;
}

// The "ボードを えらぶ" button of a browser build, on the bottom bar beside
// the reload icon. The browser lets a page ask for a serial port only while
// it handles the user's press, so the page itself opens its chooser when a
// press on the button ends (SerialPage::setChooseArea). Whenever it is
// drawn, the button tells the page where it is, or that it cannot be
// pressed now; an idle editor draws nothing and asks nothing. A browser
// without serial ports keeps the button, and a press says why it cannot help.
class ChooseBoardButton {
public:
    static constexpr const char* kCaption = "ボードを えらぶ";

    // Builds the button in `bar`; `usable` says whether a press may open the
    // chooser now (no overlay, list or transfer in the way).
    ChooseBoardButton(engine::Layer* bar, std::shared_ptr<pavlune::SerialPage> page,
                      std::function<bool()> usable);
    ~ChooseBoardButton();

    ChooseBoardButton(const ChooseBoardButton&) = delete;
    ChooseBoardButton& operator=(const ChooseBoardButton&) = delete;

    // Tells the page where the button is now.
    void publishArea();
    engine::LayerColor* getNode() const { return button_; }

    // Called when the button is pressed in a browser without serial ports,
    // where the page has no chooser to open: the press is explained instead.
    std::function<void()> onUnavailable;

private:
    std::shared_ptr<pavlune::SerialPage> page_;
    std::function<bool()> usable_;
    engine::LayerColor* button_ = nullptr;
};
