#include "saves/ThumbnailLoader.h"

#include "engine/2d/Texture2D.h"
#include "engine/base/Log.h"

#include <utility>

void ThumbnailLoader::Request::cancel() {
    cancelled_ = true;
    deliver_ = nullptr; // whatever it holds goes now, not when the result arrives
}

ThumbnailLoader::ThumbnailLoader(engine::Scheduler* scheduler) : scheduler_(scheduler) {
    worker_ = std::thread([queue = queue_, scheduler] { serve(queue, scheduler); });
}

ThumbnailLoader::~ThumbnailLoader() {
    std::unique_lock<std::mutex> lock(queue_->mutex);
    queue_->stopping = true;
    queue_->requests.clear();
    queue_->wake.notify_all();
    const bool finished =
        queue_->finished.wait_for(lock, kStopDeadline, [queue = queue_.get()] { return queue->done; });
    lock.unlock();
    if (finished) {
        worker_.join();
        return;
    }
    // The main thread never waits on a read without end (a slow or hung disk).
    engine::Log::warning("saves", "a picture is still being read; its worker is left to finish alone");
    worker_.detach();
}

std::shared_ptr<ThumbnailLoader::Request> ThumbnailLoader::load(const std::string& path, Delivery deliver) {
    auto request = std::make_shared<Request>(path, std::move(deliver));
    {
        std::lock_guard<std::mutex> lock(queue_->mutex);
        queue_->requests.push_back(request);
    }
    queue_->wake.notify_one();
    return request;
}

void ThumbnailLoader::waitUntilIdle() {
    std::unique_lock<std::mutex> lock(queue_->mutex);
    queue_->idle.wait(lock, [this] { return queue_->requests.empty() && !queue_->busy; });
}

void ThumbnailLoader::serve(const std::shared_ptr<Queue>& queue, engine::Scheduler* scheduler) {
    engine::Texture2D::beginDecodingThread();
    std::unique_lock<std::mutex> lock(queue->mutex);
    while (true) {
        queue->busy = false;
        if (queue->requests.empty()) {
            queue->idle.notify_all();
        }
        queue->wake.wait(lock, [&queue] { return queue->stopping || !queue->requests.empty(); });
        if (queue->stopping) {
            break;
        }
        std::shared_ptr<Request> request = std::move(queue->requests.front());
        queue->requests.pop_front();
        if (request->cancelled_) {
            continue; // scrolled past before its turn came
        }
        queue->busy = true;
        lock.unlock();
        // Freed with the posted closure, whether it runs or is dropped.
        std::shared_ptr<SDL_Surface> pixels(engine::Texture2D::decodeFile(request->path_, kMaxPictureSide),
                                            SDL_FreeSurface);
        lock.lock();
        if (queue->stopping) {
            break; // the loader may be gone: nothing is posted
        }
        // Posted unlocked: the main thread may ask for a picture meanwhile.
        // The loader waits for this loop to end before it goes.
        lock.unlock();
        scheduler->performFunctionInCocosThread([request, pixels] {
            if (request->cancelled_) {
                return;
            }
            engine::RefPtr<engine::Texture2D> texture;
            if (pixels) {
                auto* made = new engine::Texture2D();
                if (made->initWithSurface(pixels.get())) {
                    texture = made;
                }
                made->release();
            }
            deliver(request, texture.get());
        });
        lock.lock();
    }
    lock.unlock();
    engine::Texture2D::endDecodingThread();
    lock.lock();
    queue->done = true;
    queue->finished.notify_all();
}

void ThumbnailLoader::deliver(const std::shared_ptr<Request>& request, engine::Texture2D* texture) {
    // Taken out first: the owner may drop the request, or make a new one,
    // from inside the delivery.
    const Delivery handler = std::move(request->deliver_);
    request->cancelled_ = true;
    if (handler) {
        handler(texture);
    }
}
