#include "editor/link/InProcessBoard.h"

#include "device/PavluneCardSerialManager.h"
#include "editor/EditorTexts.h"
#include "editor/link/InProcessTransfer.h"
#include "engine/2d/Director.h"
#include "engine/base/Log.h"
#include "engine/base/Scheduler.h"

#include <chrono>
#include <utility>

namespace {

constexpr const char* kTickKey = "pavlune.in-process-board";

} // namespace

pavlune::BoardClock::TimePoint InProcessBoard::EngineClock::now() const {
    const double seconds = engine::Director::getInstance()->getScheduler()->getTotalTime();
    return TimePoint{} + std::chrono::duration_cast<Duration>(std::chrono::duration<double>(seconds));
}

InProcessBoard::InProcessBoard() : board_(clock_, *this) {}

InProcessBoard::~InProcessBoard() {
    if (ticking_) {
        engine::Director::getInstance()->getScheduler()->unschedule(kTickKey, this);
    }
}

void InProcessBoard::listIn(pavlune::PavluneCardSerialManager& serial) const {
    serial.setLastPort(kPortName, EditorTexts::kScreenBoardName);
}

bool InProcessBoard::isChosen(const pavlune::PavluneCardSerialManager& serial) const {
    const std::optional<pavlune::SerialPortInfo> port = serial.getSelectedPort();
    return port && port->name == kPortName;
}

std::unique_ptr<pavlune::PolledTransfer>
InProcessBoard::makeTransfer(std::function<void(const std::string&)> showText) {
    return std::make_unique<InProcessTransfer>(*this, std::move(showText));
}

void InProcessBoard::receive(char byte) {
    board_.receive(byte);
    wake();
}

void InProcessBoard::pressReset() {
    board_.pressReset();
    wake();
}

void InProcessBoard::expectProgram(const pavlune::CatalogueView& view, const pavlune::FieldRows& rows) {
    rows_ = pavlune::RunningRows(view, rows);
}

void InProcessBoard::forgetProgram() {
    rows_ = pavlune::RunningRows();
    wake(); // the next tick puts out a lit row
}

std::optional<int> InProcessBoard::runningRow() const {
    const std::optional<int> line = board_.runningLine();
    return line ? rows_.rowOf(*line) : std::nullopt;
}

bool InProcessBoard::beeping() const {
    return beepEnds_ && clock_.now() < *beepEnds_;
}

void InProcessBoard::wake() {
    if (!ticking_) {
        ticking_ = true;
        engine::Director::getInstance()->getScheduler()->schedule([this](float) { tick(); }, this, 0, false,
                                                                  kTickKey);
    }
}

void InProcessBoard::tick() {
    const bool wasBeeping = beeping();
    const auto next = board_.advance();
    const std::optional<int> row = runningRow();
    if (row != shownRow_ || wasBeeping != beeping()) {
        shownRow_ = row;
        changed_ = true;
    }
    if (changed_) {
        changed_ = false;
        onChange();
    }
    // Idle: no frames until a byte arrives.
    if (!next && !beeping() && !shownRow_) {
        ticking_ = false;
        engine::Director::getInstance()->getScheduler()->unschedule(kTickKey, this);
    }
}

void InProcessBoard::boardChanged(const pavlune::BoardChange& change) {
    if (change.kind == pavlune::BoardChange::Kind::beep) {
        beepEnds_ = change.at + std::chrono::duration_cast<pavlune::BoardClock::Duration>(
                                    std::chrono::duration<double>(kBeepSeconds));
    }
    changed_ = true;
}

void InProcessBoard::boardComplained(const std::string& message) {
    engine::Log::warning("simulator", message);
}
