// Text of numbers as the CSV files and the lap list print them: fixed-point
// with a given count of decimals, '.' as decimal separator, no locale.
//
// The exact route (18 significant digits from the library's correctly
// rounded conversion, then the decimal rounding) is the definition; the
// integer route that serves most values is an optimisation, checked against
// the exact route by the tests on millions of values and every boundary.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "text/extended.h"

// Appends `value` with exactly `decimals` decimals (0 to 18). The value is
// first rounded to 18 significant digits (halves to even), then to the
// printed decimals (halves away from zero); a result of zero has no minus
// sign. Not-a-number prints NAN, infinities INF and -INF. A double argument
// converts to Extended exactly and prints the same way.
void AppendFixed(std::string& out, Extended value, int decimals);
std::string FormatFixed(Extended value, int decimals);

// The most characters AppendFixed writes: a sign, the 4933 whole digits of
// the largest finite value, the point and 18 decimals.
inline constexpr std::size_t kMaxFixedLength = 1 + 4933 + 1 + 18;

// The same text written at `at`, which has room for kMaxFixedLength
// characters; returns the end of the text. What the room holds after the
// end is not kept. The value is read from memory as integers: a value the
// caller has in memory is not copied through the floating-point unit first.
char* WriteFixed(char* at, const Extended& value, int decimals);

// "%d": a signed decimal integer without padding.
void AppendInt(std::string& out, std::int32_t value);
