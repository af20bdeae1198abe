#include "sim/LatteBoard.h"

#include "catalogue/CardSet.h"
#include "catalogue/CatalogueView.h"
#include "sim/BoardText.h"
#include "sim/LatteProgram.h"

namespace pavlune {

LatteBoard::LatteBoard(BoardContext context) : context_(context) {}

bool LatteBoard::ownsRunningProgram() const {
    return dynamic_cast<LatteProgram*>(context_.slot.program()) != nullptr;
}

void LatteBoard::receive(char character) {
    static const char kBreak = CatalogueView(latte, basic).getBreakCode().code.at(0);
    // The break, to a running script or at an empty prompt, resets the board.
    if (character == kBreak && (ownsRunningProgram() || (!capturing_ && !interactive_ && line_.empty()))) {
        context_.slot.reset();
        return;
    }
    if (ownsRunningProgram()) {
        context_.slot.program()->input(character);
        return;
    }
    context_.observer.boardReceived(character);
    if (capturing_) {
        if (character == kEndOfTransmission) {
            files_[captureName_] = capture_;
            capturing_ = false;
        } else {
            capture_ += character;
        }
        return;
    }
    context_.observer.boardEchoed(character);
    if (character == '\n' || character == '\r') {
        const std::string line = trimmed(line_);
        line_.clear();
        enter(line);
    } else {
        line_ += character;
    }
}

void LatteBoard::run(const std::string& script, bool visible) {
    LatteParser::Result parsed = LatteParser::parse(script);
    if (!parsed.error.empty()) {
        context_.observer.boardComplained("latte: " + parsed.error);
        return;
    }
    context_.slot.start(
        std::make_unique<LatteProgram>(std::move(parsed.operations), context_.outputs, context_.observer),
        visible);
}

void LatteBoard::enter(const std::string& line) {
    if (line.empty()) {
        return;
    }
    if (interactive_) {
        if (line == "exit()" || line == "exit();") {
            interactive_ = false;
        } else {
            // A line typed at the prompt may leave out its last ';'.
            const bool closed = line.back() == ';' || line.back() == '}';
            run(closed ? line : line + ";", false);
        }
        return;
    }
    static const std::string kCat = "cat uart > ";
    if (line == "ms") {
        interactive_ = true;
    } else if (line.rfind("ms ", 0) == 0) {
        const std::string name = trimmed(line.substr(3));
        const auto file = files_.find(name);
        if (file == files_.end()) {
            context_.observer.boardComplained("latte: no file \"" + name + "\" to run");
        } else {
            run(file->second, true);
        }
    } else if (line.rfind(kCat, 0) == 0) {
        captureName_ = trimmed(line.substr(kCat.size()));
        capture_.clear();
        capturing_ = true;
    } else {
        context_.observer.boardComplained("latte: unknown command \"" + line + "\"");
    }
}

} // namespace pavlune
