// Date-time values (days since 1899-12-30 00:00 as an IEEE double) and their
// text. Separators are fixed ('/' and ':'), whatever the user's locale.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "text/extended.h"

using DateTime = double;

constexpr std::int64_t kMSecsPerDay = 86'400'000;

struct DateTimeFields {
    int year = 0, month = 0, day = 0;
    int hour = 0, minute = 0, second = 0, milliSecond = 0;
};

// The value rounded to whole milliseconds (value × 86,400,000 in Extended,
// halves to even). False when the value cannot be shown: not finite or
// outside the years 1 to 9999.
bool RoundToMilliseconds(DateTime value, std::int64_t& msecs);

// Calendar fields of a date-time value, all from one rounded instant. A
// negative count is split on its magnitude: the day keeps the sign, the time
// of day is the remainder of the magnitude. False when not showable.
bool DecodeDateTime(DateTime value, DateTimeFields& fields);

// Appends the value in `pattern` to `out`: tokens yyyy mm dd hh h nn n ss zzz
// in either letter case, '/' and ':' as separators, other characters copied.
// False (and nothing appended) when the value cannot be shown.
bool AppendDateTime(std::string& out, std::string_view pattern, DateTime value);

// Seconds between two date-time values: |a − b| × 86,400 as a double.
double SecondsBetween(DateTime a, DateTime b);
