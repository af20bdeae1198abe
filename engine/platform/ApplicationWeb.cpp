// Application::run in the browser. The browser calls one frame per display
// refresh and the program returns to it after each; while nothing moves the
// loop is paused altogether, and the first event that arrives (input, the
// window, a posted closure's wake-up) resumes it, so an idle page costs no CPU.
#include "engine/2d/Director.h"
#include "engine/base/Scheduler.h"
#include "engine/platform/Application.h"
#include "engine/platform/GLView.h"

#include <SDL.h>
#include <emscripten.h>

namespace engine {

namespace {

struct WebLoop {
    Director* director = nullptr;
    GLView* view = nullptr;
    bool paused = false;
    bool textInput = false;
};

WebLoop& webLoop() {
    static WebLoop loop;
    return loop;
}

// Any event put on SDL's queue, from whatever source, ends a pause.
int resumeOnEvent(void* /*userdata*/, SDL_Event* /*event*/) {
    WebLoop& loop = webLoop();
    if (loop.paused) {
        loop.paused = false;
        emscripten_resume_main_loop();
    }
    return 1;
}

// The page puts the browser's input method to work while a text box is
// open: it is told when text input starts and ends.
void tellTextInput(WebLoop& loop) {
    const bool active = SDL_IsTextInputActive() == SDL_TRUE;
    if (active == loop.textInput) {
        return;
    }
    loop.textInput = active;
    emscripten_run_script(active ? "if (Module.pavluneTextInput) Module.pavluneTextInput(true);"
                                 : "if (Module.pavluneTextInput) Module.pavluneTextInput(false);");
}

void frame() {
    WebLoop& loop = webLoop();
    if (loop.view->pollEvents()) {
        loop.director->requestRedraw();
    }
    if (loop.director->isAnimating() && loop.director->needsFrame()) {
        loop.director->mainLoop();
        tellTextInput(loop);
        return;
    }
    tellTextInput(loop);
    // Nothing to draw: sleep until an event comes. The next frame after the
    // pause has dt 0, as after the desktop's wait.
    loop.director->resetFrameClock();
    loop.paused = true;
    emscripten_pause_main_loop();
}

} // namespace

int Application::run() {
    GLView* view = startRunning();
    if (!view) {
        return 1;
    }
    Director* director = Director::getInstance();
    // SDL starts with text input on where there is no screen keyboard; here
    // it is on only while an edit box is open, which is when the page hands
    // the keys to the input method.
    SDL_StopTextInput();
    WebLoop& loop = webLoop();
    loop.director = director;
    loop.view = view;
    SDL_AddEventWatch(resumeOnEvent, nullptr);
    director->requestRedraw();
    // Never returns: the page keeps the program until it is closed.
    emscripten_set_main_loop(frame, 0, 1);
    return 0;
}

} // namespace engine
