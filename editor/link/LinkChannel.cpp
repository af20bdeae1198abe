#include "editor/link/LinkChannel.h"

#include "engine/platform/Worker.h"

#include <utility>

LinkChannel::LinkChannel(BoardLink* link, engine::Scheduler* scheduler)
    : scheduler_(scheduler), link_(link) {}

void LinkChannel::post(Report report) {
    std::lock_guard lock(mutex_);
    if (!scheduler_) {
        return;
    }
    // The closure holds this channel, never the link: link_ is read on the
    // main thread, where close() clears it.
    scheduler_->performFunctionInCocosThread([self = shared_from_this(), report = std::move(report)] {
        if (self->link_) {
            report(*self->link_);
        }
    });
}

void LinkChannel::startWorker(const std::shared_ptr<LinkChannel>& channel, std::function<void()> work) {
    {
        std::lock_guard lock(channel->mutex_);
        ++channel->workers_;
    }
    auto run = [channel, work = std::move(work)] {
        work();
        std::lock_guard lock(channel->mutex_);
        if (--channel->workers_ == 0) {
            channel->workersDone_.notify_all();
        }
    };
    // At once in the browser, which has one thread.
    engine::startWorker(std::move(run));
}

void LinkChannel::close() {
    link_ = nullptr;
    std::lock_guard lock(mutex_);
    scheduler_.reset();
}

void LinkChannel::waitForWorkers() {
    std::unique_lock lock(mutex_);
    workersDone_.wait(lock, [this] { return workers_ == 0; });
}

int LinkChannel::runningWorkers() {
    std::lock_guard lock(mutex_);
    return workers_;
}
