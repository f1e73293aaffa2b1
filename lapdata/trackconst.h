// Constants of the lap computations, as the extended values nearest to them.
#pragma once

#include "text/extended.h"

constexpr Extended kPi = 3.141592653589793238462643383279502884L;
constexpr Extended kEarthRadius = 6367444.5L;  // metres
constexpr Extended kStraightRadius = 9999.9L;  // metres; also the upper bound of a radius
constexpr Extended kGravity = 9.80665L;        // m/s² per G
constexpr Extended kKmhPerMps = 3.6L;
