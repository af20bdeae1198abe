#pragma once

#include <utility>

namespace engine {

// Holds one reference to an engine object for as long as the holder lives:
// retained when set, released when replaced or destroyed. Screens use it for
// objects they keep beyond a frame instead of pairing retain and release by
// hand. T is any class derived from Ref (complete where the holder is used).
template <typename T> class RefPtr {
public:
    RefPtr() = default;
    RefPtr(T* object) : object_(object) { retainHeld(); } // NOLINT: implicit on purpose, like a raw pointer
    RefPtr(const RefPtr& other) : object_(other.object_) { retainHeld(); }
    RefPtr(RefPtr&& other) noexcept : object_(std::exchange(other.object_, nullptr)) {}
    ~RefPtr() { releaseHeld(); }

    // Safe on itself: reset() retains the new object before it releases the old one.
    RefPtr& operator=(const RefPtr& other) { // NOLINT(bugprone-unhandled-self-assignment)
        reset(other.object_);
        return *this;
    }
    RefPtr& operator=(RefPtr&& other) noexcept {
        if (this != &other) {
            releaseHeld();
            object_ = std::exchange(other.object_, nullptr);
        }
        return *this;
    }
    RefPtr& operator=(T* object) {
        reset(object);
        return *this;
    }

    // Retains the new object before releasing the old one, so setting the
    // object already held never frees it.
    void reset(T* object = nullptr) {
        if (object) {
            object->retain();
        }
        releaseHeld();
        object_ = object;
    }

    T* get() const { return object_; }
    T* operator->() const { return object_; }
    T& operator*() const { return *object_; }
    operator T*() const { return object_; } // NOLINT: implicit on purpose
    explicit operator bool() const { return object_ != nullptr; }

private:
    void retainHeld() {
        if (object_) {
            object_->retain();
        }
    }
    void releaseHeld() {
        if (object_) {
            object_->release();
        }
    }

    T* object_ = nullptr;
};

} // namespace engine
