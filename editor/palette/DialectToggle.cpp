#include "editor/palette/DialectToggle.h"

#include "editor/EditorChoices.h"
#include "editor/EditorSession.h"
#include "editor/cards/CardSprite.h"
#include "editor/field/FieldBoard.h"
#include "editor/palette/DialectChooser.h"
#include "engine/2d/Director.h"
#include "widgets/PressedButton.h"

#include <new>

using engine::Size;

DialectToggle* DialectToggle::create(FieldBoard* board, EditorChoices& choices) {
    auto* toggle = new (std::nothrow) DialectToggle(board, choices);
    if (toggle && toggle->initToggle()) {
        toggle->autorelease();
        return toggle;
    }
    delete toggle;
    return nullptr;
}

DialectToggle::DialectToggle(FieldBoard* board, EditorChoices& choices) : board_(board), choices_(choices) {}

DialectToggle::~DialectToggle() = default;

bool DialectToggle::initToggle() {
    const pavlune::CatalogueView catalogue = choices_.catalogue();
    if (!initWithFile(catalogue.getDialectButtonImage(catalogue.getDialect()))) {
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
    const pavlune::CatalogueView catalogue = choices_.catalogue();
    setTexture(catalogue.getDialectButtonImage(catalogue.getDialect()));
    if (stopButton_) {
        stopButton_->setVisible(true);
    }
    if (!board_) {
        return;
    }
    for (CardSprite* card : board_->cardNodes()) {
        card->showDialect(catalogue);
    }
}

void DialectToggle::showDialectChooser() {
    engine::Node* parent = getParent();
    if (chooser_ || !parent || (isBlocked && isBlocked())) {
        return;
    }
    DialectChooser* chooser = DialectChooser::create(getPosition(), choices_.dialect());
    if (!chooser) {
        return;
    }
    chooser->onChosen = [this](int dialect) {
        if (const std::optional<pavlune::Dialect> chosen = pavlune::dialectFromIndex(dialect)) {
            choices_.chooseDialect(*chosen);
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

void DialectToggle::registerWith(EditorSession& session) {
    isBlocked = [&session] { return session.isModalOpen(); };
    // Still open while it fades away after a choice; Escape has nothing to do then.
    session.addPopup({"dialect chooser", [this] { return chooser_ != nullptr; },
                      [this] {
                          if (chooser_->isClosing()) {
                              return false;
                          }
                          closeDialectChooser();
                          return true;
                      },
                      [this] { return chooser_->chooseFocused(); },
                      [this](int step) { chooser_->moveFocus(step); }});
    session.addControl(
        {this, [this] { showDialectChooser(); }, [this] { return !isBlocked || !isBlocked(); }});
}
