#include "engine/platform/Device.h"

#include <SDL.h>
#include <cmath>

namespace engine {

int Device::getDPI() {
    if (!SDL_WasInit(SDL_INIT_VIDEO)) {
        return kDefaultDPI;
    }
    float diagonal = 0, horizontal = 0, vertical = 0;
    if (SDL_GetDisplayDPI(0, &diagonal, &horizontal, &vertical) != 0 || !(horizontal > 0)) {
        return kDefaultDPI;
    }
    return static_cast<int>(std::lround(horizontal));
}

} // namespace engine
