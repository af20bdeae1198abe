#pragma once

#include "sim/BoardClock.h"

#include <string>

namespace pavlune {

// One thing the board did that can be seen or heard: the moment a program
// starts, stops or ends, and each change of the LED, an output, a pulse
// width, the buzzer or the car's wheels.
struct BoardChange {
    enum class Kind { run, stop, end, led, output, pwm, beep, wheels };

    Kind kind = Kind::run;
    BoardClock::TimePoint at{};
    int index = 0;     // output port 1..6, PWM channel
    int value = 0;     // LED 0/1, output 0/1, pulse width in microseconds
    double left = 0.0; // wheels: -1 full back .. 1 full forward
    double right = 0.0;

    // "LED 1", "OUT 3 0", "PWM 3 600", "BEEP", "WHEELS 1 -1", "RUN", ...
    std::string describe() const;
};

// Whoever watches the board: the trace, the window, the echo to the line.
class BoardObserver {
public:
    virtual ~BoardObserver() = default;
    virtual void boardChanged(const BoardChange& change) = 0;
    // A character the board sends back on the line.
    virtual void boardEchoed(char) {}
    // A character the board took in, for a terminal-like view.
    virtual void boardReceived(char) {}
    // Something the board does not know; it keeps running.
    virtual void boardComplained(const std::string& message) = 0;
};

} // namespace pavlune
