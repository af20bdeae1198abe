#include "engine/platform/Worker.h"

#include <thread>
#include <utility>

namespace engine {

void startWorker(std::function<void()> work) {
    std::thread(std::move(work)).detach();
}

bool workersHaveThreads() {
    return true;
}

} // namespace engine
