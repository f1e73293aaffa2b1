// Track derivation: flat X/Y metres, path radius, lateral and longitudinal
// acceleration, filtered and smoothed to suit the sampling rate.
#pragma once

#include <cstdint>

#include "common/extended.h"
#include "lapdata/lapslot.h"

// Derives CalcData of the lap from its samples. Reads Count and PosData,
// writes only CalcData; raises and reports nothing.
void CalcLap(TLapDtRec& lap);
// The same on LapDt[slot].
void CalcLap(std::int32_t slot);

// Exchange sort of the first n (3 or 5) values of a five-value window.
void SortWindow(Extended* window, int n);
// As SortWindow, but a centre value of five strictly below the four others
// stays where it is, so the value taken from the centre is that dip.
void SortWindowKeepDip(Extended* window, int n);

enum class FilterMode { Fine, Medium, Coarse };
// The filter mode of a sampling step: fine up to 0.1 s, medium up to 0.2 s.
FilterMode FilterModeOf(Extended minStep);
