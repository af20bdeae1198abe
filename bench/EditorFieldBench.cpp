// The editor screen with a program of 80 cards: 40 snapped on the 40 rows and
// 40 lying loose right of them, 10 of all of them number cards (2 "wait any",
// 8 "loop any" with values), in a store in a temporary folder. Drawn by the
// software renderer (headless). Measures:
//  1. opening the program to its first drawn frame (create, present, frame),
//     with the texture cache warm and emptied first;
//  2. editor frames while a block of 10 row cards is dragged (the finger goes
//     a few units a frame; moveCards then the frame);
//  3. saving the program, already listed (no picture);
//  4. the program's picture: capture and write.
// Prints mean / median / p99 / max wall time beside the goals, with the
// thread's processor time, as other work may share the machine.
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
#include "engine/platform/HeadlessDriver.h"
#include "engine/platform/Image.h"
#include "store/SaveData.h"
#include "store/SaveDataManager.h"
#include "widgets/FieldScrollView.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>
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

void measureOpening(engine::HeadlessDriver& driver, SaveData* record) {
    Samples total;
    Samples create;
    Samples frame;
    Samples cold;
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
    Samples::header("1. opening the program (FieldScene::create, present, first drawn frame)");
    total.row("open, textures cached", 150);
    create.row("  of which FieldScene::create");
    frame.row("  of which present + first frame");
    cold.row("open, texture cache emptied first", 150);
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

void measureDrag(engine::HeadlessDriver& driver, SaveData* record) {
    int top = 0;
    FieldBoard& board = liftBlockInView(driver, record, top);
    pavlune::FieldModel& model = board.model();
    const std::size_t lifted = model.dragGroup().size();
    // With every row taken the block runs down to the last row; the measured
    // block is its first ten cards.
    std::vector<int> block;
    for (int r = kBlockTopRow; r < kBlockTopRow + kBlockRows; ++r) {
        block.push_back(model.cardOnRow(r));
    }
    model.setDragGroup(block);
    board.raiseCards();
    std::printf("\nliftBlock on row %d's card lifts %zu cards; the group is cut to rows %d..%d (%zu cards)\n",
                kBlockTopRow, lifted, kBlockTopRow, kBlockTopRow + kBlockRows - 1, block.size());
    drag(driver, board, top, runs.dragWarmup, nullptr);
    Samples moveOnly;
    const Samples frames = drag(driver, board, top, runs.drag, &moveOnly);
    const engine::Renderer::Stats stats = engine::Director::getInstance()->getRenderer()->getStats();
    model.endDrag();

    // The whole block down to the last row, for comparison.
    FieldBoard& wholeBoard = liftBlockInView(driver, record, top);
    wholeBoard.raiseCards();
    const std::size_t wholeBlock = wholeBoard.model().dragGroup().size();
    drag(driver, wholeBoard, top, runs.dragWarmup, nullptr);
    Samples wholeMoveOnly;
    const Samples whole = drag(driver, wholeBoard, top, runs.drag / 2, &wholeMoveOnly);
    wholeBoard.model().endDrag();

    Samples::header("2. editor frames while a block is dragged (moveCards, then the frame)");
    frames.row("frame, 10-card block", 8, 12);
    moveOnly.row("  of which FieldBoard::moveCards");
    const std::string wholeLabel = "frame, " + std::to_string(wholeBlock) + "-card block (no goal)";
    whole.row(wholeLabel.c_str());
    wholeMoveOnly.row("  of which FieldBoard::moveCards");
    std::printf("  last frame of the 10-card drag: %llu quads drawn, %llu culled, %llu draw calls\n",
                static_cast<unsigned long long>(stats.quadsDrawn),
                static_cast<unsigned long long>(stats.quadsCulled),
                static_cast<unsigned long long>(stats.drawCalls));
}

void measureSaving(engine::HeadlessDriver& driver, SaveData* record) {
    FieldScene* editor = BenchEditor::open(driver, record);
    Samples save;
    Samples document;
    for (int run = 0; run < runs.save; ++run) {
        save.time([&] { editor->saveField(); });
        document.time([&] { (void)editor->getSession().rooms().board->save(); });
        driver.step();
    }

    Samples capture;
    Samples write;
    Samples captureAndWrite;
    Samples untilDone;
    const std::string file = SaveDataManager::getInstance()->getImageFullPath(record);
    for (int run = 0; run < runs.picture; ++run) {
        fs::remove(file);
        bool done = false;
        untilDone.time([&] {
            captureAndWrite.time([&] {
                engine::RenderTexture* picture = nullptr;
                capture.time([&] {
                    const engine::Size visible = engine::Director::getInstance()->getVisibleSize();
                    picture = FieldThumbnail::capture(
                        editor->getSession().rooms().fieldView->container, visible,
                        FieldThumbnail::pictureOffset(editor->getSession().rooms().board->model(), visible));
                });
                write.time([&] {
                    FieldThumbnail::write(SaveDataManager::getInstance(), record, picture,
                                          [&done](const std::string&) { done = true; });
                });
            });
            while (!done) {
                driver.step();
            }
        });
    }
    engine::Image written;
    const bool readable = written.initWithImageFile(file);

    Samples::header("3. saving the program, already listed (FieldScene::saveField, no picture)");
    save.row("saveField", 5);
    document.row("  FieldBoard::save alone (the elements)");
    Samples::header("4. the program's picture (FieldThumbnail::capture + write)");
    captureAndWrite.row("capture + write (file written)", 30);
    capture.row("  of which capture");
    write.row("  of which write (PNG, 570 x 570)");
    untilDone.row("until done is called (next frame)");
    std::printf("  picture %s: %s, %d x %d\n", file.c_str(), readable ? "readable" : "NOT READABLE",
                readable ? written.getWidth() : 0, readable ? written.getHeight() : 0);
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
    SaveData* record = bench.saveProgram();
    BenchEditor::describe(BenchEditor::open(driver, record));
    std::printf("program %s, store in %s\n", record->path.c_str(), bench.folder().c_str());
    std::printf(
        "headless 1024 x 768 at content scale 2, software renderer; figures are wall time, cpu = this "
        "thread's processor time\n");

    measureOpening(driver, record);
    measureDrag(driver, record);
    measureSaving(driver, record);

    BenchEditor::show(driver, engine::Scene::create());
    std::printf("\nload average at the end: %s\n", BenchSamples::loadAverage().c_str());
    return 0;
}
