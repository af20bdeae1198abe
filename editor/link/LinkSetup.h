#pragma once

#include <functional>
#include <memory>

namespace pavlune {
class PavluneCardSerialManager;
class TransferClock;
} // namespace pavlune

// What the editor's board link talks to: a serial manager, and the clock that
// paces a transfer (made on the worker that runs it). The application uses
// the process-wide manager and real time; tests install a manager on a fake
// backend and a clock that never waits. The manager is shared with every
// worker, so it lives as long as the last of them.
struct LinkSetup {
    std::shared_ptr<pavlune::PavluneCardSerialManager> serial;
    std::function<std::unique_ptr<pavlune::TransferClock>()> makeClock;

    // The installed setup, or the application's.
    static LinkSetup current();
    // Editors made from now on use `setup`; null returns to the application's.
    static void install(const LinkSetup* setup);
};
