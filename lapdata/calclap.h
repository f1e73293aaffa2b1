// Track derivation: flat X/Y metres, path radius, lateral and longitudinal
// acceleration, filtered and smoothed to suit the sampling rate.
#pragma once

#include <cstdint>

#include "common/extended.h"
#include "lapdata/lapslot.h"

// Derives CalcData of the lap from its samples. Reads Count and PosData,
// writes only CalcData; raises and reports nothing.
void CalcLap(TLapDtRec& lap);
// The same with cos(Lat / 180 × π) of samples 1 to Count − 1 already at hand.
void CalcLap(TLapDtRec& lap, const Extended* cosLat);
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

// The stages of CalcLap, each one pass over the lap, in the order it runs them.

// +1 when the heading did not grow (left turn), -1 when it grew (right turn).
std::int32_t TurnDirOf(Extended previousHeading, Extended heading);
// Radius of the circle through three positions, found as the crossing of the
// perpendicular bisectors of the two steps; 9999.9 for straight or
// degenerate stretches (before the clamp).
Extended PathRadius(Extended x0, Extended y0, Extended x1, Extended y1, Extended x2, Extended y2);
// The shortest sampling step between inner samples (9.9 when there is none).
Extended MinSamplingStep(const TLapDtRec& lap);
// Median and averaging stages of the radius filter: fills RadiusMed and
// RadiusAvg from Radius.
void FilterRadius(std::vector<TCalcDtRec>& calc, std::size_t count, FilterMode mode);
// Lateral and longitudinal acceleration of every inner sample.
void Accelerate(TLapDtRec& lap);
// Final smoothing of radius and accelerations.
void SmoothLap(std::vector<TCalcDtRec>& calc, std::size_t count, FilterMode mode);
