#pragma once

#include "device/SerialPortInfo.h"

#include <functional>
#include <string>
#include <vector>

namespace engine {
class Label;
class Layer;
class Sprite;
} // namespace engine

// The port controls on the bottom bar: the "port" caption, the box that shows
// the chosen port and opens the port list, its status line, and the reload
// icon that searches again. They only show and report; the board link decides.
class PortControls {
public:
    // Builds the controls in `bar` (the bottom bar, whose space matches the
    // screen's while it is open). The status reads EditorTexts::kSearching and the reload
    // icon turns until the first status.
    explicit PortControls(engine::Layer* bar);

    // What the status line says for a link state (0 idle, 2 searching, 3
    // connecting), the listed ports and the chosen index; `missingName` is the
    // chosen port while it is unplugged.
    static std::string statusText(int state, const std::vector<pavlune::SerialPortInfo>& ports,
                                  int selectedIndex, const std::string& missingName = "");
    // Whether the reload icon turns in that state (while the link works).
    static bool turnsInState(int state);

    // Shows `text`; the reload icon stops where it is, or turns again.
    void showStatus(const std::string& text, bool turning);

    // Released on the reload icon / on the port box.
    std::function<void()> onReload;
    std::function<void()> onOpenList;

    engine::Sprite* getPortField() const { return portField_; }
    engine::Label* getStatusLabel() const { return statusLabel_; }
    engine::Sprite* getReloadIcon() const { return reloadIcon_; }

private:
    void startTurning();

    engine::Sprite* portCaption_ = nullptr;
    engine::Sprite* portField_ = nullptr;
    engine::Label* statusLabel_ = nullptr;
    engine::Sprite* reloadIcon_ = nullptr;
};
