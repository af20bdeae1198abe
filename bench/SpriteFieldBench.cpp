// A field-sized scene: 1000 sprites of 100 x 100 design units spread over a
// content node seven screens tall, each with a running action, updated and
// drawn at 1024 x 768 by the software renderer (headless). Prints the time
// per frame and how many quads were drawn and culled.

#include "engine/2d/Director.h"
#include "engine/2d/LayerColor.h"
#include "engine/2d/Renderer.h"
#include "engine/2d/Scene.h"
#include "engine/2d/Sprite.h"
#include "engine/2d/actions/Actions.h"
#include "engine/platform/HeadlessDriver.h"

#include <SDL.h>
#include <SDL_image.h>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <ctime>
#include <random>
#include <string>
#include <vector>

using namespace engine;

namespace {

constexpr int kSprites = 1000;
constexpr float kScreenHeight = 768;
constexpr int kScreens = 7;
constexpr int kWarmupFrames = 30;
constexpr int kMeasuredFrames = 600;

std::string writeCardPicture() {
    const std::string path = "/tmp/pavlune_bench_card.png";
    SDL_Surface* surface = SDL_CreateRGBSurfaceWithFormat(0, 200, 200, 32, SDL_PIXELFORMAT_RGBA32);
    SDL_FillRect(surface, nullptr, SDL_MapRGBA(surface->format, 250, 250, 250, 255));
    SDL_Rect band{0, 0, 200, 40};
    SDL_FillRect(surface, &band, SDL_MapRGBA(surface->format, 105, 208, 238, 255));
    // Rounded-looking transparent corners, as card pictures have.
    for (int i = 0; i < 8; ++i) {
        SDL_Rect corner{0, i, 8 - i, 1};
        SDL_FillRect(surface, &corner, SDL_MapRGBA(surface->format, 0, 0, 0, 0));
    }
    IMG_SavePNG(surface, path.c_str());
    SDL_FreeSurface(surface);
    return path;
}

// CPU time of this thread: on a machine shared with other work, wall time
// also counts the time spent waiting for a core.
double threadCpuMs() {
    timespec ts{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
    return ts.tv_sec * 1e3 + ts.tv_nsec / 1e6;
}

struct Figures {
    double cpuMs = 0;
    double meanMs = 0;
    double medianMs = 0;
    double p95Ms = 0;
    double maxMs = 0;
    Renderer::Stats lastFrame;
};

Figures measure(HeadlessDriver& driver, int frames) {
    std::vector<double> times;
    times.reserve(frames);
    const double cpuStart = threadCpuMs();
    for (int i = 0; i < frames; ++i) {
        const auto start = std::chrono::steady_clock::now();
        driver.step(1.0f / 60);
        times.push_back(
            std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count());
    }
    Figures f;
    f.cpuMs = (threadCpuMs() - cpuStart) / frames;
    f.lastFrame = Director::getInstance()->getRenderer()->getStats();
    double sum = 0;
    for (double t : times) {
        sum += t;
    }
    f.meanMs = sum / frames;
    std::sort(times.begin(), times.end());
    f.medianMs = times[times.size() / 2];
    f.p95Ms = times[static_cast<std::size_t>(times.size() * 0.95)];
    f.maxMs = times.back();
    return f;
}

void print(const char* label, const Figures& f) {
    std::printf(
        "%-34s cpu %6.2f ms | wall mean %6.2f ms  median %6.2f ms  p95 %6.2f ms  max %6.2f ms | quads drawn "
        "%4llu, culled %4llu, draw calls %llu\n",
        label, f.cpuMs, f.meanMs, f.medianMs, f.p95Ms, f.maxMs,
        static_cast<unsigned long long>(f.lastFrame.quadsDrawn),
        static_cast<unsigned long long>(f.lastFrame.quadsCulled),
        static_cast<unsigned long long>(f.lastFrame.drawCalls));
}

} // namespace

int main() {
    HeadlessDriver driver;
    const std::string picture = writeCardPicture();

    Scene* scene = Scene::create();
    scene->addChild(LayerColor::create(Color4B(105, 208, 238, 255)));
    Node* field = Node::create();
    field->setContentSize(Size(1024, kScreenHeight * kScreens));
    scene->addChild(field);

    std::mt19937 random(12345);
    std::uniform_real_distribution<float> x(50, 1024 - 50);
    std::uniform_real_distribution<float> y(50, kScreenHeight * kScreens - 50);
    std::vector<Sprite*> sprites;
    for (int i = 0; i < kSprites; ++i) {
        Sprite* sprite = Sprite::create(picture);
        sprite->setPosition(x(random), y(random));
        field->addChild(sprite);
        sprites.push_back(sprite);
    }
    auto runActions = [&](bool halfRotating) {
        for (std::size_t i = 0; i < sprites.size(); ++i) {
            sprites[i]->stopAllActions();
            sprites[i]->setRotation(0);
            if (halfRotating && i % 2 == 0) {
                sprites[i]->runAction(RepeatForever::create(RotateBy::create(2.0f, 360)));
            } else {
                sprites[i]->runAction(RepeatForever::create(Sequence::create(
                    MoveBy::create(1.0f, Vec2(40, 0)), MoveBy::create(1.0f, Vec2(-40, 0)), nullptr)));
            }
        }
    };
    driver.runWithScene(scene);

    std::printf(
        "%d sprites of 100x100 design units (200x200 px pictures) over %d screens, each with a running "
        "action; 1024x768, software renderer\n",
        kSprites, kScreens);
    runActions(false);
    measure(driver, kWarmupFrames);
    print("moving: field at the top", measure(driver, kMeasuredFrames));
    field->setPosition(0, -kScreenHeight * 3);
    print("moving: field in the middle", measure(driver, kMeasuredFrames));

    // Turning quads take the software renderer's slow textured-triangle path.
    runActions(true);
    field->setPosition(0, 0);
    print("half turning: field at the top", measure(driver, kMeasuredFrames));
    field->setPosition(0, -kScreenHeight * 3);
    print("half turning: field in the middle", measure(driver, kMeasuredFrames));

    // The same sprites all in view (packed into one screen) show what
    // culling saves.
    field->setPosition(0, 0);
    std::uniform_real_distribution<float> onScreenY(50, kScreenHeight - 50);
    for (Sprite* sprite : sprites) {
        sprite->setPosition(x(random), onScreenY(random));
    }
    runActions(false);
    print("moving: all 1000 in view", measure(driver, 120));

    // Update cost alone: the scene hidden, so nothing is drawn.
    field->setVisible(false);
    print("actions and scheduler only", measure(driver, kMeasuredFrames));
    return 0;
}
