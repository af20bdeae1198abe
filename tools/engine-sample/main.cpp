// Runs the engine sample in a window, or headless for a number of frames
// with the last frame written as a PNG:
//   pavlune-engine-sample [--frames N]
//   pavlune-engine-sample --headless N out.png

#include "SampleScene.h"
#include "engine/2d/Director.h"
#include "engine/platform/Application.h"
#include "engine/platform/GLView.h"
#include "engine/platform/HeadlessDriver.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

using namespace engine;

namespace {

class SampleApp : public Application {
public:
    explicit SampleApp(int frames) : frames_(frames) {}

    bool applicationDidFinishLaunching() override {
        Director* director = Director::getInstance();
        GLView* view = GLView::createWithRect("PavluneApps engine sample", Rect(0, 0, 1024, 768), 1.0f, true);
        if (!view) {
            std::fprintf(stderr, "no window: %s\n", SDL_GetError());
            return false;
        }
        director->setOpenGLView(view);
        view->setDesignResolutionSize(1024, 768, ResolutionPolicy::SHOW_ALL);
        director->setContentScaleFactor(2.0f);
        director->setAnimationInterval(1.0 / 60);
        Scene* scene = SampleScene::create();
        if (frames_ > 0) {
            scene->schedule([director](float) { director->end(); }, 0, 0, frames_ / 60.0f, "quit");
        }
        director->runWithScene(scene);
        return true;
    }
    void applicationDidEnterBackground() override { Director::getInstance()->stopAnimation(); }
    void applicationWillEnterForeground() override { Director::getInstance()->startAnimation(); }

private:
    int frames_;
};

int runHeadless(int frames, const std::string& out) {
    HeadlessDriver driver;
    driver.runWithScene(SampleScene::create());
    for (int i = 0; i < frames; ++i) {
        driver.step();
    }
    if (!driver.saveFrame(out)) {
        std::fprintf(stderr, "cannot write %s\n", out.c_str());
        return 1;
    }
    std::printf("%d frames, last one written to %s\n", frames, out.c_str());
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    if (argc == 4 && std::strcmp(argv[1], "--headless") == 0) {
        return runHeadless(std::atoi(argv[2]), argv[3]);
    }
    int frames = 0;
    if (argc == 3 && std::strcmp(argv[1], "--frames") == 0) {
        frames = std::atoi(argv[2]);
    }
    SampleApp app(frames);
    return app.run();
}
