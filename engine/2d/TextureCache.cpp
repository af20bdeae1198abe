#include "engine/2d/TextureCache.h"

#include "engine/2d/Texture2D.h"
#include "engine/base/FileUtils.h"
#include "engine/base/Log.h"

namespace engine {

TextureCache::TextureCache() = default;

TextureCache::~TextureCache() {
    removeAllTextures();
}

std::string TextureCache::fullPathForFilename(const std::string& path) {
    if (path.empty()) {
        return path;
    }
    return FileUtils::getInstance()->fullPathForFilename(path);
}

Texture2D* TextureCache::addImage(const std::string& path) {
    const std::string fullPath = fullPathForFilename(path);
    if (fullPath.empty()) {
        Log::error("engine", "cannot load picture " + path + ": not found in the search paths");
        return nullptr;
    }
    if (auto it = textures_.find(fullPath); it != textures_.end()) {
        return it->second;
    }
    auto* texture = new Texture2D();
    if (!texture->initWithFile(fullPath)) {
        texture->release();
        return nullptr;
    }
    textures_.emplace(fullPath, texture);
    return texture;
}

Texture2D* TextureCache::getTextureForKey(const std::string& path) const {
    const auto it = textures_.find(fullPathForFilename(path));
    return it == textures_.end() ? nullptr : it->second;
}

void TextureCache::removeTexture(Texture2D* texture) {
    for (auto it = textures_.begin(); it != textures_.end(); ++it) {
        if (it->second == texture) {
            it->second->release();
            textures_.erase(it);
            return;
        }
    }
}

void TextureCache::removeTextureForKey(const std::string& path) {
    const auto it = textures_.find(fullPathForFilename(path));
    if (it != textures_.end()) {
        it->second->release();
        textures_.erase(it);
    }
}

void TextureCache::removeAllTextures() {
    for (auto& [path, texture] : textures_) {
        texture->release();
    }
    textures_.clear();
}

} // namespace engine
