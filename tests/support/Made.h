#pragma once

#include <cstdlib>

// Creation only fails when memory runs out; a test cannot go on without the
// object, so it stops there rather than dereferencing null later.
template <typename T> T* made(T* object) {
    if (!object) {
        std::abort();
    }
    return object;
}
