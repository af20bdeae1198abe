#include "editor/gestures/CardTap.h"

#include "editor/cards/InputCardSprite.h"

InputCardSprite* CardTap::editorTarget(CardSprite* card, float travel, double seconds) {
    auto* numberCard = dynamic_cast<InputCardSprite*>(card);
    if (!numberCard || numberCard->isFlipping() || travel >= kMaxTravel || seconds >= kMaxDuration) {
        return nullptr;
    }
    return numberCard;
}
