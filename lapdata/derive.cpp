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

// The median of a window filled from consecutive radii, using one fixed
// buffer of five values.
struct MedianWindow {
    Extended w[5];

    Extended Median3(Extended a, Extended b, Extended c) {
        w[0] = a, w[1] = b, w[2] = c;
        SortWindow(w, 3);
        return w[1];
    }
    template <class Sort>
    Extended Median5(const std::vector<TrackPoint>& c, std::size_t j, Sort sort) {
        // Copied as bytes: the sort reads them as integers.
        for (int k = 0; k < 5; ++k)
            std::memcpy(&w[k], &c[j - 2 + k].radius, sizeof(Extended));
        sort(w, 5);
        return w[2];
    }
};

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

Extended PathRadius(Extended x0, Extended y0, Extended x1, Extended y1, Extended x2, Extended y2) {
    const Extended dx1 = x1 - x0, dy1 = y1 - y0;
    if (dy1 == 0 && dx1 == 0) return kStraightRadius;
    const Extended m1 = (dy1 == 0 || dx1 == 0) ? Extended(1) : -1 / (dy1 / dx1);
    const Extended b1 = (y0 + dy1 / 2) - (x0 + dx1 / 2) * m1;
    const Extended dx2 = x2 - x1, dy2 = y2 - y1;
    if (dy2 == 0 || dx2 == 0) return kStraightRadius;
    const Extended m2 = -1 / (dy2 / dx2);
    const Extended b2 = (y1 + dy2 / 2) - (x1 + dx2 / 2) * m2;
    if (m1 - m2 == 0) return kStraightRadius;
    const Extended cx = (b1 - b2) / ((m1 - m2) * -1);
    const Extended cy = m1 * cx + b1;
    return std::sqrt((cx - x1) * (cx - x1) + (cy - y1) * (cy - y1));
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
    MedianWindow win;
    auto R = [&](std::size_t k) { return c[k].radius; };
    auto M = [&](std::size_t k) -> Extended& { return c[k].radiusMed; };
    auto A = [&](std::size_t k) -> Extended& { return c[k].radiusAvg; };

    M(1) = (R(1) + R(2)) / 2;
    M(2) = win.Median3(R(1), R(2), R(3));
    for (std::size_t j = 3; j + 4 <= C; ++j)
        M(j) = mode == FilterMode::Fine ? win.Median5(c, j, SortWindow)
                                        : win.Median5(c, j, SortWindowKeepDip);
    M(C - 3) = win.Median3(R(C - 4), R(C - 3), R(C - 2));
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
    for (std::size_t i = 1; i + 1 < C; ++i)
        c[i].radius = PathRadius(c[i - 1].x, c[i - 1].y, c[i].x, c[i].y, c[i + 1].x, c[i + 1].y);
    for (std::size_t i = 1; i + 1 < C; ++i)
        c[i].radius = ClampRadius(c[i].radius);

    // Stages 3 to 6: filter mode, radius filter, accelerations, smoothing.
    const FilterMode mode = FilterModeOf(MinSamplingStep(pos));
    FilterRadius(c, mode);
    Accelerate(pos, c);
    SmoothTrack(c, mode);
}
