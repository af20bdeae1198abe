#include "editor/link/BoardPanel.h"

#include "editor/EditorTexts.h"
#include "editor/link/InProcessBoard.h"
#include "engine/2d/Director.h"
#include "engine/2d/Label.h"
#include "engine/2d/events/EventDispatcher.h"
#include "engine/2d/events/EventListenerTouchOneByOne.h"
#include "engine/2d/events/Touch.h"
#include "widgets/Design.h"

#include <algorithm>
#include <cmath>
#include <new>
#include <string>

using engine::Color3B;
using engine::Color4B;
using engine::Rect;
using engine::Vec2;

namespace {

const Color4B kPanelColour(250, 248, 240, 235);
const Color3B kOff(150, 150, 150);
const Color3B kLedOn(240, 30, 30);
const Color3B kBuzzerOn(255, 200, 0);
const Color3B kOutputOn(40, 190, 70);
const Color3B kCarBody(70, 120, 200);
// A wheel turning forward is green, backward orange; the faster, the brighter.
Color3B wheelColour(double speed) {
    const double amount = std::min(1.0, std::abs(speed));
    const Color3B towards = speed >= 0 ? kOutputOn : Color3B(240, 120, 20);
    auto mix = [amount](std::uint8_t from, std::uint8_t to) {
        return static_cast<std::uint8_t>(std::lround(from + (to - from) * amount));
    };
    return {mix(kOff.r, towards.r), mix(kOff.g, towards.g), mix(kOff.b, towards.b)};
}

engine::Label* caption(const std::string& text, float size) {
    engine::Label* label = engine::Label::createWithSystemFont(text, "Helvetica", size);
    if (label) {
        label->setTextColor(Color4B(design::kTextGrey, 255));
    }
    return label;
}

Rect visibleScreen() {
    const engine::Director* director = engine::Director::getInstance();
    return {director->getVisibleOrigin(), director->getVisibleSize()};
}

// On the screen and clear of every kept area (an edge shared counts as met).
bool isClear(const Rect& area, const Rect& screen, const std::vector<Rect>& kept) {
    return area.getMinX() >= screen.getMinX() && area.getMinY() >= screen.getMinY() &&
           area.getMaxX() <= screen.getMaxX() && area.getMaxY() <= screen.getMaxY() &&
           std::none_of(kept.begin(), kept.end(),
                        [&area](const Rect& other) { return area.intersectsRect(other); });
}

} // namespace

BoardPanel* BoardPanel::create(InProcessBoard& board, Areas keepClear) {
    auto* panel = new (std::nothrow) BoardPanel(board, std::move(keepClear));
    if (panel && panel->initWithColor(kPanelColour, kWidth, kHeight) && panel->build()) {
        panel->autorelease();
        return panel;
    }
    delete panel;
    return nullptr;
}

engine::LayerColor* BoardPanel::lamp(float x, float y, float width, float height, const char* text) {
    engine::LayerColor* node = engine::LayerColor::create(Color4B(kOff, 255), width, height);
    if (!node) {
        return nullptr;
    }
    node->setPosition(x, y);
    addChild(node);
    if (engine::Label* label = caption(text, 11)) {
        label->setPosition(x + width / 2, y - 9);
        addChild(label);
    }
    return node;
}

bool BoardPanel::build() {
    engine::Label* title = caption(EditorTexts::kScreenBoardName, 12);
    if (!title) {
        return false;
    }
    title->setPosition(kWidth / 2, kHeight - 14);
    addChild(title);
    led_ = lamp(8, 260, 30, 30, "LED");
    buzzer_ = lamp(46, 260, 30, 30, "ブザー");
    static const char* const kNumbers[] = {"1", "2", "3", "4", "5", "6"};
    // Two columns, three rows: 1 2 / 3 4 / 5 6.
    for (std::size_t i = 0; i < outputs_.size(); ++i) {
        const std::size_t column = i % 2;
        const std::size_t row = i / 2;
        outputs_[i] = lamp(12 + 36 * static_cast<float>(column), 205 - 38 * static_cast<float>(row), 24, 24,
                           kNumbers[i]);
    }
    // The car from above, driving up: its left wheel on the left.
    engine::LayerColor* body = engine::LayerColor::create(Color4B(kCarBody, 255), 36, 70);
    if (!body) {
        return false;
    }
    body->setPosition(24, 20);
    addChild(body);
    wheels_[0] = lamp(10, 30, 12, 50, "");
    wheels_[1] = lamp(62, 30, 12, 50, "");
    for (engine::Node* node :
         {static_cast<engine::Node*>(led_), static_cast<engine::Node*>(buzzer_),
          static_cast<engine::Node*>(wheels_[0]), static_cast<engine::Node*>(wheels_[1])}) {
        if (!node) {
            return false;
        }
    }
    for (const engine::LayerColor* output : outputs_) {
        if (!output) {
            return false;
        }
    }
    listenForDrags();
    refresh();
    return true;
}

void BoardPanel::refresh() {
    const pavlune::BoardOutputs& outputs = board_.outputs();
    led_->setColor(outputs.led() ? kLedOn : kOff);
    buzzer_->setColor(board_.beeping() ? kBuzzerOn : kOff);
    for (std::size_t i = 0; i < outputs_.size(); ++i) {
        outputs_[i]->setColor((outputs.outputs() >> i) & 1U ? kOutputOn : kOff);
    }
    wheels_[0]->setColor(wheelColour(outputs.leftWheel()));
    wheels_[1]->setColor(wheelColour(outputs.rightWheel()));
}

bool BoardPanel::moveBy(const Vec2& delta) {
    const Rect to(getPosition() + delta, getContentSize());
    if (!isClear(to, visibleScreen(), keepClear_ ? keepClear_() : std::vector<Rect>{})) {
        return false;
    }
    setPosition(to.origin);
    return true;
}

void BoardPanel::listenForDrags() {
    auto* listener = engine::EventListenerTouchOneByOne::create();
    listener->setSwallowTouches(true);
    // Hidden until something is sent, and then it must not take the field's touches.
    listener->onTouchBegan = [this](engine::Touch* touch, engine::Event*) {
        return isVisible() &&
               getBoundingBox().containsPoint(getParent()->convertToNodeSpace(touch->getLocation()));
    };
    // Each axis on its own, so the panel slides along what it meets.
    listener->onTouchMoved = [this](engine::Touch* touch, engine::Event*) {
        const Vec2 delta = touch->getDelta();
        moveBy(Vec2(delta.x, 0));
        moveBy(Vec2(0, delta.y));
    };
    getEventDispatcher()->addEventListenerWithSceneGraphPriority(listener, this);
}
