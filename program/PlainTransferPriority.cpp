// Where the system offers a sending thread nothing to raise (the browser).
#include "program/TransferPriority.h"

#include <thread>

namespace pavlune {

namespace {

class PlainTransferPriority : public TransferPriority {
public:
    void raise() override {}
    void sleepUntil(TransferClock::TimePoint deadline) override { std::this_thread::sleep_until(deadline); }
};

} // namespace

std::unique_ptr<TransferPriority> TransferPriority::forThisSystem(RealtimeKit* /*kit*/) {
    return std::make_unique<PlainTransferPriority>();
}

std::unique_ptr<RealtimeKit> TransferPriority::systemKit() {
    return nullptr;
}

} // namespace pavlune
