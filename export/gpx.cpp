#include "export/gpx.h"

#include <cmath>

#include "export/xmltext.h"
#include "text/numtext.h"

namespace {

constexpr std::int64_t kMsPerMinute = 60'000;
constexpr std::int64_t kUnixEpochDay = 25'569;  // 1970-01-01 as a date-time day number

// Days from 1970-01-01 of a proleptic Gregorian date.
std::int64_t DaysFromCivil(std::int64_t y, int m, int d) {
    y -= m <= 2;
    const std::int64_t era = (y >= 0 ? y : y - 399) / 400;
    const std::int64_t yoe = y - era * 400;
    const std::int64_t doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const std::int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146'097 + doe - 719'468;
}

std::int64_t FloorDiv(std::int64_t a, std::int64_t b) {
    return a / b - (a % b != 0 && (a < 0) != (b < 0));
}

// Milliseconds since 1970 of the calendar fields of a date-time value, as
// the project shows them (a negative value keeps its day and counts its time
// of day forward).
std::optional<std::int64_t> MillisecondsOf(DateTime value) {
    DateTimeFields f;
    if (!DecodeDateTime(value, f)) return std::nullopt;
    const std::int64_t msOfDay =
        ((f.hour * 60LL + f.minute) * 60 + f.second) * 1000 + f.milliSecond;
    return DaysFromCivil(f.year, f.month, f.day) * kMSecsPerDay + msOfDay;
}

// The date-time value whose fields are those of `ms` since 1970: the inverse
// of MillisecondsOf, exact once rounded to milliseconds again.
DateTime DateTimeOf(std::int64_t ms) {
    const std::int64_t day = FloorDiv(ms, kMSecsPerDay);
    const Extended fraction =
        static_cast<Extended>(ms - day * kMSecsPerDay) / static_cast<Extended>(kMSecsPerDay);
    const std::int64_t dayNumber = day + kUnixEpochDay;
    return static_cast<DateTime>(dayNumber >= 0 ? dayNumber + fraction : dayNumber - fraction);
}

// "2024-05-03T05:07:09.250Z"; false when the instant cannot be shown.
bool AppendUtcTime(std::string& out, std::int64_t utcMs) {
    if (!AppendDateTime(out, "yyyy-mm-ddThh:nn:ss.zzz", DateTimeOf(utcMs))) return false;
    out += 'Z';
    return true;
}

// The course in [0, 360) as it will be printed with two decimals.
Extended NormalCourse(Extended c) {
    c = std::fmod(c, Extended(360));
    if (c < 0) c += 360;
    return c >= 359.995L ? Extended(0) : c;
}

bool AppendPoint(std::string& out, const GpxSample& s, const LocalToUtc& toUtc) {
    if (!std::isfinite(s.lat) || !std::isfinite(s.lon) || std::fabs(s.lat) > 90 ||
        std::fabs(s.lon) > 180)
        return false;
    const auto localMs = MillisecondsOf(s.dateTime);
    if (!localMs) return false;
    const auto utcMs = toUtc(*localMs);
    if (!utcMs) return false;
    std::string time;
    if (!AppendUtcTime(time, *utcMs)) return false;

    out += "<trkpt lat=\"";
    AppendFixed(out, s.lat, 9);
    out += "\" lon=\"";
    AppendFixed(out, s.lon, 9);
    out += "\">";
    if (std::isfinite(s.alt)) {
        out += "<ele>";
        AppendFixed(out, s.alt, 2);
        out += "</ele>";
    }
    out += "<time>" + time + "</time>";
    const bool speed = std::isfinite(s.speedKmh) && s.speedKmh >= 0;
    const bool course = std::isfinite(s.courseDeg);
    if (speed || course) {
        out += "<extensions><gpxtpx:TrackPointExtension>";
        if (speed) {
            out += "<gpxtpx:speed>";
            AppendFixed(out, s.speedKmh / 3.6L, 3);
            out += "</gpxtpx:speed>";
        }
        if (course) {
            out += "<gpxtpx:course>";
            AppendFixed(out, NormalCourse(s.courseDeg), 2);
            out += "</gpxtpx:course>";
        }
        out += "</gpxtpx:TrackPointExtension></extensions>";
    }
    out += "</trkpt>\n";
    return true;
}

bool TakeDigits(std::string_view& text, std::size_t count, int& value) {
    if (text.size() < count) return false;
    value = 0;
    for (std::size_t i = 0; i < count; ++i) {
        if (text[i] < '0' || text[i] > '9') return false;
        value = value * 10 + (text[i] - '0');
    }
    text.remove_prefix(count);
    return true;
}

}  // namespace

LocalToUtc FixedUtcOffset(int minutes) {
    return [offset = minutes * kMsPerMinute](std::int64_t localMs) -> std::optional<std::int64_t> {
        return localMs - offset;
    };
}

std::optional<int> ParseUtcOffset(std::string_view text) {
    if (text == "Z" || text == "z") return 0;
    if (text.empty() || (text[0] != '+' && text[0] != '-')) return std::nullopt;
    const int sign = text[0] == '-' ? -1 : 1;
    text.remove_prefix(1);
    int hours = 0, minutes = 0;
    if (!TakeDigits(text, 2, hours)) return std::nullopt;
    if (!text.empty()) {
        if (text[0] == ':') text.remove_prefix(1);
        if (!TakeDigits(text, 2, minutes) || !text.empty()) return std::nullopt;
    }
    if (minutes > 59 || hours * 60 + minutes > 14 * 60) return std::nullopt;
    return sign * (hours * 60 + minutes);
}

std::string GpxText(const std::vector<GpxLap>& laps, const LocalToUtc& toUtc) {
    std::string out =
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
        "<gpx version=\"1.1\" creator=\"Laprix2Quorbel\""
        " xmlns=\"http://www.topografix.com/GPX/1/1\""
        " xmlns:gpxtpx=\"http://www.garmin.com/xmlschemas/TrackPointExtension/v2\""
        " xmlns:xsi=\"http://www.w3.org/2001/XMLSchema-instance\""
        " xsi:schemaLocation=\"http://www.topografix.com/GPX/1/1"
        " http://www.topografix.com/GPX/1/1/gpx.xsd"
        " http://www.garmin.com/xmlschemas/TrackPointExtension/v2"
        " http://www.garmin.com/xmlschemas/TrackPointExtensionv2.xsd\">\n";
    for (const GpxLap& lap : laps) {
        out += "<trk>\n<name>";
        AppendXmlText(out, lap.name);
        out += "</name>\n<desc>";
        AppendXmlText(out, lap.desc);
        out += "</desc>\n<trkseg>\n";
        for (const GpxSample& s : lap.samples)
            AppendPoint(out, s, toUtc);
        out += "</trkseg>\n</trk>\n";
    }
    out += "</gpx>\n";
    return out;
}
