// The editor screen with a program of 300 cards (40 snapped on the 40 rows,
// 260 lying loose right of them, number cards among them) beside one of 6
// cards on rows, in a store in a temporary folder. Drawn by the software
// renderer (headless). Measures, for each:
//  1. opening the program to its first drawn frame (create, present, frame),
//     with the texture cache warm and emptied first;
//  2. editor frames while a block of row cards (10, or the small program's 6)
//     is dragged (the finger goes a few units a frame; moveCards then the frame);
//  3. saving the program, already listed (no picture), written on the
//     store's worker as the application does;
//  4. the program's picture: capture and write.
// Prints the two programs' mean and p99 wall time side by side beside the
// goals, with the thread's processor time and the ratio, as other work may
// share the machine.
//
// Usage: pavlune-bench-editor-field [--short] [folder]   (a new folder below /tmp
// by default; --short: a few repetitions each, for running under a profiler)

#include "bench/BenchEditor.h"
#include "bench/BenchSamples.h"
#include "editor/EditorSession.h"
#include "editor/FieldScene.h"
#include "editor/FieldThumbnail.h"
#include "editor/cards/CardSprite.h"
#include "editor/field/FieldBoard.h"
#include "engine/2d/Director.h"
#include "engine/2d/RenderTexture.h"
#include "engine/2d/Renderer.h"
#include "engine/2d/Scene.h"
#include "engine/2d/TextureCache.h"
#include "engine/base/Scheduler.h"
#include "engine/platform/HeadlessDriver.h"
#include "engine/platform/Image.h"
#include "store/SaveData.h"
#include "store/SaveDataManager.h"
#include "widgets/FieldScrollView.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <string>
#include <unistd.h>
#include <vector>

namespace fs = std::filesystem;
using engine::Vec2;

namespace {

constexpr int kBlockTopRow = 5;
constexpr int kBlockRows = 10;
// Repetitions of each measurement; --short (for a profiler) cuts them to a few.
struct Repetitions {
    int open = 20;
    int coldOpen = 10;
    int dragWarmup = 30;
    int drag = 600;
    int save = 50;
    int picture = 20;
};
Repetitions runs;
constexpr Repetitions kShortRuns{3, 2, 5, 60, 5, 3};

using Samples = BenchSamples;

// What one program gave.
struct Figures {
    Samples open;
    Samples create;
    Samples frame;
    Samples cold;
    Samples drag;
    Samples moveOnly;
    Samples save;
    Samples document;
    Samples picture;
    Samples capture;
    Samples write;
};

void measureOpening(engine::HeadlessDriver& driver, SaveData* record, Figures& figures) {
    Samples& total = figures.open;
    Samples& create = figures.create;
    Samples& frame = figures.frame;
    Samples& cold = figures.cold;
    for (int run = 0; run < runs.open + runs.coldOpen; ++run) {
        const bool emptyCache = run >= runs.open;
        BenchEditor::show(driver, engine::Scene::create()); // the previous editor goes, untimed
        if (emptyCache) {
            engine::Director::getInstance()->getTextureCache()->removeAllTextures();
        }
        FieldScene* editor = nullptr;
        engine::Scene* scene = nullptr;
        (emptyCache ? cold : total).time([&] {
            create.time([&] { editor = FieldScene::create(record); });
            scene = engine::Scene::create();
            scene->addChild(editor);
            frame.time([&] {
                engine::Director::getInstance()->replaceScene(scene);
                driver.step();
            });
        });
        if (emptyCache) {
            create.dropLast();
            frame.dropLast();
        }
    }
}

// Frames with the drag group following a finger that goes a few units a
// frame: out to the right and back, and up and down by a little. The group
// holds on to its rows until the finger is farther than the snap distance.
Samples drag(engine::HeadlessDriver& driver, FieldBoard& board, int draggedId, int frames,
             Samples* moveOnly) {
    pavlune::FieldModel& model = board.model();
    CardSprite* dragged = board.nodeFor(draggedId);
    const Vec2 start = model.findCard(draggedId)->position;
    float rightmost = 0;
    for (int id : model.dragGroup()) {
        const pavlune::PlacedCard* card = model.findCard(id);
        rightmost = std::max(rightmost, board.viewport().toScreen(card->position).x + card->size.width / 2);
    }
    const float reach = std::clamp(pavlune::FieldModel::kDragRightEdge - rightmost - 10, 80.0f, 300.0f);
    const auto triangle = [](int frame, float perFrame, float amplitude) {
        const float period = 2 * amplitude / perFrame;
        const float t = std::fmod(static_cast<float>(frame), period) * perFrame;
        return t <= amplitude ? t : 2 * amplitude - t;
    };
    Samples samples;
    for (int f = 1; f <= frames; ++f) {
        const Vec2 finger = start + Vec2(triangle(f, 4, reach), -triangle(f, 1.5f, 90));
        const Vec2 delta = finger - model.findCard(draggedId)->position;
        samples.time([&] {
            if (moveOnly) {
                moveOnly->time([&] { board.moveCards(dragged, delta); });
            } else {
                board.moveCards(dragged, delta);
            }
            driver.step();
        });
    }
    return samples;
}

// A freshly opened editor scrolled so that the block's top row is near the
// top of the screen; the block's top card is lifted with the block below it.
FieldBoard& liftBlockInView(engine::HeadlessDriver& driver, SaveData* record, int& topCard) {
    FieldScene* editor = BenchEditor::open(driver, record);
    FieldBoard& board = *editor->getSession().rooms().board.get();
    FieldScrollView* view = editor->getSession().rooms().fieldView;
    view->setContentOffset(
        Vec2(view->getContentOffset().x, 700 - board.model().rowSlot(kBlockTopRow).position.y));
    driver.step();
    topCard = board.model().cardOnRow(kBlockTopRow);
    board.model().liftBlock(topCard);
    return board;
}

void measureDrag(engine::HeadlessDriver& driver, SaveData* record, Figures& figures) {
    int top = 0;
    FieldBoard& board = liftBlockInView(driver, record, top);
    pavlune::FieldModel& model = board.model();
    const std::size_t lifted = model.dragGroup().size();
    // With every row taken the block runs down to the last row; the measured
    // block is its first ten cards.
    std::vector<int> block;
    for (int r = kBlockTopRow; r < kBlockTopRow + kBlockRows; ++r) {
        if (model.cardOnRow(r) != pavlune::FieldModel::kNoCard) {
            block.push_back(model.cardOnRow(r));
        }
    }
    model.setDragGroup(block);
    board.raiseCards();
    std::printf("  liftBlock on row %d's card lifts %zu cards; the group is cut to %zu cards\n", kBlockTopRow,
                lifted, block.size());
    drag(driver, board, top, runs.dragWarmup, nullptr);
    figures.drag = drag(driver, board, top, runs.drag, &figures.moveOnly);
    const engine::Renderer::Stats stats = engine::Director::getInstance()->getRenderer()->getStats();
    model.endDrag();
    std::printf("  last frame of the drag: %llu quads drawn, %llu culled, %llu draw calls\n",
                static_cast<unsigned long long>(stats.quadsDrawn),
                static_cast<unsigned long long>(stats.quadsCulled),
                static_cast<unsigned long long>(stats.drawCalls));
}

void measureSaving(engine::HeadlessDriver& driver, SaveData* record, Figures& figures) {
    FieldScene* editor = BenchEditor::open(driver, record);
    // As the application saves: the file is written on the store's worker.
    SaveDataManager* store = SaveDataManager::getInstance();
    store->writeInBackground([](std::function<void()> closure) {
        engine::Director::getInstance()->getScheduler()->performFunctionInCocosThread(std::move(closure));
    });
    for (int run = 0; run < runs.save; ++run) {
        figures.save.time([&] { editor->saveField(); });
        figures.document.time([&] { (void)editor->getSession().rooms().board->save(); });
        driver.step();
    }
    store->writeInBackground(nullptr); // drains the queue

    const std::string file = SaveDataManager::getInstance()->getImageFullPath(record);
    for (int run = 0; run < runs.picture; ++run) {
        fs::remove(file);
        bool done = false;
        figures.picture.time([&] {
            engine::RenderTexture* picture = nullptr;
            figures.capture.time([&] {
                const engine::Size visible = engine::Director::getInstance()->getVisibleSize();
                picture = FieldThumbnail::capture(
                    editor->getSession().rooms().fieldView->container, visible,
                    FieldThumbnail::pictureOffset(editor->getSession().rooms().board->model(), visible));
            });
            figures.write.time([&] {
                FieldThumbnail::write(SaveDataManager::getInstance(), record, picture,
                                      [&done](const std::string&) { done = true; });
            });
        });
        while (!done) {
            driver.step();
        }
    }
    engine::Image written;
    const bool readable = written.initWithImageFile(file);
    std::printf("  picture %s: %s, %d x %d\n", file.c_str(), readable ? "readable" : "NOT READABLE",
                readable ? written.getWidth() : 0, readable ? written.getHeight() : 0);
}

Figures measure(engine::HeadlessDriver& driver, BenchEditor& bench, const BenchEditor::Shape& shape) {
    SaveData* record = bench.saveProgram(shape);
    std::printf("\n%s: ", shape.name);
    BenchEditor::describe(BenchEditor::open(driver, record));
    Figures figures;
    measureOpening(driver, record, figures);
    measureDrag(driver, record, figures);
    measureSaving(driver, record, figures);
    return figures;
}

} // namespace

int main(int argc, char** argv) {
    std::printf("load average at start: %s (%ld processors)\n", BenchSamples::loadAverage().c_str(),
                sysconf(_SC_NPROCESSORS_ONLN));
    std::string folder;
    for (int a = 1; a < argc; ++a) {
        if (std::string(argv[a]) == "--short") {
            runs = kShortRuns;
        } else {
            folder = argv[a];
        }
    }
    BenchEditor bench(folder);
    engine::HeadlessDriver driver;
    driver.runWithScene(engine::Scene::create());
    std::printf("store in %s\n", bench.folder().c_str());
    std::printf(
        "headless 1024 x 768 at content scale 2, software renderer; figures are wall time, cpu = this "
        "thread's processor time\n");

    const BenchEditor::Shape smallShape = BenchEditor::small(kBlockTopRow);
    const BenchEditor::Shape largeShape = BenchEditor::large();
    const Figures small = measure(driver, bench, smallShape);
    const Figures large = measure(driver, bench, largeShape);

    const auto compare = [&](const char* what, Samples Figures::*figure, Samples::Goal goal) {
        Samples::compare(what, small.*figure, large.*figure, goal);
    };
    Samples::compareHeader("1. opening the program (FieldScene::create, present, first drawn frame)",
                           smallShape.name, largeShape.name);
    compare("open, textures cached", &Figures::open, {300, false});
    compare("  of which FieldScene::create", &Figures::create, {});
    compare("  of which present + first frame", &Figures::frame, {});
    compare("open, texture cache emptied first", &Figures::cold, {300, false});
    Samples::compareHeader("2. editor frames while a block is dragged (moveCards, then the frame)",
                           smallShape.name, largeShape.name);
    compare("frame, block drag", &Figures::drag, {12, true, 1.5});
    compare("  of which FieldBoard::moveCards", &Figures::moveOnly, {});
    Samples::compareHeader(
        "3. saving the program, already listed (FieldScene::saveField; written on the worker)",
        smallShape.name, largeShape.name);
    compare("saveField", &Figures::save, {5, false});
    compare("  FieldBoard::save alone (the elements)", &Figures::document, {});
    Samples::compareHeader("4. the program's picture (FieldThumbnail::capture + write, PNG 570 x 570)",
                           smallShape.name, largeShape.name);
    compare("capture + write (file written)", &Figures::picture, {30, false});
    compare("  of which capture", &Figures::capture, {});
    compare("  of which write", &Figures::write, {});

    BenchEditor::show(driver, engine::Scene::create());
    std::printf("\nload average at the end: %s\n", BenchSamples::loadAverage().c_str());
    return 0;
}
