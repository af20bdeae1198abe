#include "engine/platform/Worker.h"

namespace engine {

// By value as declared: the desktop's moves it into its thread.
// NOLINTNEXTLINE(performance-unnecessary-value-param)
void startWorker(std::function<void()> work) {
    work();
}

bool workersHaveThreads() {
    return false;
}

} // namespace engine
