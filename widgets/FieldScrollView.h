#pragma once

#include "engine/2d/Layer.h"
#include "engine/2d/actions/ActionTween.h"
#include "engine/base/Vector.h"
#include "widgets/FieldScrollViewDelegate.h"

#include <cstdint>
#include <functional>
#include <string>

namespace engine {
class Action;
class Event;
class EventListenerTouchOneByOne;
class Touch;
} // namespace engine

// The scrolling, clipping container of the screens: a window of `viewSize`
// onto `container`, dragged with one finger (with inertia after release and a
// spring back past the ends when `bounceable`), pinched with two fingers
// (zoomed between `minScale` and `maxScale`, the content under the fingers'
// midpoint staying under it as it moves, so the pinch also pans), and drawn
// only inside its window (intersected with any clip already in force). A
// second finger turns a one-finger drag into a pinch.
//
// The content offset is the container's position: 0 at the bottom-left, and
// negative to show content further up or right. All speeds are in design
// units per frame, so the feel follows the frame rate.
//
// Owners set `delegate`, `bounceable`, `minScale` and `maxScale` directly,
// and read `container`, `viewSize` and the number of `touches`.
class FieldScrollView : public engine::Layer, public engine::ActionTweenDelegate {
public:
    enum Direction { HORIZONTAL = 0, VERTICAL = 1, BOTH = 2 };

    // A finger must travel this far (in inches) before the content follows.
    static constexpr float kMoveInch = 7.0f / 160.0f;
    // Share of the finger's movement applied while the content is past an end.
    static constexpr float kOutOfBoundsDragFactor = 0.35f;
    static constexpr float kFriction = 0.96f;
    static constexpr float kStopSpeed = 0.01f;
    static constexpr float kReleaseVelocityFactor = 0.5f;
    static constexpr float kSpringOutward = 0.15f;
    static constexpr float kReturnInward = 0.1f;
    static constexpr float kPastTargetDamping = 0.55f;
    // Half the length of an animated scroll (the move takes twice this).
    static constexpr float kAnimatedScrollDuration = 0.15f;
    static constexpr float kDefaultViewSide = 200.0f;

    CREATE_FUNC(FieldScrollView);
    static FieldScrollView* create(const engine::Size& viewSize);

    // A 200 by 200 window.
    bool init() override;
    virtual bool initWithViewSize(const engine::Size& size);

    virtual void setDirection(int newDirection);
    int getDirection() const { return direction; }

    // Animated: an exponential ease-out over twice kAnimatedScrollDuration.
    // Otherwise the offset is applied at once; a view that is not bounceable
    // keeps y within its bounds (x is left free, see relocateContainer).
    void setContentOffset(const engine::Vec2& offset, bool animated = false);
    // Moves the container over 2 x `duration` seconds with an exponential
    // ease-out, reporting every frame.
    void setContentOffsetInDuration(const engine::Vec2& offset, float duration);
    engine::Vec2 getContentOffset() const;
    engine::Vec2 minContainerOffset() const;
    engine::Vec2 maxContainerOffset() const;

    // Clamped to [minScale, maxScale]; the content under the window's centre
    // stays in place.
    void setZoomScale(float scale);
    // The same about `pivot`, a point in the view's own space.
    void setZoomScale(float scale, const engine::Vec2& pivot);
    float getZoomScale() const;
    // The tween key is ignored: the only tweened value is the zoom.
    void updateTweenAction(float value, const std::string& key) override;

    // Slides a container that lies past its ends back into bounds (animated).
    void relocateContainer();

    // The content size is the container's; the view's own size is its window.
    void setContentSize(const engine::Size& size) override;
    const engine::Size& getContentSize() const;

    // The window in world coordinates, through the scales of every ancestor.
    engine::Rect getViewRect() const;

    bool isDragging() const { return dragging; }
    bool isTouchMoved() const { return touchMoved; }
    bool isBounceable() const { return bounceable; }
    void setClippingToBounds(bool clipping) { clippingToBounds = clipping; }
    bool isClippingToBounds() const { return clippingToBounds; }
    // Children wholly outside the window are not drawn (off by default: for
    // children that each draw within their own content rectangle).
    void setCullingChildren(bool culling);
    const engine::Vec2& getVelocity() const { return velocity; }
    // Per axis: 0 free, 1 below the smallest offset, -1 above the largest.
    std::int8_t getBounceStateX() const { return bounceState[0]; }
    std::int8_t getBounceStateY() const { return bounceState[1]; }
    bool isDecelerating() const;
    bool isAnimatingScroll() const;

    // Children go into the container; only the container itself is the view's.
    void addChild(engine::Node* child) override;
    void addChild(engine::Node* child, int localZOrder) override;
    void addChild(engine::Node* child, int localZOrder, int tag) override;
    void addChild(engine::Node* child, int localZOrder, const std::string& name) override;
    void removeChild(engine::Node* child, bool cleanup = true) override;
    void removeAllChildren() override;
    void removeAllChildrenWithCleanup(bool cleanup) override;

    void visit(engine::Renderer* renderer, const engine::Mat4& parentTransform,
               std::uint32_t parentFlags) override;

    virtual bool onTouchBegan(engine::Touch* touch, engine::Event* event);
    virtual void onTouchMoved(engine::Touch* touch, engine::Event* event);
    virtual void onTouchEnded(engine::Touch* touch, engine::Event* event);
    virtual void onTouchCancelled(engine::Touch* touch, engine::Event* event);

    // Receiver of the callbacks (not owned; the owner outlives its use).
    FieldScrollViewDelegate* delegate = nullptr;
    bool bounceable = true;
    float minScale = 1.0f;
    float maxScale = 1.0f;
    // The scrolled node: anchor (0, 0), its position is the content offset
    // and its scale the zoom.
    engine::Layer* container = nullptr;
    engine::Size viewSize;
    // Touches claimed by this view, retained while held.
    engine::Vector<engine::Touch*> touches;
    // Asked for each new touch: true when another touch holds something on
    // the view (a card stays under the finger that drags it), and the new
    // touch is refused.
    std::function<bool(const engine::Touch*)> heldElsewhere;

protected:
    FieldScrollView();
    ~FieldScrollView() override;

private:
    // One finger: the content follows it once it has moved far enough.
    void dragContent(engine::Touch* touch);
    // Two fingers: the zoom follows their distance, the content their midpoint.
    void pinch();
    // Slows the move along an axis where the content lies out of bounds;
    // returns how far the finger went in the scroll direction.
    float dampOutOfBounds(engine::Vec2& move, engine::Vec2& sample) const;
    void inertiaStep(float dt);
    // One axis of the inertia step: updates its speed, bounce state and target.
    void inertiaAxis(float dt, float position, float low, float high, float& speed, std::int8_t& state,
                     float& target) const;
    engine::Vec2 releaseVelocity() const;
    void animatedScrollStep(float dt);
    void animatedScrollEnded();
    void stopAnimatedScroll();
    void endTouch(engine::Touch* touch);
    bool isVisibleInTree() const;
    bool scrollsX() const { return direction != VERTICAL; }
    bool scrollsY() const { return direction != HORIZONTAL; }
    float pointsToInches(float points) const;
    // The view's y bounds applied to `offset` when the view is not bounceable.
    engine::Vec2 clampedOffset(const engine::Vec2& offset) const;
    void notifyScrolled();
    // Clipping around the children; false when nothing of the view can show.
    bool beforeDraw(engine::Renderer* renderer, const engine::Mat4& worldTransform);
    void afterDraw(engine::Renderer* renderer);

    int direction = BOTH;
    bool dragging = false;
    bool touchMoved = false;
    engine::Vec2 touchPoint;
    // The content point under the pinching fingers' midpoint.
    engine::Vec2 pinchAnchor;
    engine::Vec2 lastTouchPoint;
    engine::Vec2 scrollDistance;
    bool clippingToBounds = true;
    float touchLength = 0;
    // The clip that was in force before drawing, and whether one was pushed.
    engine::Rect parentScissorRect;
    bool scissorRestored = false;
    engine::EventListenerTouchOneByOne* touchListener = nullptr;
    engine::Vec2 velocity;
    std::int8_t bounceState[2] = {0, 0};
    engine::Vec2 bounceTarget;
    engine::Action* scrollAction = nullptr;
};
