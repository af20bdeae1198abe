// The board on the screen needs a pseudo-terminal, which Windows and the
// browser do not have: there the port list shows no simulator row and
// nothing can choose it.
#include "editor/link/ScreenBoard.h"

bool ScreenBoard::canStart() {
    return false;
}

ScreenBoard& ScreenBoard::get() {
    static ScreenBoard board;
    return board;
}

// The process fields stay unused here (clang says so of private fields).
ScreenBoard::ScreenBoard() {
    static_cast<void>(child_);
    static_cast<void>(output_);
    static_cast<void>(newest_);
}

ScreenBoard::~ScreenBoard() = default;

void ScreenBoard::listIn(pavlune::PavluneCardSerialManager& /*serial*/) const {}

bool ScreenBoard::isChosen(const pavlune::PavluneCardSerialManager& /*serial*/) const {
    return false;
}

bool ScreenBoard::isRunning() {
    return false;
}

void ScreenBoard::stop() {}

bool ScreenBoard::isReady() {
    return false;
}

int ScreenBoard::spawn(const std::string& /*beside*/, std::string& failure) {
    failure = kProgram;
    return -1;
}

std::string ScreenBoard::readFirstLine(int /*fd*/) {
    return {};
}

bool ScreenBoard::attach(const std::string& /*device*/, std::string& failure) {
    failure = kProgram;
    return false;
}

void ScreenBoard::listen(int /*fd*/) {}

void ScreenBoard::expectProgram(const pavlune::CatalogueView& /*view*/, const pavlune::FieldRows& /*rows*/) {}

void ScreenBoard::sendStarts(const pavlune::PavluneCardSerialManager& /*serial*/,
                             const pavlune::CatalogueView& /*view*/, const pavlune::FieldRows& /*rows*/) {}

void ScreenBoard::forgetProgram() {}
