#pragma once

#include "engine/2d/events/Event.h"

#include <string>

namespace engine {

// A named event carrying an optional pointer that the sender owns.
class EventCustom : public Event {
public:
    explicit EventCustom(const std::string& eventName);
    ~EventCustom() override;

    void setUserData(void* data) { userData_ = data; }
    void* getUserData() const { return userData_; }
    const std::string& getEventName() const { return eventName_; }

private:
    void* userData_ = nullptr;
    std::string eventName_;
};

} // namespace engine
