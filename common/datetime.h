// Date-time values (days since 1899-12-30 00:00 as an IEEE double) and their
// text. Separators are fixed ('/' and ':'), whatever the user's locale.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "common/extended.h"

using TDateTime = double;

constexpr std::int64_t kMSecsPerDay = 86'400'000;

struct DateTimeFields {
    int Year = 0, Month = 0, Day = 0;
    int Hour = 0, Minute = 0, Second = 0, MilliSecond = 0;
};

// The value rounded to whole milliseconds (value × 86,400,000 in Extended,
// halves to even). False when the value cannot be shown: not finite or
// outside the years 1 to 9999.
bool RoundToMilliseconds(TDateTime value, std::int64_t& msecs);

// Calendar fields of a date-time value, all from one rounded instant. A
// negative count is split on its magnitude: the day keeps the sign, the time
// of day is the remainder of the magnitude. False when not showable.
bool DecodeDateTime(TDateTime value, DateTimeFields& fields);

// Appends the value in `pattern` to `out`: tokens yyyy mm dd hh h nn n ss zzz
// in either letter case, '/' and ':' as separators, other characters copied.
// False (and nothing appended) when the value cannot be shown.
bool AppendDateTime(std::string& out, std::string_view pattern, TDateTime value);

// Seconds between two date-time values: |a − b| × 86,400 as a double.
double SecondsBetween(TDateTime a, TDateTime b);
