#include "engine/2d/Layer.h"

#include "engine/2d/Director.h"

namespace engine {

Layer::Layer() {
    setIgnoreAnchorPointForPosition(true);
    setAnchorPoint(Vec2::ANCHOR_MIDDLE);
}

bool Layer::init() {
    setContentSize(Director::getInstance()->getWinSize());
    return true;
}

} // namespace engine
