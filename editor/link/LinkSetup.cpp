#include "editor/link/LinkSetup.h"

#include "device/PavluneCardSerialManager.h"
#include "device/PlatformSerialBackend.h"
#include "editor/link/InProcessBoard.h"
#include "editor/link/ScreenBoard.h"
#include "program/SteadyTransferClock.h"

#include <optional>

namespace {

std::optional<LinkSetup>& installed() {
    static std::optional<LinkSetup> setup;
    return setup;
}

} // namespace

LinkSetup LinkSetup::current() {
    if (installed()) {
        return *installed();
    }
    // The application's port list always offers the board on the screen: the
    // simulator's own process where it can start, otherwise one in this
    // process (never destroyed, like the manager).
    static const std::shared_ptr<InProcessBoard> inProcess =
        ScreenBoard::canStart() ? nullptr
                                : std::shared_ptr<InProcessBoard>(new InProcessBoard, [](InProcessBoard*) {});
    static const bool listed =
        (inProcess ? inProcess->listIn(*pavlune::PavluneCardSerialManager::getInstance())
                   : ScreenBoard::get().listIn(*pavlune::PavluneCardSerialManager::getInstance()),
         true);
    (void)listed;
    // The process-wide manager is never destroyed, so nothing is released.
    LinkSetup setup{
        std::shared_ptr<pavlune::PavluneCardSerialManager>(pavlune::PavluneCardSerialManager::getInstance(),
                                                           [](pavlune::PavluneCardSerialManager*) {}),
        [] { return std::make_unique<pavlune::SteadyTransferClock>(); }, pavlune::platformSerialPage(),
        inProcess};
    return setup;
}

void LinkSetup::install(const LinkSetup* setup) {
    if (setup) {
        installed() = *setup;
    } else {
        installed().reset();
    }
}
