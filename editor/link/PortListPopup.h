#pragma once

#include "device/SerialPortInfo.h"
#include "editor/focus/FocusFrame.h"
#include "engine/base/Geometry.h"

#include <functional>
#include <string>
#include <utility>
#include <vector>

namespace engine {
class EventListener;
class Layer;
class Node;
} // namespace engine

// The list of ports that opens above the port box: one row per listed port
// over a dimmed screen, framed in the theme blue. A row that is tapped is
// reported by its port's name (what the row showed, whatever a search did to
// the list meanwhile); a tap anywhere else closes the list.
class PortListPopup {
public:
    // Opens the list in `scene`, laid on `portField` (rows of its size, going
    // up from its top edge) with each row's text where `statusLabel` starts.
    // Fades in over 0.1 s.
    PortListPopup(engine::Node* scene, const engine::Node* portField, const engine::Node* statusLabel,
                  const std::vector<pavlune::SerialPortInfo>& ports);
    ~PortListPopup();

    PortListPopup(const PortListPopup&) = delete;
    PortListPopup& operator=(const PortListPopup&) = delete;

    // Released on the row of port `name` / outside the rows.
    std::function<void(const std::string& name)> onChoose;
    std::function<void()> onDismiss;

    // Hears no more touches and fades out over 0.1 s, then leaves the scene.
    void fadeAway();

    engine::Layer* getLayer() const { return layer_; }
    int rowCount() const { return static_cast<int>(rowListeners_.size()); }

    // The keys: the first move frames the row on the box, later ones move
    // the frame one row (+1 towards the box), round at the ends; choosing
    // reports the framed row as a tap on it would. False with no row framed.
    void moveFocus(int step);
    bool chooseFocused();
    // The framed row (0 on the box), -1 before the first move.
    int focusedRow() const { return focused_; }

private:
    void addRow(int index, const pavlune::SerialPortInfo& port, float left, float bottom, float width,
                float height, float textX);
    void removeListeners();

    engine::Layer* layer_ = nullptr;
    std::vector<engine::EventListener*> rowListeners_; // retained while the list is open
    // Each row's area (the layer's space) and port name, row 0 on the box.
    std::vector<std::pair<engine::Rect, std::string>> rows_;
    int focused_ = -1;
    FocusFrame frame_;
};
