// The racing line of chosen laps as an SVG picture: the paths on one map,
// north up, coloured by speed, with a speed legend, a scale bar and a caption
// per lap.
#pragma once

#include <string>
#include <vector>

#include "text/extended.h"

struct RacingLineLap {
    // The lap list's texts, shown as they are: "0003", "2024/05/03",
    // "14:07:09", "1:52.345", "187.52".
    std::string dataNo, date, startTime, lapTime, topSpeed;
    double lapSeconds = 0;       // the smallest finite one is the fastest lap
    std::vector<Extended> x, y;  // metres east / north of the lap's first sample
    std::vector<Extended> speedKmh;
};

// The picture's size in pixels.
constexpr int kRacingLineWidth = 1200;
constexpr int kRacingLineHeight = 900;

// The UTF-8 SVG document. Samples without a finite position are left out
// (the path breaks there); samples without a finite speed are drawn grey.
// Any input gives a well-formed picture, also none or empty laps.
std::string RacingLineSvg(const std::vector<RacingLineLap>& laps);
