// Slow, plainly correct number text for checking and measuring the real one:
// the C library's exact conversion to 18 significant digits (halves to even),
// then rounding of those digits to the decimals, halves away from zero.
#pragma once

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <stdexcept>
#include <string>

// A value as 18 significant digits d0.d1...d17 × 10^exp10, or a fixed text.
struct RefDigits {
    std::string special;  // "NAN", "INF", "-INF" or empty
    bool negative = false;
    char digits[18] = {};
    int exp10 = 0;
};

inline RefDigits ReferenceDigits(long double v) {
    RefDigits r;
    if (std::isnan(v)) {
        r.special = "NAN";
        return r;
    }
    if (std::isinf(v)) {
        r.special = v < 0 ? "-INF" : "INF";
        return r;
    }
    r.negative = std::signbit(v);
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.17Le", std::fabs(v));
    // d.ddddddddddddddddde±x...; any other shape means a foreign locale.
    if (buf[1] != '.' || buf[19] != 'e') throw std::runtime_error(std::string("odd text ") + buf);
    r.digits[0] = buf[0];
    for (int i = 1; i < 18; ++i)
        r.digits[i] = buf[i + 1];
    r.exp10 = std::atoi(buf + 20);
    return r;
}

inline std::string ReferenceRound(const RefDigits& r, int decimals) {
    if (!r.special.empty()) return r.special;
    // Digit of the place 10^place.
    const auto digitAt = [&](int place) {
        const int i = r.exp10 - place;
        return i >= 0 && i < 18 ? r.digits[i] - '0' : 0;
    };
    std::string kept;  // places from max(exp10, 0) down to -decimals
    for (int place = std::max(r.exp10, 0); place >= -decimals; --place)
        kept += static_cast<char>('0' + digitAt(place));
    if (digitAt(-decimals - 1) >= 5) {
        auto i = kept.size();
        while (i > 0 && kept[i - 1] == '9')
            kept[--i] = '0';
        if (i == 0)
            kept.insert(kept.begin(), '1');
        else
            ++kept[i - 1];
    }
    const bool zero = kept.find_first_not_of('0') == std::string::npos;
    std::string text = r.negative && !zero ? "-" : "";
    text.append(kept, 0, kept.size() - decimals);
    if (decimals > 0) text.append(".").append(kept, kept.size() - decimals, std::string::npos);
    return text;
}

inline std::string ReferenceFixed(long double v, int decimals) {
    return ReferenceRound(ReferenceDigits(v), decimals);
}
