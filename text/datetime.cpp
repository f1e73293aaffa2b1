#include "text/datetime.h"

#include <cmath>

#include "text/names.h"

namespace {

// Day numbers of 0001-01-01 and 9999-12-31.
constexpr std::int64_t kFirstDay = -693'593;
constexpr std::int64_t kLastDay = 2'958'465;
// Day number of 1970-01-01, the epoch of the civil-date algorithm below.
constexpr std::int64_t kUnixEpochDay = 25'569;

// Proleptic Gregorian date of a count of days since 1970-01-01.
void CivilFromDays(std::int64_t z, int& y, int& m, int& d) {
    z += 719'468;
    const std::int64_t era = (z >= 0 ? z : z - 146'096) / 146'097;
    const auto doe = static_cast<unsigned>(z - era * 146'097);
    const unsigned yoe = (doe - doe / 1460 + doe / 36'524 - doe / 146'096) / 365;
    const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const unsigned mp = (5 * doy + 2) / 153;
    d = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
    m = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
    y = static_cast<int>(static_cast<std::int64_t>(yoe) + era * 400 + (m <= 2));
}

void AppendDigits(std::string& out, int value, int width) {
    char buf[12];
    int n = 0;
    do {
        buf[n++] = static_cast<char>('0' + value % 10);
        value /= 10;
    } while (value != 0);
    for (int i = n; i < width; ++i)
        out += '0';
    while (n > 0)
        out += buf[--n];
}

bool StartsWithIgnoringCase(std::string_view text, std::size_t at, std::string_view token) {
    if (text.size() - at < token.size()) return false;
    for (std::size_t i = 0; i < token.size(); ++i) {
        if (LowerAscii(text[at + i]) != token[i]) return false;
    }
    return true;
}

}  // namespace

bool RoundToMilliseconds(DateTime value, std::int64_t& msecs) {
    if (!std::isfinite(value)) return false;
    // Checked before conversion so that no out-of-range value becomes an integer.
    if (value < static_cast<double>(kFirstDay - 1) || value > static_cast<double>(kLastDay + 1))
        return false;
    const Extended scaled = static_cast<Extended>(value) * static_cast<Extended>(kMSecsPerDay);
    msecs = static_cast<std::int64_t>(std::nearbyint(scaled));  // halves to even
    return true;
}

bool DecodeDateTime(DateTime value, DateTimeFields& f) {
    std::int64_t msecs = 0;
    if (!RoundToMilliseconds(value, msecs)) return false;
    const std::int64_t magnitude = msecs < 0 ? -msecs : msecs;
    const std::int64_t day = (msecs < 0 ? -1 : 1) * (magnitude / kMSecsPerDay);
    if (day < kFirstDay || day > kLastDay) return false;
    const auto msOfDay = static_cast<int>(magnitude % kMSecsPerDay);
    CivilFromDays(day - kUnixEpochDay, f.year, f.month, f.day);
    f.hour = msOfDay / 3'600'000;
    f.minute = msOfDay / 60'000 % 60;
    f.second = msOfDay / 1000 % 60;
    f.milliSecond = msOfDay % 1000;
    return true;
}

bool AppendDateTime(std::string& out, std::string_view pattern, DateTime value) {
    DateTimeFields f;
    if (!DecodeDateTime(value, f)) return false;
    std::size_t i = 0;
    while (i < pattern.size()) {
        if (StartsWithIgnoringCase(pattern, i, "yyyy")) {
            AppendDigits(out, f.year, 4), i += 4;
        } else if (StartsWithIgnoringCase(pattern, i, "mm")) {
            AppendDigits(out, f.month, 2), i += 2;
        } else if (StartsWithIgnoringCase(pattern, i, "dd")) {
            AppendDigits(out, f.day, 2), i += 2;
        } else if (StartsWithIgnoringCase(pattern, i, "hh")) {
            AppendDigits(out, f.hour, 2), i += 2;
        } else if (StartsWithIgnoringCase(pattern, i, "h")) {
            AppendDigits(out, f.hour, 1), i += 1;
        } else if (StartsWithIgnoringCase(pattern, i, "nn")) {
            AppendDigits(out, f.minute, 2), i += 2;
        } else if (StartsWithIgnoringCase(pattern, i, "n")) {
            AppendDigits(out, f.minute, 1), i += 1;
        } else if (StartsWithIgnoringCase(pattern, i, "ss")) {
            AppendDigits(out, f.second, 2), i += 2;
        } else if (StartsWithIgnoringCase(pattern, i, "zzz")) {
            AppendDigits(out, f.milliSecond, 3), i += 3;
        } else {
            out += pattern[i++];  // '/' and ':' are the fixed separators themselves
        }
    }
    return true;
}

double SecondsBetween(DateTime a, DateTime b) {
    return std::fabs(a - b) * 86'400.0;
}
