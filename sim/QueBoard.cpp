#include "sim/QueBoard.h"

#include "catalogue/CardSet.h"
#include "catalogue/CatalogueView.h"
#include "sim/QueImageProgram.h"

#include <cstdio>

namespace pavlune {

QueBoard::QueBoard(BoardContext context)
    : context_(context), imageSize_(static_cast<std::size_t>(CatalogueView(que, basic).getProgramImageSize())) {}

void QueBoard::receive(char byte) {
    if (image_.empty()) {
        context_.slot.stop(); // a new program is on its way
    }
    image_ += byte;
    lastByte_ = context_.clock.now();
    if ((image_.size() - 1) % 8 == 0) {
        char mark[24];
        std::snprintf(mark, sizeof mark, "%s%02X", image_.size() == 1 ? "" : " ",
                      static_cast<unsigned char>(byte));
        for (const char* c = mark; *c; ++c) {
            context_.observer.boardReceived(*c);
        }
    }
    if (image_.size() == imageSize_) {
        std::string image;
        image.swap(image_);
        context_.observer.boardReceived('\n');
        context_.slot.start(std::make_unique<QueImageProgram>(std::move(image), context_.outputs,
                                                              context_.observer));
    }
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
        context_.observer.boardComplained("que: dropped an unfinished program of " + std::to_string(image_.size()) +
                                          " bytes (" + std::to_string(imageSize_) + " make a program)");
        image_.clear();
        context_.observer.boardReceived('\n');
    }
}

} // namespace pavlune
