#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstring>
#include <random>
#include <thread>

#include "text/datetime.h"
#include "text/extended.h"

namespace {

using Bytes = std::array<unsigned char, 10>;

Bytes Encode(Extended v) {
    Bytes b{};
    EncodeExtended(v, b.data());
    return b;
}

// The processor's own format, as a cross-check of the decoder on x86-64.
Extended Native(const Bytes& b) {
    Extended v = 0;
    std::memcpy(&v, b.data(), 10);
    return v;
}

struct ByteExample {
    Bytes bytes;
    Extended value;
};

TEST(ExtendedCodec, FileExamplesDecodeAndEncode) {
    const ByteExample examples[] = {
        {{0, 0, 0, 0, 0, 0, 0, 0xB4, 0x06, 0x40}, 180.0L},
        {{0, 0, 0, 0, 0, 0, 0, 0xC0, 0xFF, 0x3F}, 1.5L},
        {{0, 0, 0, 0, 0, 0, 0, 0xB4, 0x05, 0xC0}, -90.0L},
        {{0, 0, 0, 0, 0, 0, 0, 0, 0, 0}, 0.0L},
    };
    for (const auto& e : examples) {
        EXPECT_EQ(DecodeExtended(e.bytes.data()), e.value);
        EXPECT_EQ(Encode(e.value), e.bytes);
    }
}

TEST(ExtendedCodec, SpecialValues) {
    const Bytes negZero{0, 0, 0, 0, 0, 0, 0, 0, 0, 0x80};
    EXPECT_TRUE(std::signbit(DecodeExtended(negZero.data())));
    EXPECT_EQ(DecodeExtended(negZero.data()), 0.0L);
    EXPECT_EQ(Encode(-0.0L), negZero);

    const Bytes inf{0, 0, 0, 0, 0, 0, 0, 0x80, 0xFF, 0x7F};
    const Bytes negInf{0, 0, 0, 0, 0, 0, 0, 0x80, 0xFF, 0xFF};
    EXPECT_EQ(DecodeExtended(inf.data()), HUGE_VALL);
    EXPECT_EQ(DecodeExtended(negInf.data()), -HUGE_VALL);
    EXPECT_EQ(Encode(HUGE_VALL), inf);

    // Every other significand with the top exponent is not a number.
    for (std::uint64_t m : {0xC000000000000000ull, 0x8000000000000001ull, 0ull, 1ull}) {
        Bytes b{};
        StoreLE64(m, b.data());
        b[8] = 0xFF, b[9] = 0x7F;
        EXPECT_TRUE(std::isnan(DecodeExtended(b.data()))) << m;
    }
    EXPECT_TRUE(std::isnan(DecodeExtended(Encode(NAN).data())));

    // The smallest denormal: m = 1, e = 0.
    const Bytes tiny{1, 0, 0, 0, 0, 0, 0, 0, 0, 0};
    EXPECT_EQ(DecodeExtended(tiny.data()), std::ldexp(1.0L, -16445));
}

// Random normal and denormal bit patterns decode to what the processor reads
// from the same bytes, and encode back to the same bytes.
TEST(ExtendedCodec, RandomBitPatternsRoundTrip) {
    std::mt19937_64 rng(42);
    for (int i = 0; i < 200000; ++i) {
        Bytes b{};
        std::uint64_t m = rng();
        const bool denormal = i % 10 == 0;
        unsigned e = denormal ? 0u : 1u + static_cast<unsigned>(rng() % 32766);
        if (denormal)
            m &= ~(1ull << 63);
        else
            m |= 1ull << 63;
        if (i % 3 == 0 && !denormal)
            e = 16383 - 64 + static_cast<unsigned>(rng() % 128);  // lap-data range
        StoreLE64(m, b.data());
        const unsigned word = e | (rng() & 1 ? 0x8000u : 0u);
        b[8] = static_cast<unsigned char>(word), b[9] = static_cast<unsigned char>(word >> 8);
        const Extended v = DecodeExtended(b.data());
        ASSERT_EQ(v, Native(b));
        ASSERT_EQ(Encode(v), b);
    }
}

TEST(DateTimeBytes, ExampleDecodesToItsInstant) {
    const unsigned char bytes[8] = {0x03, 0xE4, 0x5E, 0xD3, 0x12, 0x09, 0xE4, 0x40};
    const double v = std::bit_cast<double>(LoadLE64(bytes));
    EXPECT_EQ(v, 41032.588302083335);
    std::string text;
    ASSERT_TRUE(AppendDateTime(text, "yyyy/mm/dd hh:nn:ss.zzz", v));
    EXPECT_EQ(text, "2012/05/03 14:07:09.300");
}

// A thread that computes lap values sets the precision it needs, whatever
// precision it started with (Windows starts threads at 53 bits).
TEST(Extended, ThreadsSetTheirPrecision) {
    volatile Extended three = 3;
    const Extended third = 1 / three;
    Extended at53 = 0, after = 0;
    std::thread([&] {
        unsigned short control = 0;
        __asm__ volatile("fnstcw %0" : "=m"(control));
        control = static_cast<unsigned short>((control & ~0x0300u) | 0x0200u);
        __asm__ volatile("fldcw %0" : : "m"(control));
        at53 = 1 / three;
        UseExtendedPrecision();
        after = 1 / three;
    }).join();
    EXPECT_NE(BitsOf(at53).significand, BitsOf(third).significand);
    EXPECT_EQ(BitsOf(after).significand, BitsOf(third).significand);
}

}  // namespace
