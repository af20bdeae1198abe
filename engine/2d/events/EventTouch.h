#pragma once

#include "engine/2d/events/Event.h"

#include <vector>

namespace engine {

class Touch;

// Touches that changed together in one phase. The event does not own them;
// the platform layer keeps each Touch alive from began to ended/cancelled.
class EventTouch : public Event {
public:
    static constexpr int MAX_TOUCHES = 15;

    enum class EventCode { BEGAN, MOVED, ENDED, CANCELLED };

    EventTouch();
    ~EventTouch() override;

    EventCode getEventCode() const { return eventCode_; }
    void setEventCode(EventCode eventCode) { eventCode_ = eventCode; }
    const std::vector<Touch*>& getTouches() const { return touches_; }
    void setTouches(const std::vector<Touch*>& touches) { touches_ = touches; }

private:
    EventCode eventCode_ = EventCode::BEGAN;
    std::vector<Touch*> touches_;
};

} // namespace engine
