#include "common/numtext.h"

#include <array>
#include <cassert>
#include <charconv>
#include <cmath>
#include <cstring>

namespace {

__extension__ typedef unsigned __int128 U128;

constexpr std::uint64_t kTen18 = 1000000000000000000ULL;
constexpr std::uint64_t kTen17 = 100000000000000000ULL;

constexpr auto kPow10 = [] {
    std::array<std::uint64_t, 19> t{};
    std::uint64_t p = 1;
    for (auto& x : t) {
        x = p;
        p *= 10;
    }
    return t;
}();

// 10^36 is the largest scale needed: values below 2^-62 never get here.
constexpr auto kPow10Wide = [] {
    std::array<U128, 37> t{};
    U128 p = 1;
    for (auto& x : t) {
        x = p;
        p *= 10;
    }
    return t;
}();

constexpr auto kDigitPairs = [] {
    std::array<char, 200> t{};
    for (int i = 0; i < 100; ++i) {
        t[2 * i] = static_cast<char>('0' + i / 10);
        t[2 * i + 1] = static_cast<char>('0' + i % 10);
    }
    return t;
}();

// Writes the decimal digits of n so that they end just before `end`.
char* WriteDigitsBackward(char* end, std::uint64_t n) {
    while (n >= 100) {
        end -= 2;
        std::memcpy(end, &kDigitPairs[2 * (n % 100)], 2);
        n /= 100;
    }
    if (n >= 10) {
        end -= 2;
        std::memcpy(end, &kDigitPairs[2 * n], 2);
    } else {
        *--end = static_cast<char>('0' + n);
    }
    return end;
}

// The lowest and highest binary exponents the integer route handles.
constexpr int kFastMinExp = -62;
constexpr int kFastMaxExp = 55;

// For m × 2^(e - 63) with the top bit of m set and e in [kFastMinExp,
// kFastMaxExp]: D and k with 10^17 <= D < 10^18 and D = the value × 10^k
// rounded half to even, computed exactly.
struct Digits18 {
    std::uint64_t d;
    int k;
};

Digits18 ToDigits18(std::uint64_t m, int e) {
    // floor(e × log10 2) is exact for this range; v >= 10^that, so k can only
    // be one too large.
    int k = 17 - ((e * 78913) >> 18);
    const int s = 63 - e;  // 8..125
    const U128 mask = (U128(1) << s) - 1;
    const U128 half = U128(1) << (s - 1);
    for (;;) {
        const U128 p = kPow10Wide[k];
        const U128 lo = U128(m) * static_cast<std::uint64_t>(p);
        const U128 hi = U128(m) * static_cast<std::uint64_t>(p >> 64);
        // m × 10^k as the 192-bit number w2:low.
        const U128 mid = (lo >> 64) + static_cast<std::uint64_t>(hi);
        const U128 low = (mid << 64) | static_cast<std::uint64_t>(lo);
        const U128 w2 = (hi >> 64) + (mid >> 64);
        std::uint64_t d = static_cast<std::uint64_t>((w2 << (128 - s)) | (low >> s));
        if (d >= kTen18) {
            --k;
            continue;
        }
        assert(d >= kTen17);
        const U128 rem = low & mask;
        if (rem > half || (rem == half && (d & 1))) ++d;
        if (d == kTen18) return {kTen17, k - 1};
        return {d, k};
    }
}

void AppendZero(std::string& out, int decimals) {
    out += '0';
    if (decimals > 0) out.append(1, '.').append(decimals, '0');
}

void AppendFast(std::string& out, bool negative, Digits18 v, int decimals) {
    char digits[40];
    char* const end = digits + sizeof digits;
    char* p = end;
    const int drop = v.k - decimals;  // digits of D below the last decimal
    if (drop <= 0) {
        p -= -drop;
        std::memset(p, '0', -drop);
        p = WriteDigitsBackward(p, v.d);
    } else if (drop <= 18) {
        const std::uint64_t unit = kPow10[drop];
        std::uint64_t n = v.d / unit;
        if (v.d % unit >= unit / 2) ++n;
        if (n == 0) {
            AppendZero(out, decimals);
            return;
        }
        p = WriteDigitsBackward(p, n);
    } else {
        AppendZero(out, decimals);
        return;
    }
    while (end - p <= decimals)
        *--p = '0';

    char text[48];
    char* t = text;
    if (negative) *t++ = '-';
    const auto intLen = (end - p) - decimals;
    std::memcpy(t, p, intLen);
    t += intLen;
    if (decimals > 0) {
        *t++ = '.';
        std::memcpy(t, p + intLen, decimals);
        t += decimals;
    }
    out.append(text, t);
}

// Exact route for magnitudes the integer route does not cover: 18 significant
// digits from the library's correctly rounded conversion, then decimal
// rounding on those digits.
void AppendFixedExact(std::string& out, Extended value, int decimals) {
    char buf[64];
    std::to_chars(buf, buf + sizeof buf, std::fabs(value), std::chars_format::scientific, 17);
    // buf: d.ddddddddddddddddde±xx
    char digits[18];
    digits[0] = buf[0];
    for (int i = 0; i < 17; ++i)
        digits[i + 1] = buf[2 + i];
    int exp10 = 0;
    for (const char* c = buf + 21; *c >= '0' && *c <= '9'; ++c)
        exp10 = exp10 * 10 + (*c - '0');
    if (buf[20] == '-') exp10 = -exp10;
    const int pointPos = exp10 + 1;  // digits before the point
    // Integer digits then the decimals, rounding half away from zero on the
    // first dropped digit.
    const int total = pointPos + decimals;
    std::string kept;
    bool roundUp = false;
    if (total >= 0) {
        for (int i = 0; i < total; ++i)
            kept += (i < 18 ? digits[i] : '0');
        roundUp = total < 18 && digits[total] >= '5';
    }
    if (roundUp) {
        int i = static_cast<int>(kept.size()) - 1;
        while (i >= 0 && kept[i] == '9')
            kept[i--] = '0';
        if (i >= 0)
            ++kept[i];
        else
            kept.insert(kept.begin(), '1');
    }
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
    assert(decimals >= 0 && decimals <= 18);
    if (std::isnan(value)) {
        out += "NAN";
        return;
    }
    if (std::isinf(value)) {
        out += value < 0 ? "-INF" : "INF";
        return;
    }
    // x87 layout: 64-bit significand with explicit integer bit, then sign and
    // 15-bit biased exponent.
    std::uint64_t m;
    std::uint16_t signExp;
    std::memcpy(&m, &value, sizeof m);
    std::memcpy(&signExp, reinterpret_cast<const unsigned char*>(&value) + 8, sizeof signExp);
    const int e = (signExp & 0x7FFF) - 16383;
    // Below 2^-62 even the 18-digit rounding stays under half of 10^-18, so
    // every count of decimals prints zero; zeros and denormals land here.
    if (e < kFastMinExp) {
        AppendZero(out, decimals);
        return;
    }
    if (e <= kFastMaxExp && (m >> 63) != 0) {
        AppendFast(out, (signExp & 0x8000) != 0, ToDigits18(m, e), decimals);
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
