#pragma once

namespace pavlune {

// The car of the paprika cards on its floor: two wheels, each turning at -1
// (full back) to 1 (full forward); the car drives and turns as they do and
// comes back in on the far side when it leaves the floor. Display-free.
class CarFloor {
public:
    static constexpr double kFullSpeed = 60.0; // floor units per second at wheel speed 1
    static constexpr double kWheelBase = 50.0; // floor units between the wheels

    CarFloor(double width, double height);

    void drive(double seconds, double leftWheel, double rightWheel);

    double x() const { return x_; }
    double y() const { return y_; }
    // Radians, 0 facing up the floor (y grows upwards), counter-clockwise.
    double heading() const { return heading_; }

private:
    double width_;
    double height_;
    double x_;
    double y_;
    double heading_ = 0.0;
};

} // namespace pavlune
