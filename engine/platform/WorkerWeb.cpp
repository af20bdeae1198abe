#include "engine/platform/Worker.h"

#include <utility>

namespace engine {

void startWorker(std::function<void()> work) {
    std::move(work)();
}

bool workersHaveThreads() {
    return false;
}

} // namespace engine
