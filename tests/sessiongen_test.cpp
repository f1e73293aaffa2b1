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

#include "lapdata/lapfile.h"
#include "tests/kit/files.h"
#include "tests/kit/laps.h"
#include "text/datetime.h"
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
Step Between(const Sample& a, const Sample& b) {
    const double mPerDeg = 6371000.0 * M_PI / 180;
    const double lat = static_cast<double>(a.lat) * M_PI / 180;
    return {static_cast<double>(b.lon - a.lon) * mPerDeg * std::cos(lat),
            static_cast<double>(b.lat - a.lat) * mPerDeg};
}

// Signed difference of two angles in degrees, within ±180.
double AngleDiff(double a, double b) {
    return std::remainder(a - b, 360.0);
}

// Compass course of a stored heading (stored = course + 180, below 360).
double CourseOf(const Sample& r) {
    return std::fmod(static_cast<double>(r.heading) + 180, 360);
}

std::vector<Sample> Read(const std::string& path) {
    std::vector<Sample> samples;
    if (!ReadLapSamples(path, [&](const Sample& s) { samples.push_back(s); }))
        throw std::runtime_error("not a lap file: " + path);
    return samples;
}

bool SameRecord(const Sample& a, const Sample& b) {
    return a.dateTime == b.dateTime && a.elapsed == b.elapsed && a.elapsedSec == b.elapsedSec &&
           a.lat == b.lat && a.lon == b.lon && a.alt == b.alt && a.speed == b.speed &&
           a.heading == b.heading && a.distKm == b.distKm && a.satCount == b.satCount;
}

struct RateCase {
    int hz;
    int samplesPerLap;  // 0: laps cut at the start line
    int laps;
    int firstDataNumber;
    std::vector<std::string> names;
};

const std::vector<RateCase> kRateCases = {
    {20, 2400, 3, 1, {"Temp0001.dtb", "Temp0002.dtb", "Temp0003.dtb"}},
    {10, 0, 3, 998, {"Temp0998.dtb", "Temp0999.dtb", "Temp1000.dtb"}},
    {5, 37, 4, 0, {"Temp0000.dtb", "Temp0001.dtb", "Temp0002.dtb", "Temp0003.dtb"}},
    {1, 0, 2, 9998, {"Temp9998.dtb", "Temp9999.dtb"}},
};

TEST(SessionGenTest, WrittenSessionReadsBackAtEveryRate) {
    for (const RateCase& c : kRateCases) {
        SCOPED_TRACE("Hz " + std::to_string(c.hz) + ", samples " + std::to_string(c.samplesPerLap));
        ScratchDir tmp;
        SessionOptions o;
        o.sampleHz = c.hz;
        o.samplesPerLap = c.samplesPerLap;
        o.laps = c.laps;
        o.firstDataNumber = c.firstDataNumber;
        const fs::path folder = fs::path(tmp / "not") / "there";
        const auto paths = WriteSession(folder.string(), o);
        ASSERT_EQ(paths.size(), c.names.size());

        const double step = 1.0 / c.hz;
        std::optional<DateTime> previousEnd;
        for (std::size_t k = 0; k < paths.size(); ++k) {
            EXPECT_EQ(fs::path(paths[k]), folder / c.names[k]);
            const auto lap = Read(paths[k]);
            ASSERT_FALSE(lap.empty());
            if (c.samplesPerLap > 0) {
                EXPECT_EQ(lap.size(), std::size_t(c.samplesPerLap));
            } else {
                EXPECT_GT(lap.size(), std::size_t(60 * c.hz));  // a lap takes minutes
                EXPECT_LT(lap.size(), std::size_t(200 * c.hz));
            }

            // The file holds exactly what MakeLapSamples gives for that lap.
            const auto made = MakeLapSamples(o, static_cast<int>(k));
            ASSERT_EQ(made.size(), lap.size());
            EXPECT_TRUE(std::equal(lap.begin(), lap.end(), made.begin(), SameRecord));

            const Sample& first = lap.front();
            EXPECT_EQ(first.elapsedSec, 0);
            EXPECT_EQ(first.elapsed, 0);
            EXPECT_EQ(first.distKm, 0);
            if (k == 0) {
                EXPECT_EQ(first.dateTime, o.start);
            }
            // The next lap starts one sampling step after this one ended.
            if (previousEnd) {
                EXPECT_NEAR((first.dateTime - *previousEnd) * 86400, step, 1e-5);
            }
            for (std::size_t i = 0; i < lap.size(); ++i) {
                const Sample& r = lap[i];
                EXPECT_NEAR(static_cast<double>(r.elapsedSec), i * step, 1e-9);
                EXPECT_NEAR(static_cast<double>(r.elapsedSec - Extended(r.elapsed) * 86400), 0,
                            1e-9);
                EXPECT_NEAR((r.dateTime - first.dateTime) * 86400,
                            static_cast<double>(r.elapsedSec), 1e-5);
                EXPECT_GE(r.heading, 0);
                EXPECT_LT(r.heading, 360);
                EXPECT_GE(r.satCount, 7);
                EXPECT_LE(r.satCount, 12);
                if (i > 0) {
                    EXPECT_GT(r.dateTime, lap[i - 1].dateTime);
                    EXPECT_GE(r.distKm, lap[i - 1].distKm);
                }
            }
            previousEnd = lap.back().dateTime;
        }
    }
}

// Speed, distance and heading agree with the movement between positions,
// and the drive looks like one on a circuit.
TEST(SessionGenTest, SamplesDescribeTheMotion) {
    for (int hz : {20, 10, 5, 1}) {
        SCOPED_TRACE("Hz " + std::to_string(hz));
        SessionOptions o;
        o.sampleHz = hz;
        o.laps = 3;
        const double dt = 1.0 / hz;
        for (int k : {0, 2}) {
            const auto lap = MakeLapSamples(o, k);
            double top = 0, slowest = 1e9, lowest = 1e9, highest = -1e9;
            for (std::size_t i = 0; i < lap.size(); ++i) {
                const Sample& r = lap[i];
                top = std::max(top, static_cast<double>(r.speed));
                slowest = std::min(slowest, static_cast<double>(r.speed));
                lowest = std::min(lowest, static_cast<double>(r.alt));
                highest = std::max(highest, static_cast<double>(r.alt));
                if (i == 0) continue;
                const Sample& p = lap[i - 1];
                const Step s = Between(p, r);
                const double driven = static_cast<double>(r.distKm - p.distKm) * 1000;
                const double bySpeed = static_cast<double>(p.speed + r.speed) / 2 / 3.6 * dt;
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
            const double length = static_cast<double>(lap.back().distKm);
            EXPECT_GT(length, 2);
            EXPECT_LT(length, 7);
            const double lastStep = static_cast<double>(lap.back().speed) / 3.6 * dt;
            EXPECT_LT(Between(lap.front(), lap.back()).Length(), 2 * lastStep + 3);
        }
    }
}

TEST(SessionGenTest, LapsAndSeedsVary) {
    SessionOptions o;
    o.laps = 4;
    std::vector<double> lapTimes;
    for (int k = 0; k < o.laps; ++k)
        lapTimes.push_back(static_cast<double>(MakeLapSamples(o, k).back().elapsedSec));
    std::sort(lapTimes.begin(), lapTimes.end());
    EXPECT_GT(lapTimes.back() - lapTimes.front(), 0.1);

    SessionOptions other = o;
    other.seed = 2;
    const auto a = MakeLapSamples(o, 1), b = MakeLapSamples(other, 1);
    const std::size_t n = std::min(a.size(), b.size());
    EXPECT_FALSE(std::equal(a.begin(), a.begin() + n, b.begin(), SameRecord));
}

TEST(SessionGenTest, SamplesContinueAcrossFixedSizeLaps) {
    SessionOptions o;
    o.laps = 3;
    o.samplesPerLap = 700;  // shorter than a lap of the circuit
    for (int k = 0; k + 1 < o.laps; ++k) {
        const auto lap = MakeLapSamples(o, k), next = MakeLapSamples(o, k + 1);
        const double gap = Between(lap.back(), next.front()).Length();
        const double step = static_cast<double>(lap.back().speed) / 3.6 / o.sampleHz;
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
        int samplesPerLap;
        bool stampIsLapEnd;
    };
    // Away from UTC, so that a stamp taken as UTC shows.
    const LocalZone zone("JST-9");
    for (const Case c : {Case{0, true}, Case{3, false}}) {
        SCOPED_TRACE("samples " + std::to_string(c.samplesPerLap));
        ScratchDir tmp;
        SessionOptions o;
        o.laps = 4;
        o.samplesPerLap = c.samplesPerLap;
        o.start = 41032.5 + 0.123 / 86400;
        const auto stamps = Stamps(WriteSession(tmp.Path(), o));
        ASSERT_EQ(stamps.size(), 4u);
        for (std::size_t k = 0; k < stamps.size(); ++k) {
            if (k > 0) {
                EXPECT_GE(SecondsAfter(stamps[k].Time, stamps[k - 1].Time), 2.0);
            }
            if (!c.stampIsLapEnd) continue;
            const auto lap = Read(stamps[k].Name);
            DateTimeFields end;
            ASSERT_TRUE(DecodeDateTime(lap.back().dateTime, end));
            std::tm local{};
            ASSERT_NE(::localtime_r(&stamps[k].Time.tv_sec, &local), nullptr);
            EXPECT_EQ(local.tm_year + 1900, end.year);
            EXPECT_EQ(local.tm_mon + 1, end.month);
            EXPECT_EQ(local.tm_mday, end.day);
            EXPECT_EQ(local.tm_hour, end.hour);
            EXPECT_EQ(local.tm_min, end.minute);
            EXPECT_EQ(local.tm_sec, end.second);
            EXPECT_EQ(stamps[k].Time.tv_nsec / 1'000'000, end.milliSecond);
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
        with([](SessionOptions& o) { o.sampleHz = 7; }),
        with([](SessionOptions& o) { o.samplesPerLap = -1; }),
        with([](SessionOptions& o) { o.laps = -1; }),
        with([](SessionOptions& o) { o.firstDataNumber = 9998, o.laps = 3; }),
        with([](SessionOptions& o) { o.start = std::nan(""); }),
    };
    for (const SessionOptions& o : bad)
        EXPECT_THROW(WriteSession(tmp.Path(), o), std::invalid_argument);
    EXPECT_TRUE(fs::is_empty(tmp.Path()));
}

}  // namespace
