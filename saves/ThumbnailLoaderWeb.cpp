// ThumbnailLoader in the browser, which runs the program on one thread: the
// pictures are decoded on the main thread, one per frame, through the same
// posted closures, so a long list still scrolls while its pictures arrive.
#include "engine/2d/Texture2D.h"
#include "saves/ThumbnailLoader.h"

#include <utility>

void ThumbnailLoader::Request::cancel() {
    cancelled_ = true;
    deliver_ = nullptr;
}

ThumbnailLoader::ThumbnailLoader(engine::Scheduler* scheduler) : scheduler_(scheduler) {}

ThumbnailLoader::~ThumbnailLoader() {
    queue_->stopping = true;
    queue_->requests.clear();
}

std::shared_ptr<ThumbnailLoader::Request> ThumbnailLoader::load(const std::string& path, Delivery deliver) {
    auto request = std::make_shared<Request>(path, std::move(deliver));
    queue_->requests.push_back(request);
    if (!queue_->busy) {
        postWork();
    }
    return request;
}

void ThumbnailLoader::waitUntilIdle() {
    while (!queue_->requests.empty()) {
        work();
    }
}

void ThumbnailLoader::work() {
    queue_->busy = false;
    while (!queue_->requests.empty()) {
        std::shared_ptr<Request> request = std::move(queue_->requests.front());
        queue_->requests.pop_front();
        if (request->cancelled_) {
            continue;
        }
        SDL_Surface* pixels = engine::Texture2D::decodeFile(request->path_, kMaxPictureSide);
        engine::RefPtr<engine::Texture2D> texture;
        if (pixels) {
            auto* made = new engine::Texture2D();
            if (made->initWithSurface(pixels)) {
                texture = made;
            }
            made->release();
            SDL_FreeSurface(pixels);
        }
        deliver(request, texture.get());
        break;
    }
    if (!queue_->requests.empty() && !queue_->busy && !queue_->stopping) {
        postWork();
    }
}

void ThumbnailLoader::postWork() {
    queue_->busy = true;
    // The list may go before the closure runs: then it does nothing.
    scheduler_->performFunctionInCocosThread([this, alive = std::weak_ptr<bool>(alive_)] {
        if (!alive.expired()) {
            work();
        }
    });
}

void ThumbnailLoader::deliver(const std::shared_ptr<Request>& request, engine::Texture2D* texture) {
    const Delivery handler = std::move(request->deliver_);
    request->cancelled_ = true;
    if (handler) {
        handler(texture);
    }
}
