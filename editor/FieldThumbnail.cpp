#include "editor/FieldThumbnail.h"

#include "engine/2d/Director.h"
#include "engine/2d/RenderTexture.h"
#include "engine/base/Scheduler.h"
#include "store/SaveDataManager.h"

void FieldThumbnail::write(SaveDataManager* store, SaveData* data, engine::RenderTexture* texture,
                           std::function<void()> done) {
    const std::string file = store ? store->getImageFullPath(data) : std::string();
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
