#include "export/gpx.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <ctime>
#include <numeric>
#include <sstream>

#include "platform/system.h"
#include "tests/kit/files.h"
#include "tests/sharekit.h"
#include "text/numtext.h"

namespace {

class GpxTest : public ::testing::Test {
  protected:
    void SetUp() override {
        if (const auto missing = MissingProgram({"xmllint", "gpsbabel"}))
            GTEST_SKIP() << *missing << " is not installed (scripts/install-deps.sh)";
    }
    // Writes the document and checks it is well-formed XML.
    void Write(const std::string& gpx, const std::string& what) {
        WriteBytes(path, gpx);
        const ProgramRun lint = RunTool("xmllint", {"--noout", path});
        EXPECT_EQ(lint.status, 0) << what << ": " << lint.err;
    }
    // xmllint's answer to an XPath expression, without the line end it adds.
    std::string XPath(const std::string& expr) {
        std::string out = RunTool("xmllint", {"--xpath", expr, path}).out;
        if (!out.empty() && out.back() == '\n') out.pop_back();
        return out;
    }
    // The track points as gpsbabel reads them: unicsv rows without the header.
    std::vector<std::vector<std::string>> Babel(const std::string& what) {
        const std::string csv = dir / "out.csv";
        const ProgramRun run =
            RunTool("gpsbabel", {"-t", "-i", "gpx", "-f", path, "-o", "unicsv,utc=0", "-F", csv});
        EXPECT_EQ(run.status, 0) << what << ": " << run.err;
        std::vector<std::vector<std::string>> rows;
        std::istringstream in(ReadBytes(csv));
        std::string line;
        const auto chomp = [&line] {
            if (!line.empty() && line.back() == '\r') line.pop_back();
        };
        std::getline(in, line);
        chomp();
        header = line;
        while (std::getline(in, line)) {
            chomp();
            std::vector<std::string> cells;
            std::istringstream cellsIn(line);
            for (std::string cell; std::getline(cellsIn, cell, ',');)
                cells.push_back(cell);
            rows.push_back(cells);
        }
        return rows;
    }

    ScratchDir dir;
    std::string path = dir / "laps.gpx";
    std::string header;
};

std::string Text(const char* pattern, DateTime value) {
    std::string text;
    AppendDateTime(text, pattern, value);
    return text;
}

TEST_F(GpxTest, GpsbabelReadsTheSessionBack) {
    SessionOptions options;
    options.laps = 2;
    options.sampleHz = 10;
    std::vector<GpxLap> tracks;
    for (SessionLap& lap : GeneratedLaps(options))
        tracks.push_back(std::move(lap.track));
    const std::size_t points = tracks[0].samples.size() + tracks[1].samples.size();
    const GpxSample first = tracks.front().samples.front(), last = tracks.back().samples.back();

    for (const char* offset : {"Z", "+09:00"}) {
        const int minutes = *ParseUtcOffset(offset);
        Write(GpxText(tracks, FixedUtcOffset(minutes)), offset);
        EXPECT_EQ(XPath("count(//*[local-name()='trk'])"), "2");
        EXPECT_EQ(XPath("string(//*[local-name()='trk'][2]/*[local-name()='name'])"),
                  tracks[1].name);
        const auto rows = Babel(offset);
        ASSERT_EQ(header, "No,Latitude,Longitude,Altitude,Date,Time") << offset;
        ASSERT_EQ(rows.size(), points) << offset;
        const double shift = minutes / 1440.0;  // exact: a multiple of 1/32 day
        for (const auto& [row, sample] : {std::pair{rows.front(), first}, {rows.back(), last}}) {
            ASSERT_EQ(row.size(), 6u);
            EXPECT_EQ(row[1], FormatFixed(sample.lat, 6)) << offset;
            EXPECT_EQ(row[2], FormatFixed(sample.lon, 6)) << offset;
            EXPECT_EQ(row[4], Text("yyyy/mm/dd", sample.dateTime - shift)) << offset;
            EXPECT_EQ(row[5], Text("hh:nn:ss", sample.dateTime - shift) +
                                  (row[5].size() > 8 ? Text(".zzz", sample.dateTime) : ""))
                << offset;
        }
    }
    // The session starts at 12:00 local: 03:00 UTC nine hours ahead.
    EXPECT_EQ(Text("hh:nn:ss", first.dateTime), "12:00:00");
    EXPECT_EQ(Babel("+09:00").front()[5].substr(0, 8), "03:00:00");
}

TEST_F(GpxTest, FieldsOfOnePoint) {
    const GpxSample plain{41032.5 + 0.25 / 86400, 35.123456789L, 139.5L, 12.5L, 36, 90};
    auto with = [&plain](auto change) {
        GpxSample s = plain;
        change(s);
        return s;
    };
    const auto tokyo = FixedUtcOffset(9 * 60);
    const struct {
        const char* what;
        GpxSample sample;
        LocalToUtc toUtc;
        // Expected texts; "" for an element left out. No time: no point.
        const char *time = nullptr, *lat = nullptr, *ele = nullptr, *speed = nullptr,
                   *course = nullptr;
    } cases[] = {
        {"plain", plain, tokyo, "2012-05-03T03:00:00.250Z", "35.123456789", "12.50", "10.000",
         "90.00"},
        {"course below zero", with([](GpxSample& s) { s.courseDeg = -90; }), tokyo,
         "2012-05-03T03:00:00.250Z", "35.123456789", "12.50", "10.000", "270.00"},
        {"course printed as 360", with([](GpxSample& s) { s.courseDeg = 359.999L; }), tokyo,
         "2012-05-03T03:00:00.250Z", "35.123456789", "12.50", "10.000", "0.00"},
        {"course of two turns", with([](GpxSample& s) { s.courseDeg = 720.5; }), tokyo,
         "2012-05-03T03:00:00.250Z", "35.123456789", "12.50", "10.000", "0.50"},
        {"no course", with([](GpxSample& s) { s.courseDeg = NAN; }), tokyo,
         "2012-05-03T03:00:00.250Z", "35.123456789", "12.50", "10.000", ""},
        {"no speed", with([](GpxSample& s) { s.speedKmh = INFINITY; }), tokyo,
         "2012-05-03T03:00:00.250Z", "35.123456789", "12.50", "", "90.00"},
        {"negative speed", with([](GpxSample& s) { s.speedKmh = -1; }), tokyo,
         "2012-05-03T03:00:00.250Z", "35.123456789", "12.50", "", "90.00"},
        {"no elevation", with([](GpxSample& s) { s.alt = NAN; }), tokyo, "2012-05-03T03:00:00.250Z",
         "35.123456789", "", "10.000", "90.00"},
        {"west of UTC, over midnight", with([](GpxSample& s) { s.dateTime = 41032 + 22.0 / 24; }),
         FixedUtcOffset(-210), "2012-05-04T01:30:00.000Z", "35.123456789", "12.50", "10.000",
         "90.00"},
        {"east of UTC, back over new year",
         with([](GpxSample& s) { s.dateTime = 41275 + 5.0 / 24; }), tokyo,
         "2012-12-31T20:00:00.000Z", "35.123456789", "12.50", "10.000", "90.00"},
        // 3/2048 day is exactly 126,562.5 ms.
        {"milliseconds rounded half to even",
         with([](GpxSample& s) { s.dateTime = 41032.5 + 3.0 / 2048; }), FixedUtcOffset(0),
         "2012-05-03T12:02:06.562Z", "35.123456789", "12.50", "10.000", "90.00"},
        {"before 1899-12-30: the day keeps its sign",
         with([](GpxSample& s) { s.dateTime = -1.25; }), FixedUtcOffset(0),
         "1899-12-29T06:00:00.000Z", "35.123456789", "12.50", "10.000", "90.00"},
        {"the same nine hours earlier", with([](GpxSample& s) { s.dateTime = -1.25; }), tokyo,
         "1899-12-28T21:00:00.000Z", "35.123456789", "12.50", "10.000", "90.00"},
        {"latitude not a number", with([](GpxSample& s) { s.lat = NAN; }), tokyo},
        {"longitude infinite", with([](GpxSample& s) { s.lon = -INFINITY; }), tokyo},
        {"latitude beyond the pole", with([](GpxSample& s) { s.lat = 90.5; }), tokyo},
        {"date-time not a number", with([](GpxSample& s) { s.dateTime = NAN; }), tokyo},
        {"date-time past 9999", with([](GpxSample& s) { s.dateTime = 3e6; }), tokyo},
        {"UTC before the year 1", with([](GpxSample& s) { s.dateTime = -693593; }), tokyo},
        {"no conversion", plain, [](std::int64_t) { return std::optional<std::int64_t>(); }},
    };
    for (const auto& c : cases) {
        Write(GpxText({{"1", "d", {c.sample}}}, c.toUtc), c.what);
        const auto rows = Babel(c.what);
        if (!c.time) {
            EXPECT_EQ(XPath("count(//*[local-name()='trkpt'])"), "0") << c.what;
            EXPECT_TRUE(rows.empty()) << c.what;
            continue;
        }
        ASSERT_EQ(rows.size(), 1u) << c.what;
        const auto field = [this](const char* name) {
            return XPath(std::string("string(//*[local-name()='") + name + "'])");
        };
        EXPECT_EQ(field("time"), c.time) << c.what;
        EXPECT_EQ(XPath("string(//*[local-name()='trkpt']/@lat)"), c.lat) << c.what;
        EXPECT_EQ(field("ele"), c.ele) << c.what;
        EXPECT_EQ(field("speed"), c.speed) << c.what;
        EXPECT_EQ(field("course"), c.course) << c.what;
        EXPECT_EQ(XPath("namespace-uri(//*[local-name()='TrackPointExtension'])"),
                  std::string(*c.speed || *c.course
                                  ? "http://www.garmin.com/xmlschemas/TrackPointExtension/v2"
                                  : ""))
            << c.what;
    }
}

TEST_F(GpxTest, NamesAndEmptyTracks) {
    const struct {
        const char* what;
        std::vector<GpxLap> laps;
        const char *name, *desc;
    } cases[] = {
        {"no laps", {}, "", ""},
        {"a lap without samples",
         {{"0001", "2012/05/03 12:00:00 1:23.456", {}}},
         "0001",
         "2012/05/03 12:00:00 1:23.456"},
        {"text to escape", {{"<0&1>", "\"a\" 'b' 最速", {}}}, "<0&1>", "\"a\" 'b' 最速"},
        {"broken UTF-8 and control characters",
         {{"\xff"
           "1\x01",
           "\xe6\x9c",
           {}}},
         "\xEF\xBF\xBD"
         "1\xEF\xBF\xBD",
         "\xEF\xBF\xBD\xEF\xBF\xBD"},  // one per byte that starts no character
    };
    for (const auto& c : cases) {
        Write(GpxText(c.laps, FixedUtcOffset(0)), c.what);
        EXPECT_EQ(XPath("string(/*[local-name()='gpx']/@version)"), "1.1") << c.what;
        EXPECT_EQ(XPath("namespace-uri(/*)"), "http://www.topografix.com/GPX/1/1") << c.what;
        EXPECT_EQ(XPath("string(//*[local-name()='name'])"), c.name) << c.what;
        EXPECT_EQ(XPath("string(//*[local-name()='desc'])"), c.desc) << c.what;
        EXPECT_TRUE(Babel(c.what).empty()) << c.what;
    }
}

TEST(UtcOffsetTest, Parse) {
    const struct {
        const char* text;
        std::optional<int> minutes;
    } cases[] = {
        {"+09:00", 540}, {"-03:30", -210}, {"Z", 0},        {"+00:00", 0},      {"-00:00", 0},
        {"+0545", 345},  {"+14", 840},     {"+14:00", 840}, {"+14:01", {}},     {"+09:60", {}},
        {"09:00", {}},   {"+9:00", {}},    {"+09:0", {}},   {"+09:00 ", {}},    {"", {}},
        {"+", {}},       {"UTC", {}},      {"+09-00", {}},  {"+０９:００", {}}, {"z", 0},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ParseUtcOffset(c.text), c.minutes) << c.text;
}

// Sets TZ for the process while it lives.
class ZoneScope {
  public:
    explicit ZoneScope(const char* zone) {
        if (const char* old = std::getenv("TZ")) old_ = old;
        ::setenv("TZ", zone, 1);
        ::tzset();
    }
    ~ZoneScope() {
        if (old_)
            ::setenv("TZ", old_->c_str(), 1);
        else
            ::unsetenv("TZ");
        ::tzset();
    }
    ZoneScope(const ZoneScope&) = delete;
    ZoneScope& operator=(const ZoneScope&) = delete;

  private:
    std::optional<std::string> old_;
};

TEST_F(GpxTest, MachineZoneRules) {
    const struct {
        const char* zone;
        DateTime local;
        const char* utc;
    } cases[] = {
        {"Asia/Tokyo", 41032.5 + 0.25 / 86400, "2012-05-03T03:00:00.250Z"},
        {"Europe/Berlin", 45474.5, "2024-07-01T10:00:00.000Z"},              // summer
        {"Europe/Berlin", 45306.5, "2024-01-15T11:00:00.000Z"},              // winter
        {"Europe/Berlin", 45382 + 2.5 / 24, "2024-03-31T01:30:00.000Z"},     // in the gap
        {"Europe/Berlin", 45592 + 2.5 / 24, "2024-10-27T00:30:00.000Z"},     // twice: the first
        {"Europe/Berlin", 45592 + 3.5 / 24, "2024-10-27T02:30:00.000Z"},     // after the change
        {"America/New_York", 45361 + 2.5 / 24, "2024-03-10T07:30:00.000Z"},  // in the gap
        {"America/New_York", 45599 + 1.5 / 24, "2024-11-03T05:30:00.000Z"},  // twice: the first
    };
    for (const auto& c : cases) {
        const std::string file = std::string("/usr/share/zoneinfo/") + c.zone;
        if (ReadBytes(file).empty()) GTEST_SKIP() << "no time-zone data: " << file;
        std::string gpx;
        {
            ZoneScope zone(c.zone);
            gpx =
                GpxText({{"1", "", {{c.local, 35, 139, 0, 0, 0}}}}, platform::MachineLocalToUtc());
        }
        Write(gpx, c.zone);
        EXPECT_EQ(XPath("string(//*[local-name()='time'])"), c.utc) << c.zone << " " << c.utc;
    }
}

}  // namespace
