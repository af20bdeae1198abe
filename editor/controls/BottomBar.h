#pragma once

#include "engine/2d/Layer.h"

namespace engine {
class Label;
class Sprite;
} // namespace engine

// The bar that slides up from the bottom of the editor with the port
// controls, the version and the copyright notice. Closed, only its top edge
// and the settings tab above it show; the settings button opens and closes it.
class BottomBar : public engine::Layer {
public:
    static constexpr float kPanelHeight = 96;
    static constexpr float kClosedY = -92;
    static constexpr float kSlideDuration = 0.2f;

    CREATE_FUNC(BottomBar);
    bool init() override;

    // The panel right of the palette (749 x 96) that holds the controls.
    engine::Layer* getPanel() const { return panel; }
    engine::Sprite* getSettingsButton() const { return settingsButton; }
    // The tab the settings button sits on, above the bar; null without its picture.
    engine::Sprite* getSettingsTab() const { return settingsTab; }
    engine::Label* getCopyrightLabel() const { return copyrightLabel; }
    engine::Label* getVersionLabel() const { return versionLabel; }

    bool isOpen() const { return open_; }
    void open();
    void close();
    void toggle();

    // The file URL of the copyright page ("file:///C:/..." for a drive path);
    // empty when the page is not installed. Each platform's package ships its
    // own libraries' licences: the build names the page (PAVLUNE_COPYRIGHT_PAGE).
    static std::string copyrightPageUrl();

private:
    void slideTo(float y);

    engine::Layer* panel = nullptr;
    engine::Sprite* settingsButton = nullptr;
    engine::Sprite* settingsTab = nullptr;
    engine::Label* copyrightLabel = nullptr;
    engine::Label* versionLabel = nullptr;
    bool open_ = false;
};
