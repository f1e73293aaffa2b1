// One lap as a value: its samples, its summary and the track values derived
// from them. Whoever loads a lap owns it; loading again reuses its arrays.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "lapdata/lapfile.h"
#include "text/datetime.h"
#include "text/extended.h"

// Derived values of one sample.
struct TrackPoint {
    Extended speed = 0;        // km/h, copy of the sample's speed
    std::int32_t turnDir = 0;  // +1 left (heading did not grow), -1 right, 0 at the ends
    Extended x = 0;            // metres east of sample 0
    Extended y = 0;            // metres north of sample 0
    Extended radius = 0;       // metres; 9999.9 for a straight
    Extended radiusMed = 0;
    Extended radiusAvg = 0;  // radius used for the lateral acceleration
    Extended lateralG = 0;
    Extended longitudinalG = 0;
    Extended radiusSm = 0;
    Extended lateralGSm = 0;       // the overlay's XG is its negative
    Extended longitudinalGSm = 0;  // the overlay's YG
};

struct Lap {
    std::string dataNumber;
    std::vector<Sample> samples;    // with the headings recomputed from the positions
    std::vector<TrackPoint> track;  // one per sample
    DateTime lapTime = 0;           // duration in days: elapsed of the last sample
    Extended lapDistKm = 0;
    Extended maxSpeed = 0;
    Extended minSpeed = 0;
    Extended avgSpeed = 0;
    Extended minLat = 0;
    Extended maxLat = 0;
    Extended minLon = 0;
    Extended maxLon = 0;
    Extended minAlt = 0;
    Extended maxAlt = 0;
};
