#include <gtest/gtest.h>

#include <cmath>
#include <random>

#include "lapdata/calclap.h"
#include "tests/testutil.h"

namespace {

constexpr Extended kPiL = 3.141592653589793238462643383279502884L;

TEST(TrackDerivation, TurnDirection) {
    const struct {
        Extended previous, current;
        int expected;
    } cases[] = {{10, 350, 1}, {350, 10, -1}, {100, 100, 1}, {100, 120, -1},
                 {270, 10, 1}, {10, 270, -1}, {89, 271, 1}};
    for (const auto& c : cases)
        EXPECT_EQ(TurnDirOf(c.previous, c.current), c.expected) << c.previous << "→" << c.current;
}

TEST(TrackDerivation, PathRadiusFollowsTheBisectorRules) {
    auto onCircle = [](int degrees, int axis) {
        const Extended a = degrees / 180.0L * kPiL;
        return 50 * (axis == 0 ? std::cos(a) : std::sin(a));
    };
    EXPECT_NEAR(PathRadius(onCircle(10, 0), onCircle(10, 1), onCircle(40, 0), onCircle(40, 1),
                           onCircle(70, 0), onCircle(70, 1)),
                50.0L, 1e-12L);
    const struct {
        Extended p[6];
        Extended expected;
    } cases[] = {
        {{0, 0, 10, 0, 20, 5}, std::sqrt(62.5L)},  // dy1 = 0: first bisector takes slope 1
        {{0, 0, 10, 5, 20, 5}, 9999.9L},           // dy2 = 0
        {{0, 0, 10, 5, 20, 10}, 9999.9L},          // parallel bisectors
        {{0, 0, 0, 0, 5, 5}, 9999.9L},             // repeated position
    };
    for (const auto& c : cases)
        EXPECT_NEAR(PathRadius(c.p[0], c.p[1], c.p[2], c.p[3], c.p[4], c.p[5]), c.expected, 1e-12L)
            << c.p[2];
}

TEST(TrackDerivation, MedianWindows) {
    const struct {
        Extended w[5];
        Extended plain, keepDip;
    } cases[] = {
        {{30, 20, 10, 15, 25}, 20, 10},  // a strict dip keeps its value
        {{30, 20, 10, 10, 25}, 20, 20},  // 10 is not strictly below its neighbour
        {{1, 2, 3, 4, 5}, 3, 3},
        {{5, 4, 3, 2, 1}, 3, 3},
    };
    for (const auto& c : cases) {
        Extended plain[5], dip[5];
        std::copy(c.w, c.w + 5, plain);
        std::copy(c.w, c.w + 5, dip);
        SortWindow(plain, 5);
        SortWindowKeepDip(dip, 5);
        EXPECT_EQ(plain[2], c.plain);
        EXPECT_EQ(dip[2], c.keepDip);
        EXPECT_TRUE(std::is_sorted(plain, plain + 5));
    }
    Extended three[5] = {3, 1, 2, 0, 0};
    SortWindowKeepDip(three, 3);
    EXPECT_EQ(three[1], 2);
}

// A loaded lap of `count` samples `step` seconds apart along a straight line.
TLapDtRec StraightSlot(int count, Extended step) {
    TLapDtRec lap;
    for (int k = 0; k < count; ++k)
        lap.PosData.push_back(Sample(41032.5, 35 + k * 1e-4L, 139, 50, k * step, 180));
    lap.Count = count;
    lap.CalcData.assign(static_cast<std::size_t>(count), TCalcDtRec{});
    return lap;
}

TEST(TrackDerivation, SamplingStepChoosesTheFilterMode) {
    const struct {
        int count;
        Extended step;
        FilterMode mode;
    } cases[] = {{10, 0.1L, FilterMode::Fine},    {10, 0.2L, FilterMode::Medium},
                 {10, 1, FilterMode::Coarse},     {10, 0.05L, FilterMode::Fine},
                 {3, 0.1L, FilterMode::Coarse},   {4, 0.1L, FilterMode::Fine},
                 {10, 0.15L, FilterMode::Medium}, {10, 0.2000001L, FilterMode::Coarse}};
    for (const auto& c : cases)
        EXPECT_EQ(FilterModeOf(MinSamplingStep(StraightSlot(c.count, c.step))), c.mode)
            << c.count << " " << c.step;

    // Short steps at either end of the lap take no part.
    TLapDtRec lap = StraightSlot(8, 1);
    lap.PosData[0].ElapsedSec = lap.PosData[1].ElapsedSec - 0.01L;
    lap.PosData[7].ElapsedSec = lap.PosData[6].ElapsedSec + 0.01L;
    EXPECT_EQ(MinSamplingStep(lap), 1);
}

std::vector<TCalcDtRec> WithRadii(std::initializer_list<Extended> radii) {
    std::vector<TCalcDtRec> calc;
    for (Extended r : radii) {
        TCalcDtRec c;
        c.Radius = r;
        calc.push_back(c);
    }
    return calc;
}

TEST(TrackDerivation, FineFilterAveragesFiveMedians) {
    // Radii chosen so that the medians equal them: 50, 40, 30, 40, 50 around sample 5.
    auto calc = WithRadii({0, 60, 55, 50, 40, 30, 40, 50, 55, 60, 0});
    FilterRadius(calc, calc.size(), FilterMode::Fine);
    EXPECT_EQ(calc[5].RadiusMed, 40);  // median of 50 40 30 40 50
    EXPECT_EQ(calc[1].RadiusMed, (60 + 55) / 2.0L);
    EXPECT_EQ(calc[9].RadiusMed, (55 + 60) / 2.0L);
    EXPECT_EQ(calc[0].RadiusMed, 0);
    EXPECT_EQ(calc[10].RadiusAvg, 0);

    // An inner window of M values 50, 40, 30, 40, 50 averages to 40.
    auto plateau = WithRadii({0, 50, 50, 50, 40, 30, 40, 50, 50, 50, 0});
    FilterRadius(plateau, plateau.size(), FilterMode::Fine);
    std::vector<Extended> m;
    for (auto& c : plateau)
        m.push_back(c.RadiusMed);
    EXPECT_EQ(plateau[5].RadiusAvg, (0.5L * m[3] + m[4] + m[5] + m[6] + 0.5L * m[7]) / 4);
}

TEST(TrackDerivation, FineFilterOnFourSamplesLetsLaterAssignmentsWin) {
    auto calc = WithRadii({0, 20, 30, 0});
    FilterRadius(calc, 4, FilterMode::Fine);
    EXPECT_EQ(calc[1].RadiusMed, 20);  // median3(0, 20, 30)
    EXPECT_EQ(calc[2].RadiusMed, 25);  // (20 + 30) / 2
    EXPECT_EQ(calc[1].RadiusAvg, (0 + 20 + 25) / 3.0L);
    EXPECT_EQ(calc[2].RadiusAvg, (20 + 25) / 2.0L);
}

TEST(TrackDerivation, MediumFilterKeepsDipsAndWeightsMinima) {
    auto dip = WithRadii({0, 50, 30, 20, 10, 15, 25, 60, 0});
    FilterRadius(dip, dip.size(), FilterMode::Medium);
    EXPECT_EQ(dip[4].RadiusMed, 10);  // window 30 20 10 15 25
    // Sample 4 is then a strict local minimum of M.
    EXPECT_EQ(dip[4].RadiusAvg, (2 * dip[4].RadiusMed + dip[3].RadiusMed + dip[5].RadiusMed) / 4);
    auto flat = WithRadii({0, 50, 30, 20, 10, 10, 25, 60, 0});
    FilterRadius(flat, flat.size(), FilterMode::Medium);
    EXPECT_EQ(flat[4].RadiusMed, 20);
}

TEST(TrackDerivation, AccelerationExamples) {
    TLapDtRec lap = StraightSlot(3, 0.1L);
    lap.CalcData[0].Speed = 68.4L;
    lap.CalcData[1].Speed = 72;
    lap.CalcData[1].RadiusAvg = 40;
    lap.CalcData[1].TurnDir = -1;
    Accelerate(lap);
    EXPECT_NEAR(lap.CalcData[1].LateralG, -1.019716L, 1e-6L);
    EXPECT_NEAR(lap.CalcData[1].LongitudinalG, 1.019716L, 1e-6L);

    lap.PosData[1].ElapsedSec = lap.PosData[0].ElapsedSec;
    lap.CalcData[1].RadiusAvg = 1e6L;  // clamped to a straight
    Accelerate(lap);
    EXPECT_EQ(lap.CalcData[1].LongitudinalG, 0);
    EXPECT_EQ(lap.CalcData[1].RadiusAvg, 9999.9L);
}

TEST(TrackDerivation, SmoothingAtTheEndsAveragesTwo) {
    std::vector<TCalcDtRec> calc(6);
    for (int k = 1; k <= 4; ++k)
        calc[k].LateralG = k * 3;
    SmoothLap(calc, 6, FilterMode::Fine);
    EXPECT_EQ(calc[1].LateralGSm, (3 + 6) / 2.0L);
    EXPECT_EQ(calc[2].LateralGSm, (6 + 3 + 9) / 3.0L);
    EXPECT_EQ(calc[4].LateralGSm, (12 + 9) / 2.0L);
    SmoothLap(calc, 6, FilterMode::Coarse);
    EXPECT_EQ(calc[1].LateralGSm, 3);
    EXPECT_EQ(calc[4].LateralGSm, 12);
}

TEST(TrackDerivation, ProjectionUsesEachSamplesOwnLatitude) {
    TLapDtRec lap;
    lap.PosData = {Sample(0, 35, 139, 10), Sample(0, 36, 140, 10), Sample(0, 36, 140, 10)};
    lap.Count = 3;
    lap.CalcData.assign(3, TCalcDtRec{});
    CalcLap(lap);
    EXPECT_EQ(lap.CalcData[0].X, 0);
    EXPECT_EQ(lap.CalcData[0].Y, 0);
    EXPECT_NEAR(lap.CalcData[1].Y, 111133, 1);
    EXPECT_NEAR(lap.CalcData[1].X, 89908, 1);
}

TEST(TrackDerivation, ShortLaps) {
    for (int count = 0; count <= 4; ++count) {
        TLapDtRec lap = StraightSlot(count, 1);
        for (auto& c : lap.CalcData)
            c.RadiusSm = c.Radius = 777;  // what the array held before
        CalcLap(lap);
        SCOPED_TRACE(count);
        if (count == 0) continue;
        const TCalcDtRec& first = lap.CalcData[0];
        EXPECT_EQ(first.Speed, 50);
        EXPECT_EQ(first.Radius, 0);
        EXPECT_EQ(first.RadiusSm, 0);
        if (count == 2) {
            const TCalcDtRec& second = lap.CalcData[1];
            EXPECT_EQ(second.TurnDir, 1);
            EXPECT_GT(second.Y, 0);
            EXPECT_EQ(second.RadiusMed, 777);  // the coarse copy of its untouched radius
            EXPECT_EQ(second.RadiusSm, 777);
        }
        if (count >= 3) {
            const TCalcDtRec& last = lap.CalcData.back();
            EXPECT_EQ(last.TurnDir, 0);
            EXPECT_EQ(last.Radius, 0);
            EXPECT_GT(last.Y, 0);
            for (int i = 1; i + 1 < count; ++i)
                EXPECT_EQ(lap.CalcData[i].Radius, 9999.9L);
        }
    }
}

TEST(TrackDerivation, NonFiniteSamplesDoNotCrash) {
    TLapDtRec lap = StraightSlot(8, 0.1L);
    lap.PosData[3].Lat = NAN;
    lap.PosData[4].Speed = INFINITY;
    lap.PosData[5].ElapsedSec = -INFINITY;
    CalcLap(lap);
    EXPECT_EQ(lap.CalcData[3].Radius, 9999.9L);  // a NaN radius is clamped
}

}  // namespace

namespace {

// The exchange sort orders any window of radii like a plain sort, ties,
// zeros and negative values included.
TEST(TrackDerivation, SortWindowOrdersLikeASort) {
    std::mt19937_64 rng(7);
    const Extended pool[] = {0,        9999.9L, 1e-30L, 0.5L, 50,      50,
                             123.456L, -1,      -7.25L, 3e3L, 1e-4950L};
    for (int round = 0; round < 20000; ++round) {
        Extended w[5], expected[5];
        const int n = round % 2 ? 5 : 3;
        for (int k = 0; k < n; ++k) {
            w[k] = round % 3 ? pool[rng() % std::size(pool)]
                             : std::ldexp(static_cast<Extended>(rng() >> 11),
                                          static_cast<int>(rng() % 40) - 20);
            expected[k] = w[k];
        }
        std::sort(expected, expected + n);
        SortWindow(w, n);
        for (int k = 0; k < n; ++k)
            ASSERT_EQ(w[k], expected[k]) << round << " " << k;
    }
}

}  // namespace
