// SaveDataManager::saveThumbnail draws on the engine's render texture; it is
// built with the screens (pavlune_saves_thumbnail) so that the store itself
// stays free of rendering.

#include "saves/SaveDataManager.h"

#include "engine/2d/Director.h"
#include "engine/2d/RenderTexture.h"
#include "engine/base/Scheduler.h"

void SaveDataManager::saveThumbnail(SaveData* data, engine::RenderTexture* texture, std::function<void()> done) {
    if (!data || data->imagepath.empty() || !texture) {
        // A record that was never saved (its first write failed) has no
        // picture name: W + "" would be the writable folder itself. The
        // caller still waits for `done`, at the time a written picture would
        // report it.
        if (done) {
            engine::Director::getInstance()->getScheduler()->performFunctionInCocosThread(std::move(done));
        }
        return;
    }
    texture->saveToFile(rootPath_ + data->imagepath, engine::Image::Format::PNG, true,
                        [done = std::move(done)](engine::RenderTexture*, const std::string&) {
                            if (done) {
                                done();
                            }
                        });
}
