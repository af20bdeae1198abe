#include "editor/panel/ProgramPanel.h"

#include "editor/EditorChoices.h"
#include "editor/EditorSession.h"
#include "editor/EditorTexts.h"
#include "editor/panel/ListingView.h"
#include "engine/2d/Label.h"
#include "engine/2d/LayerColor.h"
#include "engine/2d/Sprite.h"
#include "engine/2d/actions/CallFunc.h"
#include "engine/2d/actions/DelayTime.h"
#include "engine/2d/actions/Sequence.h"
#include "engine/2d/events/EventDispatcher.h"
#include "engine/2d/events/EventKeyboard.h"
#include "engine/2d/events/EventListenerKeyboard.h"
#include "engine/2d/events/EventListenerMouse.h"
#include "engine/2d/events/EventListenerTouchOneByOne.h"
#include "engine/2d/events/EventMouse.h"
#include "engine/platform/Clipboard.h"
#include "program/ProgramListing.h"
#include "widgets/Design.h"
#include "widgets/HitTest.h"
#include "widgets/PressedButton.h"

using engine::Color4B;
using engine::Size;
using engine::Vec2;

namespace {

// The sheet lies over the field, clear of the palette.
const engine::Rect kSheet(290, 40, 640, 688);
constexpr float kFrame = 5;
constexpr float kHeaderHeight = 64;
constexpr float kInset = 8;
const Color4B kTitleBlue(11, 110, 153, 255);

const char* dialectName(pavlune::Dialect dialect) {
    switch (dialect) {
    case pavlune::jam:
        return "jam";
    case pavlune::latte:
        return "latte";
    case pavlune::que:
        return "que";
    }
    return "";
}

} // namespace

ProgramPanel::ProgramPanel(engine::Node* scene, const engine::Node* playerPanel,
                           std::function<pavlune::FieldRows()> fieldRows, const EditorChoices& choices)
    : scene_(scene), fieldRows_(std::move(fieldRows)), choices_(choices) {
    button_ = engine::Sprite::create(kButtonImage);
    if (!button_ || !scene || !playerPanel) {
        button_ = nullptr;
        return;
    }
    const engine::Rect player = HitTest::worldBoundingBox(playerPanel);
    button_->setPosition(player.getMidX(),
                         player.getMinY() - kGapBelowPlayer - button_->getContentSize().height / 2);
    scene->addChild(button_);
    PressedButton::attach(button_, [this] { open(); });
}

ProgramPanel::~ProgramPanel() {
    close();
}

void ProgramPanel::open() {
    if (isOpen() || !scene_) {
        return;
    }
    // The same view and assemblers as a send: what shows is what goes.
    const pavlune::CatalogueView view = choices_.catalogue();
    const std::vector<pavlune::ListingLine> lines =
        pavlune::ProgramListing::linesOf(view, fieldRows_ ? fieldRows_() : pavlune::FieldRows());
    layer_ = engine::LayerColor::create(design::kDimming, design::kWidth, design::kHeight);
    sheet_ = engine::LayerColor::create(Color4B::WHITE, kSheet.size.width, kSheet.size.height);
    auto* frame = engine::LayerColor::create(design::kThemeBlue, kSheet.size.width + 2 * kFrame,
                                             kSheet.size.height + 2 * kFrame);
    if (!layer_ || !sheet_ || !frame) {
        layer_ = nullptr;
        sheet_ = nullptr;
        return;
    }
    text_ = pavlune::ProgramListing::text(lines);
    frame->setPosition(kSheet.origin.x - kFrame, kSheet.origin.y - kFrame);
    layer_->addChild(frame);
    sheet_->setPosition(kSheet.origin);
    layer_->addChild(sheet_);
    buildHeader(dialectName(view.getDialect()));
    listing_ = std::make_unique<ListingView>(
        sheet_, Vec2(kInset, kInset),
        Size(kSheet.size.width - 2 * kInset, kSheet.size.height - kHeaderHeight - 2 * kInset), lines);
    listenForTapsOutside();
    listenToTheWheel();
    listenForCopyKey();
    scene_->addChild(layer_, kPanelZOrder);
}

void ProgramPanel::buildHeader(const std::string& dialect) {
    const float top = kSheet.size.height;
    if (auto* band = engine::LayerColor::create(design::kThemeBlue, kSheet.size.width, kHeaderHeight)) {
        band->setPosition(0, top - kHeaderHeight);
        sheet_->addChild(band);
    }
    const float middle = top - kHeaderHeight / 2;
    if (engine::Label* title = engine::Label::createWithSystemFont(EditorTexts::kCodeTitle + dialect,
                                                                   ListingView::kJapaneseFont, 24)) {
        title->setTextColor(kTitleBlue);
        title->setAnchorPoint(Vec2(0, 0.5f));
        title->setPosition(20, middle);
        sheet_->addChild(title);
    }
    copyButton_ = engine::Sprite::create(kCopyImage);
    if (copyButton_) {
        copyButton_->setPosition(kSheet.size.width - copyButton_->getContentSize().width / 2 - 10, middle);
        sheet_->addChild(copyButton_);
        PressedButton::attach(copyButton_, [this] { copy(); });
    }
    copiedNote_ = engine::Label::createWithSystemFont(EditorTexts::kCopied, ListingView::kJapaneseFont, 16);
    if (copiedNote_ && copyButton_) {
        copiedNote_->setTextColor(kTitleBlue);
        copiedNote_->setAnchorPoint(Vec2(1, 0.5f));
        copiedNote_->setPosition(copyButton_->getPositionX() - copyButton_->getContentSize().width / 2 - 12,
                                 middle);
        copiedNote_->setVisible(false);
        sheet_->addChild(copiedNote_);
    }
}

void ProgramPanel::listenForTapsOutside() {
    // The panel holds every touch, so nothing beneath reacts; one that
    // begins and ends outside the sheet closes it.
    auto* listener = engine::EventListenerTouchOneByOne::create();
    listener->setSwallowTouches(true);
    listener->onTouchBegan = [this](engine::Touch* touch, engine::Event*) {
        touchBeganOutside_ = !HitTest::contains(sheet_, touch);
        return true;
    };
    listener->onTouchEnded = [this](engine::Touch* touch, engine::Event*) {
        if (touchBeganOutside_ && !HitTest::contains(sheet_, touch)) {
            close();
        }
    };
    layer_->getEventDispatcher()->addEventListenerWithSceneGraphPriority(listener, layer_);
}

void ProgramPanel::listenToTheWheel() {
    // The wheel scrolls the lines, and nothing under the panel hears the mouse.
    auto* listener = engine::EventListenerMouse::create();
    listener->onMouseScroll = [this](engine::EventMouse* event) {
        listing_->scrollBy(event->getScrollY() * kWheelLines * ListingView::kLineHeight);
        event->stopPropagation();
    };
    listener->onMouseDown = [](engine::EventMouse* event) { event->stopPropagation(); };
    listener->onMouseUp = [](engine::EventMouse* event) { event->stopPropagation(); };
    layer_->getEventDispatcher()->addEventListenerWithSceneGraphPriority(listener, layer_);
}

void ProgramPanel::listenForCopyKey() {
    // Escape and the editor's other keys are the editor keyboard's, which
    // leaves the field alone while the panel is open.
    auto* listener = engine::EventListenerKeyboard::create();
    listener->onKeyPressed = [this](engine::EventKeyboard* key) {
        if (key->getKeyCode() == engine::EventKeyboard::KeyCode::KEY_C && key->ctrl()) {
            copy();
        }
    };
    layer_->getEventDispatcher()->addEventListenerWithSceneGraphPriority(listener, layer_);
}

void ProgramPanel::close() {
    if (!layer_) {
        return;
    }
    layer_->removeFromParent();
    layer_ = nullptr;
    sheet_ = nullptr;
    copyButton_ = nullptr;
    copiedNote_ = nullptr;
    listing_.reset();
    text_.clear();
}

bool ProgramPanel::closeIfOpen() {
    const bool wasOpen = isOpen();
    close();
    return wasOpen;
}

void ProgramPanel::registerWith(EditorSession& session) {
    session.addPopup({"program panel", [this] { return isOpen(); }, [this] { return closeIfOpen(); }});
    session.addControl({button_, [this] { open(); }});
}

void ProgramPanel::copy() {
    if (!isOpen() || !engine::Clipboard::setText(text_) || !copiedNote_) {
        return;
    }
    engine::Label* note = copiedNote_;
    note->stopAllActions();
    note->setVisible(true);
    note->runAction(engine::Sequence::create(engine::DelayTime::create(kCopiedNoteDuration),
                                             engine::CallFunc::create([note] { note->setVisible(false); })));
}
