#include "editor/gestures/CardTap.h"

#include "editor/cards/InputCardSprite.h"

InputCardSprite* CardTap::editorTarget(CardSprite* card, float travel, double seconds, bool finger) {
    auto* numberCard = dynamic_cast<InputCardSprite*>(card);
    const float maxTravel = finger ? kFingerSlop : kMaxTravel;
    const double maxDuration = finger ? kFingerMaxDuration : kMaxDuration;
    if (!numberCard || numberCard->isFlipping() || travel >= maxTravel || seconds >= maxDuration) {
        return nullptr;
    }
    return numberCard;
}
