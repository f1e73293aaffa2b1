#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "text/datetime.h"

namespace {

std::string Text(std::string_view pattern, DateTime v) {
    std::string out;
    if (!AppendDateTime(out, pattern, v)) return "<none>";
    return out;
}

constexpr double kSecond = 1.0 / 86400.0;

struct TextCase {
    const char* pattern;
    DateTime value;
    const char* expected;
};

TEST(DateTimeText, PatternsAndCalendar) {
    const TextCase cases[] = {
        {"yyyy/mm/dd", 0, "1899/12/30"},
        {"yyyy/mm/dd", 2, "1900/01/01"},
        {"YYYY/MM/DD HH:NN:SS.ZZZ", 41032.588302083335, "2012/05/03 14:07:09.300"},
        {"hh:nn:ss", 0.5, "12:00:00"},
        {"yyyy/mm/dd", 60 - 1, "1900/02/27"},  // 1900 is no leap year
        {"yyyy/mm/dd", 36585, "2000/02/29"},
        {"yyyy/mm/dd", -693593, "0001/01/01"},
        {"yyyy/mm/dd", 2958465, "9999/12/31"},
        // Durations show the fields of a time of day.
        {"n:ss.zzz", 83.456 * kSecond, "1:23.456"},
        {"h:nn:ss.zzz", (3723.004) * kSecond, "1:02:03.004"},
        {"hh:nn:ss.zzz", 75 * kSecond, "00:01:15.000"},
        {"hh:nn:ss.zzz", 1 + 75 * kSecond, "00:01:15.000"},
        // Other characters are copied, separators are fixed.
        {"h.n,s x", 3723 * kSecond, "1.2,s x"},
        // Negative values: the day keeps its sign, the time is of the magnitude.
        {"yyyy/mm/dd hh:nn", -0.25, "1899/12/30 06:00"},
        {"yyyy/mm/dd hh:nn", -1.25, "1899/12/29 06:00"},
        // Rounded to whole milliseconds first: the day can change.
        {"yyyy/mm/dd hh:nn:ss", 41032 + 1 - 0.0004 * kSecond, "2012/05/04 00:00:00"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(Text(c.pattern, c.value), c.expected) << c.pattern << " " << c.value;
}

TEST(DateTimeText, HalfMillisecondsRoundToEven) {
    // j × 2^-11 days is j × 42,187.5 ms exactly: a tie for every odd j.
    const struct {
        int j;
        std::int64_t ms;
    } cases[] = {{1, 42188}, {3, 126562}, {-1, -42188}, {-3, -126562}};
    for (const auto& c : cases) {
        std::int64_t ms = 0;
        ASSERT_TRUE(RoundToMilliseconds(std::ldexp(double(c.j), -11), ms));
        EXPECT_EQ(ms, c.ms) << c.j;
    }
}

TEST(DateTimeText, UnshowableValues) {
    for (double v :
         {std::numeric_limits<double>::quiet_NaN(), std::numeric_limits<double>::infinity(),
          -std::numeric_limits<double>::infinity(), 2958466.0, -693594.5, 1e300}) {
        std::string out = "x";
        EXPECT_FALSE(AppendDateTime(out, "yyyy", v)) << v;
        EXPECT_EQ(out, "x");
    }
}

TEST(DateTimeText, SecondsBetweenIsAbsolute) {
    const DateTime a = 41032.5, b = a + 1.5 * kSecond;
    EXPECT_NEAR(SecondsBetween(a, b), 1.5, 1e-6);
    EXPECT_EQ(SecondsBetween(a, b), SecondsBetween(b, a));
}

}  // namespace
