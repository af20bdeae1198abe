#include "saves/ThumbnailLoader.h"

#include "engine/2d/Texture2D.h"

#include <utility>

void ThumbnailLoader::Request::cancel() {
    cancelled_ = true;
    deliver_ = nullptr; // whatever it holds goes now, not when the result arrives
}

ThumbnailLoader::ThumbnailLoader(engine::Scheduler* scheduler) : scheduler_(scheduler) {
    worker_ = std::thread([this] { work(); });
}

ThumbnailLoader::~ThumbnailLoader() {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        stopping_ = true;
        queue_.clear();
    }
    wake_.notify_all();
    worker_.join();
}

std::shared_ptr<ThumbnailLoader::Request> ThumbnailLoader::load(const std::string& path, Delivery deliver) {
    auto request = std::make_shared<Request>(path, std::move(deliver));
    {
        std::lock_guard<std::mutex> lock(mutex_);
        queue_.push_back(request);
    }
    wake_.notify_one();
    return request;
}

void ThumbnailLoader::waitUntilIdle() {
    std::unique_lock<std::mutex> lock(mutex_);
    idle_.wait(lock, [this] { return queue_.empty() && !busy_; });
}

void ThumbnailLoader::work() {
    engine::Texture2D::beginDecodingThread();
    std::unique_lock<std::mutex> lock(mutex_);
    while (true) {
        busy_ = false;
        if (queue_.empty()) {
            idle_.notify_all();
        }
        wake_.wait(lock, [this] { return stopping_ || !queue_.empty(); });
        if (stopping_) {
            lock.unlock();
            engine::Texture2D::endDecodingThread();
            return;
        }
        std::shared_ptr<Request> request = std::move(queue_.front());
        queue_.pop_front();
        if (request->cancelled_) {
            continue; // scrolled past before its turn came
        }
        busy_ = true;
        lock.unlock();
        // Freed with the posted closure, whether it runs or is dropped.
        std::shared_ptr<SDL_Surface> pixels(engine::Texture2D::decodeFile(request->path_, kMaxPictureSide),
                                            SDL_FreeSurface);
        scheduler_->performFunctionInCocosThread([request, pixels] {
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
