// Cost of text on the headless engine (software renderer, 1024 x 768):
// creating labels (layout with font fallback), frames with unchanged labels
// (their cached textures are only drawn) and frames where every label gets
// new text (laid out and drawn into a texture again), as the sending overlay
// does with each echoed character.
//
// Usage: pavlune-bench-labels [labels] [frames]

#include "engine/2d/Director.h"
#include "engine/2d/Label.h"
#include "engine/2d/LayerColor.h"
#include "engine/2d/Scene.h"
#include "engine/platform/HeadlessDriver.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

using namespace engine;

namespace {

using Clock = std::chrono::steady_clock;

double microsecondsSince(Clock::time_point start) {
    return std::chrono::duration<double, std::micro>(Clock::now() - start).count();
}

} // namespace

int main(int argc, char** argv) {
    const int count = argc > 1 ? std::atoi(argv[1]) : 100;
    const int frames = argc > 2 ? std::atoi(argv[2]) : 120;
    HeadlessDriver driver;
    Scene* scene = Scene::create();
    scene->addChild(LayerColor::create(Color4B(255, 255, 255, 255)));
    driver.runWithScene(scene);
    driver.step();
    auto start = Clock::now();
    for (int f = 0; f < frames; ++f) {
        driver.step();
    }
    const double emptyFrame = microsecondsSince(start) / frames;

    std::vector<Label*> labels;
    start = Clock::now();
    for (int i = 0; i < count; ++i) {
        const std::string text =
            i % 2 ? "COM3 (USB Serial Port) Search ..." : "しっぱい せつぞくしなおしてください。";
        Label* label = Label::createWithSystemFont(text, i % 2 ? "Helvetica" : "HiraKakuProN-W6", 12);
        label->setPosition(60.0f + static_cast<float>(i % 4) * 250, 20.0f + static_cast<float>(i / 4) * 28);
        label->setColor(Color3B(30, 30, 30));
        scene->addChild(label);
        labels.push_back(label);
    }
    const double create = microsecondsSince(start) / count;

    driver.step(); // first drawing of every label
    start = Clock::now();
    for (int f = 0; f < frames; ++f) {
        driver.step();
    }
    const double unchangedFrame = microsecondsSince(start) / frames;

    start = Clock::now();
    for (int f = 0; f < frames; ++f) {
        for (std::size_t i = 0; i < labels.size(); ++i) {
            labels[i]->setString("10 LED 1 frame " + std::to_string(f) + " label " + std::to_string(i));
        }
        driver.step();
    }
    const double changingFrame = microsecondsSince(start) / frames;

    int renders = 0;
    for (Label* label : labels) {
        renders += label->getRenderCount();
    }
    std::printf("labels: %d, frames: %d\n", count, frames);
    std::printf("create one label (layout):          %8.1f us\n", create);
    std::printf("frame, no labels:                   %8.1f us\n", emptyFrame);
    std::printf("frame, labels unchanged:            %8.1f us\n", unchangedFrame);
    std::printf("frame, every label with new text:   %8.1f us\n", changingFrame);
    std::printf("texture renders in total:           %8d (expected %d)\n", renders, count * (frames + 1));
    return 0;
}
