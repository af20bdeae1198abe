#include "engine/base/Ref.h"

#include "engine/base/AutoreleasePool.h"

#include <cassert>

namespace engine {

Ref::Ref() = default;

Ref::~Ref() = default;

void Ref::retain() {
    assert(referenceCount_.load() > 0 && "retain of a released object");
    referenceCount_.fetch_add(1, std::memory_order_relaxed);
}

void Ref::release() {
    const unsigned int before = referenceCount_.fetch_sub(1, std::memory_order_acq_rel);
    assert(before > 0 && "release of a released object");
    if (before == 1) {
        delete this;
    }
}

Ref* Ref::autorelease() {
    AutoreleasePool::current().addObject(this);
    return this;
}

unsigned int Ref::getReferenceCount() const {
    return referenceCount_.load(std::memory_order_relaxed);
}

} // namespace engine
