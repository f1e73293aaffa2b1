// Loading one lap file: the samples, the lap's summary and the headings
// recomputed from the positions; then the track derivation.
#pragma once

#include <string>

#include "lapdata/lap.h"

// Loads the lap file at `path` into `lap`, reusing its arrays. True when the
// file is a lap file with at least one sample; otherwise the lap is left
// empty. Error goes up to the caller.
[[nodiscard]] bool LoadLap(const std::string& path, Lap& lap);

// The mean of bearing b and the previous bearing p across the 0/360 seam
// (a mean of exactly 360 stays 360).
Extended HeadingMean(Extended b, Extended p);
