#include "sim/JamBoard.h"

#include "catalogue/CardSet.h"
#include "catalogue/CatalogueView.h"
#include "sim/BoardText.h"
#include "sim/JamProgram.h"

#include <cctype>

namespace pavlune {

JamBoard::JamBoard(BoardContext context) : context_(context) {}

char JamBoard::breakCharacter() {
    static const char character = CatalogueView(jam, basic).getBreakCode().code.at(0);
    return character;
}

bool JamBoard::ownsRunningProgram() const {
    return dynamic_cast<JamProgram*>(context_.slot.program()) != nullptr;
}

void JamBoard::receive(char character) {
    if (character == breakCharacter()) {
        context_.slot.reset();
        line_.clear();
        return;
    }
    if (ownsRunningProgram()) {
        return; // a running program does not read the line
    }
    context_.observer.boardReceived(character);
    context_.observer.boardEchoed(character);
    if (character == '\n' && lastWasReturn_) {
        lastWasReturn_ = false; // the LF of a CR LF
        return;
    }
    lastWasReturn_ = character == '\r';
    if (character == '\r' || character == '\n') {
        const std::string line = line_;
        line_.clear();
        enter(line);
    } else if (character == '\b' || character == 0x7F) {
        if (!line_.empty()) {
            line_.pop_back();
        }
    } else {
        line_ += character;
    }
}

void JamBoard::run(const std::map<int, std::string>& lines, bool visible) {
    context_.slot.start(std::make_unique<JamProgram>(lines, context_.outputs, context_.observer), visible);
}

void JamBoard::enter(const std::string& line) {
    const std::string command = upperCased(trimmed(line));
    if (command.empty()) {
        return;
    }
    if (std::isdigit(static_cast<unsigned char>(command[0]))) {
        std::size_t end = 0;
        int number = 0;
        while (end < command.size() && std::isdigit(static_cast<unsigned char>(command[end]))) {
            number = number * 10 + (command[end++] - '0');
        }
        const auto text = line.find_first_not_of(" \t");
        std::string body = line.substr(text + end);
        if (!body.empty() && body[0] == ' ') {
            body.erase(0, 1);
        }
        if (body.find_first_not_of(" \t") == std::string::npos) {
            lines_.erase(number);
        } else {
            lines_[number] = body;
        }
    } else if (command == "NEW") {
        lines_.clear();
    } else if (command.rfind("SAVE", 0) == 0) {
        saved_ = lines_;
    } else if (command.rfind("LOAD", 0) == 0) {
        lines_ = saved_;
    } else if (command == "RUN") {
        run(lines_, true);
    } else {
        // A statement typed at the prompt runs at once (the reset's "OUT0").
        run({{0, line}}, false);
    }
}

} // namespace pavlune
