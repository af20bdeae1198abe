#pragma once

#include "catalogue/CatalogueView.h"
#include "editor/link/WatcherHook.h"
#include "program/FieldRows.h"
#include "program/PolledTransfer.h"
#include "program/RunningRows.h"
#include "sim/BoardChange.h"
#include "sim/BoardClock.h"
#include "sim/BoardSimulator.h"

#include <functional>
#include <memory>
#include <optional>
#include <string>

namespace pavlune {
class PavluneCardSerialManager;
} // namespace pavlune

// The board simulator inside the editor's own process, for a child with no
// board: listed last as "シミュレータ", fed byte by byte from the send on the
// main thread, and run on the engine's clock, so it needs no thread, no
// process and no pseudo-terminal (the browser and Windows have none). Frames
// are asked for only while the send or the program has something due. While
// it runs the program it was sent, it knows which field row's card is running.
class InProcessBoard : private pavlune::BoardObserver {
public:
    static constexpr const char* kPortName = "simulator";

    InProcessBoard();
    ~InProcessBoard() override;
    InProcessBoard(const InProcessBoard&) = delete;
    InProcessBoard& operator=(const InProcessBoard&) = delete;

    // Lists the board after every search of `serial`.
    void listIn(pavlune::PavluneCardSerialManager& serial) const;
    bool isChosen(const pavlune::PavluneCardSerialManager& serial) const;

    // A send or stop into this board; `showText` gets what the sending overlay shows.
    std::unique_ptr<pavlune::PolledTransfer> makeTransfer(std::function<void(const std::string&)> showText);

    // One byte on the line, and what follows from it at once.
    void receive(char byte);
    // What a child does to a real board that has no stop sequence (que).
    void pressReset();
    // Which field row wrote each line of the program about to be sent.
    void expectProgram(const pavlune::CatalogueView& view, const pavlune::FieldRows& rows);
    // Forgets which rows wrote the program it runs: that field is gone, or its
    // program went to another board.
    void forgetProgram();
    // The field row whose card the board is running; nothing while no program
    // from the field runs.
    std::optional<int> runningRow() const;
    const pavlune::BoardOutputs& outputs() const { return board_.outputs(); }
    // Whether the buzzer sounds now (a beep lasts kBeepSeconds).
    bool beeping() const;
    pavlune::BoardClock::TimePoint now() const { return clock_.now(); }
    // Keeps frames coming while something is due (a transfer calls it as it starts).
    void wake();

    // Called after each frame in which something that can be seen changed:
    // the outputs, the buzzer or the running row. Main thread.
    WatcherHook onChange;

    static constexpr double kBeepSeconds = 0.3;

private:
    // The engine's frame time as the board's clock.
    class EngineClock : public pavlune::BoardClock {
    public:
        TimePoint now() const override;
    };

    void tick();
    void boardChanged(const pavlune::BoardChange& change) override;
    void boardComplained(const std::string& message) override;

    EngineClock clock_;
    pavlune::BoardSimulator board_;
    pavlune::RunningRows rows_;
    std::optional<pavlune::BoardClock::TimePoint> beepEnds_;
    std::optional<int> shownRow_;
    bool changed_ = false;
    bool ticking_ = false;
};
