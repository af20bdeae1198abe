// The editor's back button with the program of 80 cards and a store of 100
// more programs, on the headless engine (software renderer), in real time:
// frames follow each other at once, each with the real time since the last
// one as its dt. For each of several taps (press, release) measures from the
// release to the end of
//  - the first frame that differs from the editor at rest (what the user sees
//    first; the button's own dimming under the finger does not count);
//  - the first frame that shows the list (the slide towards it begins);
//  - the first frame with the list in place (the slide has ended).
// Comparing frames is left out of the times. In the application a frame also
// waits for its turn (up to one frame interval, 16.7 ms) before it starts.
//
// Usage: pavlune-bench-editor-back [taps (default 10)]

#include "app/AppNavigator.h"
#include "bench/BenchEditor.h"
#include "bench/BenchSamples.h"
#include "editor/EditorSession.h"
#include "editor/FieldScene.h"
#include "editor/controls/RunControls.h"
#include "engine/2d/Director.h"
#include "engine/2d/Scene.h"
#include "engine/2d/Sprite.h"
#include "engine/2d/TransitionScene.h"
#include "engine/platform/HeadlessDriver.h"
#include "engine/platform/Image.h"
#include "store/SaveData.h"
#include "store/SaveDataManager.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

double millisSince(Clock::time_point start, Clock::duration leftOut) {
    return std::chrono::duration<double, std::milli>(Clock::now() - start - leftOut).count();
}

bool sameFrame(const engine::Image& a, const engine::Image& b) {
    return a.getData() == b.getData();
}

bool editorRunning(engine::Scene* scene) {
    for (engine::Node* child : scene->getChildren()) {
        if (dynamic_cast<FieldScene*>(child)) {
            return true;
        }
    }
    return false;
}

struct Tap {
    double firstChange = -1;
    double listShows = -1;
    double listInPlace = -1;
};

Tap tapBack(engine::HeadlessDriver& driver, SaveData* record) {
    FieldScene* editor = BenchEditor::open(driver, record);
    driver.advance(0.2f);
    engine::Image atRest;
    driver.capture(atRest);
    engine::Director* director = engine::Director::getInstance();
    engine::Scene* editing = director->getRunningScene();
    const engine::Vec2 back = editor->getSession().rooms().runControls->getBackButton()->getPosition();
    driver.touchBegan(back);
    driver.step();

    Tap tap;
    Clock::duration leftOut{};
    const Clock::time_point released = Clock::now();
    driver.touchEnded(back);
    // Each frame's dt is the time since the last one began, as in the
    // application's loop, less the comparing in between.
    Clock::time_point lastFrame = released;
    engine::Image frame;
    while (tap.listInPlace < 0 && millisSince(released, leftOut) < 10'000) {
        const Clock::time_point now = Clock::now();
        driver.step(std::chrono::duration<float>(now - lastFrame).count());
        lastFrame = now;
        const double at = millisSince(released, leftOut);
        engine::Scene* running = director->getRunningScene();
        if (tap.listShows < 0 && running != editing) {
            tap.listShows = at;
        }
        if (running != editing && !dynamic_cast<engine::TransitionScene*>(running) &&
            !editorRunning(running)) {
            tap.listInPlace = at;
        }
        if (tap.firstChange < 0) {
            const Clock::time_point comparing = Clock::now();
            driver.capture(frame);
            if (!sameFrame(frame, atRest)) {
                tap.firstChange = at;
            }
            leftOut += Clock::now() - comparing;
            lastFrame += Clock::now() - comparing;
        }
    }
    return tap;
}

} // namespace

int main(int argc, char** argv) {
    const int taps = argc > 1 ? std::max(1, std::atoi(argv[1])) : 10;
    BenchEditor store("");
    engine::HeadlessDriver driver;
    static AppNavigator navigator;
    ScreenNavigator::install(&navigator);
    SaveData* record = store.saveProgram();
    for (int n = 0; n < 100; ++n) {
        SaveDataManager::getInstance()->saveProgram(SaveData::create(), engine::ValueVector{});
    }
    std::printf("load average at start: %s\n", BenchSamples::loadAverage().c_str());
    std::vector<double> firstChange;
    std::vector<double> listShows;
    std::vector<double> listInPlace;
    for (int n = 0; n < taps; ++n) {
        const Tap tap = tapBack(driver, record);
        firstChange.push_back(tap.firstChange);
        listShows.push_back(tap.listShows);
        listInPlace.push_back(tap.listInPlace);
    }
    std::printf("the back button, %d taps, from the release of the tap (ms, wall time):\n", taps);
    const auto row = [](const char* what, const std::vector<double>& values, double goal) {
        const BenchSamples::Summary summary = BenchSamples::summarise(values);
        std::printf("  %-34s mean %7.1f  median %7.1f  max %7.1f", what, summary.mean, summary.median,
                    summary.max);
        if (goal > 0) {
            std::printf("   goal < %.0f: %s", goal, summary.max < goal ? "met" : "MISSED");
        }
        std::printf("\n");
    };
    row("first visible change", firstChange, 50);
    row("the list begins to show", listShows, 1000);
    row("the list in place (slide ended)", listInPlace, 0);
    std::printf("load average at the end: %s\n", BenchSamples::loadAverage().c_str());
    return 0;
}
