// The editor's own gestures, driven by touches through the engine's input
// path (headless, software renderer, frames on the virtual clock, timed on
// the wall clock), on a program of 300 cards beside one of 6:
//  0. frames while a finger drags the field up and down, and while two
//     fingers zoom it out and in;
//  1. frames while a finger drags a block of snapped cards (10, or the small
//     program's 6), held against the bottom and the top edge of the screen so
//     that the field scrolls under it (touch move, then the frame);
// and on the program of 300 cards alone:
//  2. frames while a card is dragged out of the palette across the field and
//     against the bottom edge;
//  3. from the release of a dragged block, and of a palette card, to the
//     program file renamed into place (seen by inotify in the store folder).
// Other work may share the machine, so the thread's processor time is printed
// beside the wall time.
//
// Usage: pavlune-bench-editor-gestures [--short] [--frame PNG] [folder]
//   --frame PNG: also writes one frame of the block drag, to look at.

#include "bench/BenchEditor.h"
#include "bench/BenchSamples.h"
#include "editor/EditorSession.h"
#include "editor/FieldScene.h"
#include "editor/cards/CardSprite.h"
#include "editor/field/FieldBoard.h"
#include "editor/gestures/EdgeScroller.h"
#include "editor/palette/CardPalette.h"
#include "engine/2d/Director.h"
#include "engine/2d/Scene.h"
#include "engine/base/Scheduler.h"
#include "engine/platform/HeadlessDriver.h"
#include "store/SaveData.h"
#include "store/SaveDataManager.h"
#include "widgets/FieldScrollView.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <string>
#include <sys/inotify.h>
#include <unistd.h>

namespace fs = std::filesystem;
using engine::Vec2;

namespace {

// Low on the field, so the rows above the block are all taken and nothing
// snaps the block while it is held against the top edge.
constexpr int kBlockTopRow = 25;
constexpr int kBlockRows = 10;
// The row below the block stays empty, so the block lift ends above it.
constexpr int kGapRow = kBlockTopRow + kBlockRows;
// Where the block's top card is brought on screen before it is pressed.
constexpr float kPressHeight = 600;

struct Repetitions {
    int dragWarmup = 30;
    int drag = 600;
    int releases = 15;
    int paletteRuns = 4;
};
Repetitions runs;
constexpr Repetitions kShortRuns{5, 120, 3, 1};

// Notices the store writing a file by renaming its temporary into place.
class RenameWatch {
public:
    explicit RenameWatch(const std::string& file)
        : fd_(inotify_init1(IN_NONBLOCK | IN_CLOEXEC)), name_(fs::path(file).filename().string()) {
        if (fd_ >= 0) {
            inotify_add_watch(fd_, fs::path(file).parent_path().c_str(), IN_MOVED_TO);
        }
    }
    ~RenameWatch() {
        if (fd_ >= 0) {
            ::close(fd_);
        }
    }
    RenameWatch(const RenameWatch&) = delete;
    RenameWatch& operator=(const RenameWatch&) = delete;

    void drain() { (void)renamed(); }
    // Whether the file was renamed into place since the last look.
    bool renamed() {
        bool seen = false;
        alignas(inotify_event) std::array<char, 4096> buffer{};
        for (;;) {
            const ssize_t length = ::read(fd_, buffer.data(), buffer.size());
            if (length <= 0) {
                return seen;
            }
            for (ssize_t at = 0; at < length;) {
                const auto* event = reinterpret_cast<const inotify_event*>(buffer.data() + at);
                seen = seen || (event->len > 0 && name_ == event->name);
                at += static_cast<ssize_t>(sizeof(inotify_event) + event->len);
            }
        }
    }

private:
    int fd_;
    std::string name_;
};

// Releases the touch at `finger` and times until the program file has been
// renamed into place, stepping frames while it has not.
void timeRelease(engine::HeadlessDriver& driver, RenameWatch& watch, const Vec2& finger,
                 BenchSamples& samples) {
    watch.drain();
    samples.time([&] {
        driver.touchEnded(finger);
        for (int frame = 0; frame < 300 && !watch.renamed(); ++frame) {
            driver.step();
        }
    });
    driver.step();
}

// A fresh editor on the saved program, scrolled so that the block's top card
// lies at kPressHeight; returns that card's screen point.
Vec2 openWithBlockInView(engine::HeadlessDriver& driver, SaveData* record, FieldScene*& editor) {
    editor = BenchEditor::open(driver, record);
    FieldBoard& board = *editor->getSession().rooms().board.get();
    FieldScrollView* view = editor->getSession().rooms().fieldView;
    view->setContentOffset(
        Vec2(view->getContentOffset().x, kPressHeight - board.model().rowSlot(kBlockTopRow).position.y));
    driver.step();
    const pavlune::PlacedCard* top = board.model().findCard(board.model().cardOnRow(kBlockTopRow));
    return board.viewport().toScreen(top->position);
}

// Presses at `point` and holds still until the block below is lifted.
std::size_t liftBlock(engine::HeadlessDriver& driver, FieldScene* editor, const Vec2& point) {
    driver.touchBegan(point);
    driver.advance(0.5f);
    return editor->getSession().rooms().board->model().dragGroup().size();
}

// The finger's path, a frame at a time: up until the card's upper reference
// line is in the top band; then over and over: held there, down until the
// lower line is in the bottom band, held there, up again. The field above
// the block's own rows is full, so the block scrolls freely at both edges.
class EdgeDragPath {
public:
    EdgeDragPath(const Vec2& start, float cardHeight)
        : start_(start), bottom_(cardHeight * EdgeScroller::kReferenceShare + 2),
          top_(design::kHeight - cardHeight * EdgeScroller::kReferenceShare - 2) {}

    // Where the finger is at `frame`, and whether it moved since the frame before.
    Vec2 at(int frame, bool& moved) const {
        constexpr int kFirst = 60, kHoldTop = 120, kDown = 80, kHoldBottom = 100, kUp = 80;
        const float x = start_.x + 20 * static_cast<float>((frame / 7) % 2);
        moved = true;
        if (frame < kFirst) {
            return Vec2(x, between(start_.y, top_, frame + 1, kFirst));
        }
        const int t = (frame - kFirst) % (kHoldTop + kDown + kHoldBottom + kUp);
        if (t < kHoldTop) {
            moved = t == 0;
            return Vec2(start_.x, top_);
        }
        if (t < kHoldTop + kDown) {
            return Vec2(x, between(top_, bottom_, t - kHoldTop + 1, kDown));
        }
        if (t < kHoldTop + kDown + kHoldBottom) {
            moved = t == kHoldTop + kDown;
            return Vec2(start_.x, bottom_);
        }
        return Vec2(x, between(bottom_, top_, t - kHoldTop - kDown - kHoldBottom + 1, kUp));
    }

private:
    static float between(float from, float to, int step, int steps) {
        return from + (to - from) * static_cast<float>(step) / static_cast<float>(steps);
    }

    Vec2 start_;
    float bottom_;
    float top_;
};

// What one program gave in 0. and 1.
struct Figures {
    BenchSamples scroll;
    BenchSamples zoom;
    BenchSamples blockDrag;
    BenchSamples edgeScrolling;
};

// A point on the field left of the row buttons, where no card lies.
constexpr float kBareX = 290;

// A fresh editor on the saved program, scrolled to the middle of the field.
FieldScrollView* openAtTheMiddle(engine::HeadlessDriver& driver, SaveData* record) {
    FieldScrollView* view = BenchEditor::open(driver, record)->getSession().rooms().fieldView;
    view->setContentOffset(Vec2(0, view->minContainerOffset().y / 2));
    driver.step();
    return view;
}

// Frames while one finger drags the field up and down by kReach units at 6
// units a frame, from a bare spot of the field.
void measureScrollDrag(engine::HeadlessDriver& driver, SaveData* record, BenchSamples& frames) {
    FieldScrollView* view = openAtTheMiddle(driver, record);
    constexpr float kReach = 300;
    const Vec2 start(kBareX, 400);
    driver.touchBegan(start);
    driver.step();
    const float offsetBefore = view->getContentOffset().y;
    bool scrolled = false;
    for (int f = 1; f <= runs.dragWarmup + runs.drag; ++f) {
        const float t = std::fmod(static_cast<float>(f) * 6, 4 * kReach);
        const float dy = t < kReach ? t : (t < 3 * kReach ? 2 * kReach - t : t - 4 * kReach);
        frames.time([&] {
            driver.touchMoved(start + Vec2(0, dy));
            driver.step();
        });
        if (f <= runs.dragWarmup) {
            frames.dropLast();
        }
        scrolled = scrolled || view->getContentOffset().y != offsetBefore;
    }
    driver.touchEnded(start);
    driver.advance(1.0f);
    if (!scrolled) {
        std::printf("  THE FIELD DID NOT SCROLL under the finger\n");
    }
}

// Frames while two fingers pinch the field out to its smallest zoom and
// back, over and over, from bare spots of the field.
void measureZoom(engine::HeadlessDriver& driver, SaveData* record, BenchSamples& frames) {
    FieldScrollView* view = openAtTheMiddle(driver, record);
    constexpr float kNear = 100;
    constexpr float kFar = 300;
    const Vec2 centre(kBareX, 400);
    driver.fingerDown(1, centre + Vec2(0, kFar));
    driver.fingerDown(2, centre - Vec2(0, kFar));
    driver.step();
    float smallest = view->getZoomScale();
    for (int f = 1; f <= runs.dragWarmup + runs.drag; ++f) {
        const float t = std::fmod(static_cast<float>(f) * 4, 2 * (kFar - kNear));
        const float half = t < kFar - kNear ? kFar - t : kNear + (t - (kFar - kNear));
        frames.time([&] {
            driver.fingerMoved(1, centre + Vec2(0, half));
            driver.fingerMoved(2, centre - Vec2(0, half));
            driver.step();
        });
        if (f <= runs.dragWarmup) {
            frames.dropLast();
        }
        smallest = std::min(smallest, view->getZoomScale());
    }
    driver.fingerUp(1, centre + Vec2(0, kFar));
    driver.fingerUp(2, centre - Vec2(0, kFar));
    driver.advance(0.5f);
    std::printf("  pinch: the zoom went down to %.2f\n", static_cast<double>(smallest));
}

void measureBlockDrag(engine::HeadlessDriver& driver, SaveData* record, const std::string& framePath,
                      Figures& figures) {
    FieldScene* editor = nullptr;
    const Vec2 point = openWithBlockInView(driver, record, editor);
    const std::size_t lifted = liftBlock(driver, editor, point);
    FieldBoard& board = *editor->getSession().rooms().board.get();
    const float cardHeight = board.nodeFor(board.model().dragGroup().front())->getContentSize().height;
    const EdgeDragPath path(point, cardHeight);
    FieldScrollView* view = editor->getSession().rooms().fieldView;

    BenchSamples& frames = figures.blockDrag;
    BenchSamples& scrolling = figures.edgeScrolling;
    Vec2 finger = point;
    for (int f = 0; f < runs.dragWarmup + runs.drag; ++f) {
        bool moved = false;
        finger = path.at(f, moved);
        const float offsetBefore = view->getContentOffset().y;
        frames.time([&] {
            if (moved) {
                driver.touchMoved(finger);
            }
            driver.step();
        });
        if (f < runs.dragWarmup) {
            frames.dropLast();
            continue;
        }
        if (view->getContentOffset().y != offsetBefore) {
            scrolling.addLastOf(frames);
        }
        if (f == runs.dragWarmup + 100 && !framePath.empty()) {
            driver.saveFrame(framePath);
        }
    }
    const std::size_t dragged = board.model().dragGroup().size();
    driver.touchEnded(finger);
    driver.step();

    std::printf("  block lift on row %d: %zu cards lifted, %zu dragged to the end\n", kBlockTopRow, lifted,
                dragged);
}

Figures measure(engine::HeadlessDriver& driver, BenchEditor& bench, const BenchEditor::Shape& shape,
                const std::string& framePath) {
    SaveData* record = bench.saveProgram(shape);
    std::printf("\n%s: ", shape.name);
    BenchEditor::describe(BenchEditor::open(driver, record));
    Figures figures;
    measureScrollDrag(driver, record, figures.scroll);
    measureZoom(driver, record, figures.zoom);
    measureBlockDrag(driver, record, framePath, figures);
    return figures;
}

void measureReleases(engine::HeadlessDriver& driver, BenchEditor& bench, BenchSamples& samples) {
    RenameWatch watch(SaveDataManager::getInstance()->getProgramFullPath(bench.record()));
    for (int run = 0; run < runs.releases; ++run) {
        bench.saveProgram(BenchEditor::large(kGapRow)); // the block back on its rows
        FieldScene* editor = nullptr;
        const Vec2 point = openWithBlockInView(driver, bench.record(), editor);
        liftBlock(driver, editor, point);
        // Out and back: the block snaps onto its rows again.
        for (int f = 1; f <= 40; ++f) {
            const float out = static_cast<float>(f <= 20 ? f : 40 - f) * 6;
            driver.touchMoved(point + Vec2(out, 0));
            driver.step();
        }
        timeRelease(driver, watch, point, samples);
    }
}

// The release frame of a dropped block and the three frames after it, with
// the save written on the frame or on the worker (as the application runs
// it). Run beside a slow disk (LD_PRELOAD of the slow-fsync shim) to see
// what an SD card's flush does to the frame.
void measureDropFrames(engine::HeadlessDriver& driver, BenchEditor& bench, bool background,
                       BenchSamples& frames) {
    SaveDataManager* store = SaveDataManager::getInstance();
    if (background) {
        store->writeInBackground([](std::function<void()> closure) {
            engine::Director::getInstance()->getScheduler()->performFunctionInCocosThread(std::move(closure));
        });
    }
    FieldScene* editor = nullptr;
    for (int run = 0; run < runs.releases; ++run) {
        bench.saveProgram(BenchEditor::large(kGapRow));
        const Vec2 point = openWithBlockInView(driver, bench.record(), editor);
        liftBlock(driver, editor, point);
        for (int f = 1; f <= 40; ++f) {
            driver.touchMoved(point + Vec2(static_cast<float>(f <= 20 ? f : 40 - f) * 6, 0));
            driver.step();
        }
        frames.time([&] {
            driver.touchEnded(point);
            driver.step();
        });
        for (int f = 0; f < 3; ++f) {
            frames.time([&] { driver.step(); });
        }
    }
    store->writeInBackground(nullptr); // drains the queue
    const bool same = store->loadProgram(bench.record()) == editor->getSession().rooms().board->save();
    std::printf("  %s: the program file after the queue drained %s the field\n",
                background ? "worker" : "on the frame", same ? "equals" : "DIFFERS FROM");
}

engine::Vec2 worldPosition(const engine::Node* node) {
    return node->getParent()->convertToWorldSpace(node->getPosition());
}

void measurePaletteDrag(engine::HeadlessDriver& driver, BenchEditor& bench, BenchSamples& releases) {
    bench.saveProgram(BenchEditor::large(kGapRow));
    FieldScene* editor = BenchEditor::open(driver, bench.record());
    RenameWatch watch(SaveDataManager::getInstance()->getProgramFullPath(bench.record()));
    const std::size_t before = editor->getSession().rooms().board->cardNodes().size();
    BenchSamples frames;
    for (int run = 0; run < runs.paletteRuns; ++run) {
        CardSprite* card = editor->getSession().rooms().palette->paletteCard(
            run % editor->getSession().rooms().palette->paletteCardCount());
        const Vec2 start = worldPosition(card);
        driver.touchBegan(start);
        driver.step();
        // Right out of the palette and across the field, then down against
        // the bottom edge, held there, and back up.
        const Vec2 across(700, start.y);
        const Vec2 low(700, card->getContentSize().height * EdgeScroller::kReferenceShare + 2);
        Vec2 finger = start;
        for (int f = 1; f <= 150; ++f) {
            if (f <= 50) {
                finger = start + (across - start) * (static_cast<float>(f) / 50);
            } else if (f <= 80) {
                finger = across + (low - across) * (static_cast<float>(f - 50) / 30);
            } else if (f > 120) {
                finger = low + (across - low) * (static_cast<float>(f - 120) / 30);
            }
            const bool moved = f <= 80 || f > 120;
            frames.time([&] {
                if (moved) {
                    driver.touchMoved(finger);
                }
                driver.step();
            });
        }
        timeRelease(driver, watch, finger, releases);
    }
    BenchSamples::header(
        "2. frames while a card is dragged out of the palette (and against the bottom edge)");
    std::printf("  %d drags, %zu cards placed\n", runs.paletteRuns,
                editor->getSession().rooms().board->cardNodes().size() - before);
    frames.row("frame, palette drag", 8, 12);
}

} // namespace

int main(int argc, char** argv) {
    std::printf("load average at start: %s (%ld processors)\n", BenchSamples::loadAverage().c_str(),
                sysconf(_SC_NPROCESSORS_ONLN));
    std::string folder;
    std::string framePath;
    for (int a = 1; a < argc; ++a) {
        const std::string argument = argv[a];
        if (argument == "--short") {
            runs = kShortRuns;
        } else if (argument == "--frame" && a + 1 < argc) {
            framePath = argv[++a];
        } else {
            folder = argument;
        }
    }
    BenchEditor bench(folder);
    engine::HeadlessDriver driver;
    driver.runWithScene(engine::Scene::create());
    std::printf(
        "headless 1024 x 768 at content scale 2, software renderer; wall time, cpu = this thread's\n");

    const BenchEditor::Shape smallShape = BenchEditor::small(kBlockTopRow, kGapRow);
    const BenchEditor::Shape largeShape = BenchEditor::large(kGapRow);
    const Figures small = measure(driver, bench, smallShape, "");
    const Figures large = measure(driver, bench, largeShape, framePath);
    const auto compare = [&](const char* what, BenchSamples Figures::*figure, BenchSamples::Goal goal) {
        BenchSamples::compare(what, small.*figure, large.*figure, goal);
    };
    BenchSamples::compareHeader("0. frames while the field is dragged and pinched", smallShape.name,
                                largeShape.name);
    compare("frame, one finger drags the field", &Figures::scroll, {12, true, 1.5});
    compare("frame, two fingers zoom", &Figures::zoom, {12, true, 1.5});
    BenchSamples::compareHeader("1. frames while a finger drags a block of cards against the screen's edges",
                                smallShape.name, largeShape.name);
    compare("frame, block drag with edge scrolling", &Figures::blockDrag, {12, true, 1.5});
    compare("  of which frames that scrolled the field", &Figures::edgeScrolling, {});

    std::printf("\nThe rest on the program of %s:\n", largeShape.name);
    BenchSamples paletteReleases;
    measurePaletteDrag(driver, bench, paletteReleases);
    BenchSamples blockReleases;
    measureReleases(driver, bench, blockReleases);

    BenchSamples::header("3. from the release to the program file renamed into place");
    blockReleases.row("release of a block back onto its rows");
    paletteReleases.row("release of a palette card on the field");

    BenchSamples onFrame;
    BenchSamples onWorker;
    measureDropFrames(driver, bench, false, onFrame);
    measureDropFrames(driver, bench, true, onWorker);
    const char* delay = std::getenv("PAVLUNE_FSYNC_DELAY_MS");
    std::printf("\n4. the release frame of a block and the 3 frames after it (fsync %s)\n",
                std::getenv("LD_PRELOAD") ? (delay ? delay : "100 ms, slow-disk shim") : "as the disk is");
    onFrame.row("save written on the frame");
    onWorker.row("save written on the worker", 0, 12);

    BenchEditor::show(driver, engine::Scene::create());
    std::printf("\nload average at the end: %s\n", BenchSamples::loadAverage().c_str());
    return 0;
}
