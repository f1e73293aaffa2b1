#include <gtest/gtest.h>
#ifndef _WIN32
#include <sys/stat.h>
#endif

#include <cmath>

#include "lapdata/loadlap.h"
#include "lapdata/trackconst.h"
#include "tests/kit/files.h"
#include "tests/kit/laps.h"
#include "text/error.h"

namespace {

// Positions moving by (east, north) degrees per sample at 50 km/h, all with a
// stored heading of 7 so recomputed headings stand out.
std::vector<Sample> Track(std::initializer_list<std::pair<Extended, Extended>> steps,
                          Extended speed = 50) {
    std::vector<Sample> recs;
    Extended lat = 0, lon = 0;
    int k = 0;
    recs.push_back(MakeSample(41032.5, lat, lon, speed, 0, 7));
    for (auto [east, north] : steps) {
        lat += north, lon += east;
        ++k;
        recs.push_back(MakeSample(41032.5 + k / 86400.0, lat, lon, speed, k, 7));
    }
    return recs;
}

class LoadLapTest : public ::testing::Test {
  protected:
    Lap Load(const std::vector<Sample>& recs, const std::string& name = "Temp0001.dtb") {
        WriteBytes(dir / name, LapBytes(recs));
        Lap lap;
        static_cast<void>(LoadLap(dir / name, lap));
        return lap;
    }
    ScratchDir dir;
};

TEST_F(LoadLapTest, DataNumberFromTheFileName) {
    const struct {
        const char* name;
        const char* dataNo;
    } cases[] = {{"Temp0012.dtb", "0012"}, {"temp0012.dtb", "0012"},
                 {"TEMP00AB.DTB", "00AB"}, {"Temp012.dtb", ""},
                 {"Temp00123.dtb", ""},    {"Tempあいうえ.dtb", "あいうえ"}};
    for (const auto& c : cases)
        EXPECT_EQ(Load(Track({}), c.name).dataNumber, c.dataNo) << c.name;
}

TEST_F(LoadLapTest, LoadsOnlyLapFilesWithSamples) {
    const std::vector<Sample> ten = Track({{0, 1e-4L},
                                           {0, 1e-4L},
                                           {0, 1e-4L},
                                           {0, 1e-4L},
                                           {0, 1e-4L},
                                           {0, 1e-4L},
                                           {0, 1e-4L},
                                           {0, 1e-4L},
                                           {0, 1e-4L}});
    WriteBytes(dir / "Temp0001.dtb", LapBytes(ten));
    WriteBytes(dir / "Temp0002.dtb", LapBytes(ten) + std::string(10, '\0'));
    WriteBytes(dir / "Temp0003.dtb", "");
    Lap lap;
    ASSERT_TRUE(LoadLap(dir / "Temp0001.dtb", lap));
    EXPECT_EQ(lap.samples.size(), 10u);
    EXPECT_EQ(lap.track.size(), 10u);
    // One lap value serves every load; what fails to load leaves it empty.
    for (const char* name : {"Temp0002.dtb", "Temp0003.dtb", "Temp0009.dtb"}) {
        EXPECT_FALSE(LoadLap(dir / name, lap)) << name;
        EXPECT_TRUE(lap.samples.empty()) << name;
        EXPECT_TRUE(lap.track.empty()) << name;
    }
    EXPECT_EQ(lap.minSpeed, 9999.9L);
}

TEST_F(LoadLapTest, ExtremesUseStrictComparisons) {
    auto recs = Track({{1e-4L, 0}, {1e-4L, 0}, {1e-4L, 0}});
    const Extended speeds[] = {0, 3, 2, 0.5L};
    for (int k = 0; k < 4; ++k)
        recs[k].speed = speeds[k], recs[k].alt = 10 * k - 5;
    Lap lap = Load(recs);
    EXPECT_EQ(lap.maxSpeed, 3);
    EXPECT_EQ(lap.minSpeed, 0);
    EXPECT_EQ(lap.minAlt, -5);
    EXPECT_EQ(lap.maxAlt, 25);
    EXPECT_EQ(lap.minLon, 0);
    EXPECT_EQ(lap.maxLon, 3e-4L);
    EXPECT_EQ(lap.minLat, 0);
    EXPECT_EQ(lap.maxLat, 0);

    for (auto& r : recs)
        r.speed = 12000;
    EXPECT_EQ(Load(recs).minSpeed, 9999.9L);
}

TEST_F(LoadLapTest, SummaryOfTheLastSample) {
    auto recs = Track({{0, 1e-4L}});
    recs[1].elapsed = 0.5;
    recs[1].distKm = 24;
    Lap lap = Load(recs);
    EXPECT_EQ(lap.lapTime, 0.5);
    EXPECT_EQ(lap.lapDistKm, 24);
    EXPECT_EQ(lap.avgSpeed, 2);

    recs.resize(1);  // Elapsed 0: no average
    recs[0].distKm = 1;
    EXPECT_EQ(Load(recs).avgSpeed, 0);
}

std::vector<Extended> Headings(const Lap& lap) {
    std::vector<Extended> h;
    for (const auto& r : lap.samples)
        h.push_back(r.heading);
    return h;
}

TEST_F(LoadLapTest, DueNorthGivesEveryHeading180) {
    for (Extended h : Headings(Load(Track({{0, 1e-4L}, {0, 1e-4L}, {0, 1e-4L}}))))
        EXPECT_NEAR(h, 180, 1e-12L);
}

TEST_F(LoadLapTest, DueSouthGivesEveryHeading0Not360) {
    for (Extended h : Headings(Load(Track({{0, -1e-4L}, {0, -1e-4L}, {0, -1e-4L}}))))
        EXPECT_EQ(h, 0);
}

TEST(HeadingMean, AcrossTheSeam) {
    const struct {
        Extended previous, current, mean;
    } cases[] = {{350, 20, 5},
                 {10, 350, 360},
                 {100, 200, 150},
                 {200, 100, 150},
                 {0, 180, 90},
                 {90, 90, 90},
                 {359, 359, 359},
                 // Exactly 180 degrees apart, as when the car reverses along
                 // a meridian or a parallel: the plain mean, not across the seam.
                 {190, 10, 100},
                 {10, 190, 100},
                 {270, 90, 180}};
    for (const auto& c : cases)
        EXPECT_EQ(HeadingMean(c.current, c.previous), c.mean) << c.previous << " " << c.current;
}

// Angle between two headings, ignoring the seam.
Extended AngleBetween(Extended a, Extended b) {
    const Extended d = std::fabs(std::fmod(a - b + 720, 360));
    return std::min(d, 360 - d);
}

TEST_F(LoadLapTest, HeadingsFromPositions) {
    // Steps whose bearings (file convention) are `previous` then `current`.
    auto step = [](Extended bearing) {
        const Extended compass = (bearing + 180) / 180 * kPi;
        return std::pair<Extended, Extended>{1e-4L * std::sin(compass), 1e-4L * std::cos(compass)};
    };
    const struct {
        Extended previous, current, mean;
    } cases[] = {{350, 20, 5}, {10, 350, 360}, {100, 200, 150}, {200, 100, 150}, {90, 90, 90}};
    for (const auto& c : cases) {
        const auto h = Headings(Load(Track({step(c.previous), step(c.current)})));
        EXPECT_NEAR(AngleBetween(h[0], c.previous), 0, 1e-9L);
        EXPECT_NEAR(AngleBetween(h[1], c.mean), 0, 1e-9L) << c.previous << " " << c.current;
        EXPECT_NEAR(AngleBetween(h[2], c.current), 0, 1e-9L);
    }
}

TEST_F(LoadLapTest, SlowSamplesKeepTheirHeadings) {
    // Samples 1 to 4 at or below 1.5 km/h, sample 5 due north: sample 4 averages 180 with P = 0.
    auto recs = Track({{0, 1e-4L}, {0, 1e-4L}, {0, 1e-4L}, {0, 1e-4L}, {0, 1e-4L}, {0, 1e-4L}});
    for (int k = 1; k <= 4; ++k)
        recs[k].speed = k == 4 ? 1.5L : 1;
    recs[6].speed = 1.5L;  // a slow last sample keeps its stored heading
    const auto h = Headings(Load(recs));
    EXPECT_EQ(h[0], 7);
    EXPECT_EQ(h[3], 7);
    EXPECT_NEAR(h[4], 90, 1e-9L);
    EXPECT_EQ(h[5], 7);  // set only when the next sample qualifies, and it does not
    EXPECT_EQ(h[6], 7);
}

TEST_F(LoadLapTest, StandingStillCopiesTheStoredHeading) {
    auto recs = Track({{0, 1e-4L}, {0, 0}, {0, 1e-4L}});
    recs[2].heading = 42;
    const auto h = Headings(Load(recs));
    EXPECT_NEAR(h[0], 180, 1e-9L);
    EXPECT_EQ(h[1], 42);  // the stored heading of sample 2, copied back
    // Sample 3 then averages its bearing 180 with P = 42.
    EXPECT_NEAR(h[2], 111, 1e-9L);
    EXPECT_NEAR(h[3], 180, 1e-9L);
}

TEST_F(LoadLapTest, LoadsAndDerivesIntoALapThatHeldALongerOne) {
    WriteBytes(dir / "Temp0004.dtb", LapBytes(StraightLap(At(2012, 5, 3, 10, 0, 0), 50)));
    WriteBytes(dir / "Temp0005.dtb", LapBytes(Track({{1e-4L, 0}, {1e-4L, 1e-4L}, {0, 1e-4L}})));
    Lap lap;
    ASSERT_TRUE(LoadLap(dir / "Temp0004.dtb", lap));
    ASSERT_TRUE(LoadLap(dir / "Temp0005.dtb", lap));
    EXPECT_EQ(lap.dataNumber, "0005");
    EXPECT_EQ(lap.samples.size(), 4u);
    EXPECT_EQ(lap.track.size(), 4u);
    EXPECT_GT(lap.track[1].x, 0);
    EXPECT_LT(lap.track[1].radius, 9999.9L);
}

#ifndef _WIN32
TEST_F(LoadLapTest, AFifoInALapFilesPlaceIsNoLapFileAndDoesNotBlock) {
    ASSERT_EQ(::mkfifo((dir / "Temp0006.dtb").c_str(), 0600), 0);
    Lap lap;
    EXPECT_FALSE(LoadLap(dir / "Temp0006.dtb", lap));
}
#endif

}  // namespace
