#include "editor/palette/DialectChooser.h"

#include "catalogue/CatalogueView.h"
#include "engine/2d/LayerColor.h"
#include "engine/2d/Sprite.h"
#include "engine/2d/actions/CallFunc.h"
#include "engine/2d/actions/FadeIn.h"
#include "engine/2d/actions/FadeOut.h"
#include "engine/2d/actions/MoveTo.h"
#include "engine/2d/actions/RemoveSelf.h"
#include "engine/2d/actions/Sequence.h"
#include "engine/2d/events/EventDispatcher.h"
#include "engine/2d/events/EventListenerTouchOneByOne.h"
#include "widgets/Design.h"
#include "widgets/HitTest.h"

#include <new>
#include <string>

using engine::Vec2;

const engine::Color4B DialectChooser::kVeilColour(127, 127, 127, 127);

namespace {

// The bright picture of a dialect is the one its toggle shows while it is
// current; the plain one marks the current dialect among the options.
std::string buttonImage(int dialect, bool bright) {
    const int seenFrom = bright ? dialect : (dialect + 1) % DialectChooser::kDialectCount;
    return pavlune::CatalogueView(*pavlune::dialectFromIndex(seenFrom), pavlune::basic)
        .getDialectButtonImage(dialect);
}

} // namespace

DialectChooser* DialectChooser::create(Vec2 togglePosition, int current) {
    auto* chooser = new (std::nothrow) DialectChooser(togglePosition, current);
    if (chooser && chooser->initChooser()) {
        chooser->autorelease();
        return chooser;
    }
    delete chooser;
    return nullptr;
}

DialectChooser::~DialectChooser() = default;

bool DialectChooser::initChooser() {
    if (!Layer::init()) {
        return false;
    }
    setContentSize(design::kSize);
    if (auto* veil = engine::LayerColor::create(kVeilColour, design::kWidth, design::kHeight)) {
        addChild(veil);
    }
    addOptions();
    listenToVeil();
    setCascadeOpacityEnabled(true);
    setOpacity(0);
    runAction(engine::FadeIn::create(kFadeDuration));
    return true;
}

void DialectChooser::addOptions() {
    float x = togglePosition_.x;
    for (int dialect = 0; dialect < kDialectCount; ++dialect) {
        engine::Sprite* option = engine::Sprite::create(buttonImage(dialect, dialect != current_));
        if (!option) {
            continue;
        }
        const float halfWidth = option->getContentSize().width / 2;
        if (dialect > 0) {
            x -= halfWidth + kOptionGap;
        }
        option->setPosition(x, togglePosition_.y + kRise);
        x -= halfWidth;
        option->setTag(dialect);
        addChild(option);
        options_[static_cast<std::size_t>(dialect)] = option;
        listenToOption(option);
    }
}

void DialectChooser::listenToOption(engine::Sprite* option) {
    auto* listener = engine::EventListenerTouchOneByOne::create();
    listener->setSwallowTouches(true);
    listener->onTouchBegan = [this, option](engine::Touch* touch, engine::Event*) {
        if (closing_ || chosen_ || !HitTest::contains(option, touch)) {
            return false;
        }
        option->setOpacity(kPressedOpacity);
        return true;
    };
    listener->onTouchEnded = [this, option](engine::Touch* touch, engine::Event*) {
        option->setOpacity(255);
        if (HitTest::contains(option, touch)) {
            choose(option);
        }
    };
    listener->onTouchCancelled = [option](engine::Touch*, engine::Event*) { option->setOpacity(255); };
    getEventDispatcher()->addEventListenerWithSceneGraphPriority(listener, option);
}

void DialectChooser::listenToVeil() {
    // Claims every touch on the screen, so nothing beneath reacts while open.
    auto* listener = engine::EventListenerTouchOneByOne::create();
    listener->setSwallowTouches(true);
    listener->onTouchBegan = [this](engine::Touch* touch, engine::Event*) {
        return !closing_ && HitTest::contains(this, touch);
    };
    listener->onTouchEnded = [this](engine::Touch* touch, engine::Event*) {
        if (!chosen_ && HitTest::contains(this, touch)) {
            requestClose();
        }
    };
    getEventDispatcher()->addEventListenerWithSceneGraphPriority(listener, this);
}

void DialectChooser::requestClose() {
    if (!closing_ && onCloseRequested) {
        onCloseRequested();
    }
}

void DialectChooser::choose(engine::Sprite* option) {
    if (closing_ || chosen_) {
        return;
    }
    chosen_ = true;
    frame_.hide();
    if (onChosen) {
        onChosen(option->getTag());
    }
    // The chosen option lands on the toggle, which then shows it.
    option->runAction(engine::Sequence::create(engine::MoveTo::create(kSlideDuration, togglePosition_),
                                               engine::CallFunc::create([this] { requestClose(); })));
}

void DialectChooser::moveFocus(int step) {
    if (closing_ || chosen_) {
        return;
    }
    // Laid leftwards from jam: Right (+1) goes to the dialect before.
    focused_ = focused_ < 0 ? current_ : ((focused_ - step) % kDialectCount + kDialectCount) % kDialectCount;
    if (const engine::Sprite* shown = option(focused_)) {
        frame_.show(this, shown->getBoundingBox(), 1.0f);
    }
}

bool DialectChooser::chooseFocused() {
    engine::Sprite* focused = option(focused_);
    if (!focused || closing_ || chosen_) {
        return false;
    }
    choose(focused);
    return true;
}

void DialectChooser::fadeAway(const std::function<void()>& then) {
    if (closing_) {
        return;
    }
    closing_ = true;
    engine::EventDispatcher* dispatcher = getEventDispatcher();
    dispatcher->removeEventListenersForTarget(this);
    for (engine::Sprite* option : options_) {
        if (option) {
            dispatcher->removeEventListenersForTarget(option);
        }
    }
    runAction(engine::Sequence::create(engine::FadeOut::create(kFadeDuration), engine::CallFunc::create(then),
                                       engine::RemoveSelf::create()));
}

engine::Sprite* DialectChooser::option(int dialect) const {
    if (dialect < 0 || dialect >= kDialectCount) {
        return nullptr;
    }
    return options_[static_cast<std::size_t>(dialect)];
}
