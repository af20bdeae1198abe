#pragma once

#include <functional>
#include <memory>

class InProcessBoard;

namespace pavlune {
class PavluneCardSerialManager;
class SerialPage;
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
    // In a browser build, the page that lists the ports and carries out the
    // transfers (on the main thread, polled each frame, instead of workers),
    // with the board chooser's button on the bar. Null on the desktop.
    std::shared_ptr<pavlune::SerialPage> page = nullptr;
    // The board simulator in this process, where the manager lists it (the
    // browser and Windows, which cannot start the one on a pseudo-terminal).
    std::shared_ptr<InProcessBoard> simulator = nullptr;

    // The installed setup, or the application's.
    static LinkSetup current();
    // Editors made from now on use `setup`; null returns to the application's.
    static void install(const LinkSetup* setup);
};
