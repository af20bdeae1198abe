#include "editor/link/PortControls.h"

#include "device/PavluneCardSerialManager.h"
#include "editor/EditorTexts.h"
#include "engine/2d/Label.h"
#include "engine/2d/Layer.h"
#include "engine/2d/Sprite.h"
#include "engine/2d/actions/RepeatForever.h"
#include "engine/2d/actions/RotateBy.h"
#include "widgets/Design.h"
#include "widgets/PressedButton.h"

using engine::Size;
using engine::Vec2;

namespace {

constexpr float kBarHeight = 96;

} // namespace

PortControls::PortControls(engine::Layer* bar) {
    portCaption_ = engine::Sprite::create("res/r_port.png");
    portField_ = engine::Sprite::create("res/r_port_input.png");
    reloadIcon_ = engine::Sprite::create("res/r_reload.png");
    if (!bar || !portCaption_ || !portField_ || !reloadIcon_) {
        return;
    }
    const Size caption = portCaption_->getContentSize();
    const Vec2 captionAt(caption.width / 2 + design::kPaletteWidth + 5, kBarHeight / 2 + 13);
    portCaption_->setPosition(captionAt);
    bar->addChild(portCaption_);

    const Size box = portField_->getContentSize();
    const float boxX = captionAt.x + caption.width / 2 + 10 + box.width / 2;
    portField_->setPosition(boxX, captionAt.y);
    bar->addChild(portField_);

    statusLabel_ = engine::Label::createWithSystemFont(
        EditorTexts::kSearching, "Helvetica", 12, Size(box.width - 20, box.height),
        engine::TextHAlignment::LEFT, engine::TextVAlignment::CENTER);
    if (statusLabel_) {
        statusLabel_->setTextColor(engine::Color4B(design::kTextGrey, 255));
        statusLabel_->setAnchorPoint(Vec2(0, 0.5f));
        statusLabel_->setPosition(captionAt.x + caption.width / 2 + 20, captionAt.y);
        bar->addChild(statusLabel_);
    }

    reloadIcon_->setPosition(boxX + box.width / 2, captionAt.y);
    bar->addChild(reloadIcon_);
    startTurning();

    PressedButton::attach(reloadIcon_, [this] {
        if (onReload) {
            onReload();
        }
    });
    PressedButton::attach(portField_, [this] {
        if (onOpenList) {
            onOpenList();
        }
    });
}

std::string PortControls::statusText(int state, const std::vector<pavlune::SerialPortInfo>& ports,
                                     int selectedIndex, const std::string& missingName) {
    if (state == pavlune::PavluneCardSerialManager::stateSearching) {
        return EditorTexts::kSearching;
    }
    if (selectedIndex < 0 || static_cast<std::size_t>(selectedIndex) >= ports.size()) {
        // The chosen port unplugged, or nothing that looks like a board.
        return missingName.empty() ? EditorTexts::kNotFound
                                   : "  " + missingName + EditorTexts::kMissingSuffix;
    }
    const pavlune::SerialPortInfo& port = ports[static_cast<std::size_t>(selectedIndex)];
    if (state == pavlune::PavluneCardSerialManager::stateConnecting) {
        return port.name + " [ Connectiong ... ]";
    }
    return port.displayText();
}

bool PortControls::turnsInState(int state) {
    return state == pavlune::PavluneCardSerialManager::stateSearching ||
           state == pavlune::PavluneCardSerialManager::stateConnecting;
}

void PortControls::showStatus(const std::string& text, bool turning) {
    if (statusLabel_) {
        statusLabel_->setString(text);
    }
    if (reloadIcon_) {
        reloadIcon_->stopAllActions();
        if (turning) {
            startTurning();
        }
    }
}

void PortControls::startTurning() {
    reloadIcon_->runAction(engine::RepeatForever::create(engine::RotateBy::create(0.1f, 45)));
}
