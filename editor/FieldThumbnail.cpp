#include "editor/FieldThumbnail.h"

#include "engine/2d/Director.h"
#include "engine/2d/RenderTexture.h"
#include "engine/2d/Sprite.h"
#include "engine/base/Scheduler.h"
#include "store/SaveDataManager.h"

engine::RenderTexture* FieldThumbnail::capture(engine::Node* content, const engine::Size& visibleSize) {
    auto* screen = engine::RenderTexture::create(static_cast<int>(visibleSize.width),
                                                 static_cast<int>(visibleSize.height),
                                                 engine::Texture2D::PixelFormat::RGB888);
    auto* picture = engine::RenderTexture::create(kSide, kSide);
    if (!screen || !picture || !content) {
        return nullptr;
    }
    screen->begin();
    content->visit();
    screen->end();

    const float scale = static_cast<float>(kSide) / visibleSize.height;
    engine::Sprite* shot = screen->getSprite();
    shot->setPosition(kSide / 2.0f - kCentreShift * scale, kSide / 2.0f);
    shot->setScale(scale);
    picture->begin();
    shot->visit();
    picture->end();
    return picture;
}

void FieldThumbnail::write(SaveDataManager* store, SaveData* data, engine::RenderTexture* texture,
                           std::function<void()> done) {
    // The picture of a program that could not be read stays that program's.
    const std::string file = store && !store->isWriteProtected(data) ? store->getImageFullPath(data) : std::string();
    if (file.empty() || !texture) {
        if (done) {
            engine::Director::getInstance()->getScheduler()->performFunctionInCocosThread(std::move(done));
        }
        return;
    }
    texture->saveToFile(file, engine::Image::Format::PNG, true,
                        [done = std::move(done)](engine::RenderTexture*, const std::string&) {
                            if (done) {
                                done();
                            }
                        });
}
