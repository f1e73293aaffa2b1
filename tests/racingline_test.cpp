#include "export/racingline.h"

#include <gtest/gtest.h>

#include <cmath>

#include "tests/kit/files.h"
#include "tests/sharekit.h"

namespace {

// Legend ends in the rendered picture: the slowest and the fastest colour.
constexpr int kLegendY = 111, kLegendSlowX = 906, kLegendFastX = 1166;
constexpr int kPlotMidX = 24 + 852 / 2, kPlotMidY = 24 + 852 / 2;

class RacingLineTest : public ::testing::Test {
  protected:
    void SetUp() override {
        if (const auto missing = MissingProgram({"xmllint", "rsvg-convert", "convert"}))
            GTEST_SKIP() << *missing << " is not installed (scripts/install-deps.sh)";
    }
    // Writes the picture, checks it is well-formed XML and renders it;
    // returns the PNG's path, empty on failure.
    std::string Render(const std::string& svg, const std::string& what) {
        const std::string svgPath = dir / "line.svg", png = dir / "line.png";
        WriteBytes(svgPath, svg);
        std::remove(png.c_str());
        const ProgramRun lint = RunTool("xmllint", {"--noout", svgPath});
        EXPECT_EQ(lint.status, 0) << what << ": " << lint.err;
        const ProgramRun render = RunTool("rsvg-convert", {"-o", png, svgPath});
        EXPECT_EQ(render.status, 0) << what << ": " << render.err;
        if (lint.status != 0 || render.status != 0) return "";
        EXPECT_GT(ReadBytes(png).size(), 1000u) << what;
        EXPECT_EQ(svg.find("NAN"), std::string::npos) << what;
        EXPECT_EQ(svg.find("INF"), std::string::npos) << what;
        return png;
    }
    // xmllint's answer to an XPath expression, without the line end it adds.
    std::string XPath(const std::string& expr) {
        std::string out = RunTool("xmllint", {"--xpath", expr, dir / "line.svg"}).out;
        if (!out.empty() && out.back() == '\n') out.pop_back();
        return out;
    }

    ScratchDir dir;
};

// A straight lap from the origin towards (dx, dy) metres, speeds from
// `from` to `to` km/h.
RacingLineLap Straight(std::string dataNo, double lapSeconds, double dx, double dy, double from,
                       double to, int samples = 201) {
    RacingLineLap lap;
    lap.dataNo = std::move(dataNo);
    lap.date = "2012/05/03";
    lap.startTime = "12:00:00";
    lap.lapTime = "1:00.000";
    lap.topSpeed = "100.00";
    lap.lapSeconds = lapSeconds;
    for (int i = 0; i < samples; ++i) {
        const double f = static_cast<double>(i) / (samples - 1);
        lap.x.push_back(dx * f);
        lap.y.push_back(dy * f);
        lap.speedKmh.push_back(from + (to - from) * f);
    }
    return lap;
}

TEST_F(RacingLineTest, GeneratedSessionRenders) {
    SessionOptions options;
    options.laps = 3;
    const auto laps = GeneratedLaps(options);
    std::vector<RacingLineLap> lines;
    for (const SessionLap& l : laps)
        lines.push_back(l.line);
    const std::string png = Render(RacingLineSvg(lines), "session");
    ASSERT_FALSE(png.empty());
    EXPECT_EQ(PixelHex(png, 3, 3), "#ffffff");
    // The slowest and the fastest colour of the legend both appear on the track.
    const std::string slow = PixelHex(png, kLegendSlowX, kLegendY),
                      fast = PixelHex(png, kLegendFastX, kLegendY);
    ASSERT_NE(slow, fast);
    const std::string colours =
        RunTool("convert", {png, "-crop", "852x852+24+24", "-format", "%c", "histogram:info:-"})
            .out;
    for (const std::string& c : {slow, fast}) {
        std::string upper = c;
        for (char& ch : upper)
            ch = static_cast<char>(std::toupper(static_cast<unsigned char>(ch)));
        EXPECT_NE(colours.find(upper), std::string::npos) << c;
    }
    // One caption per lap, the fastest one marked.
    std::size_t fastest = 0;
    for (std::size_t i = 1; i < lines.size(); ++i)
        if (lines[i].lapSeconds < lines[fastest].lapSeconds) fastest = i;
    const std::string marked = XPath("string(//*[local-name()='text'][contains(., '最速')])");
    EXPECT_EQ(marked, lines[fastest].dataNo + "  " + lines[fastest].lapTime + "  最速");
    EXPECT_EQ(XPath("count(//*[local-name()='text'][contains(., ' km/h')])"), "3");
    EXPECT_NE(XPath("string(//*[local-name()='text'][contains(., '" + lines[0].date + " " +
                    lines[0].startTime + "  最高 " + lines[0].topSpeed + " km/h')])"),
              "");
}

// Orientation, speed colouring and the fastest lap on top, read from the
// rendered pixels: the probe must show the legend's slow or fast end.
TEST_F(RacingLineTest, DrawnNorthUpColouredByTheFastestOnTop) {
    const struct {
        const char* what;
        std::vector<RacingLineLap> laps;
        int x, y;   // probe
        bool fast;  // expected colour at the probe
    } cases[] = {
        {"north: the fast end at the top",
         {Straight("1", 60, 0, 100, 50, 150)},
         kPlotMidX,
         45,
         true},
        {"north: the slow end at the bottom",
         {Straight("1", 60, 0, 100, 50, 150)},
         kPlotMidX,
         855,
         false},
        {"east: the fast end on the right",
         {Straight("1", 60, 100, 0, 50, 150)},
         855,
         kPlotMidY,
         true},
        {"fastest lap listed first, drawn last",
         {Straight("1", 50, 100, 0, 150, 150), Straight("2", 60, 100, 0, 50, 50)},
         kPlotMidX,
         kPlotMidY,
         true},
        {"fastest lap listed last, drawn last",
         {Straight("1", 60, 100, 0, 150, 150), Straight("2", 50, 100, 0, 50, 50)},
         kPlotMidX,
         kPlotMidY,
         false},
    };
    for (const auto& c : cases) {
        const std::string png = Render(RacingLineSvg(c.laps), c.what);
        ASSERT_FALSE(png.empty()) << c.what;
        const std::string want = PixelHex(png, c.fast ? kLegendFastX : kLegendSlowX, kLegendY);
        EXPECT_EQ(PixelHex(png, c.x, c.y), want) << c.what;
    }
}

TEST_F(RacingLineTest, OnePointPerPixelAndARoundScaleBar) {
    // 20,000 samples over 100 m: the map is about 824 px wide.
    const std::string svg = RacingLineSvg({Straight("1", 60, 100, 0, 80, 80, 20'000)});
    ASSERT_FALSE(Render(svg, "dense").empty());
    const std::string d = XPath("//*[local-name()='path']/@d");  // every path's steps
    const std::size_t points = std::count(d.begin(), d.end(), 'l');
    EXPECT_LE(points, 2u * 830);  // the coloured path and its outline
    EXPECT_GE(points, 2u * 800);
    EXPECT_LT(svg.size(), 60'000u);
    EXPECT_EQ(XPath("count(//*[local-name()='text'][. = '20 m'])"), "1");
}

TEST_F(RacingLineTest, BadInputGivesAValidPicture) {
    auto with = [](auto change) {
        RacingLineLap lap = Straight("0007", 60, 100, 50, 40, 120, 50);
        change(lap);
        return std::vector<RacingLineLap>{lap};
    };
    const struct {
        const char* what;
        std::vector<RacingLineLap> laps;
    } cases[] = {
        {"no laps", {}},
        {"no samples", with([](RacingLineLap& l) { l.x = l.y = l.speedKmh = {}; })},
        {"one sample", with([](RacingLineLap& l) { l.x = {5}, l.y = {5}, l.speedKmh = {90}; })},
        {"not-a-number positions", with([](RacingLineLap& l) { l.x[10] = l.y[30] = NAN; })},
        {"infinite positions",
         with([](RacingLineLap& l) { l.x[0] = INFINITY, l.y[49] = -INFINITY; })},
        {"only infinite positions", with([](RacingLineLap& l) { l.x.assign(50, INFINITY); })},
        {"positions at the ends of the range",
         with([](RacingLineLap& l) { l.x[1] = -1e4000L, l.x[2] = 1e4000L; })},
        {"all at one place", with([](RacingLineLap& l) { l.x.assign(50, 3), l.y.assign(50, -2); })},
        {"one speed", with([](RacingLineLap& l) { l.speedKmh.assign(50, 88); })},
        {"no finite speed", with([](RacingLineLap& l) { l.speedKmh.assign(50, NAN); })},
        {"infinite speeds", with([](RacingLineLap& l) { l.speedKmh[3] = INFINITY; })},
        {"fewer speeds than positions", with([](RacingLineLap& l) { l.speedKmh.resize(7); })},
        {"lap seconds not a number", with([](RacingLineLap& l) { l.lapSeconds = NAN; })},
        {"texts to escape and broken UTF-8", with([](RacingLineLap& l) {
             l.dataNo = "<a&b>\"'", l.date = "\xff\xfe\x01", l.lapTime = "\xe6\x9c";
         })},
        {"more laps than captions",
         std::vector<RacingLineLap>(40, Straight("9", 60, 10, 10, 1, 2, 3))},
    };
    for (const auto& c : cases)
        Render(RacingLineSvg(c.laps), c.what);
}

}  // namespace
