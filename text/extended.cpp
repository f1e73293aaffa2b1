#include "text/extended.h"

#include <cmath>

using namespace extended_detail;

Extended extended_detail::DecodeExtendedRare(std::uint64_t m, unsigned word) {
    const bool negative = (word & 0x8000u) != 0;
    const int e = static_cast<int>(word & 0x7FFFu);
    Extended magnitude;
    if (e == 0x7FFF) {
        magnitude = (m == (std::uint64_t(1) << 63)) ? HUGE_VALL : NAN;
    } else if (e == 0) {
        // Zero or denormal: m * 2^-16445, exactly representable.
        magnitude = (m == 0) ? 0.0L : std::ldexp(static_cast<Extended>(m), 1 - kShift);
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

namespace {

unsigned short ControlWord() {
    unsigned short control = 0;
    __asm__ volatile("fnstcw %0" : "=m"(control));
    return control;
}

}  // namespace

void UseExtendedPrecision() {
    // Precision control is bits 8 and 9 (11: 64 bits), rounding bits 10 and
    // 11 (00: to nearest).
    unsigned short control = ControlWord();
    control = static_cast<unsigned short>((control & ~0x0F00u) | 0x0300u);
    __asm__ volatile("fldcw %0" : : "m"(control));
}

int ExtendedPrecisionBits() {
    switch ((ControlWord() >> 8) & 3) {
        case 0:
            return 24;
        case 2:
            return 53;
        default:
            return 64;
    }
}
