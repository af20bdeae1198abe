#include "sim/BoardChange.h"

#include <cstdio>

namespace pavlune {

namespace {

std::string number(double value) {
    char text[32];
    std::snprintf(text, sizeof text, "%g", value == 0.0 ? 0.0 : value); // no "-0"
    return text;
}

} // namespace

std::string BoardChange::describe() const {
    switch (kind) {
    case Kind::run:
        return "RUN";
    case Kind::stop:
        return "STOP";
    case Kind::end:
        return "END";
    case Kind::led:
        return "LED " + std::to_string(value);
    case Kind::output:
        return "OUT " + std::to_string(index) + " " + std::to_string(value);
    case Kind::pwm:
        return "PWM " + std::to_string(index) + " " + std::to_string(value);
    case Kind::beep:
        return "BEEP";
    case Kind::wheels:
        return "WHEELS " + number(left) + " " + number(right);
    }
    return "?";
}

} // namespace pavlune
