// pavlune-board-sim: a board on the screen for children without one. Opens a
// pseudo-terminal, prints its device path on the first line, and answers the
// line as the board does as far as the cards go.
#include "sim/BoardSimulator.h"
#include "sim/LineReport.h"
#include "sim/PseudoTerminal.h"
#include "sim/TraceWriter.h"
#include "sim/window/BoardWindow.h"

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <iostream>
#include <memory>
#include <optional>
#include <poll.h>
#include <string>

namespace {

using namespace pavlune;

volatile std::sig_atomic_t gQuit = 0;

struct Options {
    bool trace = false;
    bool lines = false;
    bool window = false;
    std::optional<WindowPlacement::Rect> beside; // the editor's window, to open beside
    std::string screenshot;
    std::optional<Dialect> dialect;
};

void usage(std::ostream& out) {
    out << "usage: pavlune-board-sim [--trace] [--lines] [--window [--screenshot PNG]]\n"
           "                         [--dialect jam|latte|que]\n"
           "  --trace       one line per change on standard output, seconds since RUN\n"
           "  --lines       \"line P N\" on standard output when program P goes to line N, \"line P -\"\n"
           "                when it ends, stops or is replaced (programs counted from 1)\n"
           "  --window      draw the board, its outputs, the car and what it received\n"
           "  --screenshot  with --window: write the window to PNG as it changes (twice a second at most)\n"
           "  --beside=X,Y,W,H  with --window: open beside this screen rectangle, never over it\n"
           "  --dialect     answer only this dialect (otherwise it follows the sender)\n";
}

std::optional<Dialect> dialectNamed(const std::string& name) {
    return name == "jam"     ? std::optional(jam)
           : name == "latte" ? std::optional(latte)
           : name == "que"   ? std::optional(que)
                             : std::nullopt;
}

bool parseOptions(int argc, char** argv, Options& options) {
    for (int i = 1; i < argc; ++i) {
        const std::string argument = argv[i];
        const bool hasValue = i + 1 < argc;
        if (argument == "--trace") {
            options.trace = true;
        } else if (argument == "--lines") {
            options.lines = true;
        } else if (argument == "--window") {
            options.window = true;
        } else if (argument.rfind("--beside=", 0) == 0) {
            options.beside = WindowPlacement::parse(argument.substr(std::string("--beside=").size()));
        } else if (argument == "--screenshot" && hasValue) {
            options.screenshot = argv[++i];
        } else if (argument == "--dialect" && hasValue) {
            const std::string name = argv[++i];
            options.dialect = dialectNamed(name);
            if (!options.dialect) {
                std::cerr << "pavlune-board-sim: unknown dialect \"" << name << "\"\n";
                return false;
            }
        } else if (argument == "--help") {
            usage(std::cout);
            std::exit(0);
        } else {
            std::cerr << "pavlune-board-sim: unknown option \"" << argument << "\"\n";
            usage(std::cerr);
            return false;
        }
    }
    return true;
}

// Sends every change and character where it belongs: the trace, the window,
// the line and standard error.
class Fanout : public BoardObserver {
public:
    Fanout(PseudoTerminal& line, TraceWriter* trace, LineReport* lines)
        : line_(line), trace_(trace), lines_(lines) {}
    void setWindow(BoardWindow* window) { window_ = window; }

    void boardChanged(const BoardChange& change) override {
        if (trace_) {
            trace_->write(change);
        }
        if (lines_) {
            lines_->changed(change);
        }
        if (window_) {
            window_->changed(change);
        }
    }
    void boardEchoed(char character) override { line_.write(character); }
    void boardReceived(char character) override {
        if (window_) {
            window_->received(character);
        }
    }
    void boardComplained(const std::string& message) override { std::cerr << message << std::endl; }

private:
    PseudoTerminal& line_;
    TraceWriter* trace_;
    LineReport* lines_;
    BoardWindow* window_ = nullptr;
};

int millisUntil(std::optional<BoardClock::TimePoint> next, const BoardClock& clock, int most) {
    if (!next) {
        return most;
    }
    const auto left = std::chrono::ceil<std::chrono::milliseconds>(*next - clock.now()).count();
    return static_cast<int>(std::clamp<long long>(left, 0, most));
}

} // namespace

int main(int argc, char** argv) {
    Options options;
    if (!parseOptions(argc, argv, options)) {
        return 2;
    }
    PseudoTerminal line;
    if (!line.isOpen()) {
        std::cerr << "pavlune-board-sim: " << line.error() << '\n';
        return 1;
    }
    std::signal(SIGINT, [](int) { gQuit = 1; });
    std::signal(SIGTERM, [](int) { gQuit = 1; });
    std::cout << line.devicePath() << std::endl;

    const SteadyBoardClock clock;
    std::unique_ptr<TraceWriter> trace;
    if (options.trace) {
        trace = std::make_unique<TraceWriter>(std::cout, clock.now());
    }
    std::unique_ptr<LineReport> lines;
    if (options.lines) {
        lines = std::make_unique<LineReport>(std::cout);
    }
    Fanout fanout(line, trace.get(), lines.get());
    BoardSimulator board(clock, fanout, options.dialect);
    std::unique_ptr<BoardWindow> window;
    if (options.window) {
        window = std::make_unique<BoardWindow>(board.outputs(), options.screenshot);
        if (!window->open(options.beside)) {
            return 1;
        }
        fanout.setWindow(window.get());
    }

    // Frames every 16 ms with a window; otherwise sleep until the program's next statement or a byte.
    const int longest = window ? 16 : 1000;
    while (!gQuit) {
        const auto next = board.advance();
        if (lines) {
            lines->update(board.runningLine());
        }
        const auto now = clock.now();
        if (window && !window->frame(now, next ? *next - now : std::chrono::hours(1))) {
            break;
        }
        pollfd ready{line.descriptor(), POLLIN, 0};
        if (poll(&ready, 1, millisUntil(next, clock, longest)) < 0 && errno != EINTR) {
            std::cerr << "pavlune-board-sim: " << std::strerror(errno) << '\n';
            return 1;
        }
        for (const char byte : line.readAvailable()) {
            board.receive(byte);
        }
    }
    return 0;
}
