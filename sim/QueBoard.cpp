#include "sim/QueBoard.h"

#include "catalogue/CardSet.h"
#include "catalogue/CatalogueView.h"
#include "sim/QueImageProgram.h"

#include <cstdio>

namespace pavlune {

QueBoard::QueBoard(BoardContext context)
    : context_(context),
      imageSize_(static_cast<std::size_t>(CatalogueView(que, basic).getProgramImageSize())),
      instructionSize_(static_cast<std::size_t>(CatalogueView(que, basic).getInstructionSize())),
      padByte_(CatalogueView(que, basic).getPadByte()) {}

void QueBoard::receive(char byte) {
    if (image_.empty()) {
        context_.slot.stop(); // a new program is on its way
    }
    image_ += byte;
    lastByte_ = context_.clock.now();
    showLastInstruction();
    if (image_.size() == imageSize_) {
        std::string image;
        image.swap(image_);
        show(std::to_string(image.size()) + " bytes\n");
        context_.slot.start(
            std::make_unique<QueImageProgram>(std::move(image), context_.outputs, context_.observer));
    }
}

void QueBoard::show(const std::string& text) {
    for (const char character : text) {
        context_.observer.boardReceived(character);
    }
}

void QueBoard::showLastInstruction() {
    const std::size_t size = instructionSize_;
    if (image_.size() % size != 0) {
        return;
    }
    const std::string instruction = image_.substr(image_.size() - size);
    if (instruction == std::string(size, padByte_)) {
        return; // the padding says nothing
    }
    std::string line = std::to_string(image_.size() / size) + ":";
    for (const char byte : instruction) {
        char hex[4];
        std::snprintf(hex, sizeof hex, " %02X", static_cast<unsigned char>(byte));
        line += hex;
    }
    show(line + "\n");
}

std::optional<BoardClock::TimePoint> QueBoard::deadline() const {
    if (image_.empty()) {
        return std::nullopt;
    }
    return lastByte_ + kUnfinishedTimeout;
}

void QueBoard::advance() {
    const auto due = deadline();
    if (due && context_.clock.now() >= *due) {
        context_.observer.boardComplained("que: dropped an unfinished program of " +
                                          std::to_string(image_.size()) + " bytes (" +
                                          std::to_string(imageSize_) + " make a program)");
        image_.clear();
    }
}

} // namespace pavlune
