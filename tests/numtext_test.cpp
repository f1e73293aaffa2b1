#include <gtest/gtest.h>

#include <cfloat>
#include <clocale>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "tests/numtext_reference.h"
#include "text/numtext.h"

namespace {

__extension__ typedef unsigned __int128 U128;

// m × 2^e, exact for every m that is a long double.
long double Scale(long double m, int e) {
    return std::ldexp(m, e);
}

std::string Describe(long double v) {
    char buf[96];
    std::snprintf(buf, sizeof buf, "%La (%.25Le)", v, v);
    return buf;
}

std::string Shorten(const std::string& s) {
    return s.size() <= 60 ? s : s.substr(0, 30) + "..." + s.substr(s.size() - 30);
}

// Compares the formatter with the reference at each count of decimals.
// Reports and returns false at the first disagreement.
bool AgreesWithReference(long double v, const std::vector<int>& decimalsList) {
    const RefDigits ref = ReferenceDigits(v);
    std::string out;
    for (const int d : decimalsList) {
        out.clear();
        AppendFixed(out, v, d);
        const std::string want = ReferenceRound(ref, d);
        if (out != want) {
            ADD_FAILURE() << Describe(v) << " with " << d << " decimals: got " << Shorten(out)
                          << ", want " << Shorten(want);
            return false;
        }
    }
    return true;
}

const std::vector<int> kAllDecimals = [] {
    std::vector<int> all;
    for (int d = 0; d <= 18; ++d)
        all.push_back(d);
    return all;
}();

// Checks v and its neighbours up to `ulps` steps away on both sides, both signs.
bool NeighboursAgree(long double v, int ulps, const std::vector<int>& decimalsList = kAllDecimals) {
    for (const long double s : {v, -v}) {
        long double up = s, down = s;
        for (int i = 0; i <= ulps; ++i) {
            if (!AgreesWithReference(up, decimalsList) || !AgreesWithReference(down, decimalsList))
                return false;
            up = std::nextafterl(up, HUGE_VALL);
            down = std::nextafterl(down, -HUGE_VALL);
        }
    }
    return true;
}

std::uint64_t Pow10(int n) {
    std::uint64_t p = 1;
    while (n-- > 0)
        p *= 10;
    return p;
}

long double Pow10L(int n) {
    long double p = 1;
    for (int i = 0; i < std::abs(n); ++i)
        p *= 10;  // exact up to 10^27
    return n < 0 ? 1 / p : p;
}

struct Example {
    long double value;
    int decimals;
    const char* text;
};

// Worked by hand from the exact binary values: the 18-digit step decides
// several of them (1.005L lies below 1.005 yet prints 1.01).
TEST(NumberText, WorkedExamples) {
    const Example examples[] = {
        {0.125L, 2, "0.13"},
        {-0.125L, 2, "-0.13"},
        {0.375L, 2, "0.38"},
        {2.5L, 0, "3"},
        {-2.5L, 0, "-3"},
        {0.004L, 2, "0.00"},
        {-0.004L, 2, "0.00"},
        {1.005L, 2, "1.01"},
        {1.005, 2, "1.00"},
        {35.12345675L, 7, "35.1234568"},
        {35.12345675, 7, "35.1234568"},
        {112.347L, 2, "112.35"},
        {112.347, 2, "112.35"},
        {83.456L, 3, "83.456"},
        {123.4565L, 3, "123.457"},
        {0.005L, 2, "0.01"},
        {std::nextafterl(0.005L, 0), 2, "0.01"},
        {9.995L, 2, "10.00"},
        {9.995, 2, "9.99"},
        {99.995L, 2, "100.00"},
        {-99.995L, 2, "-100.00"},
        {0.0995L, 3, "0.100"},
        {9.999L, 2, "10.00"},
        {0.9995L, 3, "1.000"},
        {0.9995, 3, "1.000"},
        {139.6917064L, 7, "139.6917064"},
        {-35.6894875L, 7, "-35.6894875"},
        {1234.5L, 0, "1235"},
        // 19-digit values ending in 5: the 18th digit goes to the even side.
        {Scale(1000001, -18), 17, "3.81470108032226562"},
        {Scale(1000003, -18), 17, "3.81470870971679688"},
        {1000000000000000485.0L, 0, "1000000000000000480"},
        {1000000000000000495.0L, 0, "1000000000000000500"},
        {72057594037927936.5L, 0, "72057594037927937"},
        {-98765432109876543.5L, 0, "-98765432109876544"},
        {98765432109876543.25L, 1, "98765432109876543.2"},
        {1e20L, 2, "100000000000000000000.00"},
        {123456789012345678901234567890.0L, 0, "123456789012345679000000000000"},
        {Scale(1, 63), 2, "9223372036854775810.00"},
        {Scale(1, 64), 2, "18446744073709551600.00"},
        {-Scale(1, 64), 0, "-18446744073709551600"},
        {1e-18L, 18, "0.000000000000000001"},
        {4.9e-19L, 18, "0.000000000000000000"},
        {5e-19L, 18, "0.000000000000000001"},
        {0.0L, 2, "0.00"},
        {-0.0L, 2, "0.00"},
        {-0.0L, 0, "0"},
        {LDBL_TRUE_MIN, 7, "0.0000000"},
        {-LDBL_TRUE_MIN, 3, "0.000"},
        {std::nanl(""), 2, "NAN"},
        {-std::nanl(""), 7, "NAN"},
        {HUGE_VALL, 3, "INF"},
        {-HUGE_VALL, 2, "-INF"},
    };
    for (const auto& e : examples) {
        EXPECT_EQ(FormatFixed(e.value, e.decimals), e.text)
            << Describe(e.value) << " with " << e.decimals << " decimals";
        EXPECT_EQ(ReferenceFixed(e.value, e.decimals), e.text)
            << "reference, " << Describe(e.value) << " with " << e.decimals << " decimals";
    }
}

TEST(NumberText, AppendsAfterExistingText) {
    std::string line = "X,";
    AppendFixed(line, 1.5L, 2);
    line += ',';
    AppendInt(line, -5);
    line += ',';
    AppendFixed(line, -0.001L, 2);
    EXPECT_EQ(line, "X,1.50,-5,0.00");
}

TEST(NumberText, Integers) {
    const struct {
        std::int32_t value;
        const char* text;
    } examples[] = {
        {0, "0"},
        {7, "7"},
        {-5, "-5"},
        {100, "100"},
        {-1000000, "-1000000"},
        {INT32_MAX, "2147483647"},
        {INT32_MIN, "-2147483648"},
    };
    for (const auto& e : examples) {
        std::string s;
        AppendInt(s, e.value);
        EXPECT_EQ(s, e.text);
    }
}

TEST(NumberText, ReferenceRunsInTheClassicLocale) {
    ASSERT_STREQ(std::setlocale(LC_NUMERIC, nullptr), "C");
    EXPECT_STREQ(std::localeconv()->decimal_point, ".");
}

// Values on and next to d-decimal half points. Exact halves are the dyadic
// odd × 2^-(d+1); the neighbours within a few parts in 10^18 round up too.
TEST(NumberText, HalfPointsAndNeighbours) {
    const std::uint64_t integers[] = {
        0,     1,     2,         4,      9,       12,      99,        123,       999,       4565,
        12345, 99999, 351234567, 999999, 1234567, 9999999, 123456789, 139691706, 9999999999};
    for (int d = 0; d <= 18; ++d) {
        for (const auto n : integers) {
            const long double half = static_cast<long double>(2 * n + 1) / (2 * Pow10L(d));
            ASSERT_TRUE(NeighboursAgree(half, 12));
        }
    }
    for (int d = 0; d <= 18; ++d) {
        for (std::uint64_t odd = 1; odd < 64; odd += 2) {
            const long double half = Scale(static_cast<long double>(odd), -(d + 1));
            ASSERT_TRUE(NeighboursAgree(half, 2));
        }
    }
}

// Near powers of ten the digit count changes and 18-digit rounding can carry
// into a new leading digit.
TEST(NumberText, PowersOfTenAndCarries) {
    for (int n = -20; n <= 22; ++n)
        ASSERT_TRUE(NeighboursAgree(Pow10L(n), 4));
    // All nines up to a printed place: 9.995, 99.995, 0.0995, 0.9995, ...
    for (int digits = 1; digits <= 17; ++digits) {
        for (int shift = -10; shift <= 8; ++shift) {
            const long double nines = 1 - Pow10L(-digits);
            ASSERT_TRUE(NeighboursAgree(nines * Pow10L(shift), 2));
            ASSERT_TRUE(NeighboursAgree((1 - Pow10L(-digits) / 2) * Pow10L(shift), 2));
        }
    }
}

// Values whose exact expansion has 19 significant digits, the last one 5:
// a × 2^-n with a × 5^n of 19 digits. The first rounding goes to even.
TEST(NumberText, EighteenDigitTies) {
    std::mt19937_64 rng(18);
    U128 five = 1;
    for (int n = 0; n <= 27; ++n, five *= 5) {
        const U128 lowA = (U128(1000000000000000000ULL) + five - 1) / five;
        const U128 highA = (U128(10000000000000000000ULL) - 1) / five;
        if (highA >> 64) continue;
        for (int i = 0; i < 40; ++i) {
            U128 a = lowA + (i < 2 ? i * (highA - lowA) : rng() % (highA - lowA + 1));
            if (n == 0) a = a / 10 * 10 + 5;
            if (a % 2 == 0) a = a == highA ? a - 1 : a + 1;
            const U128 exact = a * five;  // 19 digits
            if (exact % 10 != 5) continue;
            std::uint64_t d18 = static_cast<std::uint64_t>(exact / 10);
            d18 += d18 & 1;
            const long double v =
                Scale(static_cast<long double>(static_cast<std::uint64_t>(a)), -n);
            // The reference itself must round this tie to even.
            const RefDigits ref = ReferenceDigits(v);
            char want[24];
            std::snprintf(want, sizeof want, "%llu", static_cast<unsigned long long>(d18));
            ASSERT_EQ(std::string(ref.digits, 18), std::string(want, 18)) << Describe(v);
            ASSERT_TRUE(NeighboursAgree(v, 1));
        }
    }
}

TEST(NumberText, TinyHugeAndDenormal) {
    const long double values[] = {
        LDBL_TRUE_MIN,
        LDBL_MIN,
        Scale(1, -16000),
        Scale(1, -63),
        Scale(1, -62),
        Scale(1, -61),
        Scale(0.75L, -61),
        4e-19L,
        4.5e-19L,
        5e-19L,
        1e-18L,
        Scale(1, 55),
        Scale(1, 56),
        Scale(1, 57),
        1e16L,
        1e17L,
        1e18L,
        1e19L,
        Scale(1, 63),
        Scale(1, 64),
        Scale(1, 70),
        1e30L,
        1e300L,
        LDBL_MAX,
    };
    for (const long double v : values)
        ASSERT_TRUE(NeighboursAgree(v, 3));
    ASSERT_TRUE(AgreesWithReference(0.0L, kAllDecimals));
    ASSERT_TRUE(AgreesWithReference(-0.0L, kAllDecimals));
}

// WriteFixed writes into room of kMaxFixedLength: the longest texts fill it.
TEST(NumberText, LongestTextsFitTheRoom) {
    EXPECT_EQ(FormatFixed(-LDBL_MAX, 18).size(), kMaxFixedLength);
    EXPECT_EQ(FormatFixed(LDBL_MAX, 18).size(), kMaxFixedLength - 1);
    char text[kMaxFixedLength];
    for (const Extended v : {-LDBL_MAX, -1234.5675L, Extended(NAN), -Extended(INFINITY)})
        for (const int decimals : {0, 3, 18})
            EXPECT_EQ(std::string(text, WriteFixed(text, v, decimals)), FormatFixed(v, decimals));
}

// Encodings without the integer bit, or with it clear in an infinity, are
// not numbers to the processor.
TEST(NumberText, RejectedEncodingsPrintAsNan) {
    const struct {
        std::uint64_t significand;
        std::uint16_t signExponent;
        const char* text;
    } examples[] = {
        {0x4000000000000000ULL, 0x3FFF, "NAN"},  // unnormal
        {0x4000000000000000ULL, 0xC005, "NAN"},
        {0, 0x7FFF, "NAN"},                      // pseudo-infinity
        {0x4000000000000000ULL, 0x7FFF, "NAN"},  // pseudo-NaN
        {0x8000000000000000ULL, 0x7FFF, "INF"},
        {0x8000000000000000ULL, 0xFFFF, "-INF"},
        {0xC000000000000000ULL, 0xFFFF, "NAN"},
        {0x8000000000000000ULL, 0x0000, "0.00"},  // pseudo-denormal
    };
    for (const auto& e : examples) {
        long double v = 0;
        std::memcpy(&v, &e.significand, 8);
        std::memcpy(reinterpret_cast<unsigned char*>(&v) + 8, &e.signExponent, 2);
        EXPECT_EQ(FormatFixed(v, 2), e.text) << std::hex << e.significand << " " << e.signExponent;
        EXPECT_EQ(ReferenceFixed(v, 2), e.text)
            << std::hex << e.significand << " " << e.signExponent;
    }
}

int RandomCount() {
    if (const char* s = std::getenv("L2Q_NUMTEXT_CASES")) return std::atoi(s);
#if defined(__SANITIZE_ADDRESS__)
    return 200000;
#else
    return 2000000;
#endif
}

// Random values of every kind the files can hold, each printed with 2, 3
// and 7 decimals and one random count of decimals.
TEST(NumberText, RandomValuesMatchTheReference) {
    std::mt19937_64 rng(20240611);
    const auto uniform = [&](long double lo, long double hi) {
        return lo + (hi - lo) * Scale(static_cast<long double>(rng()), -64);
    };
    const long double lapRanges[][2] = {
        {-90, 90}, {-180, 180}, {0, 400}, {-5, 5}, {0, 200000}, {0, 1e-3L}, {45000, 46000},
    };
    const int count = RandomCount();
    std::vector<int> decimalsList = {2, 3, 7, 0};
    for (int i = 0; i < count; ++i) {
        long double v = 0;
        switch (i % 6) {
            case 0:  // any normal value with binary exponent -70..70
                v = Scale(static_cast<long double>(rng() | (1ULL << 63)),
                          static_cast<int>(rng() % 141) - 70 - 63);
                break;
            case 1:  // any double in the same range
                v = std::ldexp(static_cast<double>((rng() >> 11) | (1ULL << 52)),
                               static_cast<int>(rng() % 141) - 70 - 52);
                break;
            case 2: {  // lap magnitudes, as computed and as stored in doubles
                const auto& r = lapRanges[rng() % std::size(lapRanges)];
                v = uniform(r[0], r[1]);
                if (rng() & 1) v = static_cast<double>(v);
                break;
            }
            case 3: {  // decimal-looking values: N / 10^d
                const int d = static_cast<int>(rng() % 10);
                v = static_cast<long double>(rng() % 10000000000ULL) / Pow10L(d);
                if (rng() & 1) v = static_cast<double>(v);
                break;
            }
            case 4: {  // near a printed half point
                const int d = static_cast<int>(rng() % 19);
                const std::uint64_t n = rng() % Pow10(static_cast<int>(rng() % 12));
                v = static_cast<long double>(2 * n + 1) / (2 * Pow10L(d));
                for (int k = static_cast<int>(rng() % 25) - 12; k != 0; k += k > 0 ? -1 : 1)
                    v = std::nextafterl(v, k > 0 ? HUGE_VALL : 0);
                decimalsList[3] = d;
                break;
            }
            case 5: {  // near an 18-digit tie
                const std::uint64_t d = 100000000000000000ULL + rng() % 900000000000000000ULL;
                v = static_cast<long double>(2 * d + 1) /
                    (2 * Pow10L(11 + static_cast<int>(rng() % 15)));
                for (int k = static_cast<int>(rng() % 7) - 3; k != 0; k += k > 0 ? -1 : 1)
                    v = std::nextafterl(v, k > 0 ? HUGE_VALL : 0);
                break;
            }
        }
        if (rng() & 1) v = -v;
        if (i % 6 != 4) decimalsList[3] = static_cast<int>(rng() % 19);
        ASSERT_TRUE(AgreesWithReference(v, decimalsList)) << "case " << i;
    }
}

}  // namespace
