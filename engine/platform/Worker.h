#pragma once

#include <functional>

namespace engine {

// Starts work that must not hold a frame and returns: on a detached thread on
// the desktop (Worker.cpp). The browser has one thread, so there the work
// runs before this returns (WorkerWeb.cpp); what it posts through the
// scheduler still arrives on a later frame.
void startWorker(std::function<void()> work);

// False where startWorker runs the work at once (the browser).
bool workersHaveThreads();

} // namespace engine
