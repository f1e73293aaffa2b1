#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "common/datetime.h"
#include "lapdata/lapfile.h"
#include "tests/testutil.h"
#include "tools/sessiongen.h"

namespace {

namespace fs = std::filesystem;

// Metres east and north between two samples, on a sphere: independent of
// the ellipsoid the generator places the circuit on, and close enough.
struct Step {
    double East, North;
    double Length() const { return std::hypot(East, North); }
    double CourseDeg() const {
        const double c = std::atan2(East, North) * 180 / M_PI;
        return c < 0 ? c + 360 : c;
    }
};
Step Between(const TPosDtRec& a, const TPosDtRec& b) {
    const double mPerDeg = 6371000.0 * M_PI / 180;
    const double lat = static_cast<double>(a.Lat) * M_PI / 180;
    return {static_cast<double>(b.Lon - a.Lon) * mPerDeg * std::cos(lat),
            static_cast<double>(b.Lat - a.Lat) * mPerDeg};
}

// Signed difference of two angles in degrees, within ±180.
double AngleDiff(double a, double b) {
    return std::remainder(a - b, 360.0);
}

// Compass course of a stored heading (stored = course + 180, below 360).
double CourseOf(const TPosDtRec& r) {
    return std::fmod(static_cast<double>(r.Heading) + 180, 360);
}

std::vector<TPosDtRec> Read(const std::string& path) {
    auto records = ReadLapFile(path);
    if (!records) throw std::runtime_error("not a lap file: " + path);
    return *records;
}

bool SameRecord(const TPosDtRec& a, const TPosDtRec& b) {
    return a.DateTime == b.DateTime && a.Elapsed == b.Elapsed && a.ElapsedSec == b.ElapsedSec &&
           a.Lat == b.Lat && a.Lon == b.Lon && a.Alt == b.Alt && a.Speed == b.Speed &&
           a.Heading == b.Heading && a.DistKm == b.DistKm && a.SatCount == b.SatCount;
}

struct RateCase {
    int Hz;
    int SamplesPerLap;  // 0: laps cut at the start line
    int Laps;
    int FirstDataNo;
    std::vector<std::string> Names;
};

const std::vector<RateCase> kRateCases = {
    {20, 2400, 3, 1, {"Temp0001.dtb", "Temp0002.dtb", "Temp0003.dtb"}},
    {10, 0, 3, 998, {"Temp0998.dtb", "Temp0999.dtb", "Temp1000.dtb"}},
    {5, 37, 4, 0, {"Temp0000.dtb", "Temp0001.dtb", "Temp0002.dtb", "Temp0003.dtb"}},
    {1, 0, 2, 9998, {"Temp9998.dtb", "Temp9999.dtb"}},
};

TEST(SessionGenTest, WrittenSessionReadsBackAtEveryRate) {
    for (const RateCase& c : kRateCases) {
        SCOPED_TRACE("Hz " + std::to_string(c.Hz) + ", samples " + std::to_string(c.SamplesPerLap));
        ScratchDir tmp;
        SessionOptions o;
        o.SampleHz = c.Hz;
        o.SamplesPerLap = c.SamplesPerLap;
        o.Laps = c.Laps;
        o.FirstDataNo = c.FirstDataNo;
        const fs::path folder = fs::path(tmp / "not") / "there";
        const auto paths = WriteSession(folder.string(), o);
        ASSERT_EQ(paths.size(), c.Names.size());

        const double step = 1.0 / c.Hz;
        std::optional<TDateTime> previousEnd;
        for (std::size_t k = 0; k < paths.size(); ++k) {
            EXPECT_EQ(fs::path(paths[k]), folder / c.Names[k]);
            const auto lap = Read(paths[k]);
            ASSERT_FALSE(lap.empty());
            if (c.SamplesPerLap > 0) {
                EXPECT_EQ(lap.size(), std::size_t(c.SamplesPerLap));
            } else {
                EXPECT_GT(lap.size(), std::size_t(60 * c.Hz));  // a lap takes minutes
                EXPECT_LT(lap.size(), std::size_t(200 * c.Hz));
            }

            // The file holds exactly what MakeLapSamples gives for that lap.
            const auto made = MakeLapSamples(o, static_cast<int>(k));
            ASSERT_EQ(made.size(), lap.size());
            EXPECT_TRUE(std::equal(lap.begin(), lap.end(), made.begin(), SameRecord));

            const TPosDtRec& first = lap.front();
            EXPECT_EQ(first.ElapsedSec, 0);
            EXPECT_EQ(first.Elapsed, 0);
            EXPECT_EQ(first.DistKm, 0);
            if (k == 0) {
                EXPECT_EQ(first.DateTime, o.Start);
            }
            // The next lap starts one sampling step after this one ended.
            if (previousEnd) {
                EXPECT_NEAR((first.DateTime - *previousEnd) * 86400, step, 1e-5);
            }
            for (std::size_t i = 0; i < lap.size(); ++i) {
                const TPosDtRec& r = lap[i];
                EXPECT_NEAR(static_cast<double>(r.ElapsedSec), i * step, 1e-9);
                EXPECT_NEAR(static_cast<double>(r.ElapsedSec - Extended(r.Elapsed) * 86400), 0,
                            1e-9);
                EXPECT_NEAR((r.DateTime - first.DateTime) * 86400,
                            static_cast<double>(r.ElapsedSec), 1e-5);
                EXPECT_GE(r.Heading, 0);
                EXPECT_LT(r.Heading, 360);
                EXPECT_GE(r.SatCount, 7);
                EXPECT_LE(r.SatCount, 12);
                if (i > 0) {
                    EXPECT_GT(r.DateTime, lap[i - 1].DateTime);
                    EXPECT_GE(r.DistKm, lap[i - 1].DistKm);
                }
            }
            previousEnd = lap.back().DateTime;
        }
    }
}

// Speed, distance and heading agree with the movement between positions,
// and the drive looks like one on a circuit.
TEST(SessionGenTest, SamplesDescribeTheMotion) {
    for (int hz : {20, 10, 5, 1}) {
        SCOPED_TRACE("Hz " + std::to_string(hz));
        SessionOptions o;
        o.SampleHz = hz;
        o.Laps = 3;
        const double dt = 1.0 / hz;
        for (int k : {0, 2}) {
            const auto lap = MakeLapSamples(o, k);
            double top = 0, slowest = 1e9, lowest = 1e9, highest = -1e9;
            for (std::size_t i = 0; i < lap.size(); ++i) {
                const TPosDtRec& r = lap[i];
                top = std::max(top, static_cast<double>(r.Speed));
                slowest = std::min(slowest, static_cast<double>(r.Speed));
                lowest = std::min(lowest, static_cast<double>(r.Alt));
                highest = std::max(highest, static_cast<double>(r.Alt));
                if (i == 0) continue;
                const TPosDtRec& p = lap[i - 1];
                const Step s = Between(p, r);
                const double driven = static_cast<double>(r.DistKm - p.DistKm) * 1000;
                const double bySpeed = static_cast<double>(p.Speed + r.Speed) / 2 / 3.6 * dt;
                EXPECT_NEAR(driven, bySpeed, 0.02 * driven + 2.5 * dt * dt + 0.05) << i;
                EXPECT_NEAR(s.Length(), driven, 0.02 * driven + 0.8 * dt + 0.05) << i;
                const double headingCourse = CourseOf(p) + AngleDiff(CourseOf(r), CourseOf(p)) / 2;
                EXPECT_NEAR(AngleDiff(s.CourseDeg(), headingCourse), 0, 5) << i;
            }
            EXPECT_GT(top, 150);
            EXPECT_LT(top, 200);
            EXPECT_LT(slowest, 90);  // brakes for the tight corners
            EXPECT_GT(slowest, 30);  // but never stops
            EXPECT_GT(highest - lowest, 1);
            EXPECT_LT(highest - lowest, 50);
            // A lap cut at the start line covers the circuit and ends where
            // it began: its first and last samples each lie less than one
            // step from the line.
            const double length = static_cast<double>(lap.back().DistKm);
            EXPECT_GT(length, 2);
            EXPECT_LT(length, 7);
            const double lastStep = static_cast<double>(lap.back().Speed) / 3.6 * dt;
            EXPECT_LT(Between(lap.front(), lap.back()).Length(), 2 * lastStep + 3);
        }
    }
}

TEST(SessionGenTest, LapsAndSeedsVary) {
    SessionOptions o;
    o.Laps = 4;
    std::vector<double> lapTimes;
    for (int k = 0; k < o.Laps; ++k)
        lapTimes.push_back(static_cast<double>(MakeLapSamples(o, k).back().ElapsedSec));
    std::sort(lapTimes.begin(), lapTimes.end());
    EXPECT_GT(lapTimes.back() - lapTimes.front(), 0.1);

    SessionOptions other = o;
    other.Seed = 2;
    const auto a = MakeLapSamples(o, 1), b = MakeLapSamples(other, 1);
    const std::size_t n = std::min(a.size(), b.size());
    EXPECT_FALSE(std::equal(a.begin(), a.begin() + n, b.begin(), SameRecord));
}

TEST(SessionGenTest, SamplesContinueAcrossFixedSizeLaps) {
    SessionOptions o;
    o.Laps = 3;
    o.SamplesPerLap = 700;  // shorter than a lap of the circuit
    for (int k = 0; k + 1 < o.Laps; ++k) {
        const auto lap = MakeLapSamples(o, k), next = MakeLapSamples(o, k + 1);
        const double gap = Between(lap.back(), next.front()).Length();
        const double step = static_cast<double>(lap.back().Speed) / 3.6 / o.SampleHz;
        EXPECT_NEAR(gap, step, 0.05 * step + 0.1);
    }
}

struct Stamp {
    timespec Time;
    std::string Name;
};

std::vector<Stamp> Stamps(const std::vector<std::string>& paths) {
    std::vector<Stamp> stamps;
    for (const auto& p : paths) {
        struct stat st {};
        if (::stat(p.c_str(), &st) != 0) throw std::runtime_error("stat failed: " + p);
        stamps.push_back({st.st_mtim, p});
    }
    return stamps;
}

double SecondsAfter(const timespec& a, const timespec& b) {
    return static_cast<double>(a.tv_sec - b.tv_sec) + (a.tv_nsec - b.tv_nsec) * 1e-9;
}

// Sets the local time zone for the life of the object.
class LocalZone {
  public:
    explicit LocalZone(const char* tz) {
        if (const char* old = std::getenv("TZ")) old_ = old;
        ::setenv("TZ", tz, 1);
        ::tzset();
    }
    ~LocalZone() {
        if (old_) {
            ::setenv("TZ", old_->c_str(), 1);
        } else {
            ::unsetenv("TZ");
        }
        ::tzset();
    }

  private:
    std::optional<std::string> old_;
};

// Each file is stamped with its lap's end as local wall-clock time, and
// stamps grow by at least two seconds with the data number even when the
// laps are shorter than that.
TEST(SessionGenTest, FileStampsFollowTheDataNumber) {
    struct Case {
        int SamplesPerLap;
        bool StampIsLapEnd;
    };
    // Away from UTC, so that a stamp taken as UTC shows.
    const LocalZone zone("JST-9");
    for (const Case c : {Case{0, true}, Case{3, false}}) {
        SCOPED_TRACE("samples " + std::to_string(c.SamplesPerLap));
        ScratchDir tmp;
        SessionOptions o;
        o.Laps = 4;
        o.SamplesPerLap = c.SamplesPerLap;
        o.Start = 41032.5 + 0.123 / 86400;
        const auto stamps = Stamps(WriteSession(tmp.Path(), o));
        ASSERT_EQ(stamps.size(), 4u);
        for (std::size_t k = 0; k < stamps.size(); ++k) {
            if (k > 0) {
                EXPECT_GE(SecondsAfter(stamps[k].Time, stamps[k - 1].Time), 2.0);
            }
            if (!c.StampIsLapEnd) continue;
            const auto lap = Read(stamps[k].Name);
            DateTimeFields end;
            ASSERT_TRUE(DecodeDateTime(lap.back().DateTime, end));
            std::tm local{};
            ASSERT_NE(::localtime_r(&stamps[k].Time.tv_sec, &local), nullptr);
            EXPECT_EQ(local.tm_year + 1900, end.Year);
            EXPECT_EQ(local.tm_mon + 1, end.Month);
            EXPECT_EQ(local.tm_mday, end.Day);
            EXPECT_EQ(local.tm_hour, end.Hour);
            EXPECT_EQ(local.tm_min, end.Minute);
            EXPECT_EQ(local.tm_sec, end.Second);
            EXPECT_EQ(stamps[k].Time.tv_nsec / 1'000'000, end.MilliSecond);
        }
    }
}

TEST(SessionGenTest, RejectsSessionsItCannotWrite) {
    ScratchDir tmp;
    const auto with = [](auto change) {
        SessionOptions o;
        change(o);
        return o;
    };
    const SessionOptions bad[] = {
        with([](SessionOptions& o) { o.SampleHz = 7; }),
        with([](SessionOptions& o) { o.SamplesPerLap = -1; }),
        with([](SessionOptions& o) { o.Laps = -1; }),
        with([](SessionOptions& o) { o.FirstDataNo = 9998, o.Laps = 3; }),
        with([](SessionOptions& o) { o.Start = std::nan(""); }),
    };
    for (const SessionOptions& o : bad)
        EXPECT_THROW(WriteSession(tmp.Path(), o), std::invalid_argument);
    EXPECT_TRUE(fs::is_empty(tmp.Path()));
}

}  // namespace
