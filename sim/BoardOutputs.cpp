#include "sim/BoardOutputs.h"

#include <algorithm>

namespace pavlune {

namespace {

constexpr unsigned kOutputMask = (1u << BoardOutputs::kOutputCount) - 1;

// A motor wired to a forward and a back output: -1, 0 or 1.
double motor(unsigned bits, int forwardPort, int backPort) {
    const bool forward = (bits >> (forwardPort - 1)) & 1u;
    const bool back = (bits >> (backPort - 1)) & 1u;
    return forward == back ? 0.0 : (forward ? 1.0 : -1.0);
}

double servo(int micros, int direction) {
    const double speed =
        static_cast<double>(micros - BoardOutputs::kServoStopMicros) / BoardOutputs::kServoFullMicros;
    return std::clamp(speed * direction, -1.0, 1.0);
}

} // namespace

BoardOutputs::BoardOutputs(const BoardClock& clock, BoardObserver& observer)
    : clock_(clock), observer_(observer) {}

void BoardOutputs::report(BoardChange change) {
    change.at = clock_.now();
    observer_.boardChanged(change);
}

void BoardOutputs::setLed(bool on) {
    if (on == led_) {
        return;
    }
    led_ = on;
    report({.kind = BoardChange::Kind::led, .value = on ? 1 : 0});
}

void BoardOutputs::setOutputs(unsigned bits) {
    bits &= kOutputMask;
    const unsigned changed = bits ^ outputs_;
    outputs_ = bits;
    for (int port = 1; port <= kOutputCount; ++port) {
        if ((changed >> (port - 1)) & 1u) {
            report({.kind = BoardChange::Kind::output,
                    .index = port,
                    .value = static_cast<int>((bits >> (port - 1)) & 1u)});
        }
    }
    updateWheels();
}

void BoardOutputs::setOutput(int port, bool on) {
    if (port < 1 || port > kOutputCount) {
        observer_.boardComplained("no output " + std::to_string(port) + " (outputs are 1 to 6)");
        return;
    }
    const unsigned bit = 1u << (port - 1);
    setOutputs(on ? (outputs_ | bit) : (outputs_ & ~bit));
}

void BoardOutputs::setPwm(int channel, int micros) {
    const auto known = pwm_.find(channel);
    if (known != pwm_.end() && known->second == micros) {
        return;
    }
    pwm_[channel] = micros;
    report({.kind = BoardChange::Kind::pwm, .index = channel, .value = micros});
    updateWheels();
}

int BoardOutputs::pwm(int channel) const {
    const auto known = pwm_.find(channel);
    return known == pwm_.end() ? 0 : known->second;
}

void BoardOutputs::beep() {
    report({.kind = BoardChange::Kind::beep});
}

void BoardOutputs::switchOff() {
    setLed(false);
    setOutputs(0);
    // A pulse-width channel after a reset sends no pulses: as if never set.
    for (auto channel = pwm_.begin(); channel != pwm_.end(); channel = pwm_.erase(channel)) {
        if (channel->second != 0) {
            report({.kind = BoardChange::Kind::pwm, .index = channel->first, .value = 0});
        }
    }
    updateWheels();
}

void BoardOutputs::updateWheels() {
    // The motors on the outputs drive the car while any of them is on;
    // otherwise the servos do (a channel never set stands still).
    double left = motor(outputs_, 1, 2);
    double right = motor(outputs_, 6, 5);
    if ((outputs_ & 0b110011u) == 0) {
        left = pwm_.contains(3) ? servo(pwm_.at(3), -1) : 0.0;
        right = pwm_.contains(4) ? servo(pwm_.at(4), 1) : 0.0;
    }
    if (left == left_ && right == right_) {
        return;
    }
    left_ = left;
    right_ = right;
    report({.kind = BoardChange::Kind::wheels, .left = left, .right = right});
}

} // namespace pavlune
