// The stages of the track derivation, one pass over the lap each, in the
// order DeriveTrack runs them. For the derivation and its tests only.
#pragma once

#include <cstdint>
#include <vector>

#include "lapdata/lap.h"

namespace derive_detail {

// cos(lat / 180 × π), as loading and the derivation both take it.
Extended CosOfLatitude(Extended latDegrees);

// +1 when the heading did not grow (left turn), -1 when it grew (right turn).
std::int32_t TurnDirOf(Extended previousHeading, Extended heading);

// A step between two positions, as the radius takes it: the slope m and
// intercept b of its perpendicular bisector (m = 1 for a step along an
// axis), and whether it is no step at all or along an axis.
struct PathStep {
    Extended m = 0, b = 0;
    bool none = false, alongAxis = false;
};
PathStep StepOf(Extended x0, Extended y0, Extended x1, Extended y1);
// The radius of PathRadius from the steps into and out of (x1, y1).
Extended RadiusOfSteps(const PathStep& first, const PathStep& second, Extended x1, Extended y1);

// Radius of the circle through three positions, found as the crossing of the
// perpendicular bisectors of the two steps; 9999.9 for straight or
// degenerate stretches (before the clamp).
Extended PathRadius(Extended x0, Extended y0, Extended x1, Extended y1, Extended x2, Extended y2);

// The shortest sampling step between inner samples (9.9 when there is none).
Extended MinSamplingStep(const std::vector<Sample>& samples);

enum class FilterMode { Fine, Medium, Coarse };
// The filter mode of a sampling step: fine up to 0.1 s, medium up to 0.2 s.
FilterMode FilterModeOf(Extended minStep);

// Exchange sort of the first n (3 or 5) values of a five-value window.
void SortWindow(Extended* window, int n);
// As SortWindow, but a centre value of five strictly below the four others
// stays where it is, so the value taken from the centre is that dip.
void SortWindowKeepDip(Extended* window, int n);

// Median and averaging stages of the radius filter: fills radiusMed and
// radiusAvg from radius. The fine and medium modes need at least 4 points.
void FilterRadius(std::vector<TrackPoint>& track, FilterMode mode);
// Lateral and longitudinal acceleration of every inner sample.
void Accelerate(const std::vector<Sample>& samples, std::vector<TrackPoint>& track);
// Final smoothing of radius and accelerations.
void SmoothTrack(std::vector<TrackPoint>& track, FilterMode mode);

}  // namespace derive_detail
