#pragma once

#include "engine/base/Geometry.h"
#include "engine/base/Ref.h"

namespace engine {

// One finger or pen (or the mouse's first button). Locations are in design units:
// `getLocation` with y up as in the scene graph, `getLocationInView` with y
// down as the window reports it. The platform layer converts both from window
// pixels before it fills the touch.
class Touch : public Ref {
public:
    enum class DispatchMode { ALL_AT_ONCE, ONE_BY_ONE };

    Touch();
    ~Touch() override;

    // The first call also records the start location; later calls move the
    // current location to the previous one.
    void setTouchInfo(int id, const Vec2& locationInView, const Vec2& location);

    int getID() const { return id_; }
    // A finger or a pen on a touch screen rather than the mouse: gestures
    // allow it a wider wobble before it counts as a move.
    bool isFinger() const { return finger_; }
    void setFinger(bool finger) { finger_ = finger; }
    Vec2 getLocation() const { return location_; }
    Vec2 getPreviousLocation() const { return previousLocation_; }
    Vec2 getStartLocation() const { return startLocation_; }
    Vec2 getDelta() const { return location_ - previousLocation_; }
    Vec2 getLocationInView() const { return locationInView_; }
    Vec2 getPreviousLocationInView() const { return previousLocationInView_; }
    Vec2 getStartLocationInView() const { return startLocationInView_; }

private:
    int id_ = 0;
    bool startCaptured_ = false;
    bool finger_ = false;
    Vec2 location_;
    Vec2 previousLocation_;
    Vec2 startLocation_;
    Vec2 locationInView_;
    Vec2 previousLocationInView_;
    Vec2 startLocationInView_;
};

} // namespace engine
