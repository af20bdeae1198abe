#pragma once

#include "sim/BoardContext.h"

#include <map>
#include <string>

namespace pavlune {

// The latte board at its end of the line: a shell that takes a file with
// "cat uart > NAME" up to the end-of-transmission character, runs one with
// "ms NAME", and with "ms" alone runs each line typed until "exit()". While
// a script runs, what arrives is what its uart() reads, except the break (a
// space), which resets the board as it does at an empty prompt: the script
// stops and everything is switched off.
class LatteBoard {
public:
    static constexpr char kEndOfTransmission = 0x04; // ends what "cat uart" takes

    explicit LatteBoard(BoardContext context);

    void receive(char character);
    bool lineEmpty() const { return line_.empty(); }
    bool capturing() const { return capturing_; }
    bool ownsRunningProgram() const;
    const std::map<std::string, std::string>& files() const { return files_; }

private:
    void enter(const std::string& line);
    void run(const std::string& script, bool visible);

    BoardContext context_;
    std::string line_;
    bool capturing_ = false;
    bool interactive_ = false;
    std::string captureName_;
    std::string capture_;
    std::map<std::string, std::string> files_;
};

} // namespace pavlune
