// The 80-bit extended-precision type of the lap files and of every
// computation on lap data, and its 10-byte file encoding.
#pragma once

#include <cfloat>
#include <cstdint>

// GCC on x86-64 makes long double the x87 80-bit format: 64-bit significand.
using Extended = long double;
static_assert(LDBL_MANT_DIG == 64, "Extended must be the x87 80-bit extended type");

// Decodes the 10 little-endian bytes of an x87 extended value (64-bit
// significand with explicit integer bit, then sign and 15-bit biased exponent)
// by arithmetic on those fields, not by reinterpreting memory.
Extended DecodeExtended(const unsigned char* bytes);

// Encodes a value into the 10-byte file form (normal numbers with the integer
// bit set, denormals, zeros of both signs, infinities, a quiet NaN).
void EncodeExtended(Extended value, unsigned char* bytes);

// Little-endian helpers for the other fields of a record.
inline std::uint64_t LoadLE64(const unsigned char* p) {
    std::uint64_t v = 0;
    for (int i = 7; i >= 0; --i) v = (v << 8) | p[i];
    return v;
}
inline void StoreLE64(std::uint64_t v, unsigned char* p) {
    for (int i = 0; i < 8; ++i) p[i] = static_cast<unsigned char>(v >> (8 * i));
}
