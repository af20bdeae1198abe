#include "engine/2d/Node.h"

#include "engine/2d/Director.h"
#include "engine/2d/Scene.h"
#include "engine/2d/actions/ActionManager.h"
#include "engine/2d/events/EventDispatcher.h"
#include "engine/2d/events/Touch.h"
#include "engine/base/Scheduler.h"

#include <algorithm>
#include <cassert>
#include <numbers>

namespace engine {

namespace {

// Order of arrival is global so that re-added and reordered nodes go after
// every sibling with the same z-order.
std::uint64_t nextOrderOfArrival = 1;

float toRadians(float degrees) {
    return degrees * std::numbers::pi_v<float> / 180.0f;
}

} // namespace

Node* Node::create() {
    auto* node = new Node();
    if (node->init()) {
        node->autorelease();
        return node;
    }
    delete node;
    return nullptr;
}

Node::Node() {
    Director* director = Director::getInstance();
    scheduler_ = director->getScheduler();
    actionManager_ = director->getActionManager();
    eventDispatcher_ = director->getEventDispatcher();
    scheduler_->retain();
    actionManager_->retain();
    eventDispatcher_->retain();
}

Node::~Node() {
    // A node normally dies after cleanup; these make a forgotten cleanup
    // harmless instead of leaving callbacks that point at freed memory.
    scheduler_->unscheduleAllForTarget(this);
    eventDispatcher_->removeEventListenersForTarget(this);
    for (Node* child : children_) {
        child->parent_ = nullptr;
    }
    children_.clear();
    safeRelease(userObject_);
    scheduler_->release();
    actionManager_->release();
    eventDispatcher_->release();
}

bool Node::init() {
    return true;
}

// --- transform ---

void Node::setPosition(const Vec2& position) {
    if (position_ == position) {
        return;
    }
    position_ = position;
    markTransformDirty();
}

void Node::setPosition(float x, float y) {
    setPosition(Vec2(x, y));
}
void Node::setPositionX(float x) {
    setPosition(Vec2(x, position_.y));
}
void Node::setPositionY(float y) {
    setPosition(Vec2(position_.x, y));
}

void Node::setPositionZ(float z) {
    positionZ_ = z;
    markTransformDirty();
}

void Node::setAnchorPoint(const Vec2& anchor) {
    if (anchorPoint_ == anchor) {
        return;
    }
    anchorPoint_ = anchor;
    anchorPointInPoints_ = Vec2(contentSize_.width * anchor.x, contentSize_.height * anchor.y);
    markTransformDirty();
}

void Node::setContentSize(const Size& size) {
    if (contentSize_ == size) {
        return;
    }
    contentSize_ = size;
    anchorPointInPoints_ = Vec2(size.width * anchorPoint_.x, size.height * anchorPoint_.y);
    markTransformDirty();
}

void Node::setIgnoreAnchorPointForPosition(bool ignore) {
    if (ignore != ignoreAnchorPointForPosition_) {
        ignoreAnchorPointForPosition_ = ignore;
        markTransformDirty();
    }
}

void Node::setScale(float scale) {
    setScale(scale, scale);
}

void Node::setScale(float scaleX, float scaleY) {
    scaleX_ = scaleX;
    scaleY_ = scaleY;
    markTransformDirty();
}

void Node::setScaleX(float scaleX) {
    setScale(scaleX, scaleY_);
}
void Node::setScaleY(float scaleY) {
    setScale(scaleX_, scaleY);
}

void Node::setRotation(float degrees) {
    rotationZ_ = degrees;
    markTransformDirty();
}

void Node::setRotation3D(const Vec3& degrees) {
    rotationX_ = degrees.x;
    rotationY_ = degrees.y;
    rotationZ_ = degrees.z;
    markTransformDirty();
}

const Mat4& Node::getNodeToParentTransform() const {
    if (!transformDirty_) {
        return transform_;
    }
    Vec2 translation = position_;
    if (ignoreAnchorPointForPosition_) {
        translation += anchorPointInPoints_;
    }
    // translate * rotate (z clockwise on screen, hence negated; then y, then x) * scale * (-anchor)
    Mat4 t = Mat4::translation(translation.x, translation.y, positionZ_);
    if (rotationZ_ != 0) {
        t = t * Mat4::rotationZ(-toRadians(rotationZ_));
    }
    if (rotationY_ != 0) {
        t = t * Mat4::rotationY(toRadians(rotationY_));
    }
    if (rotationX_ != 0) {
        t = t * Mat4::rotationX(toRadians(rotationX_));
    }
    for (int i = 0; i < 3; ++i) {
        t.m[i] *= scaleX_;
        t.m[4 + i] *= scaleY_;
    }
    if (!anchorPointInPoints_.isZero()) {
        const float ax = -anchorPointInPoints_.x;
        const float ay = -anchorPointInPoints_.y;
        for (int i = 0; i < 3; ++i) {
            t.m[12 + i] += t.m[i] * ax + t.m[4 + i] * ay;
        }
    }
    transform_ = t;
    transformDirty_ = false;
    return transform_;
}

Mat4 Node::getParentToNodeTransform() const {
    if (inverseDirty_) {
        inverse_ = getNodeToParentTransform().getInversed();
        inverseDirty_ = false;
    }
    return inverse_;
}

Mat4 Node::getNodeToWorldTransform() const {
    Mat4 t = getNodeToParentTransform();
    for (const Node* p = parent_; p; p = p->parent_) {
        t = p->getNodeToParentTransform() * t;
    }
    return t;
}

Mat4 Node::getWorldToNodeTransform() const {
    return getNodeToWorldTransform().getInversed();
}

Vec2 Node::convertToNodeSpace(const Vec2& worldPoint) const {
    return getWorldToNodeTransform().transformPoint(worldPoint);
}

Vec2 Node::convertToWorldSpace(const Vec2& nodePoint) const {
    return getNodeToWorldTransform().transformPoint(nodePoint);
}

Vec2 Node::convertToNodeSpaceAR(const Vec2& worldPoint) const {
    return convertToNodeSpace(worldPoint) - anchorPointInPoints_;
}

Vec2 Node::convertToWorldSpaceAR(const Vec2& nodePoint) const {
    return convertToWorldSpace(nodePoint + anchorPointInPoints_);
}

Vec2 Node::convertTouchToNodeSpace(Touch* touch) const {
    return convertToNodeSpace(touch->getLocation());
}

Vec2 Node::convertTouchToNodeSpaceAR(Touch* touch) const {
    return convertToNodeSpaceAR(touch->getLocation());
}

Rect Node::getBoundingBox() const {
    const Mat4& t = getNodeToParentTransform();
    const Vec2 corners[4] = {t.transformPoint(Vec2(0, 0)), t.transformPoint(Vec2(contentSize_.width, 0)),
                             t.transformPoint(Vec2(0, contentSize_.height)),
                             t.transformPoint(Vec2(contentSize_.width, contentSize_.height))};
    float minX = corners[0].x, maxX = corners[0].x, minY = corners[0].y, maxY = corners[0].y;
    for (const Vec2& c : corners) {
        minX = std::min(minX, c.x);
        maxX = std::max(maxX, c.x);
        minY = std::min(minY, c.y);
        maxY = std::max(maxY, c.y);
    }
    return Rect(minX, minY, maxX - minX, maxY - minY);
}

// --- ordering, identity ---

void Node::setLocalZOrder(int z) {
    if (localZOrder_ == z) {
        return;
    }
    if (parent_) {
        parent_->reorderChild(this, z);
    } else {
        localZOrder_ = z;
    }
}

void Node::updateOrderOfArrival() {
    orderOfArrival_ = nextOrderOfArrival++;
}

void Node::setUserObject(Ref* object) {
    if (object) {
        object->retain();
    }
    safeRelease(userObject_);
    userObject_ = object;
}

// --- appearance ---

void Node::setVisible(bool visible) {
    visible_ = visible;
}

void Node::setOpacity(std::uint8_t opacity) {
    realOpacity_ = opacity;
    displayedOpacity_ = opacity;
    updateCascadeOpacity();
}

void Node::updateDisplayedOpacity(std::uint8_t parentOpacity) {
    displayedOpacity_ = static_cast<std::uint8_t>(realOpacity_ * parentOpacity / 255);
    updateColor();
    if (cascadeOpacityEnabled_) {
        for (Node* child : children_) {
            child->updateDisplayedOpacity(displayedOpacity_);
        }
    }
}

void Node::updateCascadeOpacity() {
    std::uint8_t parentOpacity = 255;
    if (parent_ && parent_->isCascadeOpacityEnabled()) {
        parentOpacity = parent_->getDisplayedOpacity();
    }
    updateDisplayedOpacity(parentOpacity);
}

void Node::setCascadeOpacityEnabled(bool enabled) {
    if (cascadeOpacityEnabled_ == enabled) {
        return;
    }
    cascadeOpacityEnabled_ = enabled;
    if (enabled) {
        updateCascadeOpacity();
    } else {
        // The children no longer see this node's opacity.
        displayedOpacity_ = realOpacity_;
        for (Node* child : children_) {
            child->updateDisplayedOpacity(255);
        }
        updateCascadeOpacity();
    }
}

void Node::setColor(const Color3B& color) {
    realColor_ = color;
    displayedColor_ = color;
    updateCascadeColor();
}

void Node::updateDisplayedColor(const Color3B& parentColor) {
    displayedColor_ = Color3B(static_cast<std::uint8_t>(realColor_.r * parentColor.r / 255),
                              static_cast<std::uint8_t>(realColor_.g * parentColor.g / 255),
                              static_cast<std::uint8_t>(realColor_.b * parentColor.b / 255));
    updateColor();
    if (cascadeColorEnabled_) {
        for (Node* child : children_) {
            child->updateDisplayedColor(displayedColor_);
        }
    }
}

void Node::updateCascadeColor() {
    Color3B parentColor = Color3B::WHITE;
    if (parent_ && parent_->isCascadeColorEnabled()) {
        parentColor = parent_->getDisplayedColor();
    }
    updateDisplayedColor(parentColor);
}

void Node::setCascadeColorEnabled(bool enabled) {
    if (cascadeColorEnabled_ == enabled) {
        return;
    }
    cascadeColorEnabled_ = enabled;
    if (enabled) {
        updateCascadeColor();
    } else {
        displayedColor_ = realColor_;
        for (Node* child : children_) {
            child->updateDisplayedColor(Color3B::WHITE);
        }
        updateCascadeColor();
    }
}

// --- children ---

void Node::addChild(Node* child) {
    addChildHelper(child, child ? child->localZOrder_ : 0, INVALID_TAG, "", false);
}

void Node::addChild(Node* child, int localZOrder) {
    addChildHelper(child, localZOrder, INVALID_TAG, "", false);
}

void Node::addChild(Node* child, int localZOrder, int tag) {
    addChildHelper(child, localZOrder, tag, "", true);
}

void Node::addChild(Node* child, int localZOrder, const std::string& name) {
    addChildHelper(child, localZOrder, INVALID_TAG, name, false);
}

void Node::addChildHelper(Node* child, int localZOrder, int tag, const std::string& name, bool setTag) {
    assert(child && "addChild of null");
    assert(child && !child->parent_ && "child already has a parent");
    assert(child != this && "a node cannot be its own child");
    if (!child || child->parent_ || child == this) {
        return; // adding twice would corrupt both parents' child lists
    }
    children_.pushBack(child);
    child->localZOrder_ = localZOrder;
    if (setTag) {
        child->setTag(tag);
    } else if (!name.empty()) {
        child->setName(name);
    }
    child->setParent(this);
    child->updateOrderOfArrival();
    reorderChildDirty_ = true;

    if (running_) {
        child->onEnter();
        if (transitionFinished_) {
            child->onEnterTransitionDidFinish();
        }
    }
    if (cascadeColorEnabled_) {
        updateCascadeColor();
    }
    if (cascadeOpacityEnabled_) {
        updateCascadeOpacity();
    }
}

Node* Node::getChildByTag(int tag) const {
    for (Node* child : children_) {
        if (child->tag_ == tag) {
            return child;
        }
    }
    return nullptr;
}

Node* Node::getChildByName(const std::string& name) const {
    for (Node* child : children_) {
        if (child->name_ == name) {
            return child;
        }
    }
    return nullptr;
}

Scene* Node::getScene() const {
    const Node* root = this;
    while (root->parent_) {
        root = root->parent_;
    }
    return dynamic_cast<Scene*>(const_cast<Node*>(root));
}

void Node::setParent(Node* parent) {
    parent_ = parent;
    markTransformDirty();
}

void Node::removeFromParent() {
    removeFromParentAndCleanup(true);
}

void Node::removeFromParentAndCleanup(bool cleanup) {
    if (parent_) {
        parent_->removeChild(this, cleanup);
    }
}

void Node::removeChild(Node* child, bool cleanup) {
    if (!child || !children_.contains(child)) {
        return;
    }
    detachChild(child, cleanup);
}

void Node::detachChild(Node* child, bool cleanup) {
    child->retain(); // keep it alive through its own onExit
    if (running_) {
        child->onExitTransitionDidStart();
        child->onExit();
    }
    if (cleanup) {
        child->cleanup();
    }
    child->setParent(nullptr);
    children_.eraseObject(child);
    child->release();
}

void Node::removeChildByTag(int tag, bool cleanup) {
    if (Node* child = getChildByTag(tag)) {
        removeChild(child, cleanup);
    }
}

void Node::removeChildByName(const std::string& name, bool cleanup) {
    if (Node* child = getChildByName(name)) {
        removeChild(child, cleanup);
    }
}

void Node::removeAllChildren() {
    removeAllChildrenWithCleanup(true);
}

void Node::removeAllChildrenWithCleanup(bool cleanup) {
    Vector<Node*> removed;
    removed.swap(children_);
    for (Node* child : removed) {
        if (running_) {
            child->onExitTransitionDidStart();
            child->onExit();
        }
        if (cleanup) {
            child->cleanup();
        }
        child->setParent(nullptr);
    }
}

void Node::reorderChild(Node* child, int localZOrder) {
    if (!child || child->parent_ != this) {
        return;
    }
    reorderChildDirty_ = true;
    child->updateOrderOfArrival();
    child->localZOrder_ = localZOrder;
}

void Node::sortAllChildren() {
    if (!reorderChildDirty_) {
        return;
    }
    auto& list = children_.underlying();
    std::sort(list.begin(), list.end(), [](const Node* a, const Node* b) {
        if (a->localZOrder_ != b->localZOrder_) {
            return a->localZOrder_ < b->localZOrder_;
        }
        return a->orderOfArrival_ < b->orderOfArrival_;
    });
    reorderChildDirty_ = false;
}

// --- life cycle ---

void Node::onEnter() {
    transitionFinished_ = false;
    const Vector<Node*> children(children_); // a child's onEnter may change the list
    for (Node* child : children) {
        child->onEnter();
    }
    resume();
    running_ = true;
}

void Node::onEnterTransitionDidFinish() {
    transitionFinished_ = true;
    const Vector<Node*> children(children_);
    for (Node* child : children) {
        child->onEnterTransitionDidFinish();
    }
}

void Node::onExitTransitionDidStart() {
    const Vector<Node*> children(children_);
    for (Node* child : children) {
        child->onExitTransitionDidStart();
    }
}

void Node::onExit() {
    pause();
    running_ = false;
    const Vector<Node*> children(children_);
    for (Node* child : children) {
        child->onExit();
    }
}

void Node::cleanup() {
    stopAllActions();
    unscheduleAllCallbacks();
    const Vector<Node*> children(children_);
    for (Node* child : children) {
        child->cleanup();
    }
}

// --- actions ---

Action* Node::runAction(Action* action) {
    if (action) {
        actionManager_->addAction(action, this, !running_);
    }
    return action;
}

void Node::stopAction(Action* action) {
    actionManager_->removeAction(action);
}
void Node::stopAllActions() {
    actionManager_->removeAllActionsFromTarget(this);
}
void Node::stopActionByTag(int tag) {
    actionManager_->removeActionByTag(tag, this);
}
void Node::stopAllActionsByTag(int tag) {
    actionManager_->removeAllActionsByTag(tag, this);
}
Action* Node::getActionByTag(int tag) {
    return actionManager_->getActionByTag(tag, this);
}

std::size_t Node::getNumberOfRunningActions() const {
    return actionManager_->getNumberOfRunningActionsInTarget(this);
}

// --- scheduling ---

void Node::schedule(const std::function<void(float)>& callback, const std::string& key) {
    schedule(callback, 0, Scheduler::REPEAT_FOREVER, 0, key);
}

void Node::schedule(const std::function<void(float)>& callback, float interval, const std::string& key) {
    schedule(callback, interval, Scheduler::REPEAT_FOREVER, 0, key);
}

void Node::schedule(const std::function<void(float)>& callback, float interval, unsigned int repeat,
                    float delay, const std::string& key) {
    scheduler_->schedule(callback, this, interval, repeat, delay, !running_, key);
}

void Node::scheduleOnce(const std::function<void(float)>& callback, float delay, const std::string& key) {
    schedule(callback, 0, 0, delay, key);
}

void Node::unschedule(const std::string& key) {
    scheduler_->unschedule(key, this);
}
bool Node::isScheduled(const std::string& key) const {
    return scheduler_->isScheduled(key, this);
}
void Node::unscheduleAllCallbacks() {
    scheduler_->unscheduleAllForTarget(this);
}
void Node::scheduleUpdate() {
    scheduleUpdateWithPriority(0);
}
void Node::scheduleUpdateWithPriority(int priority) {
    scheduler_->scheduleUpdate(this, priority, !running_);
}
void Node::unscheduleUpdate() {
    scheduler_->unscheduleUpdate(this);
}
void Node::update(float) {}

void Node::pause() {
    scheduler_->pauseTarget(this);
    actionManager_->pauseTarget(this);
    eventDispatcher_->pauseEventListenersForTarget(this);
}

void Node::resume() {
    scheduler_->resumeTarget(this);
    actionManager_->resumeTarget(this);
    eventDispatcher_->resumeEventListenersForTarget(this);
}

// --- drawing ---

void Node::visit() {
    if (Renderer* renderer = Director::getInstance()->getRenderer()) {
        visit(renderer, Mat4::IDENTITY, FLAGS_NONE);
    }
}

void Node::visit(Renderer* renderer, const Mat4& parentTransform, std::uint32_t parentFlags) {
    if (!visible_) {
        return;
    }
    // Recomputed on every visit: a node may be drawn under different parents'
    // transforms (transitions, render targets), and the product is cheap.
    modelViewTransform_ = parentTransform * getNodeToParentTransform();
    const std::uint32_t flags = parentFlags;

    sortAllChildren();
    // Index-based: the list is not changed while drawing.
    auto& list = children_.underlying();
    std::size_t i = 0;
    for (; i < list.size() && list[i]->localZOrder_ < 0; ++i) {
        list[i]->visit(renderer, modelViewTransform_, flags);
    }
    draw(renderer, modelViewTransform_, flags);
    for (; i < list.size(); ++i) {
        list[i]->visit(renderer, modelViewTransform_, flags);
    }
}

void Node::draw(Renderer*, const Mat4&, std::uint32_t) {}

} // namespace engine
