#include "sim/CarFloor.h"

#include <gtest/gtest.h>
#include <numbers>

namespace pavlune {
namespace {

TEST(CarFloorTest, BothWheelsForwardDriveUpTheFloorAndOppositeWheelsTurnInPlace) {
    CarFloor floor(1000, 1000);
    floor.drive(1.0, 1.0, 1.0);
    EXPECT_NEAR(floor.x(), 500, 1e-9);
    EXPECT_NEAR(floor.y(), 500 + CarFloor::kFullSpeed, 1e-9);

    // Right wheel forward, left back: a turn to the left (counter-clockwise), on the spot.
    const double quarterTurn = std::numbers::pi / 2 * CarFloor::kWheelBase / (2 * CarFloor::kFullSpeed);
    floor.drive(quarterTurn, -1.0, 1.0);
    EXPECT_NEAR(floor.heading(), std::numbers::pi / 2, 1e-2);
    EXPECT_NEAR(floor.y(), 500 + CarFloor::kFullSpeed, 1e-9);

    // Facing left now: forward is towards smaller x.
    floor.drive(1.0, 1.0, 1.0);
    EXPECT_NEAR(floor.x(), 500 - CarFloor::kFullSpeed, 1.0);
}

TEST(CarFloorTest, LeavingTheFloorComesBackInOnTheFarSide) {
    CarFloor floor(100, 100);
    floor.drive(1.0, -1.0, -1.0); // backwards, down past y = 0
    EXPECT_NEAR(floor.y(), 100 + 50 - CarFloor::kFullSpeed, 1e-9);
}

} // namespace
} // namespace pavlune
