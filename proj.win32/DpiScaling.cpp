// The editor draws for the screen's own pixels. With the manifest's
// per-monitor awareness Windows no longer stretches the window, so SDL is
// asked to size it in points: a 1024 × 768 window then covers as much of a
// 150 % or 200 % screen as of a 100 % one, with 1.5 or 2 times the pixels to
// draw into (the pictures are drawn at twice their size, so they stay sharp).
// The hints have to be set before SDL opens its video, so before main.
#include <SDL.h>

namespace {

struct DpiScaling {
    DpiScaling() {
        SDL_SetHint(SDL_HINT_WINDOWS_DPI_AWARENESS, "permonitorv2");
        SDL_SetHint(SDL_HINT_WINDOWS_DPI_SCALING, "1");
    }
};

const DpiScaling dpiScaling;

} // namespace
