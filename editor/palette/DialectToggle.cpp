#include "editor/palette/DialectToggle.h"

#include "catalogue/DeviceManager.h"
#include "editor/cards/CardSprite.h"
#include "editor/field/FieldBoard.h"
#include "editor/palette/DialectChooser.h"
#include "engine/2d/Director.h"
#include "store/AppSettings.h"
#include "widgets/PressedButton.h"

#include <new>

using engine::Size;

DialectToggle* DialectToggle::create(FieldBoard* board) {
    auto* toggle = new (std::nothrow) DialectToggle(board);
    if (toggle && toggle->initToggle()) {
        toggle->autorelease();
        return toggle;
    }
    delete toggle;
    return nullptr;
}

DialectToggle::DialectToggle(FieldBoard* board) : board_(board) {}

DialectToggle::~DialectToggle() = default;

bool DialectToggle::initToggle() {
    const pavlune::DeviceManager* catalogue = pavlune::DeviceManager::getInstance();
    if (!initWithFile(catalogue->getDialectButtonImage(catalogue->getCurrentDialect()))) {
        return false;
    }
    const Size visible = engine::Director::getInstance()->getVisibleSize();
    setPosition(visible.width - getContentSize().width / 2 - kRightMargin, visible.height / 2 + kRaise);
    setLocalZOrder(kZOrder);
    PressedButton::attach(
        this, [this] { showDialectChooser(); }, [this] { return !isBlocked || !isBlocked(); });
    return true;
}

void DialectToggle::refreshDialect() {
    const pavlune::DeviceManager* catalogue = pavlune::DeviceManager::getInstance();
    setTexture(catalogue->getDialectButtonImage(catalogue->getCurrentDialect()));
    if (stopButton_) {
        stopButton_->setVisible(true);
    }
    if (!board_) {
        return;
    }
    for (CardSprite* card : board_->cardNodes()) {
        card->setBackImage(catalogue->getCardBackImage(card->getCardIndex(), card->getCardSet()));
    }
}

void DialectToggle::showDialectChooser() {
    engine::Node* parent = getParent();
    if (chooser_ || !parent || (isBlocked && isBlocked())) {
        return;
    }
    DialectChooser* chooser = DialectChooser::create(getPosition());
    if (!chooser) {
        return;
    }
    chooser->onChosen = [](int dialect) {
        if (const std::optional<pavlune::Dialect> chosen = pavlune::dialectFromIndex(dialect)) {
            pavlune::DeviceManager::getInstance()->setCurrentDialect(*chosen);
            AppSettings::getInstance()->setDialect(*chosen); // the next start opens in it
        }
    };
    chooser->onCloseRequested = [this] { closeDialectChooser(); };
    parent->addChild(chooser, kChooserZOrder);
    chooser_ = chooser;
}

void DialectToggle::closeDialectChooser() {
    if (!chooser_) {
        return;
    }
    // The toggle and the cards change once the popup has faded away.
    engine::RefPtr<DialectToggle> self(this);
    chooser_->fadeAway([self] { self->refreshDialect(); });
    chooser_ = nullptr;
}
