#pragma once

#include "engine/base/Ref.h"

#include <string>
#include <unordered_map>

namespace engine {

class Texture2D;

// Pictures loaded once and shared, keyed by their full path. The cache holds
// one reference to each texture; sprites hold their own.
class TextureCache : public Ref {
public:
    TextureCache();
    ~TextureCache() override;

    // Loads (or finds) the picture at `path`, resolved like every resource
    // path; null when it cannot be read.
    Texture2D* addImage(const std::string& path);
    Texture2D* getTextureForKey(const std::string& path) const;
    void removeTexture(Texture2D* texture);
    void removeTextureForKey(const std::string& path);
    void removeAllTextures();
    std::size_t getTextureCount() const { return textures_.size(); }

    // A resource path as a full path (through FileUtils' search paths);
    // empty when there is no such file.
    static std::string fullPathForFilename(const std::string& path);

private:
    std::unordered_map<std::string, Texture2D*> textures_;
};

} // namespace engine
