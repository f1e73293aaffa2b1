// Track derivation: flat X/Y metres, path radius, lateral and longitudinal
// acceleration, filtered and smoothed to suit the sampling rate.
#pragma once

#include <vector>

#include "lapdata/lap.h"

// Fills lap.track, one point per sample, from the samples. `cosLat` holds
// cos(lat / 180 × π) of every sample when the caller has it at hand (loading
// does), else it is computed here.
void DeriveTrack(Lap& lap);
void DeriveTrack(Lap& lap, const std::vector<Extended>& cosLat);
