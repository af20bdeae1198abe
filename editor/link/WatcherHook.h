#pragma once

#include <functional>
#include <utility>

// The one editor watching a board that outlives editors. A newly opened
// editor's watch takes it over; the old editor's, which may go after the new
// one came, lets go only of what is still its own.
class WatcherHook {
public:
    void take(const void* owner, std::function<void()> call) {
        owner_ = owner;
        call_ = std::move(call);
    }
    void release(const void* owner) {
        if (owner_ == owner) {
            owner_ = nullptr;
            call_ = nullptr;
        }
    }
    void operator()() const {
        if (call_) {
            call_();
        }
    }

private:
    const void* owner_ = nullptr;
    std::function<void()> call_;
};
