// A jam send started from the editor against the same send through the code
// pavlune-export uses. The editor (FieldScene with the program of 80 cards,
// headless, software renderer) lists a pseudo-terminal board opened here as
// a port and plays its program with BoardLink, while this thread draws
// frames at 60 a second in real time, so the echo reaches the sending
// overlay as it would on screen. Prints, for both paths, each gap's excess
// over its nominal pause and the whole transfer against the schedule (from
// the sending thread's writes and from the board's arrival times), and the
// editor's frame times during the send.
//
//   pavlune-bench-editor-send [--load N] [--hide spinner|text] [folder]
//   --load N: N busy processes run beside it (2 cores: try 4).
//   --hide: the overlay's spinner or text panel is not drawn, to see what it costs.

#include "bench/BenchEditor.h"
#include "bench/BenchSamples.h"
#include "bench/BusyLoad.h"
#include "bench/RealTimeScope.h"
#include "bench/TimedSerialBackend.h"
#include "bench/TransferGaps.h"
#include "catalogue/CardSet.h"
#include "catalogue/DeviceManager.h"
#include "catalogue/Dialect.h"
#include "device/PavluneCardSerialManager.h"
#include "device/PlatformSerialBackend.h"
#include "device/posix/PtyBoard.h"
#include "editor/EditorSession.h"
#include "editor/FieldScene.h"
#include "editor/cards/CardSprite.h"
#include "editor/field/FieldBoard.h"
#include "editor/link/BoardLink.h"
#include "editor/link/LinkSetup.h"
#include "editor/link/SendingOverlay.h"
#include "engine/2d/Label.h"
#include "engine/2d/Scene.h"
#include "engine/2d/Sprite.h"
#include "engine/platform/HeadlessDriver.h"
#include "export/SerialExport.h"
#include "program/SteadyTransferClock.h"

#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <sstream>
#include <string>
#include <thread>
#include <unistd.h>
#include <vector>

using namespace pavlune;

namespace {

using Clock = std::chrono::steady_clock;
constexpr auto kFramePeriod = std::chrono::microseconds(16667);

// A board on a pseudo-terminal whose reader runs above the sender where the
// system allows it, and a manager on the platform's backend that notes when
// each write returned.
struct TimedBoard {
    TimedBoard() {
        RealTimeScope readerPriority(2);
        board = std::make_unique<PtyBoard>();
        auto inner = std::make_unique<TimedSerialBackend>(createPlatformSerialBackend());
        timed = inner.get();
        serial = std::shared_ptr<PavluneCardSerialManager>(
            new PavluneCardSerialManager(std::move(inner)),
            [](PavluneCardSerialManager* manager) { manager->release(); });
    }

    std::vector<TransferGaps::TimePoint> arrivals() const {
        std::vector<TransferGaps::TimePoint> times;
        for (const PtyBoard::Arrival& arrival : board->arrivals()) {
            times.push_back(arrival.at);
        }
        return times;
    }

    std::unique_ptr<PtyBoard> board;
    TimedSerialBackend* timed = nullptr;
    std::shared_ptr<PavluneCardSerialManager> serial;
};

struct PathFigures {
    TransferGaps::Figures written;
    TransferGaps::Figures arrived;
    bool bytesMatch = false;
};

PathFigures figuresOf(const TimedBoard& board, const TransferGaps& schedule) {
    board.board->waitForBytes(schedule.bytes().size(), std::chrono::seconds(5));
    return {schedule.measure(board.timed->writeTimes()), schedule.measure(board.arrivals()),
            board.board->received() == schedule.bytes()};
}

// Plays the program from the editor, drawing frames in real time until the
// send has ended; returns the frame times.
// The frames, and among them those in which echoed text reached the overlay.
struct SendFrames {
    BenchSamples idle; // before the play, for comparison
    BenchSamples all;
    BenchSamples withEcho;
    std::size_t echoed = 0;
};

std::size_t echoedLength(BoardLink& link) {
    SendingOverlay* overlay = link.getSendingOverlay();
    return overlay ? overlay->getEchoedText().size() : 0;
}

SendFrames sendFromEditor(engine::HeadlessDriver& driver, SaveData* record, TimedBoard& board,
                          FieldRows& rows, const std::string& hidden) {
    board.serial->setExtraPorts({board.board->devicePath()});
    const LinkSetup setup{board.serial, [] { return std::make_unique<SteadyTransferClock>(); }};
    LinkSetup::install(&setup);
    FieldScene* editor = BenchEditor::open(driver, record);
    LinkSetup::install(nullptr);
    BoardLink& link = *editor->getSession().rooms().link.get();
    // The first search lists the board among whatever this machine has.
    while (!link.isIdle()) {
        link.waitForWorkers();
        driver.step();
    }
    board.serial->choosePort(board.board->devicePath());
    link.updatePortStatus();
    rows = editor->getSession().rooms().board->fieldRows();

    SendFrames frames;
    for (int frame = 0; frame < 120; ++frame) {
        frames.idle.time([&] { driver.step(); });
    }
    link.play();
    if (SendingOverlay* overlay = link.getSendingOverlay()) {
        engine::Node* part = hidden == "spinner" ? static_cast<engine::Node*>(overlay->getSpinner())
                             : hidden == "text"  ? overlay->getPanel()
                                                 : nullptr;
        if (part) {
            part->setVisible(false);
        }
    }
    auto next = Clock::now();
    while (link.isTransferring()) {
        const std::size_t before = echoedLength(link);
        frames.all.time([&] { driver.step(); });
        if (echoedLength(link) != before) {
            frames.withEcho.addLastOf(frames.all);
        }
        next += kFramePeriod;
        std::this_thread::sleep_until(next);
        if (Clock::now() > next + kFramePeriod) {
            next = Clock::now(); // a frame ran late: no catching up in a burst
        }
    }
    frames.echoed = echoedLength(link);
    return frames;
}

void printPath(const char* title, const PathFigures& figures) {
    std::printf("%s%s\n", title, figures.bytesMatch ? "" : "  (the board's bytes DIFFER from the schedule)");
    TransferGaps::print("written (the sending thread)", figures.written);
    TransferGaps::print("arrived (the board's end)", figures.arrived);
}

void compare(const char* what, const TransferGaps::Figures& editor, const TransferGaps::Figures& tool) {
    const double meanDifference = (editor.mean - tool.mean) / 1000;
    const double p99Difference = (editor.p99 - tool.p99) / 1000;
    const bool met = std::abs(meanDifference) <= 0.2 && std::abs(p99Difference) <= 0.2;
    std::printf("  %-34s editor - tool: mean %+.3f ms, p99 %+.3f ms | goal: equal within 0.2 ms %s\n", what,
                meanDifference, p99Difference, met ? "met" : "MISSED");
}

} // namespace

int main(int argc, char** argv) {
    std::string folder;
    std::string hidden;
    int load = 0;
    for (int a = 1; a < argc; ++a) {
        const std::string argument = argv[a];
        if (argument == "--load" && a + 1 < argc) {
            load = std::atoi(argv[++a]);
        } else if (argument == "--hide" && a + 1 < argc) {
            hidden = argv[++a];
        } else {
            folder = argument;
        }
    }
    bool realTime = false;
    {
        RealTimeScope probe(1);
        realTime = probe.raised();
    }
    std::printf("load average at start: %s (%ld processors); real-time scheduling %s\n",
                BenchSamples::loadAverage().c_str(), sysconf(_SC_NPROCESSORS_ONLN),
                realTime ? "allowed" : "NOT allowed (the sender stays on the normal policy)");
    BenchEditor bench(folder);
    engine::HeadlessDriver driver;
    driver.runWithScene(engine::Scene::create());
    DeviceManager::getInstance()->setCurrentDialect(jam);
    SaveData* record = bench.saveProgram();
    const BusyLoad busy(load);
    std::printf("%d busy processes beside it; line time of a byte %.1f us (in every gap's excess)\n",
                busy.size(), TransferGaps::lineTimeMicros());

    TimedBoard editorBoard;
    FieldRows rows;
    const SendFrames frames = sendFromEditor(driver, record, editorBoard, rows, hidden);
    BenchEditor::show(driver, engine::Scene::create());
    const TransferGaps schedule = TransferGaps::forProgram(DeviceManager::getInstance()->getView(), rows);
    const PathFigures fromEditor = figuresOf(editorBoard, schedule);

    TimedBoard toolBoard;
    std::ostringstream echo;
    std::ostringstream errors;
    SerialExport(*toolBoard.serial, echo, errors).send(toolBoard.board->devicePath(), jam, rows);
    const PathFigures fromTool = figuresOf(toolBoard, schedule);

    std::printf("\njam send of the editor's program: %zu rows, %zu bytes\n", rows.size(),
                schedule.bytes().size());
    printPath("from the editor (BoardLink::play, frames drawn meanwhile)", fromEditor);
    printPath("from the export tool's code (SerialExport::send)", fromTool);
    compare("written", fromEditor.written, fromTool.written);
    compare("arrived", fromEditor.arrived, fromTool.arrived);

    BenchSamples::header("editor frames during the send (real time, 60 a second)");
    frames.idle.row("frame before the send (no overlay)");
    if (!hidden.empty()) {
        std::printf("  the overlay's %s is not drawn\n", hidden.c_str());
    }
    frames.all.row("frame while sending, echo on the overlay", 8);
    frames.withEcho.row("  of which frames that added echoed text");
    std::printf("  %zu characters echoed on the sending overlay\n", frames.echoed);
    std::printf("\nload average at the end: %s\n", BenchSamples::loadAverage().c_str());
    return 0;
}
