#include "sim/CarFloor.h"

#include <cmath>

namespace pavlune {

CarFloor::CarFloor(double width, double height)
    : width_(width), height_(height), x_(width / 2), y_(height / 2) {}

void CarFloor::drive(double seconds, double leftWheel, double rightWheel) {
    // Small steps, so that a turn while driving draws an arc, not a polygon.
    constexpr double kStep = 1.0 / 240.0;
    for (double left = seconds; left > 0; left -= kStep) {
        const double dt = left < kStep ? left : kStep;
        const double speed = (leftWheel + rightWheel) / 2 * kFullSpeed;
        heading_ += (rightWheel - leftWheel) * kFullSpeed / kWheelBase * dt;
        x_ -= std::sin(heading_) * speed * dt;
        y_ += std::cos(heading_) * speed * dt;
    }
    x_ = std::fmod(std::fmod(x_, width_) + width_, width_);
    y_ = std::fmod(std::fmod(y_, height_) + height_, height_);
}

} // namespace pavlune
