#pragma once

#include <string>
#include <sys/types.h>

namespace pavlune {
class PavluneCardSerialManager;
} // namespace pavlune

// The board on the screen (pavlune-board-sim, found beside this program) as
// the last row of the port list. Its row names a link that stays the same
// while the simulator comes and goes, so a choice survives every search; the
// simulator starts, with its window, when the program is first run on it, and
// the link then leads to its pseudo-terminal. Main thread only.
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
    bool attach(const std::string& device, std::string& failure);

private:
    ScreenBoard();
    void stop();

    std::string link_;
    pid_t child_ = -1;
    int output_ = -1; // the simulator's standard output, kept open so it never meets a closed pipe
};
