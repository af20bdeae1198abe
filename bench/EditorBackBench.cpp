// The editor's back button with a program of 300 cards beside one of 6, and
// a store of 100 more programs, on the headless engine (software renderer), in real time:
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
    for (int n = 0; n < 100; ++n) {
        SaveDataManager::getInstance()->saveProgram(SaveData::create(), engine::ValueVector{});
    }
    std::printf("load average at start: %s\n", BenchSamples::loadAverage().c_str());
    struct Figures {
        std::vector<double> firstChange;
        std::vector<double> listShows;
        std::vector<double> listInPlace;
    };
    const BenchEditor::Shape shapes[] = {BenchEditor::small(0), BenchEditor::large()};
    Figures figures[2];
    for (int s = 0; s < 2; ++s) {
        SaveData* record = store.saveProgram(shapes[s]);
        for (int n = 0; n < taps; ++n) {
            const Tap tap = tapBack(driver, record);
            figures[s].firstChange.push_back(tap.firstChange);
            figures[s].listShows.push_back(tap.listShows);
            figures[s].listInPlace.push_back(tap.listInPlace);
        }
    }
    std::printf("the back button, %d taps, from the release of the tap (ms, wall time):\n", taps);
    std::printf("  %-34s | %-17s | %-17s | %s\n", "", shapes[0].name, shapes[1].name,
                "goal (the large one's max)");
    std::printf("  %-34s | %8s %8s | %8s %8s |\n", "", "median", "max", "median", "max");
    const auto row = [&](const char* what, std::vector<double> Figures::*values, double goal) {
        const BenchSamples::Summary small = BenchSamples::summarise(figures[0].*values);
        const BenchSamples::Summary large = BenchSamples::summarise(figures[1].*values);
        std::printf("  %-34s | %8.1f %8.1f | %8.1f %8.1f |", what, small.median, small.max, large.median,
                    large.max);
        if (goal > 0) {
            std::printf(" < %.0f: %s", goal, large.max < goal ? "met" : "MISSED");
        }
        std::printf("\n");
    };
    row("first visible change", &Figures::firstChange, 50);
    row("the list begins to show", &Figures::listShows, 0);
    row("the list in place (slide ended)", &Figures::listInPlace, 700);
    std::printf("load average at the end: %s\n", BenchSamples::loadAverage().c_str());
    return 0;
}
