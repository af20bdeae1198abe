#include "editor/controls/BottomBar.h"

#include "engine/2d/Label.h"
#include "engine/2d/LayerColor.h"
#include "engine/2d/Sprite.h"
#include "engine/2d/actions/MoveTo.h"
#include "engine/2d/events/EventDispatcher.h"
#include "engine/2d/events/EventListenerTouchOneByOne.h"
#include "engine/2d/events/Touch.h"
#include "engine/base/FileUtils.h"
#include "engine/platform/Application.h"
#include "widgets/Design.h"
#include "widgets/HitTest.h"
#include "widgets/PressedButton.h"

using engine::Size;
using engine::Vec2;

namespace {

constexpr float kBlueBandHeight = 66;
constexpr float kBlueBandY = 30;
constexpr float kSmallFontSize = 12;

engine::Label* themeLabel(const std::string& text, const Vec2& anchor, const Vec2& position) {
    auto* label = engine::Label::createWithSystemFont(text, "Helvetica", kSmallFontSize);
    if (label) {
        label->setTextColor(design::kThemeBlue);
        label->setAnchorPoint(anchor);
        label->setPosition(position);
    }
    return label;
}

} // namespace

bool BottomBar::init() {
    if (!Layer::init()) {
        return false;
    }
    const Size panelSize(design::kWidth - design::kPaletteWidth, kPanelHeight);
    panel = engine::Layer::create();
    auto* white = engine::LayerColor::create(engine::Color4B::WHITE, panelSize.width, panelSize.height);
    auto* blue = engine::LayerColor::create(design::kThemeBlue, panelSize.width, kBlueBandHeight);
    if (!panel || !white || !blue) {
        return false;
    }
    panel->setContentSize(panelSize);
    panel->setPosition(design::kPaletteWidth, 0);
    blue->setPosition(0, kBlueBandY);
    panel->addChild(white);
    panel->addChild(blue);
    addChild(panel);
    // The bar is solid: a press on its blank parts stays with it instead of
    // lifting a card behind it. Its controls are drawn above and asked first.
    auto* solid = engine::EventListenerTouchOneByOne::create();
    solid->setSwallowTouches(true);
    solid->onTouchBegan = [this](engine::Touch* touch, engine::Event*) {
        return HitTest::worldBoundingBox(panel).containsPoint(touch->getLocation());
    };
    getEventDispatcher()->addEventListenerWithSceneGraphPriority(solid, white);

    // The bar's own layer spans the design width, so these sit in screen x.
    copyrightLabel = themeLabel("Copyright", Vec2(1, 0), Vec2(design::kWidth - 8, 10));
    versionLabel = themeLabel(std::string("Ver ") + PAVLUNE_VERSION, Vec2(0, 0), Vec2(278, 10));
    for (engine::Label* label : {copyrightLabel, versionLabel}) {
        if (label) {
            addChild(label);
        }
    }
    if (copyrightLabel) {
        PressedButton::attach(copyrightLabel, [] {
            if (engine::Application* application = engine::Application::getInstance()) {
                application->openURL(copyrightPageUrl());
            }
        });
    }

    settingsTab = engine::Sprite::create("res/r_setting_back1.png");
    if (settingsTab) {
        const Size size = settingsTab->getContentSize();
        settingsTab->setPosition(design::kWidth - size.width / 2, kPanelHeight + size.height / 2);
        addChild(settingsTab);
    }
    settingsButton = engine::Sprite::create("res/r_setting.png");
    if (settingsButton) {
        const Size size = settingsButton->getContentSize();
        settingsButton->setPosition(design::kWidth - size.width / 2 - 10,
                                    kPanelHeight + size.height / 2 + 10);
        addChild(settingsButton);
        PressedButton::attach(settingsButton, [this] { toggle(); });
    }
    setPosition(0, kClosedY);
    return true;
}

void BottomBar::open() {
    open_ = true;
    slideTo(0);
}

void BottomBar::close() {
    open_ = false;
    slideTo(kClosedY);
}

void BottomBar::toggle() {
    if (open_) {
        close();
    } else {
        open();
    }
}

void BottomBar::slideTo(float y) {
    stopAllActions();
    runAction(engine::MoveTo::create(kSlideDuration, Vec2(0, y)));
}

std::string BottomBar::copyrightPageUrl() {
    const std::string path = engine::FileUtils::getInstance()->fullPathForFilename(PAVLUNE_COPYRIGHT_PAGE);
    if (path.empty()) {
        return {};
    }
    return (path.front() == '/' ? "file://" : "file:///") + path;
}
