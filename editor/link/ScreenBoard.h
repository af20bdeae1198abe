#pragma once

#include "catalogue/CatalogueView.h"
#include "editor/link/WatcherHook.h"
#include "program/FieldRows.h"
#include "program/RunningRows.h"

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <sys/types.h>

namespace pavlune {
class PavluneCardSerialManager;
} // namespace pavlune

class LineReader;

// The board on the screen (pavlune-board-sim, found beside this program) as
// the last row of the port list. Its row names a link that stays the same
// while the simulator comes and goes, so a choice survives every search; the
// simulator starts, with its window, when the program is first run on it, and
// the link then leads to its pseudo-terminal. It reports on its standard
// output which line it runs (--lines), so that the editor that sent the
// program can light the card being run. Main thread only.
class ScreenBoard {
public:
    static constexpr const char* kProgram = "pavlune-board-sim";

    static ScreenBoard& get();
    // Whether this platform can start the simulator's process at all.
    static bool canStart();
    ~ScreenBoard();

    ScreenBoard(const ScreenBoard&) = delete;
    ScreenBoard& operator=(const ScreenBoard&) = delete;

    // Lists the row after every search of `serial`.
    void listIn(pavlune::PavluneCardSerialManager& serial) const;
    bool isChosen(const pavlune::PavluneCardSerialManager& serial) const;
    bool isRunning();
    // Running, and its row leads to its line (a start whose editor went
    // before the simulator named its line is not).
    bool isReady();
    // Starting takes three steps, so that only the wait leaves the main
    // thread: spawn starts the simulator (its window beside the rectangle `beside`,
    // "x,y,width,height", when given) and returns the descriptor on which it
    // names its line, or -1 with the reason; readFirstLine (any thread) waits
    // for that name, a few seconds at most; attach leads the row's link to it.
    int spawn(const std::string& beside, std::string& failure);
    static std::string readFirstLine(int fd);
    // Also starts listening to the simulator's reports.
    bool attach(const std::string& device, std::string& failure);

    // Reads the simulator's line reports from `fd` from now on (attach gives
    // its standard output), in place of any earlier simulator's; -1: none.
    void listen(int fd);
    // A send of `rows` to the simulator starts: the next program it starts is this one.
    void expectProgram(const pavlune::CatalogueView& view, const pavlune::FieldRows& rows);
    // A send of `rows` to the board chosen in `serial` starts: this simulator
    // expects it, or, when another board is chosen, forgets its program.
    void sendStarts(const pavlune::PavluneCardSerialManager& serial, const pavlune::CatalogueView& view,
                    const pavlune::FieldRows& rows);
    // Nothing it runs now was sent from the editor now open.
    void forgetProgram();
    // The field row whose card the simulator runs, while it runs the program
    // expected last; nothing otherwise.
    std::optional<int> runningRow() const { return row_; }
    // Called when runningRow changes.
    WatcherHook onChange;

private:
    ScreenBoard();
    void stop();
    void heard(const std::string& report);
    void show(std::optional<int> row);

    std::string link_;
    pid_t child_ = -1;
    int output_ = -1; // the simulator's standard output, kept open so it never meets a closed pipe
    // Shared, so that the builds without the simulator's process (and without
    // LineReader) need no destructor of it.
    std::shared_ptr<LineReader> reader_;
    pavlune::RunningRows rows_;
    int newest_ = 0;                // the newest program the simulator has named
    std::optional<int> claimAbove_; // a send is under way: the first program after this one is the send's
    std::optional<int> ours_;       // the program that send started
    std::optional<int> row_;
};
