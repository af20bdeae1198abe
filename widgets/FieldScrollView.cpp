#include "widgets/FieldScrollView.h"

#include "engine/2d/Director.h"
#include "engine/2d/Renderer.h"
#include "engine/2d/actions/CallFunc.h"
#include "engine/2d/actions/EaseExponentialOut.h"
#include "engine/2d/actions/MoveTo.h"
#include "engine/2d/actions/Sequence.h"
#include "engine/2d/events/EventDispatcher.h"
#include "engine/2d/events/EventListenerTouchOneByOne.h"
#include "engine/2d/events/Touch.h"
#include "engine/platform/Device.h"
#include "engine/platform/GLView.h"
#include "widgets/CullingLayer.h"

#include <algorithm>
#include <cmath>
#include <new>

using engine::Event;
using engine::Rect;
using engine::Size;
using engine::Touch;
using engine::Vec2;

namespace {

const std::string kInertiaKey = "FieldScrollView.inertia";
const std::string kAnimatedScrollKey = "FieldScrollView.animatedScroll";

// The lower bound wins when the content is smaller than the window, which
// pins such content to the window's top (y) or right (x) edge.
float clampAxis(float value, float low, float high) {
    return std::max(low, std::min(high, value));
}

bool outside(float value, float low, float high) {
    return !(low <= value && value <= high);
}

// The speed a drag hands to the inertia: half the last sample, nudged away
// from zero so that even a slow release takes at least one step.
float releaseSpeed(float sample) {
    const float speed = FieldScrollView::kReleaseVelocityFactor * sample;
    return speed > 0 ? speed + FieldScrollView::kStopSpeed : speed - FieldScrollView::kStopSpeed;
}

} // namespace

FieldScrollView* FieldScrollView::create(const Size& size) {
    auto* view = new (std::nothrow) FieldScrollView();
    if (view && view->initWithViewSize(size)) {
        view->autorelease();
        return view;
    }
    delete view;
    return nullptr;
}

FieldScrollView::FieldScrollView() = default;

FieldScrollView::~FieldScrollView() {
    if (scrollAction) {
        // The sequence's last step calls back into this view.
        if (container) {
            container->stopAction(scrollAction);
        }
        scrollAction->release();
    }
}

bool FieldScrollView::init() {
    return initWithViewSize(Size(kDefaultViewSide, kDefaultViewSide));
}

bool FieldScrollView::initWithViewSize(const Size& size) {
    if (!Layer::init()) {
        return false;
    }
    container = CullingLayer::create();
    if (!container) {
        return false;
    }
    container->setIgnoreAnchorPointForPosition(false);
    container->setAnchorPoint(Vec2::ANCHOR_BOTTOM_LEFT);

    viewSize = size;
    Layer::setContentSize(size);

    touchListener = engine::EventListenerTouchOneByOne::create();
    touchListener->setSwallowTouches(true);
    touchListener->onTouchBegan = [this](Touch* touch, Event* event) { return onTouchBegan(touch, event); };
    touchListener->onTouchMoved = [this](Touch* touch, Event* event) { onTouchMoved(touch, event); };
    touchListener->onTouchEnded = [this](Touch* touch, Event* event) { onTouchEnded(touch, event); };
    touchListener->onTouchCancelled = [this](Touch* touch, Event* event) { onTouchCancelled(touch, event); };
    getEventDispatcher()->addEventListenerWithSceneGraphPriority(touchListener, this);

    delegate = nullptr;
    bounceable = true;
    clippingToBounds = true;
    direction = BOTH;
    container->setPosition(Vec2::ZERO);
    Layer::addChild(container);
    touchLength = 0;
    minScale = 1.0f;
    maxScale = 1.0f;
    velocity = Vec2::ZERO;
    bounceState[0] = bounceState[1] = 0;
    touches.reserve(15);
    return true;
}

void FieldScrollView::setDirection(int newDirection) {
    direction = newDirection;
}

// --- offsets ---

Vec2 FieldScrollView::getContentOffset() const {
    return container->getPosition();
}

Vec2 FieldScrollView::maxContainerOffset() const {
    const Vec2& anchor = container->getAnchorPoint();
    const Size& size = container->getContentSize();
    return Vec2(anchor.x * size.width * container->getScaleX(),
                anchor.y * size.height * container->getScaleY());
}

Vec2 FieldScrollView::minContainerOffset() const {
    const Vec2& anchor = container->getAnchorPoint();
    const Size& size = container->getContentSize();
    return Vec2(viewSize.width - (1 - anchor.x) * size.width * container->getScaleX(),
                viewSize.height - (1 - anchor.y) * size.height * container->getScaleY());
}

Vec2 FieldScrollView::clampedOffset(const Vec2& offset) const {
    if (bounceable) {
        return offset;
    }
    const Vec2 low = minContainerOffset();
    const Vec2 high = maxContainerOffset();
    return Vec2(offset.x, clampAxis(offset.y, low.y, high.y));
}

void FieldScrollView::setContentOffset(const Vec2& offset, bool animated) {
    if (animated) {
        setContentOffsetInDuration(offset, kAnimatedScrollDuration);
        return;
    }
    container->setPosition(clampedOffset(offset));
    notifyScrolled();
}

void FieldScrollView::setContentOffsetInDuration(const Vec2& offset, float duration) {
    stopAnimatedScroll();
    auto* move = engine::EaseExponentialOut::create(engine::MoveTo::create(2 * duration, offset));
    auto* scroll =
        engine::Sequence::create(move, engine::CallFunc::create([this] { animatedScrollEnded(); }));
    scrollAction = container->runAction(scroll);
    scrollAction->retain();
    schedule([this](float dt) { animatedScrollStep(dt); }, kAnimatedScrollKey);
}

void FieldScrollView::stopAnimatedScroll() {
    if (!scrollAction) {
        return;
    }
    container->stopAction(scrollAction);
    scrollAction->release();
    scrollAction = nullptr;
    unschedule(kAnimatedScrollKey);
    notifyScrolled();
}

void FieldScrollView::animatedScrollStep(float) {
    if (dragging) {
        unschedule(kAnimatedScrollKey);
        return;
    }
    notifyScrolled();
}

void FieldScrollView::animatedScrollEnded() {
    unschedule(kAnimatedScrollKey);
    notifyScrolled();
}

bool FieldScrollView::isAnimatingScroll() const {
    return scrollAction && !scrollAction->isDone();
}

void FieldScrollView::relocateContainer() {
    const Vec2 old = container->getPosition();
    const Vec2 low = minContainerOffset();
    const Vec2 high = maxContainerOffset();
    Vec2 target = old;
    if (scrollsX()) {
        target.x = clampAxis(target.x, low.x, high.x);
    }
    if (scrollsY()) {
        target.y = clampAxis(target.y, low.y, high.y);
    }
    if (target != old) {
        setContentOffset(target, true);
    }
}

void FieldScrollView::notifyScrolled() {
    if (delegate) {
        delegate->scrollViewDidScroll(this);
    }
}

// --- zoom ---

float FieldScrollView::getZoomScale() const {
    return container->getScale();
}

void FieldScrollView::setZoomScale(float scale) {
    setZoomScale(scale, Vec2(viewSize.width / 2, viewSize.height / 2));
}

void FieldScrollView::setZoomScale(float scale, const Vec2& pivot) {
    if (scale == container->getScale()) {
        return;
    }
    const Vec2 centre = convertToWorldSpace(pivot);
    const Vec2 pinned = container->convertToNodeSpace(centre);
    container->setScale(clampAxis(scale, minScale, maxScale));
    const Vec2 moved = container->convertToWorldSpace(pinned);
    if (delegate) {
        delegate->scrollViewDidZoom(this);
    }
    // Measured in the view's own space, so that a scaled ancestor does not
    // skew the correction.
    const Vec2 shift = convertToNodeSpace(centre) - convertToNodeSpace(moved);
    setContentOffset(container->getPosition() + shift);
}

void FieldScrollView::updateTweenAction(float value, const std::string&) {
    setZoomScale(value);
}

// --- content size and children ---

void FieldScrollView::setCullingChildren(bool culling) {
    static_cast<CullingLayer*>(container)->setCulling(culling);
}

void FieldScrollView::setContentSize(const Size& size) {
    if (!container) {
        Layer::setContentSize(size); // Layer::init, before the container exists
        return;
    }
    container->setContentSize(size);
}

const Size& FieldScrollView::getContentSize() const {
    return container->getContentSize();
}

void FieldScrollView::addChild(engine::Node* child) {
    addChild(child, child ? child->getLocalZOrder() : 0, child ? child->getName() : std::string());
}

void FieldScrollView::addChild(engine::Node* child, int localZOrder) {
    addChild(child, localZOrder, child ? child->getName() : std::string());
}

void FieldScrollView::addChild(engine::Node* child, int localZOrder, int tag) {
    if (child == container) {
        Layer::addChild(child, localZOrder, tag);
    } else {
        container->addChild(child, localZOrder, tag);
    }
}

void FieldScrollView::addChild(engine::Node* child, int localZOrder, const std::string& name) {
    if (child == container) {
        Layer::addChild(child, localZOrder, name);
    } else {
        container->addChild(child, localZOrder, name);
    }
}

void FieldScrollView::removeChild(engine::Node* child, bool cleanup) {
    if (child == container) {
        Layer::removeChild(child, cleanup);
    } else {
        container->removeChild(child, cleanup);
    }
}

void FieldScrollView::removeAllChildren() {
    removeAllChildrenWithCleanup(true);
}

void FieldScrollView::removeAllChildrenWithCleanup(bool cleanup) {
    container->removeAllChildrenWithCleanup(cleanup);
}

// --- touches ---

bool FieldScrollView::isVisibleInTree() const {
    for (const engine::Node* node = this; node; node = node->getParent()) {
        if (!node->isVisible()) {
            return false;
        }
    }
    return true;
}

Rect FieldScrollView::getViewRect() const {
    Vec2 origin = convertToWorldSpace(Vec2::ZERO);
    float scaleX = getScaleX();
    float scaleY = getScaleY();
    for (const engine::Node* node = getParent(); node; node = node->getParent()) {
        scaleX *= node->getScaleX();
        scaleY *= node->getScaleY();
    }
    if (scaleX < 0) {
        origin.x += viewSize.width * scaleX;
        scaleX = -scaleX;
    }
    if (scaleY < 0) {
        origin.y += viewSize.height * scaleY;
        scaleY = -scaleY;
    }
    return Rect(origin.x, origin.y, viewSize.width * scaleX, viewSize.height * scaleY);
}

float FieldScrollView::pointsToInches(float points) const {
    float factor = 1.0f;
    if (const engine::GLView* view = engine::Director::getInstance()->getOpenGLView()) {
        factor = (view->getScaleX() + view->getScaleY()) / 2;
    }
    return points * factor / static_cast<float>(engine::Device::getDPI());
}

bool FieldScrollView::onTouchBegan(Touch* touch, Event*) {
    if (!isVisibleInTree()) {
        return false;
    }
    if (touches.size() > 2 || (heldElsewhere && heldElsewhere(touch)) ||
        !getViewRect().containsPoint(touch->getLocation())) {
        return false;
    }
    if (!touches.contains(touch)) {
        touches.pushBack(touch);
    }
    if (touches.size() == 1) {
        touchPoint = convertTouchToNodeSpace(touch);
        lastTouchPoint = touchPoint;
        touchMoved = false;
        dragging = true;
        scrollDistance = Vec2::ZERO;
        touchLength = 0;
        velocity = Vec2::ZERO;
        bounceState[0] = bounceState[1] = 0;
    } else if (touches.size() == 2) {
        // A second finger, even after the first has scrolled: a pinch, which
        // hands no fling to the finger left at its end.
        touchPoint = (convertTouchToNodeSpace(touches.at(0)) + convertTouchToNodeSpace(touches.at(1))) / 2;
        pinchAnchor = container->convertToNodeSpace(convertToWorldSpace(touchPoint));
        touchLength = container->convertTouchToNodeSpace(touches.at(0))
                          .distance(container->convertTouchToNodeSpace(touches.at(1)));
        stopAnimatedScroll();
        unschedule(kInertiaKey);
        velocity = Vec2::ZERO;
        dragging = false;
        touchMoved = false;
    }
    return true;
}

void FieldScrollView::onTouchMoved(Touch* touch, Event*) {
    if (!isVisibleInTree() || !touches.contains(touch)) {
        return;
    }
    if (touches.size() == 1 && dragging) {
        dragContent(touch);
    } else if (touches.size() == 2 && !dragging) {
        pinch();
    }
}

float FieldScrollView::dampOutOfBounds(Vec2& move, Vec2& sample) const {
    const Vec2 position = container->getPosition();
    const Vec2 low = minContainerOffset();
    const Vec2 high = maxContainerOffset();
    const bool outX = direction != VERTICAL && outside(position.x, low.x, high.x);
    const bool outY = direction != HORIZONTAL && outside(position.y, low.y, high.y);
    const float measure = direction == VERTICAL ? move.y : direction == HORIZONTAL ? move.x : move.length();
    if (outX) {
        move.x *= kOutOfBoundsDragFactor;
        sample.x *= kOutOfBoundsDragFactor;
    }
    if (outY) {
        move.y *= kOutOfBoundsDragFactor;
        sample.y *= kOutOfBoundsDragFactor;
    }
    return measure;
}

void FieldScrollView::dragContent(Touch* touch) {
    const Vec2 point = convertTouchToNodeSpace(touch);
    Vec2 move = point - touchPoint;
    Vec2 sample = point - lastTouchPoint;
    const Vec2 position = container->getPosition();
    const float measure = dampOutOfBounds(move, sample);

    if (!touchMoved) {
        if (std::fabs(pointsToInches(measure)) < kMoveInch) {
            return;
        }
        // The threshold is crossed: the content starts following from here,
        // without jumping by the distance already travelled.
        move = Vec2::ZERO;
    }
    lastTouchPoint = touchPoint;
    touchPoint = point;
    touchMoved = true;

    if (direction == VERTICAL) {
        move.x = sample.x = 0;
    } else if (direction == HORIZONTAL) {
        move.y = sample.y = 0;
    }
    scrollDistance = sample;
    setContentOffset(position + move);
}

void FieldScrollView::pinch() {
    const Vec2 midpoint =
        (convertTouchToNodeSpace(touches.at(0)) + convertTouchToNodeSpace(touches.at(1))) / 2;
    const float length = container->convertTouchToNodeSpace(touches.at(0))
                             .distance(container->convertTouchToNodeSpace(touches.at(1)));
    // Two fingers that began on one point give no ratio to zoom by.
    if (touchLength > 0) {
        setZoomScale(container->getScale() * length / touchLength, midpoint);
    }
    // Then the pan: the content that was under the midpoint follows it.
    const Vec2 anchorNow = convertToNodeSpace(container->convertToWorldSpace(pinchAnchor));
    const Vec2 shift(scrollsX() ? midpoint.x - anchorNow.x : 0.0f,
                     scrollsY() ? midpoint.y - anchorNow.y : 0.0f);
    if (!shift.isZero()) {
        setContentOffset(container->getPosition() + shift);
    }
}

Vec2 FieldScrollView::releaseVelocity() const {
    // The axis a one-way view does not scroll gets no speed at all: a nudge
    // there would move the content sideways a little on every fling.
    return Vec2(scrollsX() ? releaseSpeed(scrollDistance.x) : 0.0f,
                scrollsY() ? releaseSpeed(scrollDistance.y) : 0.0f);
}

void FieldScrollView::onTouchEnded(Touch* touch, Event*) {
    if (!touches.contains(touch)) {
        return;
    }
    // A view hidden during the touch starts no inertia, but still lets the
    // touch go; a leftover would turn the next single touch into a pinch.
    if (isVisibleInTree()) {
        if (touches.size() == 1 && touchMoved) {
            schedule([this](float dt) { inertiaStep(dt); }, kInertiaKey);
            velocity = releaseVelocity();
        } else if (touches.size() == 2) {
            schedule([this](float dt) { inertiaStep(dt); }, kInertiaKey);
        }
    }
    endTouch(touch);
}

void FieldScrollView::onTouchCancelled(Touch* touch, Event*) {
    if (!touches.contains(touch)) {
        return;
    }
    endTouch(touch);
}

void FieldScrollView::endTouch(Touch* touch) {
    touches.eraseObject(touch);
    if (touches.empty()) {
        dragging = false;
        touchMoved = false;
    }
}

// --- inertia ---

bool FieldScrollView::isDecelerating() const {
    return isScheduled(kInertiaKey);
}

void FieldScrollView::inertiaAxis(float dt, float position, float low, float high, float& speed,
                                  std::int8_t& state, float& target) const {
    if (state != 0) {
        if (state * (target - position) > 0) {
            const float next = position + speed;
            if (speed * state < 0) {
                speed += (target - next) * dt / kSpringOutward;
            } else {
                speed = (target - next) * dt / kReturnInward;
                if (std::fabs(speed) < kStopSpeed) {
                    speed = 0;
                    state = 0;
                }
            }
        } else {
            speed *= kPastTargetDamping;
            // Damping alone never reaches zero in floating point (the
            // smallest value times 0.55 rounds back to itself), so the step
            // would run forever; the axis settles like the others instead.
            if (std::fabs(speed) < kStopSpeed) {
                speed = 0;
                state = 0;
            }
        }
        return;
    }
    if (std::fabs(speed) < kStopSpeed) {
        speed = 0;
        return;
    }
    const float next = position + speed;
    if (bounceable) {
        if (next > high) {
            target = high;
            state = -1;
        } else if (next < low) {
            target = low;
            state = 1;
        }
    } else if (outside(next, low, high)) {
        speed = 0; // stop short of the end rather than cross it
    }
    speed *= kFriction;
}

void FieldScrollView::inertiaStep(float dt) {
    if (dragging) {
        unschedule(kInertiaKey);
        return;
    }
    const Vec2 position = container->getPosition();
    const Vec2 low = minContainerOffset();
    const Vec2 high = maxContainerOffset();
    inertiaAxis(dt, position.x, low.x, high.x, velocity.x, bounceState[0], bounceTarget.x);
    inertiaAxis(dt, position.y, low.y, high.y, velocity.y, bounceState[1], bounceTarget.y);

    Vec2 next = position + velocity;
    if (!bounceable) {
        next.y = clampAxis(next.y, low.y, high.y);
    }
    container->setPosition(next);
    notifyScrolled();

    if (velocity.x == 0 && velocity.y == 0) {
        unschedule(kInertiaKey);
        relocateContainer();
    }
}

// --- drawing ---

bool FieldScrollView::beforeDraw(engine::Renderer* renderer, const engine::Mat4& worldTransform) {
    scissorRestored = false;
    if (!clippingToBounds) {
        return true;
    }
    // The window through the transform of this very visit (the same as
    // getViewRect on screen, and still right inside a render texture).
    const Vec2 corners[4] = {worldTransform.transformPoint(Vec2(0, 0)),
                             worldTransform.transformPoint(Vec2(viewSize.width, 0)),
                             worldTransform.transformPoint(Vec2(0, viewSize.height)),
                             worldTransform.transformPoint(Vec2(viewSize.width, viewSize.height))};
    float minX = corners[0].x, maxX = corners[0].x, minY = corners[0].y, maxY = corners[0].y;
    for (const Vec2& corner : corners) {
        minX = std::min(minX, corner.x);
        maxX = std::max(maxX, corner.x);
        minY = std::min(minY, corner.y);
        maxY = std::max(maxY, corner.y);
    }
    const Rect frame(minX, minY, maxX - minX, maxY - minY);
    parentScissorRect = renderer->getClip();
    const Rect visible = parentScissorRect.intersection(frame);
    if (visible.size.width <= 0 || visible.size.height <= 0) {
        // Outside the clip already in force: nothing of the content may show
        // (keeping the outer clip would draw it beyond this window).
        return false;
    }
    renderer->pushClip(frame);
    scissorRestored = true;
    return true;
}

void FieldScrollView::afterDraw(engine::Renderer* renderer) {
    if (scissorRestored) {
        renderer->popClip();
        scissorRestored = false;
    }
}

void FieldScrollView::visit(engine::Renderer* renderer, const engine::Mat4& parentTransform,
                            std::uint32_t parentFlags) {
    if (!isVisible()) {
        return;
    }
    if (!renderer) {
        Layer::visit(renderer, parentTransform, parentFlags);
        return;
    }
    if (beforeDraw(renderer, parentTransform * getNodeToParentTransform())) {
        Layer::visit(renderer, parentTransform, parentFlags);
    }
    afterDraw(renderer);
}
