#include "export/racingline.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>

#include "export/xmltext.h"
#include "text/numtext.h"

namespace {

// The map on the left, a panel with the legend and the captions on the right.
constexpr int kPlotX = 24, kPlotY = 24, kPlotW = 852, kPlotH = 852;
constexpr int kPlotPad = 14;  // keeps the stroke and its halo inside the frame
constexpr int kPanelX = 904, kPanelW = 264;
constexpr int kCaptionTop = 186, kCaptionStep = 46;
constexpr int kScaleBarMaxPx = 180;

constexpr const char* kFonts = "'MS PGothic','IPAPGothic','Noto Sans CJK JP',sans-serif";

// Speeds fall into this many colour bins; one more, grey, for samples
// without a finite speed.
constexpr int kBins = 32;
constexpr int kNoSpeedBin = kBins;

struct Rgb {
    int r, g, b;
};
// Viridis at nine even steps: perceptually even and readable in grey print.
constexpr std::array<Rgb, 9> kViridis = {{{0x44, 0x01, 0x54},
                                          {0x47, 0x2c, 0x7a},
                                          {0x3b, 0x51, 0x8b},
                                          {0x2c, 0x71, 0x8e},
                                          {0x21, 0x90, 0x8d},
                                          {0x27, 0xad, 0x81},
                                          {0x5c, 0xc8, 0x63},
                                          {0xaa, 0xdc, 0x32},
                                          {0xfd, 0xe7, 0x25}}};

void AppendHex2(std::string& out, int v) {
    constexpr char kDigits[] = "0123456789abcdef";
    out += kDigits[(v >> 4) & 15];
    out += kDigits[v & 15];
}

// "#rrggbb" of a colour bin: the table interpolated at the bin's middle.
std::string BinColour(int bin) {
    if (bin == kNoSpeedBin) return "#9a9a9a";
    const double t = (bin + 0.5) / kBins * (kViridis.size() - 1);
    const auto i = std::min(static_cast<std::size_t>(t), kViridis.size() - 2);
    const double f = t - static_cast<double>(i);
    const Rgb a = kViridis[i], b = kViridis[i + 1];
    const auto mix = [f](int p, int q) { return static_cast<int>(std::lround(p + (q - p) * f)); };
    std::string out = "#";
    AppendHex2(out, mix(a.r, b.r));
    AppendHex2(out, mix(a.g, b.g));
    AppendHex2(out, mix(a.b, b.b));
    return out;
}

bool Finite(Extended v) {
    return std::isfinite(v);
}

Extended At(const std::vector<Extended>& v, std::size_t i) {
    return i < v.size() ? v[i] : Extended(NAN);
}

// The speed range of the legend; `known` is false when no sample has a
// finite speed.
struct SpeedRange {
    Extended lo = 0, hi = 0;
    bool known = false;
    int Bin(Extended v) const {
        if (!known || !Finite(v)) return kNoSpeedBin;
        const Extended t = (v - lo) / (hi - lo) * kBins;
        if (!(t > 0)) return 0;
        return t >= kBins ? kBins - 1 : static_cast<int>(t);
    }
};

// Map metres to picture pixels: one scale for both axes, north up.
struct Fit {
    Extended minX = 0, maxY = 0, scale = 1, ox = 0, oy = 0;
    bool any = false;  // some sample can be placed
};

Fit FitLaps(const std::vector<RacingLineLap>& laps) {
    Extended minX = INFINITY, maxX = -INFINITY, minY = INFINITY, maxY = -INFINITY;
    for (const RacingLineLap& lap : laps) {
        const std::size_t n = std::min(lap.x.size(), lap.y.size());
        for (std::size_t i = 0; i < n; ++i) {
            if (!Finite(lap.x[i]) || !Finite(lap.y[i])) continue;
            minX = std::min(minX, lap.x[i]);
            maxX = std::max(maxX, lap.x[i]);
            minY = std::min(minY, lap.y[i]);
            maxY = std::max(maxY, lap.y[i]);
        }
    }
    Fit fit;
    if (minX > maxX) return fit;
    fit.any = true;
    const Extended w = kPlotW - 2 * kPlotPad, h = kPlotH - 2 * kPlotPad;
    const Extended ex = maxX - minX, ey = maxY - minY;  // may overflow to infinity
    if (ex > 0 && ey > 0)
        fit.scale = std::min(w / ex, h / ey);
    else if (ex > 0)
        fit.scale = w / ex;
    else if (ey > 0)
        fit.scale = h / ey;
    fit.minX = minX;
    fit.maxY = maxY;
    fit.ox = kPlotX + (kPlotW - (ex * fit.scale)) / 2;
    fit.oy = kPlotY + (kPlotH - (ey * fit.scale)) / 2;
    if (!Finite(fit.ox)) fit.ox = kPlotX + kPlotPad;
    if (!Finite(fit.oy)) fit.oy = kPlotY + kPlotPad;
    return fit;
}

SpeedRange RangeOf(const std::vector<RacingLineLap>& laps) {
    SpeedRange r;
    r.lo = INFINITY;
    r.hi = -INFINITY;
    for (const RacingLineLap& lap : laps) {
        const std::size_t n = std::min({lap.x.size(), lap.y.size(), lap.speedKmh.size()});
        for (std::size_t i = 0; i < n; ++i) {
            const Extended v = lap.speedKmh[i];
            if (!Finite(v) || !Finite(lap.x[i]) || !Finite(lap.y[i])) continue;
            r.lo = std::min(r.lo, v);
            r.hi = std::max(r.hi, v);
        }
    }
    r.known = r.lo <= r.hi;
    if (!r.known) return r;
    // One speed only: a band around it, so it takes the middle colour.
    if (!(r.hi - r.lo > 0) || !Finite(r.hi - r.lo)) {
        if (!Finite(r.hi - r.lo)) {
            r.known = false;
            return r;
        }
        r.lo -= 1;
        r.hi += 1;
    }
    return r;
}

struct Point {
    Extended px, py;
    std::int64_t cx, cy;  // the pixel it falls in
    std::int64_t tx, ty;  // tenths of a pixel, as written
};

// Tenths of a pixel as text: "12", "-0.8".
void AppendTenths(std::string& out, std::int64_t t) {
    if (t < 0) out += '-';
    const std::int64_t m = t < 0 ? -t : t;
    AppendInt(out, static_cast<std::int32_t>(m / 10));
    if (m % 10 != 0) {
        out += '.';
        out += static_cast<char>('0' + m % 10);
    }
}

void AppendPair(std::string& out, std::int64_t x, std::int64_t y) {
    AppendTenths(out, x);
    if (y >= 0) out += ' ';
    AppendTenths(out, y);
}

// "M x y" where a piece starts.
void AppendMove(std::string& out, const Point& p) {
    out += 'M';
    AppendPair(out, p.tx, p.ty);
}

// "l dx dy" from the point before: steps between the written positions, so
// that they add up without drift.
void AppendStep(std::string& out, const Point& from, const Point& to) {
    out += 'l';
    AppendPair(out, to.tx - from.tx, to.ty - from.ty);
}

// The lap's path as one SVG path per colour bin: a sample that falls in the
// pixel of the last one kept, with the same colour, adds nothing; a
// colour change starts a new piece in the other bin at the last kept point.
void AppendLap(std::string& svg, const RacingLineLap& lap, const Fit& fit,
               const SpeedRange& range) {
    std::array<std::string, kBins + 1> bins;
    std::string halo;
    const std::size_t n = std::min(lap.x.size(), lap.y.size());
    bool haveLast = false, drawn = false;
    Point last{};
    Extended lastSpeed = NAN, firstSpeed = NAN;
    int runBin = -1;
    for (std::size_t i = 0; i < n; ++i) {
        const Extended px = fit.ox + (lap.x[i] - fit.minX) * fit.scale;
        const Extended py = fit.oy + (fit.maxY - lap.y[i]) * fit.scale;
        if (!Finite(px) || !Finite(py) || std::fabs(px) > 1e7 || std::fabs(py) > 1e7) {
            haveLast = false;  // a gap: the path breaks
            continue;
        }
        const Point p{px,
                      py,
                      static_cast<std::int64_t>(std::floor(px)),
                      static_cast<std::int64_t>(std::floor(py)),
                      static_cast<std::int64_t>(std::llround(px * 10)),
                      static_cast<std::int64_t>(std::llround(py * 10))};
        const Extended speed = At(lap.speedKmh, i);
        if (!haveLast) {
            if (!drawn) firstSpeed = speed;
            haveLast = true;
            last = p;
            lastSpeed = speed;
            runBin = -1;
            continue;
        }
        const Extended segSpeed = Finite(speed) && Finite(lastSpeed) ? (speed + lastSpeed) / 2
                                  : Finite(speed)                    ? speed
                                                                     : lastSpeed;
        lastSpeed = speed;
        const int bin = range.Bin(segSpeed);
        const bool samePixel = p.cx == last.cx && p.cy == last.cy;
        if (samePixel && (bin == runBin || runBin == -1)) continue;
        std::string& path = bins[static_cast<std::size_t>(bin)];
        if (runBin == -1) AppendMove(halo, last);
        if (bin != runBin) {
            AppendMove(path, last);
            runBin = bin;
        }
        AppendStep(path, last, p);
        AppendStep(halo, last, p);
        last = p;
        drawn = true;
    }
    svg += "<g>\n";
    if (!drawn && haveLast) {
        // Nothing but one place: a dot, so the lap is still seen.
        svg += "<circle cx=\"";
        AppendFixed(svg, last.px, 1);
        svg += "\" cy=\"";
        AppendFixed(svg, last.py, 1);
        svg += "\" r=\"4\" fill=\"" + BinColour(range.Bin(firstSpeed)) +
               "\" stroke=\"#404040\" stroke-width=\"1\"/>\n";
    }
    if (!halo.empty())
        svg += "<path fill=\"none\" stroke=\"#404040\" stroke-width=\"6\" d=\"" + halo + "\"/>\n";
    for (int b = 0; b <= kBins; ++b) {
        const std::string& d = bins[static_cast<std::size_t>(b)];
        if (d.empty()) continue;
        svg += "<path fill=\"none\" stroke=\"" + BinColour(b) + "\" stroke-width=\"3.5\" d=\"";
        svg += d;
        svg += "\"/>\n";
    }
    svg += "</g>\n";
}

void AppendText(std::string& svg, int x, int y, int size, const std::string& text,
                const char* extra = "") {
    svg += "<text x=\"";
    AppendInt(svg, x);
    svg += "\" y=\"";
    AppendInt(svg, y);
    svg += "\" font-size=\"";
    AppendInt(svg, size);
    svg += '"';
    svg += extra;
    svg += '>';
    AppendXmlText(svg, text);
    svg += "</text>\n";
}

// A round length (1, 2 or 5 × 10^k metres) no longer than the bar may be.
void AppendScaleBar(std::string& svg, const Fit& fit) {
    if (!(fit.scale > 0) || !Finite(fit.scale)) return;
    const double maxMetres = static_cast<double>(kScaleBarMaxPx / fit.scale);
    const int k = static_cast<int>(std::floor(std::log10(maxMetres)));
    if (!std::isfinite(maxMetres) || k < -3 || k > 6) return;
    const double base = std::pow(10.0, k);
    double metres = base;
    for (double m : {5.0, 2.0}) {
        if (m * base <= maxMetres) {
            metres = m * base;
            break;
        }
    }
    const Extended px = static_cast<Extended>(metres) * fit.scale;
    const int x = kPlotX + 16, y = kPlotY + kPlotH - 20;
    svg += "<path fill=\"none\" stroke=\"#202020\" stroke-width=\"2\" d=\"M";
    AppendInt(svg, x);
    svg += ' ';
    AppendInt(svg, y - 6);
    svg += "v6h";
    AppendFixed(svg, px, 1);
    svg += "v-6\"/>\n";
    std::string label;
    if (metres >= 1000) {
        AppendFixed(label, static_cast<Extended>(metres) / 1000, 0);
        label += " km";
    } else {
        AppendFixed(label, metres, std::max(0, -k));
        label += " m";
    }
    AppendText(svg, x, y - 12, 14, label);
}

void AppendNorthArrow(std::string& svg) {
    const int x = kPlotX + 28, y = kPlotY + 20;
    svg += "<path fill=\"#202020\" d=\"M";
    AppendInt(svg, x);
    svg += ' ';
    AppendInt(svg, y);
    svg += "l8 22h-16z\"/>\n";
    AppendText(svg, x - 5, y + 40, 14, "N");
}

void AppendLegend(std::string& svg, const SpeedRange& range) {
    AppendText(svg, kPanelX, 92, 16, "速度 (km/h)");
    constexpr int top = 102, height = 18;
    for (int b = 0; b < kBins; ++b) {
        svg += "<rect x=\"";
        AppendFixed(svg, kPanelX + Extended(kPanelW) * b / kBins, 2);
        svg += "\" y=\"";
        AppendInt(svg, top);
        svg += "\" width=\"";
        AppendFixed(svg, Extended(kPanelW) / kBins + 0.3L, 2);  // no seams between bins
        svg += "\" height=\"";
        AppendInt(svg, height);
        svg += "\" fill=\"" + BinColour(b) + "\"/>\n";
    }
    if (!range.known) {
        AppendText(svg, kPanelX, top + height + 18, 13, "速度なし");
        return;
    }
    const int decimals = range.hi - range.lo >= 10 ? 0 : 1;
    constexpr int ticks = 5;
    for (int t = 0; t < ticks; ++t) {
        const int x = kPanelX + kPanelW * t / (ticks - 1);
        std::string label;
        AppendFixed(label, range.lo + (range.hi - range.lo) * t / (ticks - 1), decimals);
        svg += "<path stroke=\"#202020\" d=\"M";
        AppendInt(svg, x);
        svg += ' ';
        AppendInt(svg, top + height);
        svg += "v5\"/>\n";
        const char* anchor = t == 0           ? ""
                             : t == ticks - 1 ? " text-anchor=\"end\""
                                              : " text-anchor=\"middle\"";
        AppendText(svg, x, top + height + 20, 13, label, anchor);
    }
}

void AppendCaptions(std::string& svg, const std::vector<RacingLineLap>& laps, std::size_t fastest) {
    const std::size_t room = (kPlotY + kPlotH - kCaptionTop) / kCaptionStep;
    const std::size_t shown = laps.size() <= room ? laps.size() : room - 1;
    for (std::size_t i = 0; i < shown; ++i) {
        const RacingLineLap& lap = laps[i];
        const int y = kCaptionTop + kCaptionStep * static_cast<int>(i);
        std::string head = lap.dataNo + "  " + lap.lapTime;
        if (i == fastest) head += "  最速";
        AppendText(svg, kPanelX, y, 16, head, i == fastest ? " font-weight=\"bold\"" : "");
        AppendText(svg, kPanelX, y + 20, 13,
                   lap.date + " " + lap.startTime + "  最高 " + lap.topSpeed + " km/h");
    }
    if (shown < laps.size()) {
        std::string more = "ほか ";
        AppendInt(more, static_cast<std::int32_t>(laps.size() - shown));
        more += " 周";
        AppendText(svg, kPanelX, kCaptionTop + kCaptionStep * static_cast<int>(shown), 14, more);
    }
}

}  // namespace

std::string RacingLineSvg(const std::vector<RacingLineLap>& laps) {
    const Fit fit = FitLaps(laps);
    const SpeedRange range = RangeOf(laps);

    std::size_t fastest = laps.size();
    for (std::size_t i = 0; i < laps.size(); ++i) {
        if (std::isfinite(laps[i].lapSeconds) &&
            (fastest == laps.size() || laps[i].lapSeconds < laps[fastest].lapSeconds))
            fastest = i;
    }

    std::string svg;
    svg.reserve(64 * 1024);
    svg += "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<svg xmlns=\"http://www.w3.org/2000/svg\"";
    svg += " width=\"";
    AppendInt(svg, kRacingLineWidth);
    svg += "\" height=\"";
    AppendInt(svg, kRacingLineHeight);
    svg += "\" viewBox=\"0 0 ";
    AppendInt(svg, kRacingLineWidth);
    svg += ' ';
    AppendInt(svg, kRacingLineHeight);
    svg += "\" font-family=\"";
    svg += kFonts;
    svg += "\" fill=\"#202020\">\n";
    svg += "<rect width=\"100%\" height=\"100%\" fill=\"#ffffff\"/>\n";
    svg += "<rect x=\"";
    AppendInt(svg, kPlotX);
    svg += "\" y=\"";
    AppendInt(svg, kPlotY);
    svg += "\" width=\"";
    AppendInt(svg, kPlotW);
    svg += "\" height=\"";
    AppendInt(svg, kPlotH);
    svg += "\" fill=\"#f7f7f5\" stroke=\"#c8c8c8\"/>\n";

    svg += "<g stroke-linecap=\"round\" stroke-linejoin=\"round\">\n";
    for (std::size_t i = 0; i < laps.size(); ++i)
        if (i != fastest) AppendLap(svg, laps[i], fit, range);
    if (fastest < laps.size()) AppendLap(svg, laps[fastest], fit, range);  // on top
    svg += "</g>\n";

    if (fit.any) {
        AppendScaleBar(svg, fit);
    } else {
        AppendText(svg, kPlotX + kPlotW / 2, kPlotY + kPlotH / 2, 18,
                   "表示できる走行データがありません", " text-anchor=\"middle\"");
    }
    AppendNorthArrow(svg);
    AppendText(svg, kPanelX, 48, 22, "走行ライン", " font-weight=\"bold\"");
    AppendLegend(svg, range);
    AppendCaptions(svg, laps, fastest);
    svg += "</svg>\n";
    return svg;
}
