#include "engine/2d/Scene.h"

#include "engine/2d/Director.h"

namespace engine {

Scene::Scene() {
    setIgnoreAnchorPointForPosition(true);
    setAnchorPoint(Vec2::ANCHOR_MIDDLE);
}

bool Scene::init() {
    setContentSize(Director::getInstance()->getWinSize());
    return true;
}

} // namespace engine
