#pragma once

#include "sim/BoardContext.h"

#include <map>
#include <string>

namespace pavlune {

// The jam board at its end of the line: a prompt that echoes what it is
// typed, keeps numbered lines in order, and knows NEW, SAVE, RUN and the
// statements of a program typed without a number. The break resets the
// board (the program stops, everything is switched off); other characters
// are not read while a program runs.
class JamBoard {
public:
    explicit JamBoard(BoardContext context);

    void receive(char character);
    bool lineEmpty() const { return line_.empty(); }
    const std::map<int, std::string>& lines() const { return lines_; }

    // The character that stops a running program (the jam break sequence).
    static char breakCharacter();

private:
    void enter(const std::string& line);
    void run(const std::map<int, std::string>& lines, bool visible);
    bool ownsRunningProgram() const;

    BoardContext context_;
    std::string line_;
    bool lastWasReturn_ = false;
    std::map<int, std::string> lines_;
    std::map<int, std::string> saved_;
};

} // namespace pavlune
