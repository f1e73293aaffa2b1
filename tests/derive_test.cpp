#include <gtest/gtest.h>

#include <cmath>
#include <random>

#include "lapdata/derive.h"
#include "lapdata/derive_detail.h"
#include "lapdata/trackconst.h"
#include "tests/kit/laps.h"

namespace {

using namespace derive_detail;

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
        const Extended a = degrees / 180.0L * kPi;
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

// A lap of `count` samples `step` seconds apart, driven due north, with its
// track points in place but not derived.
Lap NorthboundLap(int count, Extended step) {
    Lap lap;
    for (int k = 0; k < count; ++k)
        lap.samples.push_back(MakeSample(41032.5, 35 + k * 1e-4L, 139, 50, k * step, 180));
    lap.track.assign(static_cast<std::size_t>(count), TrackPoint{});
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
        EXPECT_EQ(FilterModeOf(MinSamplingStep(NorthboundLap(c.count, c.step).samples)), c.mode)
            << c.count << " " << c.step;

    // The bounds themselves, as the extended values nearest 0.1 and 0.2 s.
    const struct {
        Extended step;
        FilterMode mode;
    } bounds[] = {{0.1L, FilterMode::Fine},
                  {std::nextafter(0.1L, 1.0L), FilterMode::Medium},
                  {0.2L, FilterMode::Medium},
                  {std::nextafter(0.2L, 1.0L), FilterMode::Coarse}};
    for (const auto& b : bounds)
        EXPECT_EQ(FilterModeOf(b.step), b.mode) << static_cast<double>(b.step);
    // A lap whose shortest inner step is exactly that value: 0.4 − 0.2 is exact.
    Lap exact = NorthboundLap(5, 1);
    const Extended times[] = {0, 0.2L, 0.4L, 0.8L, 1.6L};
    for (int k = 0; k < 5; ++k)
        exact.samples[k].elapsedSec = times[k];
    EXPECT_EQ(MinSamplingStep(exact.samples), 0.2L);
    EXPECT_EQ(FilterModeOf(MinSamplingStep(exact.samples)), FilterMode::Medium);

    // Short steps at either end of the lap take no part.
    Lap lap = NorthboundLap(8, 1);
    lap.samples[0].elapsedSec = lap.samples[1].elapsedSec - 0.01L;
    lap.samples[7].elapsedSec = lap.samples[6].elapsedSec + 0.01L;
    EXPECT_EQ(MinSamplingStep(lap.samples), 1);
}

std::vector<TrackPoint> WithRadii(std::initializer_list<Extended> radii) {
    std::vector<TrackPoint> calc;
    for (Extended r : radii) {
        TrackPoint c;
        c.radius = r;
        calc.push_back(c);
    }
    return calc;
}

TEST(TrackDerivation, FineFilterAveragesFiveMedians) {
    // Radii chosen so that the medians equal them: 50, 40, 30, 40, 50 around sample 5.
    auto calc = WithRadii({0, 60, 55, 50, 40, 30, 40, 50, 55, 60, 0});
    FilterRadius(calc, FilterMode::Fine);
    EXPECT_EQ(calc[5].radiusMed, 40);  // median of 50 40 30 40 50
    EXPECT_EQ(calc[1].radiusMed, (60 + 55) / 2.0L);
    EXPECT_EQ(calc[9].radiusMed, (55 + 60) / 2.0L);
    EXPECT_EQ(calc[0].radiusMed, 0);
    EXPECT_EQ(calc[10].radiusAvg, 0);

    // An inner window of M values 50, 40, 30, 40, 50 averages to 40.
    auto plateau = WithRadii({0, 50, 50, 50, 40, 30, 40, 50, 50, 50, 0});
    FilterRadius(plateau, FilterMode::Fine);
    std::vector<Extended> m;
    for (auto& c : plateau)
        m.push_back(c.radiusMed);
    EXPECT_EQ(plateau[5].radiusAvg, (0.5L * m[3] + m[4] + m[5] + m[6] + 0.5L * m[7]) / 4);
}

TEST(TrackDerivation, FineFilterOnFourSamplesLetsLaterAssignmentsWin) {
    auto calc = WithRadii({0, 20, 30, 0});
    FilterRadius(calc, FilterMode::Fine);
    EXPECT_EQ(calc[1].radiusMed, 20);  // median3(0, 20, 30)
    EXPECT_EQ(calc[2].radiusMed, 25);  // (20 + 30) / 2
    EXPECT_EQ(calc[1].radiusAvg, (0 + 20 + 25) / 3.0L);
    EXPECT_EQ(calc[2].radiusAvg, (20 + 25) / 2.0L);
}

TEST(TrackDerivation, MediumFilterKeepsDipsAndWeightsMinima) {
    auto dip = WithRadii({0, 50, 30, 20, 10, 15, 25, 60, 0});
    FilterRadius(dip, FilterMode::Medium);
    EXPECT_EQ(dip[4].radiusMed, 10);  // window 30 20 10 15 25
    // Sample 4 is then a strict local minimum of M.
    EXPECT_EQ(dip[4].radiusAvg, (2 * dip[4].radiusMed + dip[3].radiusMed + dip[5].radiusMed) / 4);
    auto flat = WithRadii({0, 50, 30, 20, 10, 10, 25, 60, 0});
    FilterRadius(flat, FilterMode::Medium);
    EXPECT_EQ(flat[4].radiusMed, 20);
    // Medians 80, 40, 40: the next median equals this one, so sample 4 is no
    // strict minimum and takes the plain mean, 53.3 m, not the weighted 50 m.
    auto shelf = WithRadii({0, 80, 80, 80, 40, 40, 40, 40, 0});
    FilterRadius(shelf, FilterMode::Medium);
    ASSERT_EQ(shelf[3].radiusMed, 80);
    ASSERT_EQ(shelf[4].radiusMed, 40);
    ASSERT_EQ(shelf[5].radiusMed, 40);
    EXPECT_EQ(shelf[4].radiusAvg, (80 + 40 + 40) / 3.0L);
}

TEST(TrackDerivation, AccelerationExamples) {
    Lap lap = NorthboundLap(3, 0.1L);
    lap.track[0].speed = 68.4L;
    lap.track[1].speed = 72;
    lap.track[1].radiusAvg = 40;
    lap.track[1].turnDir = -1;
    Accelerate(lap.samples, lap.track);
    EXPECT_NEAR(lap.track[1].lateralG, -1.019716L, 1e-6L);
    EXPECT_NEAR(lap.track[1].longitudinalG, 1.019716L, 1e-6L);

    lap.samples[1].elapsedSec = lap.samples[0].elapsedSec;
    lap.track[1].radiusAvg = 1e6L;  // clamped to a straight
    Accelerate(lap.samples, lap.track);
    EXPECT_EQ(lap.track[1].longitudinalG, 0);
    EXPECT_EQ(lap.track[1].radiusAvg, 9999.9L);
}

TEST(TrackDerivation, SmoothingAtTheEndsAveragesTwo) {
    std::vector<TrackPoint> calc(6);
    for (int k = 1; k <= 4; ++k)
        calc[k].lateralG = k * 3;
    SmoothTrack(calc, FilterMode::Fine);
    EXPECT_EQ(calc[1].lateralGSm, (3 + 6) / 2.0L);
    EXPECT_EQ(calc[2].lateralGSm, (6 + 3 + 9) / 3.0L);
    EXPECT_EQ(calc[4].lateralGSm, (12 + 9) / 2.0L);
    SmoothTrack(calc, FilterMode::Coarse);
    EXPECT_EQ(calc[1].lateralGSm, 3);
    EXPECT_EQ(calc[4].lateralGSm, 12);
}

TEST(TrackDerivation, ProjectionUsesEachSamplesOwnLatitude) {
    Lap lap;
    lap.samples = {MakeSample(0, 35, 139, 10), MakeSample(0, 36, 140, 10),
                   MakeSample(0, 36, 140, 10)};
    DeriveTrack(lap);
    EXPECT_EQ(lap.track[0].x, 0);
    EXPECT_EQ(lap.track[0].y, 0);
    EXPECT_NEAR(lap.track[1].y, 111133, 1);
    EXPECT_NEAR(lap.track[1].x, 89908, 1);
}

TEST(TrackDerivation, ShortLaps) {
    for (int count = 0; count <= 4; ++count) {
        Lap lap = NorthboundLap(count, 1);
        for (auto& c : lap.track)
            c.radiusSm = c.radius = 777;  // what a reused lap held before
        DeriveTrack(lap);
        ASSERT_EQ(lap.track.size(), static_cast<std::size_t>(count));
        SCOPED_TRACE(count);
        if (count == 0) continue;
        const TrackPoint& first = lap.track[0];
        EXPECT_EQ(first.speed, 50);
        EXPECT_EQ(first.radius, 0);
        EXPECT_EQ(first.radiusSm, 0);
        if (count == 2) {
            const TrackPoint& second = lap.track[1];
            EXPECT_EQ(second.turnDir, 1);
            EXPECT_GT(second.y, 0);
            EXPECT_EQ(second.radiusMed, 0);  // nothing of the lap before survives
            EXPECT_EQ(second.radiusSm, 0);
        }
        if (count >= 3) {
            const TrackPoint& last = lap.track.back();
            EXPECT_EQ(last.turnDir, 0);
            EXPECT_EQ(last.radius, 0);
            EXPECT_GT(last.y, 0);
            for (int i = 1; i + 1 < count; ++i)
                EXPECT_EQ(lap.track[i].radius, 9999.9L);
        }
    }
}

TEST(TrackDerivation, NonFiniteSamplesDoNotCrash) {
    Lap lap = NorthboundLap(8, 0.1L);
    lap.samples[3].lat = NAN;
    lap.samples[4].speed = INFINITY;
    lap.samples[5].elapsedSec = -INFINITY;
    DeriveTrack(lap);
    EXPECT_EQ(lap.track[3].radius, 9999.9L);  // a NaN radius is clamped
}

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
