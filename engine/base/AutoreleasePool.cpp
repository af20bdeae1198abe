#include "engine/base/AutoreleasePool.h"

#include "engine/base/Ref.h"

#include <algorithm>

namespace engine {

AutoreleasePool& AutoreleasePool::current() {
    static AutoreleasePool* pool = new AutoreleasePool(); // lives as long as the process
    return *pool;
}

void AutoreleasePool::addObject(Ref* object) {
    std::lock_guard<std::mutex> lock(mutex_);
    objects_.push_back(object);
}

void AutoreleasePool::clear() {
    for (;;) {
        std::vector<Ref*> pending;
        {
            std::lock_guard<std::mutex> lock(mutex_);
            if (objects_.empty()) {
                return;
            }
            pending.swap(objects_);
        }
        for (Ref* object : pending) {
            object->release();
        }
    }
}

bool AutoreleasePool::contains(const Ref* object) const {
    std::lock_guard<std::mutex> lock(mutex_);
    return std::find(objects_.begin(), objects_.end(), object) != objects_.end();
}

std::size_t AutoreleasePool::size() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return objects_.size();
}

} // namespace engine
