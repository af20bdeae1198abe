// The application as it runs for real: AppDelegate in Application::run with a
// real SDL window (the dummy video driver opens one without a display), the
// real frame loop on the wall clock. A script run every frame resizes the
// window to 800x500, clicks through SDL's own queue, hides and shows the
// window, and ends the loop.
#include "app/AppDelegate.h"
#include "engine/2d/Director.h"
#include "engine/2d/Scene.h"
#include "engine/2d/events/EventDispatcher.h"
#include "engine/2d/events/EventListenerTouchOneByOne.h"
#include "engine/2d/events/Touch.h"
#include "engine/base/FileUtils.h"
#include "engine/base/Scheduler.h"
#include "engine/platform/Application.h"
#include "engine/platform/GLView.h"

#include <SDL.h>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace {

struct Observed {
    std::vector<engine::Vec2> touches; // design units, y up
    std::vector<float> frameTimes;     // dt of every frame the script saw
    std::size_t firstFrameBack = 0;    // index into frameTimes after the window came back
    bool backgroundHeard = false;
    engine::Size frameAfterResize;
};

void pushClick(SDL_Window* window, int x, int y) {
    for (const Uint32 type : {SDL_MOUSEBUTTONDOWN, SDL_MOUSEBUTTONUP}) {
        SDL_Event event{};
        event.type = type;
        event.button.windowID = SDL_GetWindowID(window);
        event.button.button = SDL_BUTTON_LEFT;
        event.button.state = type == SDL_MOUSEBUTTONDOWN ? SDL_PRESSED : SDL_RELEASED;
        event.button.x = x;
        event.button.y = y;
        SDL_PushEvent(&event);
    }
}

class ScriptedApp : public AppDelegate {
public:
    explicit ScriptedApp(Observed& observed) : observed_(observed) {}

    bool applicationDidFinishLaunching() override {
        if (!AppDelegate::applicationDidFinishLaunching()) {
            return false;
        }
        engine::Director* director = engine::Director::getInstance();
        auto* probe = engine::EventListenerTouchOneByOne::create();
        probe->onTouchBegan = [this](engine::Touch* touch, engine::Event*) {
            observed_.touches.push_back(touch->getLocation());
            return true; // and keeps the list from opening anything
        };
        probe->setSwallowTouches(true);
        director->getEventDispatcher()->addEventListenerWithFixedPriority(probe, -1);
        director->getScheduler()->schedulePerFrame([this](float dt) { step(dt); }, this, 0, false);
        return true;
    }
    void applicationDidEnterBackground() override {
        observed_.backgroundHeard = true;
        AppDelegate::applicationDidEnterBackground();
    }

private:
    void step(float dt) {
        observed_.frameTimes.push_back(dt);
        engine::GLView* view = engine::Director::getInstance()->getOpenGLView();
        SDL_Window* window = view->getWindow();
        switch (frame_++) {
        case 0:
            SDL_SetWindowSize(window, 800, 500);
            break;
        case 2:
            observed_.frameAfterResize = view->getFrameSize();
            // 800x500 shows 1024x768 at 500/768, centred across: the window's
            // centre and a point near the bottom-right corner of the design.
            // A mapping that mixed up width and height, or kept the old
            // frame size, would put both elsewhere.
            pushClick(window, 400, 250);
            pushClick(window, 700, 490);
            break;
        case 4:
            // Hidden and shown again between two frames.
            SDL_HideWindow(window);
            SDL_ShowWindow(window);
            observed_.firstFrameBack = observed_.frameTimes.size();
            break;
        case 7:
            engine::Director::getInstance()->getScheduler()->unscheduleAllForTarget(this);
            engine::Director::getInstance()->end();
            break;
        default:
            break;
        }
    }

    Observed& observed_;
    int frame_ = 0;
};

TEST(RealWindowLoopTest, WindowPixelsFollowTheResizeAndTheFrameAfterTheBackgroundHasNoTime) {
    char pattern[] = "/tmp/pavlune-window-XXXXXX";
    ASSERT_NE(::mkdtemp(pattern), nullptr);
    const std::string root = pattern;
    engine::FileUtils::getInstance()->setWritablePath(root);
    SDL_SetHint(SDL_HINT_VIDEODRIVER, "dummy");

    Observed observed;
    int status = -1;
    {
        ScriptedApp app(observed);
        status = engine::Application::getInstance()->run();
    }
    // Windows cannot remove the store's lock file while this process holds it
    // (it does until the process ends): what is left there goes with /tmp.
    std::error_code ignored;
    std::filesystem::remove_all(root, ignored);
    ASSERT_EQ(status, 0);

    EXPECT_EQ(observed.frameAfterResize.width, 800);
    EXPECT_EQ(observed.frameAfterResize.height, 500);
    const float scale = 500.0f / 768;
    ASSERT_EQ(observed.touches.size(), 2u);
    EXPECT_NEAR(observed.touches[0].x, 512, 1.0f);
    EXPECT_NEAR(observed.touches[0].y, 384, 1.0f);
    const float barWidth = (800 - 1024 * scale) / 2;
    EXPECT_NEAR(observed.touches[1].x, (700 - barWidth) / scale, 1.0f);
    EXPECT_NEAR(observed.touches[1].y, 768 - 490 / scale, 1.0f);

    EXPECT_TRUE(observed.backgroundHeard);
    ASSERT_GT(observed.frameTimes.size(), observed.firstFrameBack);
    EXPECT_EQ(observed.frameTimes[observed.firstFrameBack], 0.0f)
        << "the frame after the background has no time";
    EXPECT_GT(observed.frameTimes[observed.firstFrameBack - 1], 0.0f) << "frames before it do";
}

} // namespace
