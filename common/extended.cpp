#include "common/extended.h"

#include <array>
#include <cmath>

namespace {

constexpr int kBias = 16383;
// value = m * 2^(e - kShift) for a normal number: the significand is an integer.
constexpr int kShift = kBias + 63;

// Powers of two for the exponents that lap data actually uses (magnitudes
// from 2^-64 to 2^64), so decoding needs one multiplication, no ldexpl.
constexpr int kTableLow = kBias - 128;
constexpr int kTableHigh = kBias + 128;

const std::array<Extended, kTableHigh - kTableLow + 1>& PowerTable() {
    static const auto table = [] {
        std::array<Extended, kTableHigh - kTableLow + 1> t{};
        for (int e = kTableLow; e <= kTableHigh; ++e) t[e - kTableLow] = std::ldexp(1.0L, e - kShift);
        return t;
    }();
    return table;
}

}  // namespace

Extended DecodeExtended(const unsigned char* bytes) {
    const std::uint64_t m = LoadLE64(bytes);
    const unsigned word = bytes[8] | (unsigned(bytes[9]) << 8);
    const bool negative = (word & 0x8000u) != 0;
    const int e = static_cast<int>(word & 0x7FFFu);

    Extended magnitude;
    if (e == 0x7FFF) {
        magnitude = (m == (std::uint64_t(1) << 63)) ? HUGE_VALL : NAN;
    } else if (e == 0) {
        // Zero or denormal: m * 2^-16445, exactly representable.
        magnitude = (m == 0) ? 0.0L : std::ldexp(static_cast<Extended>(m), 1 - kShift);
    } else if (e >= kTableLow && e <= kTableHigh) {
        // The conversion of a 64-bit integer is exact, and so is the product.
        magnitude = static_cast<Extended>(m) * PowerTable()[e - kTableLow];
    } else {
        magnitude = std::ldexp(static_cast<Extended>(m), e - kShift);
    }
    return negative ? -magnitude : magnitude;
}

void EncodeExtended(Extended value, unsigned char* bytes) {
    std::uint64_t m = 0;
    unsigned word = std::signbit(value) ? 0x8000u : 0u;
    if (std::isnan(value)) {
        m = std::uint64_t(3) << 62;  // quiet NaN
        word |= 0x7FFFu;
    } else if (std::isinf(value)) {
        m = std::uint64_t(1) << 63;
        word |= 0x7FFFu;
    } else if (value != 0) {
        int exp2 = 0;
        const Extended frac = std::frexp(std::fabs(value), &exp2);  // in [0.5, 1)
        int e = exp2 - 1 + kBias;
        if (e >= 1) {
            m = static_cast<std::uint64_t>(std::ldexp(frac, 64));
        } else {
            m = static_cast<std::uint64_t>(std::ldexp(std::fabs(value), kShift - 1));
            e = 0;
        }
        word |= static_cast<unsigned>(e);
    }
    StoreLE64(m, bytes);
    bytes[8] = static_cast<unsigned char>(word & 0xFF);
    bytes[9] = static_cast<unsigned char>(word >> 8);
}
