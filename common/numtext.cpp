#include "common/numtext.h"

#include <charconv>
#include <cmath>
#include <cstdlib>

namespace {

// Exact route: 18 significant digits from the library's correctly rounded
// conversion, then decimal rounding on those digits.
void AppendFixedExact(std::string& out, Extended value, int decimals) {
    char buf[64];
    const auto res = std::to_chars(buf, buf + sizeof buf, std::fabs(value),
                                   std::chars_format::scientific, 17);
    // buf: d.ddddddddddddddddde±xx
    char digits[18];
    digits[0] = buf[0];
    for (int i = 0; i < 17; ++i) digits[i + 1] = buf[2 + i];
    const int exp10 = std::atoi(buf + 20);
    (void)res;
    // value = 0.d1d2...d18 × 10^(exp10 + 1); position of the decimal point:
    const int pointPos = exp10 + 1;  // digits before the point
    // Build a digit string with the integer part and `decimals` decimals,
    // rounding half away from zero on the first dropped digit.
    std::string whole;  // integer digits then fraction digits, no point
    const int total = pointPos + decimals;  // digits kept counted from the first significant one
    std::string kept;
    bool roundUp = false;
    if (total >= 0) {
        for (int i = 0; i < total; ++i) kept += (i < 18 ? digits[i] : '0');
        roundUp = total < 18 && digits[total] >= '5';
    } else {
        roundUp = false;  // below half a unit of the last decimal
    }
    if (roundUp) {
        int i = static_cast<int>(kept.size()) - 1;
        while (i >= 0 && kept[i] == '9') kept[i--] = '0';
        if (i >= 0)
            ++kept[i];
        else
            kept.insert(kept.begin(), '1');
    }
    // Left-pad so there are at least decimals + 1 digits.
    const int width = decimals + 1;
    if (static_cast<int>(kept.size()) < width) kept.insert(0, width - kept.size(), '0');
    const bool zero = kept.find_first_not_of('0') == std::string::npos;
    if (std::signbit(value) && !zero) out += '-';
    out.append(kept, 0, kept.size() - decimals);
    if (decimals > 0) {
        out += '.';
        out.append(kept, kept.size() - decimals, decimals);
    }
}

}  // namespace

void AppendFixed(std::string& out, Extended value, int decimals) {
    if (std::isnan(value)) {
        out += "NAN";
        return;
    }
    if (std::isinf(value)) {
        out += value < 0 ? "-INF" : "INF";
        return;
    }
    if (value == 0) {
        out += '0';
        if (decimals > 0) out.append(1, '.').append(decimals, '0');
        return;
    }
    AppendFixedExact(out, value, decimals);
}

std::string FormatFixed(Extended value, int decimals) {
    std::string s;
    AppendFixed(s, value, decimals);
    return s;
}

void AppendInt(std::string& out, std::int32_t value) {
    char buf[16];
    const auto res = std::to_chars(buf, buf + sizeof buf, value);
    out.append(buf, res.ptr);
}
