#include <gtest/gtest.h>

#include <cmath>

#include "lapdata/loadlap.h"
#include "tests/testutil.h"

namespace {

// Positions moving by (east, north) degrees per sample at 50 km/h, all with a
// stored heading of 7 so recomputed headings stand out.
std::vector<TPosDtRec> Track(std::initializer_list<std::pair<Extended, Extended>> steps,
                             Extended speed = 50) {
    std::vector<TPosDtRec> recs;
    Extended lat = 0, lon = 0;
    int k = 0;
    recs.push_back(Sample(41032.5, lat, lon, speed, 0, 7));
    for (auto [east, north] : steps) {
        lat += north, lon += east;
        ++k;
        recs.push_back(Sample(41032.5 + k / 86400.0, lat, lon, speed, k, 7));
    }
    return recs;
}

class LoadLapTest : public ::testing::Test {
  protected:
    TLapDtRec Load(const std::vector<TPosDtRec>& recs, const std::string& name = "Temp0001.dtb") {
        WriteBytes(dir / name, LapBytes(recs));
        TLapDtRec slot;
        LoadLap(slot, dir / name);
        return slot;
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
        EXPECT_EQ(Load(Track({}), c.name).DataNo, c.dataNo) << c.name;
}

TEST_F(LoadLapTest, SizeDecidesWhetherTheSlotChanges) {
    std::vector<TPosDtRec> ten = Track({{0, 1e-4L},
                                        {0, 1e-4L},
                                        {0, 1e-4L},
                                        {0, 1e-4L},
                                        {0, 1e-4L},
                                        {0, 1e-4L},
                                        {0, 1e-4L},
                                        {0, 1e-4L},
                                        {0, 1e-4L}});
    EXPECT_EQ(Load(ten).Count, 10);
    EXPECT_EQ(Load(ten).CalcData.size(), 10u);

    WriteBytes(dir / "Temp0002.dtb", LapBytes(ten) + std::string(10, '\0'));
    TLapDtRec slot;
    slot.DataNo = "keep";
    slot.Count = 0;
    LoadLap(slot, dir / "Temp0002.dtb");
    EXPECT_EQ(slot.DataNo, "keep");
    EXPECT_TRUE(slot.PosData.empty());

    WriteBytes(dir / "Temp0003.dtb", "");
    LoadLap(slot, dir / "Temp0003.dtb");
    EXPECT_EQ(slot.Count, 0);
    EXPECT_EQ(slot.DataNo, "0003");
    EXPECT_EQ(slot.MinSpeed, 9999.9L);
}

TEST_F(LoadLapTest, ExtremesUseStrictComparisons) {
    auto recs = Track({{1e-4L, 0}, {1e-4L, 0}, {1e-4L, 0}});
    const Extended speeds[] = {0, 3, 2, 0.5L};
    for (int k = 0; k < 4; ++k)
        recs[k].Speed = speeds[k], recs[k].Alt = 10 * k - 5;
    TLapDtRec lap = Load(recs);
    EXPECT_EQ(lap.MaxSpeed, 3);
    EXPECT_EQ(lap.MinSpeed, 0);
    EXPECT_EQ(lap.MinAlt, -5);
    EXPECT_EQ(lap.MaxAlt, 25);
    EXPECT_EQ(lap.MinLon, 0);
    EXPECT_EQ(lap.MaxLon, 3e-4L);
    EXPECT_EQ(lap.MinLat, 0);
    EXPECT_EQ(lap.MaxLat, 0);

    for (auto& r : recs)
        r.Speed = 12000;
    EXPECT_EQ(Load(recs).MinSpeed, 9999.9L);
}

TEST_F(LoadLapTest, SummaryOfTheLastSample) {
    auto recs = Track({{0, 1e-4L}});
    recs[1].Elapsed = 0.5;
    recs[1].DistKm = 24;
    TLapDtRec lap = Load(recs);
    EXPECT_EQ(lap.LapTime, 0.5);
    EXPECT_EQ(lap.LapDistKm, 24);
    EXPECT_EQ(lap.AvgSpeed, 2);

    recs.resize(1);  // Elapsed 0: no average
    recs[0].DistKm = 1;
    EXPECT_EQ(Load(recs).AvgSpeed, 0);
}

std::vector<Extended> Headings(const TLapDtRec& lap) {
    std::vector<Extended> h;
    for (const auto& r : lap.PosData)
        h.push_back(r.Heading);
    return h;
}

TEST_F(LoadLapTest, DueNorthGivesEveryHeading180) {
    for (Extended h : Headings(Load(Track({{0, 1e-4L}, {0, 1e-4L}, {0, 1e-4L}}))))
        EXPECT_NEAR(h, 180, 1e-12L);
}

TEST(HeadingMean, AcrossTheSeam) {
    const struct {
        Extended previous, current, mean;
    } cases[] = {{350, 20, 5}, {10, 350, 360}, {100, 200, 150}, {200, 100, 150},
                 {0, 180, 90}, {90, 90, 90},   {359, 359, 359}};
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
        const Extended compass = (bearing + 180) / 180 * 3.141592653589793238462643383279502884L;
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
        recs[k].Speed = k == 4 ? 1.5L : 1;
    recs[6].Speed = 1.5L;  // a slow last sample keeps its stored heading
    const auto h = Headings(Load(recs));
    EXPECT_EQ(h[0], 7);
    EXPECT_EQ(h[3], 7);
    EXPECT_NEAR(h[4], 90, 1e-9L);
    EXPECT_EQ(h[5], 7);  // set only when the next sample qualifies, and it does not
    EXPECT_EQ(h[6], 7);
}

TEST_F(LoadLapTest, StandingStillCopiesTheStoredHeading) {
    auto recs = Track({{0, 1e-4L}, {0, 0}, {0, 1e-4L}});
    recs[2].Heading = 42;
    const auto h = Headings(Load(recs));
    EXPECT_NEAR(h[0], 180, 1e-9L);
    EXPECT_EQ(h[1], 42);  // the stored heading of sample 2, copied back
    // Sample 3 then averages its bearing 180 with P = 42.
    EXPECT_NEAR(h[2], 111, 1e-9L);
    EXPECT_NEAR(h[3], 180, 1e-9L);
}

TEST_F(LoadLapTest, LoadsIntoTheWorkingSlotAndDerives) {
    SetUpLapSlot();
    WriteBytes(dir / "TEMP0005.DTB", LapBytes(Track({{1e-4L, 0}, {1e-4L, 1e-4L}, {0, 1e-4L}})));
    LoadLap(dir / "TEMP0005.DTB");
    EXPECT_EQ(LapDt[0].Count, 4);
    EXPECT_GT(LapDt[0].CalcData[1].X, 0);
    EXPECT_LT(LapDt[0].CalcData[1].Radius, 9999.9L);
    ReleaseLapSlot();
    EXPECT_TRUE(LapDt.empty());
}

}  // namespace
