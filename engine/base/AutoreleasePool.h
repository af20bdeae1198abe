#pragma once

#include <mutex>
#include <vector>

namespace engine {

class Ref;

// Holds objects whose creator gave up its reference with `autorelease`; the
// director drains the pool after every frame. Objects are normally created on
// the main thread, but adding is guarded so a stray worker cannot corrupt it.
class AutoreleasePool {
public:
    static AutoreleasePool& current();

    void addObject(Ref* object);
    // Releases every object added so far (objects autoreleased while draining
    // are released in the same call).
    void clear();
    bool contains(const Ref* object) const;
    std::size_t size() const;

private:
    AutoreleasePool() = default;

    mutable std::mutex mutex_;
    std::vector<Ref*> objects_;
};

} // namespace engine
