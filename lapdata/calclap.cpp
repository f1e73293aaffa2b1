#include "lapdata/calclap.h"

#include <cmath>
#include <utility>

#include "lapdata/trackconst.h"

namespace {

Extended Rad(Extended degrees) { return degrees / 180 * kPi; }

int TurnDirOf(Extended previous, Extended current) {
    if (current > 270 && previous < 90) return 1;  // crossed north while falling
    if (previous > 270 && current < 90) return -1;
    return previous >= current ? 1 : -1;
}

void ZeroFromRadius(TCalcDtRec& c) {
    c.Radius = c.RadiusMed = c.RadiusAvg = 0;
    c.LateralG = c.LongitudinalG = 0;
    c.RadiusSm = c.LateralGSm = c.LongitudinalGSm = 0;
}

// Radius of the circle through three positions, from the crossing of the
// perpendicular bisectors of the two steps.
Extended RadiusAt(const TCalcDtRec& p0, const TCalcDtRec& p1, const TCalcDtRec& p2) {
    const Extended dx1 = p1.X - p0.X, dy1 = p1.Y - p0.Y;
    if (dy1 == 0 && dx1 == 0) return kStraightRadius;
    const Extended m1 = (dy1 == 0 || dx1 == 0) ? Extended(1) : -1 / (dy1 / dx1);
    const Extended b1 = (p0.Y + dy1 / 2) - (p0.X + dx1 / 2) * m1;
    const Extended dx2 = p2.X - p1.X, dy2 = p2.Y - p1.Y;
    if (dy2 == 0 || dx2 == 0) return kStraightRadius;
    const Extended m2 = -1 / (dy2 / dx2);
    const Extended b2 = (p1.Y + dy2 / 2) - (p1.X + dx2 / 2) * m2;
    if (m1 - m2 == 0) return kStraightRadius;
    const Extended cx = (b1 - b2) / ((m1 - m2) * -1);
    const Extended cy = m1 * cx + b1;
    return std::sqrt((cx - p1.X) * (cx - p1.X) + (cy - p1.Y) * (cy - p1.Y));
}

Extended ClampRadius(Extended r) { return r <= kStraightRadius ? r : kStraightRadius; }

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
    Extended Median5(const std::vector<TCalcDtRec>& c, std::size_t j, Sort sort) {
        for (int k = 0; k < 5; ++k) w[k] = c[j - 2 + k].Radius;
        sort(w, 5);
        return w[2];
    }
};

// Stage 4 of the fine and medium modes: median stage then averaging stage.
void FilterRadius(std::vector<TCalcDtRec>& c, std::size_t C, FilterMode mode) {
    MedianWindow win;
    auto R = [&](std::size_t k) { return c[k].Radius; };
    auto M = [&](std::size_t k) -> Extended& { return c[k].RadiusMed; };
    auto A = [&](std::size_t k) -> Extended& { return c[k].RadiusAvg; };

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
            A(j) = (Extended(0.5L) * M(j - 2) + M(j - 1) + M(j) + M(j + 1) + Extended(0.5L) * M(j + 2)) / 4;
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

template <class Field>
void Smooth(std::vector<TCalcDtRec>& c, std::size_t C, FilterMode mode, Field source, Field target) {
    for (std::size_t i = 1; i + 1 < C; ++i) {
        if (mode == FilterMode::Coarse)
            c[i].*target = c[i].*source;
        else if (i == 1)
            c[i].*target = (c[1].*source + c[2].*source) / 2;
        else if (i == C - 2)
            c[i].*target = (c[C - 2].*source + c[C - 3].*source) / 2;
        else
            c[i].*target = (c[i].*source + c[i - 1].*source + c[i + 1].*source) / 3;
    }
}

}  // namespace

void SortWindow(Extended* window, int n) {
    for (int pass = 0; pass < n - 1; ++pass)
        for (int k = 0; k < n - 1; ++k)
            if (window[k] > window[k + 1]) std::swap(window[k], window[k + 1]);
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

void CalcLap(TLapDtRec& lap) {
    const auto C = static_cast<std::size_t>(lap.Count > 0 ? lap.Count : 0);
    if (C == 0) return;
    const std::vector<TPosDtRec>& pos = lap.PosData;
    std::vector<TCalcDtRec>& c = lap.CalcData;

    // Stage 1: speed, turn direction and flat position of every sample.
    for (std::size_t k = 0; k < C; ++k) {
        c[k].Speed = pos[k].Speed;
        if (k == 0) {
            c[0].X = c[0].Y = 0;
            c[0].TurnDir = 0;
            ZeroFromRadius(c[0]);
            continue;
        }
        c[k].TurnDir = TurnDirOf(pos[k - 1].Heading, pos[k].Heading);
        c[k].X = (kEarthRadius * std::cos(Rad(pos[k].Lat))) * (Rad(pos[k].Lon) - Rad(pos[0].Lon));
        c[k].Y = kEarthRadius * (Rad(pos[k].Lat) - Rad(pos[0].Lat));
        if (k == C - 1 && C >= 3) {
            c[k].TurnDir = 0;
            ZeroFromRadius(c[k]);
        }
    }

    // Stage 2: radius of the path at every inner sample.
    for (std::size_t i = 1; i + 1 < C; ++i) c[i].Radius = RadiusAt(c[i - 1], c[i], c[i + 1]);
    for (std::size_t i = 1; i + 1 < C; ++i) c[i].Radius = ClampRadius(c[i].Radius);

    // Stage 3: the shortest sampling step between inner samples picks the filter.
    Extended minStep = 9.9L;
    for (std::size_t k = 1; k + 3 <= C; ++k) {
        const Extended step = pos[k + 1].ElapsedSec - pos[k].ElapsedSec;
        if (step < minStep) minStep = step;
    }
    const FilterMode mode = FilterModeOf(minStep);

    // Stage 4: radius filter.
    if (mode == FilterMode::Coarse) {
        for (std::size_t k = 0; k < C; ++k) c[k].RadiusMed = c[k].RadiusAvg = c[k].Radius;
    } else {
        FilterRadius(c, C, mode);
    }

    // Stage 5: accelerations.
    for (std::size_t i = 1; i + 1 < C; ++i) {
        c[i].RadiusAvg = ClampRadius(c[i].RadiusAvg);
        const Extended v = c[i].Speed / kKmhPerMps;
        c[i].LateralG = c[i].RadiusAvg > 0 ? (v * v / c[i].RadiusAvg / kGravity) * c[i].TurnDir : 0;
        const Extended dt = pos[i].ElapsedSec - pos[i - 1].ElapsedSec;
        c[i].LongitudinalG =
            dt > 0 ? (c[i].Speed / kKmhPerMps - c[i - 1].Speed / kKmhPerMps) / dt / kGravity : 0;
    }

    // Stage 6: final smoothing.
    Smooth(c, C, mode, &TCalcDtRec::RadiusAvg, &TCalcDtRec::RadiusSm);
    Smooth(c, C, mode, &TCalcDtRec::LateralG, &TCalcDtRec::LateralGSm);
    Smooth(c, C, mode, &TCalcDtRec::LongitudinalG, &TCalcDtRec::LongitudinalGSm);
}

void CalcLap(std::int32_t slot) { CalcLap(LapDt[static_cast<std::size_t>(slot)]); }
