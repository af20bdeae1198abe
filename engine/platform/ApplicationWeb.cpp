// Application::run in the browser. The browser calls one frame per display
// refresh and the program returns to it after each; while nothing moves the
// loop is paused altogether, and the first event that arrives (input, the
// window, a posted closure's wake-up) resumes it, so an idle page costs no CPU.
#include "engine/2d/Director.h"
#include "engine/base/Scheduler.h"
#include "engine/platform/Application.h"
#include "engine/platform/GLView.h"
#include "engine/platform/InputTranslator.h"
#include "engine/ui/EditBox.h"

#include <SDL.h>
#include <emscripten.h>
#include <string>
#include <string_view>

namespace engine {

namespace {

struct WebLoop {
    Director* director = nullptr;
    GLView* view = nullptr;
    bool paused = false;
    // What the page was last told: text input off (empty), or the keyboard
    // it should offer ("text", "decimal").
    const char* keyboard = "";
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
// open: it is told when text input starts and ends, and whether the box
// takes a number (an on-screen keyboard then offers digits).
void tellTextInput(WebLoop& loop) {
    const char* keyboard = "";
    if (SDL_IsTextInputActive() == SDL_TRUE) {
        const ui::EditBox* box = ui::EditBox::getFocused();
        const bool number = box && (box->getInputMode() == ui::EditBox::InputMode::DECIMAL ||
                                    box->getInputMode() == ui::EditBox::InputMode::NUMERIC);
        keyboard = number ? "decimal" : "text";
    }
    if (std::string_view(keyboard) == loop.keyboard) {
        return;
    }
    loop.keyboard = keyboard;
    const std::string script =
        std::string("if (Module.pavluneTextInput) Module.pavluneTextInput('") + keyboard + "');";
    emscripten_run_script(script.c_str());
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

// The page calls this from its own touch and mouse handlers, after SDL's: the
// release that opens a text box is handled inside the browser's event, so the
// page focuses its input there, and an on-screen keyboard opens (browsers open
// one only for a focus inside the user's event).
extern "C" EMSCRIPTEN_KEEPALIVE void pavlune_web_input_now() {
    WebLoop& loop = webLoop();
    if (!loop.view) {
        return;
    }
    if (loop.view->pollEvents()) {
        loop.director->requestRedraw();
    }
    tellTextInput(loop);
}

// The page's pointer listener: whether the press now coming as mouse events
// is a pen's.
extern "C" EMSCRIPTEN_KEEPALIVE void pavlune_web_pen(int pen) {
    if (GLView* view = webLoop().view) {
        view->getInputTranslator().setMouseIsPen(pen != 0);
    }
}

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
