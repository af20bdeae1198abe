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

#include "catalogue/CardCode.h"
#include "catalogue/DeviceManager.h"
#include "editor/FieldScene.h"
#include "editor/FieldThumbnail.h"
#include "editor/cards/CardSprite.h"
#include "editor/field/FieldBoard.h"
#include "engine/2d/Director.h"
#include "engine/2d/RenderTexture.h"
#include "engine/2d/Renderer.h"
#include "engine/2d/Scene.h"
#include "engine/2d/Sprite.h"
#include "engine/2d/TextureCache.h"
#include "engine/base/FileUtils.h"
#include "engine/base/RefPtr.h"
#include "engine/platform/HeadlessDriver.h"
#include "engine/platform/Image.h"
#include "field/ProgramDocument.h"
#include "program/FieldRows.h"
#include "store/SaveData.h"
#include "store/SaveDataManager.h"
#include "widgets/FieldScrollView.h"

#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <random>
#include <string>
#include <vector>

namespace fs = std::filesystem;
using engine::Vec2;

namespace {

constexpr int kWaitAnyCard = 2;
constexpr int kLoopAnyCard = 8;
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

using Clock = std::chrono::steady_clock;

double threadCpuMs() {
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) * 1e3 + static_cast<double>(t.tv_nsec) / 1e6;
}

std::string loadAverage() {
    std::string line;
    std::getline(std::ifstream("/proc/loadavg"), line);
    return line;
}

struct Samples {
    std::vector<double> wall;
    std::vector<double> cpu;

    void time(const std::function<void()>& work) {
        const auto start = Clock::now();
        const double cpuStart = threadCpuMs();
        work();
        cpu.push_back(threadCpuMs() - cpuStart);
        wall.push_back(std::chrono::duration<double, std::milli>(Clock::now() - start).count());
    }
};

struct Summary {
    double mean = 0;
    double median = 0;
    double p99 = 0;
    double max = 0;
};

Summary summarise(std::vector<double> values) {
    Summary s;
    if (values.empty()) {
        return s;
    }
    std::sort(values.begin(), values.end());
    for (double v : values) {
        s.mean += v;
    }
    s.mean /= static_cast<double>(values.size());
    s.median = values[values.size() / 2];
    s.p99 = values[std::min(values.size() - 1, values.size() * 99 / 100)];
    s.max = values.back();
    return s;
}

// One line of the table. `meanGoal` / `p99Goal` of 0 mean no goal on that figure.
void row(const char* what, const Samples& samples, double meanGoal = 0, double p99Goal = 0) {
    const Summary wall = summarise(samples.wall);
    const Summary cpu = summarise(samples.cpu);
    std::string goal;
    bool met = true;
    if (meanGoal > 0) {
        goal += "mean < " + std::to_string(static_cast<int>(meanGoal)) + " ms";
        met = met && wall.mean < meanGoal;
    }
    if (p99Goal > 0) {
        goal += std::string(goal.empty() ? "" : ", ") + "p99 < " + std::to_string(static_cast<int>(p99Goal)) + " ms";
        met = met && wall.p99 < p99Goal;
    }
    std::printf("%-44s %5zu %8.2f %8.2f %8.2f %8.2f | %8.2f %8.2f | %-24s %s\n", what, samples.wall.size(), wall.mean,
                wall.median, wall.p99, wall.max, cpu.mean, cpu.median, goal.c_str(),
                goal.empty() ? "" : (met ? "met" : "MISSED"));
}

void header(const char* title) {
    std::printf("\n%s\n%-44s %5s %8s %8s %8s %8s | %8s %8s | %s\n", title, "  (milliseconds)", "runs", "mean", "median",
                "p99", "max", "cpu mean", "cpu med", "goal");
}

engine::Size faceSize(int cardSet, int cardIndex) {
    engine::Sprite* face =
        engine::Sprite::create(pavlune::DeviceManager::getInstance()->getCardFaceImage(cardIndex, cardSet));
    return face ? face->getContentSize() : engine::Size();
}

struct Kind {
    int cardSet;
    int cardIndex;
};

// Every card of the catalogue that takes no number, in palette order.
std::vector<Kind> plainKinds() {
    const pavlune::DeviceManager* catalogue = pavlune::DeviceManager::getInstance();
    std::vector<Kind> kinds;
    for (int set = 0; set < pavlune::kCardSetCount; ++set) {
        for (int index = 0; index < catalogue->getCardCount(set); ++index) {
            if (catalogue->getCardCode(index, set).kind != pavlune::CardCode::input) {
                kinds.push_back({set, index});
            }
        }
    }
    return kinds;
}

// The program's elements, placed with the field's own row slots: 40 row cards
// (number cards on 6 rows, 3 of them inside the dragged block) and 40 loose
// cards scattered right of the rows (4 of them number cards).
engine::ValueVector makeProgram(const pavlune::FieldModel& model) {
    const std::vector<Kind> plain = plainKinds();
    const std::vector<int> numberRows{3, 7, 9, 12, 20, 31};
    const std::vector<int> numberLoose{2, 11, 25, 37};
    int numbers = 0;
    auto kindFor = [&](bool number, int n) {
        if (!number) {
            return plain[static_cast<std::size_t>(n) % plain.size()];
        }
        // The first two are "wait any", the other eight "loop any".
        return Kind{pavlune::full, numbers++ < 2 ? kWaitAnyCard : kLoopAnyCard};
    };
    engine::ValueVector elements;
    int zOrder = 1;
    float rowsRight = 0;
    for (int r = 0; r < pavlune::kFieldRowCount; ++r) {
        const bool number = std::find(numberRows.begin(), numberRows.end(), r) != numberRows.end();
        const Kind kind = kindFor(number, r);
        const pavlune::RowSlot& slot = model.rowSlot(r);
        const engine::Size size = faceSize(kind.cardSet, kind.cardIndex);
        const Vec2 centre(slot.connectorPoint(0).x + size.width / 2, slot.position.y);
        rowsRight = std::max(rowsRight, centre.x + size.width / 2);
        elements.emplace_back(pavlune::ProgramDocument::elementFor(kind.cardSet, kind.cardIndex, centre, zOrder++,
                                                                   number ? std::to_string(10 + r) : ""));
    }
    std::mt19937 random(2026);
    const float top = model.rowSlot(0).position.y;
    const float bottom = model.rowSlot(pavlune::kFieldRowCount - 1).position.y;
    for (int n = 0; n < 40; ++n) {
        const bool number = std::find(numberLoose.begin(), numberLoose.end(), n) != numberLoose.end();
        const Kind kind = kindFor(number, n + 7);
        const engine::Size size = faceSize(kind.cardSet, kind.cardIndex);
        const float left = rowsRight + 20 + size.width / 2;
        const float right = std::max(left, static_cast<float>(pavlune::FieldModel::kDragRightEdge) - size.width / 2);
        std::uniform_real_distribution<float> x(left, right);
        std::uniform_real_distribution<float> y(bottom, top);
        elements.emplace_back(pavlune::ProgramDocument::elementFor(kind.cardSet, kind.cardIndex,
                                                                   Vec2(x(random), y(random)), zOrder++,
                                                                   number ? std::to_string(n) + ".5" : ""));
    }
    return elements;
}

// Runs `scene` in place of the running one (released on that frame).
void show(engine::HeadlessDriver& driver, engine::Scene* scene) {
    engine::Director::getInstance()->replaceScene(scene);
    driver.step();
}

FieldScene* openEditor(engine::HeadlessDriver& driver, SaveData* record) {
    FieldScene* editor = FieldScene::create(record);
    if (!editor) {
        std::printf("the editor could not be made\n");
        std::exit(1);
    }
    engine::Scene* scene = engine::Scene::create();
    scene->addChild(editor);
    show(driver, scene);
    return editor;
}

void measureOpening(engine::HeadlessDriver& driver, SaveData* record) {
    Samples total;
    Samples create;
    Samples frame;
    Samples cold;
    for (int run = 0; run < runs.open + runs.coldOpen; ++run) {
        const bool emptyCache = run >= runs.open;
        show(driver, engine::Scene::create()); // the previous editor goes, untimed
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
            create.wall.pop_back();
            create.cpu.pop_back();
            frame.wall.pop_back();
            frame.cpu.pop_back();
        }
    }
    header("1. opening the program (FieldScene::create, present, first drawn frame)");
    row("open, textures cached", total, 150);
    row("  of which FieldScene::create", create);
    row("  of which present + first frame", frame);
    row("open, texture cache emptied first", cold, 150);
}

// Frames with the drag group following a finger that goes a few units a
// frame: out to the right and back, and up and down by a little. The group
// holds on to its rows until the finger is farther than the snap distance.
Samples drag(engine::HeadlessDriver& driver, FieldBoard& board, int draggedId, int frames, Samples* moveOnly) {
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
    FieldScene* editor = openEditor(driver, record);
    FieldBoard& board = *editor->getBoard();
    FieldScrollView* view = editor->getFieldView();
    view->setContentOffset(Vec2(view->getContentOffset().x, 700 - board.model().rowSlot(kBlockTopRow).position.y));
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

    header("2. editor frames while a block is dragged (moveCards, then the frame)");
    row("frame, 10-card block", frames, 8, 12);
    row("  of which FieldBoard::moveCards", moveOnly);
    const std::string wholeLabel = "frame, " + std::to_string(wholeBlock) + "-card block (no goal)";
    row(wholeLabel.c_str(), whole);
    row("  of which FieldBoard::moveCards", wholeMoveOnly);
    std::printf("  last frame of the 10-card drag: %llu quads drawn, %llu culled, %llu draw calls\n",
                static_cast<unsigned long long>(stats.quadsDrawn), static_cast<unsigned long long>(stats.quadsCulled),
                static_cast<unsigned long long>(stats.drawCalls));
}

void measureSaving(engine::HeadlessDriver& driver, SaveData* record) {
    FieldScene* editor = openEditor(driver, record);
    Samples save;
    Samples document;
    for (int run = 0; run < runs.save; ++run) {
        save.time([&] { editor->saveField(); });
        document.time([&] { (void)editor->getBoard()->save(); });
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
                    picture = FieldThumbnail::capture(editor->getFieldView()->container,
                                                      engine::Director::getInstance()->getVisibleSize());
                });
                write.time([&] {
                    FieldThumbnail::write(SaveDataManager::getInstance(), record, picture, [&done] { done = true; });
                });
            });
            while (!done) {
                driver.step();
            }
        });
    }
    engine::Image written;
    const bool readable = written.initWithImageFile(file);

    header("3. saving the program, already listed (FieldScene::saveField, no picture)");
    row("saveField", save, 5);
    row("  FieldBoard::save alone (the elements)", document);
    header("4. the program's picture (FieldThumbnail::capture + write)");
    row("capture + write (file written)", captureAndWrite, 30);
    row("  of which capture", capture);
    row("  of which write (PNG, 570 x 570)", write);
    row("until done is called (next frame)", untilDone);
    std::printf("  picture %s: %s, %d x %d\n", file.c_str(), readable ? "readable" : "NOT READABLE",
                readable ? written.getWidth() : 0, readable ? written.getHeight() : 0);
}

} // namespace

int main(int argc, char** argv) {
    std::printf("load average at start: %s (%ld processors)\n", loadAverage().c_str(), sysconf(_SC_NPROCESSORS_ONLN));
    std::string folder;
    bool ownFolder = true;
    for (int a = 1; a < argc; ++a) {
        if (std::string(argv[a]) == "--short") {
            runs = kShortRuns;
        } else {
            folder = argv[a];
            ownFolder = false;
        }
    }
    if (!ownFolder) {
        fs::create_directories(folder);
    } else {
        char pattern[] = "/tmp/pavlune-bench-editor-XXXXXX";
        const char* made = ::mkdtemp(pattern);
        if (!made) {
            return 1;
        }
        folder = made;
    }
    ::setenv("XDG_DATA_HOME", folder.c_str(), 1);
    engine::FileUtils::getInstance()->setWritablePath((fs::path(folder) / "PavluneApps").string());

    engine::HeadlessDriver driver;
    driver.runWithScene(engine::Scene::create());

    // The row slots come from a field of the editor itself.
    SaveData* record = SaveData::create();
    record->retain();
    {
        FieldScene* blank = FieldScene::create(nullptr);
        if (!blank) {
            std::printf("the editor could not be made\n");
            return 1;
        }
        engine::RefPtr<FieldScene> held(blank);
        SaveDataManager::getInstance()->saveProgram(record, makeProgram(blank->getBoard()->model()));
    }

    FieldScene* check = openEditor(driver, record);
    int onRows = 0;
    for (const pavlune::FieldRow& fieldRow : check->getBoard()->fieldRows()) {
        onRows += fieldRow.front().has_value() ? 1 : 0;
    }
    int numbers = 0;
    for (const pavlune::PlacedCard& card : check->getBoard()->model().placedCards()) {
        numbers += card.value.empty() ? 0 : 1;
    }
    std::printf("program %s: %zu cards, %d of them on rows, %d number cards with values; store in %s\n",
                record->path.c_str(), check->getBoard()->cardNodes().size(), onRows, numbers, folder.c_str());
    std::printf("headless 1024 x 768 at content scale 2, software renderer; figures are wall time, cpu = this "
                "thread's processor time\n");

    measureOpening(driver, record);
    measureDrag(driver, record);
    measureSaving(driver, record);

    show(driver, engine::Scene::create());
    std::printf("\nload average at the end: %s\n", loadAverage().c_str());
    record->release();
    if (ownFolder) {
        std::error_code ignored;
        fs::remove_all(folder, ignored);
    }
    return 0;
}
