#pragma once

#include <functional>

namespace engine {
class RenderTexture;
}

class SaveData;
class SaveDataManager;

// The picture of a program that the list of saved programs shows. The editor
// owns what it draws, so the store only names the file and the editor writes it.
class FieldThumbnail {
public:
    // Writes `texture` as the entry's thumbnail (PNG with alpha) and calls
    // `done` on the main thread once the file is written, even when writing
    // failed, so that a caller waiting to leave the editor never hangs. A
    // record that was never saved has no thumbnail name: nothing is written
    // and `done` is called on the next frame.
    static void write(SaveDataManager* store, SaveData* data, engine::RenderTexture* texture,
                      std::function<void()> done);
};
