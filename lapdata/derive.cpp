#include "lapdata/derive.h"

#include <algorithm>
#include <cassert>
#include <cmath>
#include <cstring>
#include <utility>

#include "lapdata/derive_detail.h"
#include "lapdata/trackconst.h"
#include "lapdata/trig.h"

namespace derive_detail {

namespace {

Extended Rad(Extended degrees) {
    return degrees / 180 * kPi;
}

void ZeroFromRadius(TrackPoint& p) {
    p.radius = p.radiusMed = p.radiusAvg = 0;
    p.lateralG = p.longitudinalG = 0;
    p.radiusSm = p.lateralGSm = p.longitudinalGSm = 0;
}

// The values of a median window as unsigned integers in the same order, so
// that sorting needs neither the floating-point unit nor branches: the x87
// exponent word above the 64-bit significand, negative values mirrored
// below the positive ones. Equal values have equal keys, except that -0
// sorts below +0; the windows never hold NaN (the radius clamp replaces it).
__extension__ typedef unsigned __int128 OrderKey;
constexpr OrderKey kPositiveBit = OrderKey(1) << 79;

OrderKey OrderKeyOf(const Extended& value) {
    const ExtendedBits bits = BitsOf(value);
    const OrderKey magnitude = (OrderKey(bits.signExponent & 0x7FFFu) << 64) | bits.significand;
    return (bits.signExponent & 0x8000u) ? kPositiveBit - 1 - magnitude : kPositiveBit | magnitude;
}

// Writes the value of a key into `value`, bit for bit.
void StoreOrderKey(OrderKey key, Extended& value) {
    const bool negative = key < kPositiveBit;
    const OrderKey magnitude = negative ? kPositiveBit - 1 - key : key - kPositiveBit;
    StoreBits({static_cast<std::uint64_t>(magnitude),
               static_cast<std::uint16_t>(static_cast<unsigned>(magnitude >> 64) |
                                          (negative ? 0x8000u : 0u))},
              value);
}

Extended ClampRadius(Extended r) {
    return r <= kStraightRadius ? r : kStraightRadius;
}

// The middle one of five keys, by a selection network: the value a sort of
// the five would put in the middle.
OrderKey MedianOfFive(OrderKey a, OrderKey b, OrderKey c, OrderKey d, OrderKey e) {
    const OrderKey f = std::max(std::min(a, b), std::min(c, d));
    const OrderKey g = std::min(std::max(a, b), std::max(c, d));
    return std::max(std::min(e, f), std::min(std::max(e, f), g));
}

// The median windows of five consecutive radii as they slide along the lap:
// each radius is turned into its key once, not once per window.
struct MedianWindow {
    OrderKey key[5];

    // Takes the radii of samples j - 2 to j + 1; Median5 of j adds j + 2.
    MedianWindow(const std::vector<TrackPoint>& c, std::size_t j) {
        for (int k = 1; k < 5; ++k)
            key[k] = OrderKeyOf(c[j - 3 + k].radius);
    }
    Extended Median5(const std::vector<TrackPoint>& c, std::size_t j) {
        for (int k = 0; k < 4; ++k)
            key[k] = key[k + 1];
        key[4] = OrderKeyOf(c[j + 2].radius);
        Extended median;
        StoreOrderKey(MedianOfFive(key[0], key[1], key[2], key[3], key[4]), median);
        return median;
    }
};

Extended Median3(Extended a, Extended b, Extended c) {
    Extended w[3] = {a, b, c};
    SortWindow(w, 3);
    return w[1];
}

// The centre of five radii strictly below the four others.
bool IsDip(const std::vector<TrackPoint>& c, std::size_t j) {
    const Extended r = c[j].radius;
    return r < c[j - 2].radius && r < c[j - 1].radius && r < c[j + 1].radius && r < c[j + 2].radius;
}

// The final smoothing of one source field into its target at inner sample i.
template <class Field>
void SmoothAt(std::vector<TrackPoint>& c, std::size_t C, FilterMode mode, std::size_t i,
              Field source, Field target) {
    if (mode == FilterMode::Coarse)
        c[i].*target = c[i].*source;
    else if (i == 1)
        c[i].*target = (c[1].*source + c[2].*source) / 2;
    else if (i == C - 2)
        c[i].*target = (c[C - 2].*source + c[C - 3].*source) / 2;
    else
        c[i].*target = (c[i].*source + c[i - 1].*source + c[i + 1].*source) / 3;
}

}  // namespace

std::int32_t TurnDirOf(Extended previous, Extended current) {
    if (current > 270 && previous < 90) return 1;  // crossed north while falling
    if (previous > 270 && current < 90) return -1;
    return previous >= current ? 1 : -1;
}

PathStep StepOf(Extended x0, Extended y0, Extended x1, Extended y1) {
    PathStep step;
    const Extended dx = x1 - x0, dy = y1 - y0;
    step.none = dy == 0 && dx == 0;
    step.alongAxis = dy == 0 || dx == 0;
    step.m = step.alongAxis ? Extended(1) : -1 / (dy / dx);
    step.b = (y0 + dy / 2) - (x0 + dx / 2) * step.m;
    return step;
}

Extended RadiusOfSteps(const PathStep& first, const PathStep& second, Extended x1, Extended y1) {
    if (first.none || second.alongAxis) return kStraightRadius;
    const Extended m1 = first.m, b1 = first.b, m2 = second.m, b2 = second.b;
    if (m1 - m2 == 0) return kStraightRadius;
    const Extended cx = (b1 - b2) / ((m1 - m2) * -1);
    const Extended cy = m1 * cx + b1;
    return std::sqrt((cx - x1) * (cx - x1) + (cy - y1) * (cy - y1));
}

Extended PathRadius(Extended x0, Extended y0, Extended x1, Extended y1, Extended x2, Extended y2) {
    return RadiusOfSteps(StepOf(x0, y0, x1, y1), StepOf(x1, y1, x2, y2), x1, y1);
}

Extended CosOfLatitude(Extended latDegrees) {
    return Cos(Rad(latDegrees));
}

Extended MinSamplingStep(const std::vector<Sample>& samples) {
    const std::size_t C = samples.size();
    Extended minStep = 9.9L;
    for (std::size_t k = 1; k + 3 <= C; ++k) {
        const Extended step = samples[k + 1].elapsedSec - samples[k].elapsedSec;
        if (step < minStep) minStep = step;
    }
    return minStep;
}

void FilterRadius(std::vector<TrackPoint>& c, FilterMode mode) {
    const std::size_t C = c.size();
    if (mode == FilterMode::Coarse) {
        for (TrackPoint& p : c)
            p.radiusMed = p.radiusAvg = p.radius;
        return;
    }
    // The windows at both ends reach four points in.
    assert(C >= 4);
    auto R = [&](std::size_t k) { return c[k].radius; };
    auto M = [&](std::size_t k) -> Extended& { return c[k].radiusMed; };
    auto A = [&](std::size_t k) -> Extended& { return c[k].radiusAvg; };

    M(1) = (R(1) + R(2)) / 2;
    M(2) = Median3(R(1), R(2), R(3));
    // The medium mode keeps a dip where it is (SortWindowKeepDip).
    if (C >= 7) {
        MedianWindow win(c, 3);
        for (std::size_t j = 3; j + 4 <= C; ++j) {
            const Extended median = win.Median5(c, j);
            M(j) = mode == FilterMode::Medium && IsDip(c, j) ? R(j) : median;
        }
    }
    M(C - 3) = Median3(R(C - 4), R(C - 3), R(C - 2));
    M(C - 2) = (R(C - 3) + R(C - 2)) / 2;

    if (mode == FilterMode::Fine) {
        A(1) = (M(1) + M(2)) / 2;
        A(2) = (M(1) + M(2) + M(3)) / 3;
        for (std::size_t j = 3; j + 4 <= C; ++j)
            A(j) = (Extended(0.5L) * M(j - 2) + M(j - 1) + M(j) + M(j + 1) +
                    Extended(0.5L) * M(j + 2)) /
                   4;
        A(C - 3) = (M(C - 4) + M(C - 3) + M(C - 2)) / 3;
        A(C - 2) = (M(C - 3) + M(C - 2)) / 2;
    } else {
        A(1) = (M(1) + M(2)) / 2;
        for (std::size_t j = 2; j + 3 <= C; ++j) {
            if (M(j - 1) > M(j) && M(j + 1) > M(j))
                A(j) = (2 * M(j) + M(j - 1) + M(j + 1)) / 4;
            else
                A(j) = (M(j - 1) + M(j) + M(j + 1)) / 3;
        }
        A(C - 2) = (M(C - 3) + M(C - 2)) / 2;
    }
}

void SortWindow(Extended* window, int n) {
    OrderKey keys[5];
    for (int k = 0; k < n; ++k)
        keys[k] = OrderKeyOf(window[k]);
    for (int pass = 0; pass < n - 1; ++pass)
        for (int k = 0; k < n - 1; ++k) {
            // Swap the pair when its left value is greater: min and max of
            // integers need no branch, and radii swap unpredictably.
            const OrderKey left = keys[k], right = keys[k + 1];
            keys[k] = std::min(left, right);
            keys[k + 1] = std::max(left, right);
        }
    for (int k = 0; k < n; ++k)
        StoreOrderKey(keys[k], window[k]);
}

void SortWindowKeepDip(Extended* window, int n) {
    if (n == 5 && window[2] < window[0] && window[2] < window[1] && window[2] < window[3] &&
        window[2] < window[4])
        return;
    SortWindow(window, n);
}

FilterMode FilterModeOf(Extended minStep) {
    if (minStep <= 0.1L) return FilterMode::Fine;
    if (minStep <= 0.2L) return FilterMode::Medium;
    return FilterMode::Coarse;
}

void Accelerate(const std::vector<Sample>& samples, std::vector<TrackPoint>& c) {
    const std::size_t C = c.size();
    assert(samples.size() == C);
    if (C < 3) return;
    Extended previousMps = c[0].speed / kKmhPerMps;  // V_(i−1) / 3.6, carried along
    for (std::size_t i = 1; i + 1 < C; ++i) {
        c[i].radiusAvg = ClampRadius(c[i].radiusAvg);
        const Extended mps = c[i].speed / kKmhPerMps;
        c[i].lateralG =
            c[i].radiusAvg > 0 ? (mps * mps / c[i].radiusAvg / kGravity) * c[i].turnDir : 0;
        const Extended dt = samples[i].elapsedSec - samples[i - 1].elapsedSec;
        c[i].longitudinalG = dt > 0 ? (mps - previousMps) / dt / kGravity : 0;
        previousMps = mps;
    }
}

void SmoothTrack(std::vector<TrackPoint>& c, FilterMode mode) {
    const std::size_t C = c.size();
    // The three targets are read by none of the three, so one pass does all.
    for (std::size_t i = 1; i + 1 < C; ++i) {
        SmoothAt(c, C, mode, i, &TrackPoint::radiusAvg, &TrackPoint::radiusSm);
        SmoothAt(c, C, mode, i, &TrackPoint::lateralG, &TrackPoint::lateralGSm);
        SmoothAt(c, C, mode, i, &TrackPoint::longitudinalG, &TrackPoint::longitudinalGSm);
    }
}

}  // namespace derive_detail

using namespace derive_detail;

void DeriveTrack(Lap& lap) {
    const std::size_t C = lap.samples.size();
    std::vector<Extended> cosLat(C);
    for (std::size_t k = 1; k < C; ++k)
        cosLat[k] = CosOfLatitude(lap.samples[k].lat);
    DeriveTrack(lap, cosLat);
}

void DeriveTrack(Lap& lap, const std::vector<Extended>& cosLat) {
    const std::vector<Sample>& pos = lap.samples;
    const std::size_t C = pos.size();
    assert(cosLat.size() >= C);
    std::vector<TrackPoint>& c = lap.track;
    c.assign(C, TrackPoint{});
    if (C == 0) return;

    // Stage 1: speed, turn direction and flat position of every sample.
    const Extended lat0 = Rad(pos[0].lat), lon0 = Rad(pos[0].lon);
    for (std::size_t k = 0; k < C; ++k) {
        c[k].speed = pos[k].speed;
        if (k == 0) continue;  // at the origin, with nothing derived
        c[k].turnDir = TurnDirOf(pos[k - 1].heading, pos[k].heading);
        c[k].x = (kEarthRadius * cosLat[k]) * (Rad(pos[k].lon) - lon0);
        c[k].y = kEarthRadius * (Rad(pos[k].lat) - lat0);
        if (k == C - 1 && C >= 3) {
            c[k].turnDir = 0;
            ZeroFromRadius(c[k]);
        }
    }

    // Stage 2: radius of the path at every inner sample.
    // Each step between samples serves the radius before and after it.
    if (C >= 3) {
        PathStep before = StepOf(c[0].x, c[0].y, c[1].x, c[1].y);
        for (std::size_t i = 1; i + 1 < C; ++i) {
            const PathStep after = StepOf(c[i].x, c[i].y, c[i + 1].x, c[i + 1].y);
            c[i].radius = RadiusOfSteps(before, after, c[i].x, c[i].y);
            before = after;
        }
    }
    for (std::size_t i = 1; i + 1 < C; ++i)
        c[i].radius = ClampRadius(c[i].radius);

    // Stages 3 to 6: filter mode, radius filter, accelerations, smoothing.
    const FilterMode mode = FilterModeOf(MinSamplingStep(pos));
    FilterRadius(c, mode);
    Accelerate(pos, c);
    SmoothTrack(c, mode);
}
