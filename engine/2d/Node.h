#pragma once

#include "engine/base/Color.h"
#include "engine/base/Geometry.h"
#include "engine/base/Macros.h"
#include "engine/base/Mat4.h"
#include "engine/base/Ref.h"
#include "engine/base/Vec3.h"
#include "engine/base/Vector.h"

#include <cstdint>
#include <functional>
#include <string>

namespace engine {

class Action;
class ActionManager;
class EventDispatcher;
class Renderer;
class Scene;
class Scheduler;
class Touch;

// The base of the scene graph: a transform (position, anchor point, scale,
// 2D and 3D rotation), a size, visibility, opacity and colour (optionally
// cascading to the children), an ordered list of children, and access to the
// director's scheduler, action manager and event dispatcher for the things
// that run "on" this node. Actions, schedules and listeners of a node run only
// while the node is part of the running scene; removing a node with cleanup
// stops them.
class Node : public Ref {
public:
    static constexpr int INVALID_TAG = -1;

    static Node* create();
    virtual bool init();

    // --- transform ---
    virtual void setPosition(const Vec2& position);
    void setPosition(float x, float y);
    const Vec2& getPosition() const { return position_; }
    void setPositionX(float x);
    void setPositionY(float y);
    float getPositionX() const { return position_.x; }
    float getPositionY() const { return position_.y; }
    void setPositionZ(float z);
    float getPositionZ() const { return positionZ_; }

    // (0, 0) is the bottom left of the content, (1, 1) the top right.
    virtual void setAnchorPoint(const Vec2& anchor);
    const Vec2& getAnchorPoint() const { return anchorPoint_; }
    const Vec2& getAnchorPointInPoints() const { return anchorPointInPoints_; }

    virtual void setContentSize(const Size& size);
    const Size& getContentSize() const { return contentSize_; }

    // When set, the position places the bottom-left corner of the content
    // rather than the anchor point (used by scenes and layers).
    void setIgnoreAnchorPointForPosition(bool ignore);
    bool isIgnoreAnchorPointForPosition() const { return ignoreAnchorPointForPosition_; }

    void setScale(float scale);
    void setScale(float scaleX, float scaleY);
    void setScaleX(float scaleX);
    void setScaleY(float scaleY);
    // The x scale, also when x and y differ.
    float getScale() const { return scaleX_; }
    float getScaleX() const { return scaleX_; }
    float getScaleY() const { return scaleY_; }

    // Degrees, clockwise on screen.
    void setRotation(float degrees);
    float getRotation() const { return rotationZ_; }
    // Degrees about x, y and z; y turns the node about the vertical axis
    // (seen in perspective). z is the same angle as setRotation.
    void setRotation3D(const Vec3& degrees);
    Vec3 getRotation3D() const { return {rotationX_, rotationY_, rotationZ_}; }

    // --- ordering, identity ---
    // Children draw by ascending local z-order; equal z-orders keep the order
    // in which they were added (or last reordered).
    virtual void setLocalZOrder(int z);
    int getLocalZOrder() const { return localZOrder_; }
    std::uint64_t getOrderOfArrival() const { return orderOfArrival_; }

    void setTag(int tag) { tag_ = tag; }
    int getTag() const { return tag_; }
    void setName(const std::string& name) { name_ = name; }
    const std::string& getName() const { return name_; }
    void setUserData(void* data) { userData_ = data; }
    void* getUserData() const { return userData_; }
    // A Ref kept alive (retained) for as long as it is set on the node.
    void setUserObject(Ref* object);
    Ref* getUserObject() const { return userObject_; }

    // --- appearance ---
    virtual void setVisible(bool visible);
    bool isVisible() const { return visible_; }

    virtual void setOpacity(std::uint8_t opacity);
    std::uint8_t getOpacity() const { return realOpacity_; }
    // This node's opacity times its cascading ancestors' displayed opacity.
    std::uint8_t getDisplayedOpacity() const { return displayedOpacity_; }
    virtual void updateDisplayedOpacity(std::uint8_t parentOpacity);
    void setCascadeOpacityEnabled(bool enabled);
    bool isCascadeOpacityEnabled() const { return cascadeOpacityEnabled_; }

    virtual void setColor(const Color3B& color);
    const Color3B& getColor() const { return realColor_; }
    const Color3B& getDisplayedColor() const { return displayedColor_; }
    virtual void updateDisplayedColor(const Color3B& parentColor);
    void setCascadeColorEnabled(bool enabled);
    bool isCascadeColorEnabled() const { return cascadeColorEnabled_; }

    // --- children ---
    virtual void addChild(Node* child);
    virtual void addChild(Node* child, int localZOrder);
    virtual void addChild(Node* child, int localZOrder, int tag);
    virtual void addChild(Node* child, int localZOrder, const std::string& name);
    Node* getChildByTag(int tag) const;
    Node* getChildByName(const std::string& name) const;
    const Vector<Node*>& getChildren() const { return children_; }
    Vector<Node*>& getChildren() { return children_; }
    std::size_t getChildrenCount() const { return children_.size(); }
    Node* getParent() const { return parent_; }
    // The scene this node is attached to, or null.
    Scene* getScene() const;

    // Removal with cleanup stops the removed nodes' actions and schedules.
    virtual void removeFromParent();
    virtual void removeFromParentAndCleanup(bool cleanup);
    virtual void removeChild(Node* child, bool cleanup = true);
    void removeChildByTag(int tag, bool cleanup = true);
    void removeChildByName(const std::string& name, bool cleanup = true);
    virtual void removeAllChildren();
    virtual void removeAllChildrenWithCleanup(bool cleanup);
    virtual void reorderChild(Node* child, int localZOrder);
    // Sorts the children into drawing order (z-order, then order of arrival)
    // if anything changed since the last sort.
    virtual void sortAllChildren();

    // --- life cycle ---
    bool isRunning() const { return running_; }
    // Called when the node joins the running scene (after a transition's
    // start for the incoming scene) and when it leaves.
    virtual void onEnter();
    virtual void onEnterTransitionDidFinish();
    virtual void onExitTransitionDidStart();
    virtual void onExit();
    // Stops this node's and its descendants' actions and schedules.
    virtual void cleanup();

    // --- spaces ---
    virtual const Mat4& getNodeToParentTransform() const;
    Mat4 getParentToNodeTransform() const;
    Mat4 getNodeToWorldTransform() const;
    Mat4 getWorldToNodeTransform() const;
    // Spaces are measured from the bottom left of the content; the AR forms
    // measure from the anchor point instead.
    Vec2 convertToNodeSpace(const Vec2& worldPoint) const;
    Vec2 convertToWorldSpace(const Vec2& nodePoint) const;
    Vec2 convertToNodeSpaceAR(const Vec2& worldPoint) const;
    Vec2 convertToWorldSpaceAR(const Vec2& nodePoint) const;
    Vec2 convertTouchToNodeSpace(Touch* touch) const;
    Vec2 convertTouchToNodeSpaceAR(Touch* touch) const;
    // The content rectangle transformed into the parent's space (the
    // enclosing axis-aligned rectangle when rotated).
    virtual Rect getBoundingBox() const;

    // --- actions ---
    Action* runAction(Action* action);
    void stopAction(Action* action);
    void stopAllActions();
    void stopActionByTag(int tag);
    void stopAllActionsByTag(int tag);
    Action* getActionByTag(int tag);
    std::size_t getNumberOfRunningActions() const;

    // --- scheduling ---
    // Callbacks run every frame (interval 0) or every `interval` seconds,
    // keyed per node. They start paused while the node is not running.
    void schedule(const std::function<void(float)>& callback, const std::string& key);
    void schedule(const std::function<void(float)>& callback, float interval, const std::string& key);
    void schedule(const std::function<void(float)>& callback, float interval, unsigned int repeat,
                  float delay, const std::string& key);
    void scheduleOnce(const std::function<void(float)>& callback, float delay, const std::string& key);
    void unschedule(const std::string& key);
    bool isScheduled(const std::string& key) const;
    void unscheduleAllCallbacks();
    // Calls update(dt) once a frame.
    void scheduleUpdate();
    void scheduleUpdateWithPriority(int priority);
    void unscheduleUpdate();
    virtual void update(float dt);

    // Pauses or resumes this node's schedules, actions and listeners.
    virtual void pause();
    virtual void resume();

    EventDispatcher* getEventDispatcher() const { return eventDispatcher_; }
    Scheduler* getScheduler() const { return scheduler_; }
    ActionManager* getActionManager() const { return actionManager_; }

    // --- drawing ---
    // Visits the children in drawing order with the node's world transform;
    // invisible nodes and their subtrees are skipped.
    virtual void visit(Renderer* renderer, const Mat4& parentTransform, std::uint32_t parentFlags);
    // Draws this node and its subtree now with the director's renderer, as if
    // it had no parent: between a RenderTexture's begin and end.
    void visit();
    // Draws this node alone; the base node draws nothing.
    virtual void draw(Renderer* renderer, const Mat4& transform, std::uint32_t flags);

    // Flags passed down visit(); none are defined yet.
    static constexpr std::uint32_t FLAGS_NONE = 0;

protected:
    Node();
    ~Node() override;

    virtual void setParent(Node* parent);
    // Recomputes colour-dependent vertex data; sprites and layers override.
    virtual void updateColor() {}
    void updateCascadeOpacity();
    void updateCascadeColor();
    // The world transform of the last visit; valid during and after drawing.
    const Mat4& getModelViewTransform() const { return modelViewTransform_; }
    void markTransformDirty() {
        transformDirty_ = true;
        inverseDirty_ = true;
    }

private:
    void addChildHelper(Node* child, int localZOrder, int tag, const std::string& name, bool setTag);
    void detachChild(Node* child, bool cleanup);
    void updateOrderOfArrival();

    Vec2 position_;
    float positionZ_ = 0;
    Vec2 anchorPoint_;
    Vec2 anchorPointInPoints_;
    Size contentSize_;
    bool ignoreAnchorPointForPosition_ = false;
    float scaleX_ = 1;
    float scaleY_ = 1;
    float rotationX_ = 0;
    float rotationY_ = 0;
    float rotationZ_ = 0;

    int localZOrder_ = 0;
    std::uint64_t orderOfArrival_ = 0;
    int tag_ = INVALID_TAG;
    std::string name_;
    void* userData_ = nullptr;
    Ref* userObject_ = nullptr;

    bool visible_ = true;
    std::uint8_t realOpacity_ = 255;
    std::uint8_t displayedOpacity_ = 255;
    bool cascadeOpacityEnabled_ = false;
    Color3B realColor_ = Color3B::WHITE;
    Color3B displayedColor_ = Color3B::WHITE;
    bool cascadeColorEnabled_ = false;

    Node* parent_ = nullptr;
    Vector<Node*> children_;
    bool reorderChildDirty_ = false;
    bool running_ = false;
    bool transitionFinished_ = false;

    mutable Mat4 transform_;
    mutable bool transformDirty_ = true;
    mutable Mat4 inverse_;
    mutable bool inverseDirty_ = true;
    Mat4 modelViewTransform_;

    Scheduler* scheduler_ = nullptr;
    ActionManager* actionManager_ = nullptr;
    EventDispatcher* eventDispatcher_ = nullptr;
};

} // namespace engine
