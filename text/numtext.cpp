#include "text/numtext.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cassert>
#include <charconv>
#include <cmath>
#include <cstring>
#include <string_view>

namespace {

__extension__ typedef unsigned __int128 U128;

constexpr std::uint64_t kTen18 = 1000000000000000000ULL;
constexpr std::uint64_t kTen17 = 100000000000000000ULL;

constexpr auto kPow10 = [] {
    std::array<std::uint64_t, 20> t{};
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

// The lowest and highest binary exponents the integer route handles.
constexpr int kFastMinExp = -62;
constexpr int kFastMaxExp = 55;

// floor(e × log10 2), exact for |e| < 1700.
constexpr int FloorLog10Pow2(int e) {
    return (e * 78913) >> 18;
}

// For each binary exponent e: one less than the smallest 64-bit significand
// m with m × 2^(e-63) >= 10^(FloorLog10Pow2(e) + 1), or all ones when the
// range [2^e, 2^(e+1)) holds no such value. Makes the decimal exponent exact
// without a second trial multiplication.
constexpr auto kNextPow10Significand = [] {
    std::array<std::uint64_t, kFastMaxExp - kFastMinExp + 1> t{};
    for (int e = kFastMinExp; e <= kFastMaxExp; ++e) {
        const int p = FloorLog10Pow2(e) + 1;
        const int s = 63 - e;
        U128 m;
        if (p >= 0) {
            m = s >= 64 ? ~U128(0) : kPow10Wide[p] << s;
        } else {
            const U128 d = kPow10Wide[-p];
            m = ((U128(1) << s) + d - 1) / d;
        }
        t[e - kFastMinExp] = m >> 64 ? ~std::uint64_t(0) : static_cast<std::uint64_t>(m - 1);
    }
    return t;
}();

// floor(n / 10^j) for n < 2^60 as (n × magic) >> shift (Granlund and
// Montgomery): a division by a varying divisor costs far more.
struct DivPow10 {
    std::uint64_t magic;
    int shift;
};

constexpr auto kDivPow10 = [] {
    std::array<DivPow10, 19> t{};
    for (int j = 0; j <= 18; ++j) {
        const U128 d = kPow10[j];
        int l = 0;
        while ((U128(1) << l) < d)
            ++l;
        const int shift = 60 + l;
        t[j] = {static_cast<std::uint64_t>(((U128(1) << shift) + d - 1) / d), shift};
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

void Write4(char* p, std::uint32_t n) {
    std::memcpy(p, &kDigitPairs[2 * (n / 100)], 2);
    std::memcpy(p + 2, &kDigitPairs[2 * (n % 100)], 2);
}

void Write8(char* p, std::uint32_t n) {
    Write4(p, n / 10000);
    Write4(p + 4, n % 10000);
}

// n < 10^20 as exactly 20 digits, leading zeros included: fixed work and no
// branches on the length.
void Write20(char* p, std::uint64_t n) {
    const std::uint64_t low16 = n % 10000000000000000ULL;
    Write4(p, static_cast<std::uint32_t>(n / 10000000000000000ULL));
    Write8(p + 4, static_cast<std::uint32_t>(low16 / 100000000));
    Write8(p + 12, static_cast<std::uint32_t>(low16 % 100000000));
}

// n < 10^8 as eight ASCII digits with leading zeros, the first in the lowest
// byte: the halves, quarters and single digits split in lanes of one
// register (quotients by multiplication, exact for these ranges).
std::uint64_t EightDigits(std::uint32_t n) {
    std::uint64_t v = n / 10000 | std::uint64_t(n % 10000) << 32;
    std::uint64_t q = ((v * 10486) >> 20) & 0x0000007F0000007Fu;  // lanes < 10^4, / 100
    v = q | (v - q * 100) << 16;
    q = ((v * 103) >> 10) & 0x000F000F000F000Fu;  // lanes < 100, / 10
    v = q | (v - q * 10) << 8;
    return v | 0x3030303030303030u;
}

// Eight bytes in memory order, the lowest first.
void Store8(char* p, std::uint64_t bytes) {
    static_assert(std::endian::native == std::endian::little);
    std::memcpy(p, &bytes, 8);
}

int DigitCount(std::uint64_t n) {
    n |= 1;  // one digit for zero
    const int t = (std::bit_width(n) * 1233) >> 12;
    return t + (n >= kPow10[t]);
}

// D and k with 10^17 <= D < 10^18 and D = |value| × 10^k rounded half to
// even, exactly.
struct Digits18 {
    std::uint64_t d;
    int k;
};

// |value| = m × 2^(e - 63) with the top bit of m set, e in [kFastMinExp,
// kFastMaxExp].
Digits18 ToDigits18(std::uint64_t m, int e) {
    const int k = 17 - FloorLog10Pow2(e) - (m > kNextPow10Significand[e - kFastMinExp]);
    const int s = 63 - e;  // 8..125
    if (k <= 19) {
        // Magnitudes from 0.01 on: m × 10^k fits 128 bits.
        const U128 product = U128(m) * kPow10[k];
        std::uint64_t d = static_cast<std::uint64_t>(product >> s);
        const U128 rem = product & ((U128(1) << s) - 1);
        const U128 half = U128(1) << (s - 1);
        d += rem > half || (rem == half && (d & 1));
        if (d == kTen18) return {kTen17, k - 1};
        return {d, k};
    }
    const U128 p = kPow10Wide[k];
    const U128 lo = U128(m) * static_cast<std::uint64_t>(p);
    const U128 hi = U128(m) * static_cast<std::uint64_t>(p >> 64);
    // m × 10^k as the 192-bit number w2:low; the quotient by 2^s is below 10^18.
    const U128 mid = (lo >> 64) + static_cast<std::uint64_t>(hi);
    const U128 low = (mid << 64) | static_cast<std::uint64_t>(lo);
    const U128 w2 = (hi >> 64) + (mid >> 64);
    std::uint64_t d = static_cast<std::uint64_t>((w2 << (128 - s)) | (low >> s));
    assert(d >= kTen17 && d < kTen18);
    const U128 rem = low & ((U128(1) << s) - 1);
    const U128 half = U128(1) << (s - 1);
    d += rem > half || (rem == half && (d & 1));
    if (d == kTen18) return {kTen17, k - 1};
    return {d, k};
}

char* WriteZero(char* p, int decimals) {
    *p++ = '0';
    if (decimals > 0) {
        *p++ = '.';
        std::memset(p, '0', decimals);
        p += decimals;
    }
    return p;
}

// Values so large that all 18 digits show before the last decimal.
char* WriteAllDigits(char* p, bool negative, Digits18 v, int decimals) {
    // The printed value × 10^decimals as digits ending at `end`, with zeros
    // before them; the fixed-size copies below also read initialised slack
    // after `end`.
    char field[72];
    char* end;
    int len;
    const int drop = v.k - decimals;  // digits of D below the last decimal
    // All 18 digits shown, then zeros.
    Write20(field, v.d);
    std::memset(field + 20, '0', 18);
    end = field + 20 - drop;
    len = 18 - drop;
    std::memset(end, '0', 24);
    len = std::max(len, decimals + 1);

    *p = '-';
    p += negative;
    const int intLen = len - decimals;  // 1..20
    std::memcpy(p, end - len, intLen);
    p += intLen;
    if (decimals > 0) {
        *p++ = '.';
        std::memcpy(p, end - decimals, decimals);
        p += decimals;
    }
    return p;
}

// Writes n's digits backwards so that the last one ends before `end`, and
// returns where the first one starts; `count` digits, leading zeros included.
char* WriteDigitsBackwards(char* end, std::uint64_t n, int count) {
    for (; count >= 2; count -= 2) {
        end -= 2;
        std::memcpy(end, &kDigitPairs[2 * (n % 100)], 2);
        n /= 100;
    }
    if (count == 1) *--end = static_cast<char>('0' + n % 10);
    return end;
}

// n, the printed value × 10^decimals, as text.
char* WriteRounded(char* p, bool negative, std::uint64_t n, int decimals) {
    negative = negative && n != 0;
    if (n < 100000000 && decimals < 8) {
        // Most numbers: their digits made in a register and stored whole, in
        // two stores when a point goes between; the room takes the slack.
        const std::uint64_t digits = EightDigits(static_cast<std::uint32_t>(n));
        const int length = std::max(DigitCount(n), decimals + 1);
        *p = '-';
        p += negative;
        Store8(p, digits >> (8 * (8 - length)));
        p += length - decimals;
        if (decimals == 0) return p;
        *p = '.';
        Store8(p + 1, digits >> (8 * (8 - decimals)));
        return p + 1 + decimals;
    }
    const auto [magic, shift] = kDivPow10[decimals];
    const auto whole = static_cast<std::uint64_t>((U128(n) * magic) >> shift);
    const std::uint64_t fraction = n - whole * kPow10[decimals];
    const int wholeDigits = DigitCount(whole);

    // Written straight into place, back to front: nothing is read back.
    char* const end = p + negative + wholeDigits + (decimals > 0) + decimals;
    char* q = WriteDigitsBackwards(end, fraction, decimals);
    if (decimals > 0) *--q = '.';
    q = WriteDigitsBackwards(q, whole, wholeDigits);
    if (negative) *--q = '-';
    return end;
}

char* WriteFast(char* p, bool negative, Digits18 v, int decimals) {
    const int drop = v.k - decimals;  // digits of D below the last decimal
    if (drop <= 0) return WriteAllDigits(p, negative, v, decimals);
    // The printed value × 10^decimals, rounded half away from zero.
    std::uint64_t n = 0;
    if (drop <= 18) {
        const auto [magic, shift] = kDivPow10[drop];
        n = static_cast<std::uint64_t>((U128(v.d) * magic) >> shift);
        n += v.d - n * kPow10[drop] >= kPow10[drop] / 2;
    }
    return WriteRounded(p, negative, n, decimals);
}

// The printed value × 10^decimals of |value| = m × 2^(e - 63) by one
// rounding of the exact value x × 10^decimals, where that is sure to give
// what the two roundings give: the 18-digit rounding moves x × 10^decimals
// by at most half a unit of the 18th digit, so it cannot carry it across a
// half unless it lies that close to one; the last of 18 digits must also
// lie below the decimals. False otherwise, for the two roundings to decide.
bool RoundOnce(std::uint64_t m, int e, int decimals, std::uint64_t& n) {
    const int s = 63 - e;                             // 8..125
    const U128 product = U128(m) * kPow10[decimals];  // below 2^124
    const U128 whole = product >> s;
    // From 10^17 - 1 on, the 18th digit may not lie below the decimals.
    if (whole >= kTen17 - 1) return false;
    const U128 rem = product & ((U128(1) << s) - 1);
    const U128 half = U128(1) << (s - 1);
    // With D of 18 digits, half a unit of its last digit is at most
    // (whole + 1.5) × 10^-17 / 2 < (whole + 2) × 2^-57 in units of
    // x × 10^decimals, and in units of rem 2^s times that.
    const std::uint64_t bound = static_cast<std::uint64_t>(whole) + 2;
    const U128 tolerance = s >= 57 ? U128(bound) << (s - 57) : (U128(bound) >> (57 - s)) + 1;
    const U128 distance = rem > half ? rem - half : half - rem;
    if (distance <= tolerance) return false;
    n = static_cast<std::uint64_t>(whole) + (rem > half);
    return true;
}

// Exact route for magnitudes the integer route does not cover: 18 significant
// digits from the library's correctly rounded conversion, then decimal
// rounding on those digits. Rare enough for a string of its own.
char* WriteFixedExact(char* p, Extended value, int decimals) {
    char buf[64];
    const char* const end =
        std::to_chars(buf, buf + sizeof buf, std::fabs(value), std::chars_format::scientific, 17)
            .ptr;
    // buf: d.ddddddddddddddddde±xx
    char digits[18];
    digits[0] = buf[0];
    for (int i = 0; i < 17; ++i)
        digits[i + 1] = buf[2 + i];
    int exp10 = 0;
    for (const char* c = buf + 21; c < end; ++c)
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
    if (std::signbit(value) && !zero) *p++ = '-';
    const std::size_t wholeDigits = kept.size() - decimals;
    p = std::copy_n(kept.data(), wholeDigits, p);
    if (decimals > 0) {
        *p++ = '.';
        p = std::copy_n(kept.data() + wholeDigits, decimals, p);
    }
    return p;
}

}  // namespace

char* WriteFixed(char* at, const Extended& value, int decimals) {
    assert(decimals >= 0 && decimals <= 18);
    const ExtendedBits bits = BitsOf(value);
    const std::uint64_t m = bits.significand;
    const std::uint16_t signExp = bits.signExponent;
    const int biased = signExp & 0x7FFF;
    // Infinities, NaNs, and encodings without the integer bit that the
    // processor rejects as operands (those print as NaN, as the C library
    // classifies them).
    if (biased == 0x7FFF || (biased != 0 && (m >> 63) == 0)) {
        std::string_view text = "NAN";
        if (biased == 0x7FFF && m == (std::uint64_t(1) << 63))
            text = (signExp & 0x8000) ? "-INF" : "INF";
        return std::copy(text.begin(), text.end(), at);
    }
    const int e = biased - 16383;
    // Below 2^-62 even the 18-digit rounding stays under half of 10^-18, so
    // every count of decimals prints zero; zeros and denormals land here.
    if (e < kFastMinExp) return WriteZero(at, decimals);
    if (e <= kFastMaxExp) {
        const bool negative = (signExp & 0x8000) != 0;
        std::uint64_t n;
        if (RoundOnce(m, e, decimals, n)) return WriteRounded(at, negative, n, decimals);
        return WriteFast(at, negative, ToDigits18(m, e), decimals);
    }
    return WriteFixedExact(at, value, decimals);
}

void AppendFixed(std::string& out, Extended value, int decimals) {
    char text[kMaxFixedLength];
    out.append(text, WriteFixed(text, value, decimals));
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
