#pragma once

#include <atomic>

namespace engine {

// Intrusive reference count shared by every node and manager. A new object
// starts with a count of 1, owned by whoever created it; `autorelease` hands
// that ownership to the current autorelease pool, which releases it after the
// frame. The count is atomic so that a worker thread may keep an object alive
// (retain in a closure, release on the main thread).
class Ref {
public:
    Ref(const Ref&) = delete;
    Ref& operator=(const Ref&) = delete;
    virtual ~Ref();

    void retain();
    // Drops one reference and deletes the object when none is left.
    void release();
    // Schedules one release for when the current pool drains; returns this.
    Ref* autorelease();
    unsigned int getReferenceCount() const;

protected:
    Ref();

private:
    std::atomic<unsigned int> referenceCount_{1};
};

// Releases a Ref pointer (if any) and nulls it.
template <typename T> void safeRelease(T*& object) {
    if (object) {
        object->release();
        object = nullptr;
    }
}

} // namespace engine
