#include "widgets/PressedButton.h"

#include "engine/2d/Node.h"
#include "engine/2d/events/EventDispatcher.h"
#include "engine/2d/events/EventListenerTouchOneByOne.h"
#include "widgets/Design.h"
#include "widgets/HitTest.h"

void PressedButton::attach(engine::Node* node, std::function<void()> action, std::function<bool()> enabled) {
    auto* listener = engine::EventListenerTouchOneByOne::create();
    listener->setSwallowTouches(true);
    listener->onTouchBegan = [node, enabled = std::move(enabled)](engine::Touch* touch, engine::Event*) {
        if ((enabled && !enabled()) || !HitTest::containsTouchArea(node, touch)) {
            return false;
        }
        node->setOpacity(design::kPressedOpacity);
        return true;
    };
    listener->onTouchEnded = [node, action = std::move(action)](engine::Touch* touch, engine::Event*) {
        node->setOpacity(255);
        if (HitTest::containsTouchArea(node, touch) && action) {
            action();
        }
    };
    listener->onTouchCancelled = [node](engine::Touch*, engine::Event*) { node->setOpacity(255); };
    node->getEventDispatcher()->addEventListenerWithSceneGraphPriority(listener, node);
}
