#pragma once

#include "sim/BoardChange.h"
#include "sim/BoardClock.h"

#include <cstdint>
#include <map>

namespace pavlune {

// What the board shows to the world: its LED, six outputs, two pulse-width
// channels and the buzzer, and the wheels of the car wired to them. Every
// change is reported to the observer once; setting a value it already has
// reports nothing.
//
// The car of the paprika cards has a motor per wheel on the outputs (left
// wheel forward/back on outputs 1/2, right wheel on 6/5, as OUT 33 drives
// forward and OUT 18 back) or a continuous-rotation servo per wheel on PWM
// channels 3 (left) and 4 (right), mounted mirrored.
class BoardOutputs {
public:
    static constexpr int kOutputCount = 6;
    static constexpr int kServoStopMicros = 1450;
    static constexpr int kServoFullMicros = 850; // from stop to full speed

    BoardOutputs(const BoardClock& clock, BoardObserver& observer);

    void setLed(bool on);
    // All outputs at once, output 1 in bit 0.
    void setOutputs(unsigned bits);
    // Output `port` (1..6) alone.
    void setOutput(int port, bool on);
    void setPwm(int channel, int micros);
    void beep();
    // Everything off, as after a reset: LED, outputs and pulse-width channels
    // (reported like any change).
    void switchOff();

    bool led() const { return led_; }
    unsigned outputs() const { return outputs_; }
    double leftWheel() const { return left_; }
    double rightWheel() const { return right_; }
    int pwm(int channel) const;

    void report(BoardChange change);

private:
    void updateWheels();

    const BoardClock& clock_;
    BoardObserver& observer_;
    bool led_ = false;
    unsigned outputs_ = 0;
    std::map<int, int> pwm_;
    double left_ = 0.0;
    double right_ = 0.0;
};

} // namespace pavlune
