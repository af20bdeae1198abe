#include "device/PortChangeWatcher.h"

#include <algorithm>
#include <utility>

namespace pavlune {

namespace {

bool hasNameMissingFrom(const std::vector<std::string>& names, const std::vector<std::string>& sortedOthers) {
    return std::any_of(names.begin(), names.end(), [&](const std::string& name) {
        return !std::binary_search(sortedOthers.begin(), sortedOthers.end(), name);
    });
}

std::vector<std::string> sorted(std::vector<std::string> names) {
    std::sort(names.begin(), names.end());
    return names;
}

} // namespace

PortChangeWatcher::PortChangeWatcher(std::unique_ptr<PortEventSource> source, std::function<void()> arrived,
                                     std::function<void()> removed, std::chrono::milliseconds interval)
    : source_(std::move(source)), arrived_(std::move(arrived)), removed_(std::move(removed)),
      interval_(interval) {
    // The first look is taken here, so a device plugged in right after the
    // watcher exists already counts as an arrival.
    thread_ = std::thread(&PortChangeWatcher::run, this, sorted(source_->presentDevices()));
}

PortChangeWatcher::~PortChangeWatcher() {
    stopping_ = true;
    source_->interrupt();
    thread_.join();
}

void PortChangeWatcher::run(std::vector<std::string> known) {
    while (!stopping_) {
        source_->waitForChange(interval_);
        if (stopping_) {
            return;
        }
        std::vector<std::string> present = sorted(source_->presentDevices());
        const bool appeared = hasNameMissingFrom(present, known);
        const bool went = hasNameMissingFrom(known, present);
        known = std::move(present);
        if (appeared && arrived_) {
            arrived_();
        }
        if (went && removed_) {
            removed_();
        }
    }
}

} // namespace pavlune
