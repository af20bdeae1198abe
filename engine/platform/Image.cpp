#include "engine/platform/Image.h"

#include "engine/base/FileUtils.h"
#include "engine/base/Log.h"

#include <SDL.h>
#include <SDL_image.h>

namespace engine {

bool Image::initWithRawData(const std::uint8_t* rgba, int width, int height) {
    if (!rgba || width <= 0 || height <= 0) {
        return false;
    }
    width_ = width;
    height_ = height;
    data_.assign(rgba, rgba + static_cast<std::size_t>(width) * height * 4);
    return true;
}

bool Image::initWithImageFile(const std::string& path) {
    // Regular files only, read without waiting (FileUtils), then decoded.
    const FileUtils::FileRead file = FileUtils::getInstance()->readFileUpTo(path, std::size_t{64} << 20);
    if (file.status != FileUtils::FileRead::Status::Read) {
        Log::error("engine", "cannot load picture " + path + ": not a readable regular file");
        return false;
    }
    SDL_Surface* loaded =
        IMG_Load_RW(SDL_RWFromConstMem(file.bytes.data(), static_cast<int>(file.bytes.size())), 1);
    if (!loaded) {
        Log::error("engine", "cannot load picture " + path + ": " + IMG_GetError());
        return false;
    }
    SDL_Surface* rgba = SDL_ConvertSurfaceFormat(loaded, SDL_PIXELFORMAT_RGBA32, 0);
    SDL_FreeSurface(loaded);
    if (!rgba) {
        return false;
    }
    width_ = rgba->w;
    height_ = rgba->h;
    data_.resize(static_cast<std::size_t>(width_) * height_ * 4);
    SDL_LockSurface(rgba);
    for (int y = 0; y < height_; ++y) {
        const auto* row =
            static_cast<const std::uint8_t*>(rgba->pixels) + static_cast<std::size_t>(y) * rgba->pitch;
        std::copy(row, row + static_cast<std::ptrdiff_t>(width_) * 4,
                  data_.begin() + static_cast<std::ptrdiff_t>(y) * width_ * 4);
    }
    SDL_UnlockSurface(rgba);
    SDL_FreeSurface(rgba);
    return true;
}

Color4B Image::getPixel(int x, int y) const {
    if (x < 0 || y < 0 || x >= width_ || y >= height_) {
        return Color4B(0, 0, 0, 0);
    }
    const std::size_t i = (static_cast<std::size_t>(y) * width_ + x) * 4;
    return Color4B(data_[i], data_[i + 1], data_[i + 2], data_[i + 3]);
}

bool Image::saveToFile(const std::string& path) const {
    if (data_.empty()) {
        return false;
    }
    SDL_Surface* surface = SDL_CreateRGBSurfaceWithFormatFrom(
        const_cast<std::uint8_t*>(data_.data()), width_, height_, 32, width_ * 4, SDL_PIXELFORMAT_RGBA32);
    if (!surface) {
        return false;
    }
    const bool ok = IMG_SavePNG(surface, path.c_str()) == 0;
    SDL_FreeSurface(surface);
    return ok;
}

} // namespace engine
