// The 80-bit extended-precision type of the lap files and of every
// computation on lap data, and its 10-byte file encoding.
#pragma once

#include <bit>
#include <cfloat>
#include <cstdint>
#include <cstring>

// GCC on x86-64 makes long double the x87 80-bit format: 64-bit significand.
using Extended = long double;
static_assert(LDBL_MANT_DIG == 64, "Extended must be the x87 80-bit extended type");

// Sets the x87 precision control of the calling thread to the 64-bit
// significand (rounding to nearest) that every computation on lap data
// assumes. Threads that compute lap values call it first: not every system
// starts a new thread that way.
void UseExtendedPrecision();
// The x87 precision control of the calling thread in bits: 24, 53 or 64.
int ExtendedPrecisionBits();

// Decodes the 10 little-endian bytes of an x87 extended value (64-bit
// significand with explicit integer bit, then sign and 15-bit biased exponent)
// by arithmetic on those fields, not by reinterpreting memory.
inline Extended DecodeExtended(const unsigned char* bytes);

// Encodes a value into the 10-byte file form (normal numbers with the integer
// bit set, denormals, zeros of both signs, infinities, a quiet NaN).
void EncodeExtended(Extended value, unsigned char* bytes);

// The two parts of an extended value in memory: the 64-bit significand with
// its explicit integer bit, and the word of sign (bit 15) and biased exponent.
struct ExtendedBits {
    std::uint64_t significand;
    std::uint16_t signExponent;
};
inline ExtendedBits BitsOf(const Extended& value) {
    ExtendedBits bits;
    std::memcpy(&bits.significand, &value, sizeof bits.significand);
    std::memcpy(&bits.signExponent, reinterpret_cast<const unsigned char*>(&value) + 8,
                sizeof bits.signExponent);
    return bits;
}
inline void StoreBits(ExtendedBits bits, Extended& value) {
    std::memcpy(&value, &bits.significand, sizeof bits.significand);
    std::memcpy(reinterpret_cast<unsigned char*>(&value) + 8, &bits.signExponent,
                sizeof bits.signExponent);
}

namespace extended_detail {

constexpr int kBias = 16383;
// value = m * 2^(e - kShift) for a normal number: the significand is an integer.
constexpr int kShift = kBias + 63;

// Powers of two for the exponents that lap data actually uses (magnitudes
// from 2^-128 to 2^128), so that decoding them takes one multiplication.
constexpr int kTableLow = kBias - 128;
constexpr int kTableHigh = kBias + 128;
struct PowerTable {
    Extended value[kTableHigh - kTableLow + 1];
};
constexpr PowerTable kPowers = [] {
    PowerTable t{};
    Extended p = 1;
    for (int e = kBias + 63; e > kTableLow; --e)
        p /= 2;  // exact halvings
    for (int e = kTableLow; e <= kTableHigh; ++e, p *= 2)
        t.value[e - kTableLow] = p;
    return t;
}();

// Zeros, denormals, unnormals, infinities, NaN and far exponents.
Extended DecodeExtendedRare(std::uint64_t m, unsigned word);

}  // namespace extended_detail

inline std::uint64_t LoadLE64(const unsigned char* p) {
    std::uint64_t v;
    std::memcpy(&v, p, sizeof v);  // one load; the bytes are little-endian
    if constexpr (std::endian::native == std::endian::big) v = __builtin_bswap64(v);
    return v;
}
inline void StoreLE64(std::uint64_t v, unsigned char* p) {
    for (int i = 0; i < 8; ++i)
        p[i] = static_cast<unsigned char>(v >> (8 * i));
}

inline Extended DecodeExtended(const unsigned char* bytes) {
    using namespace extended_detail;
    const std::uint64_t m = LoadLE64(bytes);
    const unsigned word = bytes[8] | (unsigned(bytes[9]) << 8);
    const unsigned e = word & 0x7FFFu;
    if (e - kTableLow <= unsigned(kTableHigh - kTableLow) && (m >> 63) != 0) {
        // m = 2^63 + low: both parts convert exactly, and so does their sum.
        const auto low = static_cast<std::int64_t>(m & ~(std::uint64_t(1) << 63));
        const Extended magnitude =
            (static_cast<Extended>(low) + 9223372036854775808.0L) * kPowers.value[e - kTableLow];
        return (word & 0x8000u) ? -magnitude : magnitude;
    }
    return DecodeExtendedRare(m, word);
}
