#include "lapdata/trig.h"

#include <gtest/gtest.h>
#include <mpfr.h>

#include <algorithm>
#include <cfloat>
#include <cmath>
#include <cstdio>
#include <functional>
#include <limits>
#include <random>
#include <vector>

namespace {

// The sanitizer build runs the same sets, thinned.
#if defined(__SANITIZE_ADDRESS__)
constexpr int kThin = 4;
#else
constexpr int kThin = 1;
#endif

using MpfrFn = int (*)(mpfr_ptr, mpfr_srcptr, mpfr_rnd_t);

// MPFR at 64 bits for the correctly rounded value, at 200 bits for measuring
// the fast path's own error.
class Mpfr {
  public:
    Mpfr() {
        mpfr_inits2(64, arg_, rounded_, static_cast<mpfr_ptr>(nullptr));
        mpfr_inits2(200, exact_, diff_, static_cast<mpfr_ptr>(nullptr));
    }
    ~Mpfr() { mpfr_clears(arg_, rounded_, exact_, diff_, static_cast<mpfr_ptr>(nullptr)); }

    Extended Rounded(MpfrFn f, Extended x) {
        mpfr_set_ld(arg_, x, MPFR_RNDN);
        f(rounded_, arg_, MPFR_RNDN);
        return mpfr_get_ld(rounded_, MPFR_RNDN);
    }
    // Whether |hi + lo - f(x)| <= err.
    bool Within(MpfrFn f, Extended x, const trig_detail::Approx& a) {
        mpfr_set_ld(arg_, x, MPFR_RNDN);
        f(exact_, arg_, MPFR_RNDN);
        mpfr_sub_d(diff_, exact_, 0, MPFR_RNDN);
        mpfr_set_ld(rounded_, a.hi, MPFR_RNDN);
        mpfr_sub(diff_, diff_, rounded_, MPFR_RNDN);
        mpfr_set_ld(rounded_, a.lo, MPFR_RNDN);
        mpfr_sub(diff_, diff_, rounded_, MPFR_RNDN);
        mpfr_abs(diff_, diff_, MPFR_RNDN);
        if (a.hi != 0)
            worst = std::max(worst, mpfr_get_d(diff_, MPFR_RNDU) / std::fabs(double(a.hi)));
        return mpfr_cmp_ld(diff_, a.err) <= 0;
    }

    // The largest |hi + lo - f| / |hi| seen by Within.
    double worst = 0;

  private:
    mpfr_t arg_, rounded_, exact_, diff_;
};

bool SameBits(Extended a, Extended b) {
    if (std::isnan(a) || std::isnan(b)) return std::isnan(a) && std::isnan(b);
    return a == b && std::signbit(a) == std::signbit(b);
}

// ---- argument sets

using Args = std::vector<Extended>;

std::mt19937_64& Rng() {
    static std::mt19937_64 rng(20260115);
    return rng;
}

Extended Unit() {
    return static_cast<Extended>(Rng()()) * 0x1p-64L;
}

Args Uniform(Extended lo, Extended hi, int n) {
    Args v;
    for (int i = 0; i < n / kThin; ++i)
        v.push_back(lo + (hi - lo) * Unit());
    return v;
}

// Random significands with exponents uniform in [lowExp, highExp], both signs.
Args LogUniform(int lowExp, int highExp, int n) {
    std::uniform_int_distribution<int> exp(lowExp, highExp);
    Args v;
    for (int i = 0; i < n / kThin; ++i) {
        const Extended m = static_cast<Extended>(Rng()() | (1ull << 63));
        const Extended x = std::ldexp(m, exp(Rng()) - 63);
        v.push_back(i % 2 ? -x : x);
    }
    return v;
}

// n consecutive extended values from start towards dir, both signs.
Args Consecutive(Extended start, Extended dir, int n) {
    Args v;
    Extended x = start;
    for (int i = 0; i < n; ++i, x = std::nextafter(x, dir)) {
        v.push_back(x);
        v.push_back(-x);
    }
    return v;
}

// center - s * 2^-k * u for k uniform in [1, 64], s = ±1: dense at both sides.
Args Around(Extended center, int n) {
    std::uniform_int_distribution<int> exp(1, 64);
    Args v;
    for (int i = 0; i < n / kThin; ++i) {
        const Extended d = std::ldexp(Unit(), -exp(Rng()));
        const Extended x = i % 2 ? center - d : center + d;
        v.push_back(i % 4 < 2 ? x : -x);
    }
    return v;
}

struct ArgSet {
    const char* name;
    std::function<Args()> make;
};

constexpr Extended kPio2 = 1.5707963267948966192313216916397514L;  // nearest to π/2
constexpr Extended kDegree = 3.1415926535897932384626433832795029L / 180;

// ---- the sweep

struct Tally {
    long args = 0, wrong = 0, slow = 0, libm = 0, boundChecked = 0, boundBroken = 0;
    long doubleQuad = 0;  // of the slow ones, those that libquadmath left undecided
    double worst = 0;
};

using Fast = trig_detail::Approx (*)(Extended);

Tally Sweep(const char* fn, Extended (*ours)(Extended), long double (*libm)(long double),
            MpfrFn reference, Fast fast, bool (*fastApplies)(Extended), const ArgSet& set) {
    Mpfr mpfr;
    Tally t;
    const auto slowBefore = trig_detail::SlowPathCount();
    const auto doubleQuadBefore = trig_detail::DoubleQuadCount();
    int shown = 0;
    for (const Extended x : set.make()) {
        ++t.args;
        const Extended want = mpfr.Rounded(reference, x);
        const Extended got = ours(x);
        if (!SameBits(got, want)) {
            ++t.wrong;
            if (shown++ < 5)
                ADD_FAILURE() << fn << "(" << std::hexfloat << x << ") = " << got << ", want "
                              << want;
        }
        if (!SameBits(libm(x), want)) ++t.libm;
        // The claimed bound of the fast path, on every eighth argument.
        if (t.args % 8 == 0 && fastApplies(x)) {
            ++t.boundChecked;
            if (!mpfr.Within(reference, x, fast(x))) {
                ++t.boundBroken;
                ADD_FAILURE() << fn << " fast bound broken at " << std::hexfloat << x;
            }
        }
    }
    t.slow = static_cast<long>(trig_detail::SlowPathCount() - slowBefore);
    t.doubleQuad = static_cast<long>(trig_detail::DoubleQuadCount() - doubleQuadBefore);
    t.worst = mpfr.worst;
    std::printf("%-7s %-52s %7ld args %5ld slow path, %6ld libm differs, fast error 2^%.2f\n", fn,
                set.name, t.args, t.slow, t.libm, t.worst > 0 ? std::log2(t.worst) : -INFINITY);
    return t;
}

void Report(const char* fn, const Tally& t) {
    std::printf(
        "%-7s total %ld args, %ld slow path (%ld double-quad), libm differs on %ld; fast path "
        "error "
        "at most 2^%.2f relative in %ld checks\n",
        fn, t.args, t.slow, t.doubleQuad, t.libm, t.worst > 0 ? std::log2(t.worst) : -INFINITY,
        t.boundChecked);
}

void Add(Tally& sum, const Tally& t) {
    sum.args += t.args;
    sum.wrong += t.wrong;
    sum.slow += t.slow;
    sum.doubleQuad += t.doubleQuad;
    sum.libm += t.libm;
    sum.boundChecked += t.boundChecked;
    sum.boundBroken += t.boundBroken;
    sum.worst = std::max(sum.worst, t.worst);
}

bool CosFastApplies(Extended x) {
    const Extended a = std::fabs(x);
    return a >= 0x1p-32L && a < 0x1p20L;
}
bool ArcCosFastApplies(Extended x) {
    return std::fabs(x) <= 1;
}

TEST(TrigTest, CosIsCorrectlyRounded) {
    const ArgSet sets[] = {
        {"uniform in [-pi/2, pi/2]", [] { return Uniform(-kPio2, kPio2, 400000); }},
        {"latitudes 35.37 deg +- 0.5 deg",
         [] { return Uniform((35.37L - 0.5L) * kDegree, (35.37L + 0.5L) * kDegree, 50000); }},
        {"tiny to denormal, log-uniform", [] { return LogUniform(-16445, -1, 100000); }},
        {"consecutive from +-0", [] { return Consecutive(0, 1, 1000); }},
        {"consecutive around 2^-32", [] { return Consecutive(0x1p-32L, 0, 500); }},
        {"consecutive around the table's midpoints (2i+1)/256",
         [] {
             Args a;
             for (int i = 0; i < 103; ++i)
                 for (const Extended dir : {0.0L, 1.0L})
                     for (const Extended x : Consecutive((2 * i + 1) / 256.0L, dir, 20))
                         a.push_back(x);
             return a;
         }},
        {"consecutive around 0.78",
         [] {
             Args a = Consecutive(0.78L, 0, 1000), b = Consecutive(0.78L, 1, 1000);
             a.insert(a.end(), b.begin(), b.end());
             return a;
         }},
        {"consecutive below pi/2", [] { return Consecutive(kPio2, 0, 5000); }},
        {"consecutive above pi/2", [] { return Consecutive(kPio2, 4, 5000); }},
        {"pi/2 +- 2^-k, k in [1, 64]", [] { return Around(kPio2, 100000); }},
        {"uniform in [-1000, 1000]", [] { return Uniform(-1000, 1000, 30000); }},
        {"log-uniform up to 2^100", [] { return LogUniform(0, 100, 3000); }},
    };
    Tally sum;
    for (const auto& s : sets)
        Add(sum, Sweep("Cos", Cos, cosl, mpfr_cos, trig_detail::CosFast, CosFastApplies, s));
    Report("Cos", sum);
    EXPECT_EQ(sum.wrong, 0);
    EXPECT_EQ(sum.boundBroken, 0);
}

TEST(TrigTest, ArcCosIsCorrectlyRounded) {
    const ArgSet sets[] = {
        {"uniform in [-1, 1]", [] { return Uniform(-1, 1, 300000); }},
        {"1 - 2^-k, k in [1, 64], both signs", [] { return Around(1, 200000); }},
        {"consecutive below +-1", [] { return Consecutive(1, 0, 3000); }},
        {"tiny to denormal, log-uniform", [] { return LogUniform(-16445, -1, 50000); }},
        {"consecutive from +-0", [] { return Consecutive(0, 1, 1000); }},
        {"consecutive around +-1/2",
         [] {
             Args a = Consecutive(0.5L, 0, 1000), b = Consecutive(0.5L, 1, 1000);
             a.insert(a.end(), b.begin(), b.end());
             return a;
         }},
        {"consecutive around +-2^-40", [] { return Consecutive(0x1p-40L, 0, 500); }},
    };
    Tally sum;
    for (const auto& s : sets)
        Add(sum, Sweep("ArcCos", ArcCos, acosl, mpfr_acos, trig_detail::ArcCosFast,
                       ArcCosFastApplies, s));
    Report("ArcCos", sum);
    EXPECT_EQ(sum.wrong, 0);
    EXPECT_EQ(sum.boundBroken, 0);
}

// The slow paths on their own, since the sweeps reach them rarely.
TEST(TrigTest, SlowPathsAreCorrectlyRounded) {
    struct Path {
        const char* name;
        Extended (*fn)(Extended);
        MpfrFn reference;
        Args args;
    };
    Args cosArgs = Uniform(-kPio2, kPio2, 1000), acosArgs = Uniform(-1, 1, 1000);
    for (const Extended x : Around(kPio2, 1000))
        cosArgs.push_back(x);
    for (const Extended x : Uniform(-100000, 100000, 500))
        cosArgs.push_back(x);
    for (const Extended x : Around(1, 1000))
        acosArgs.push_back(x);
    const Path paths[] = {
        {"CosSlow", trig_detail::CosSlow, mpfr_cos, cosArgs},
        {"CosDoubleQuad", trig_detail::CosDoubleQuad, mpfr_cos, cosArgs},
        {"ArcCosSlow", trig_detail::ArcCosSlow, mpfr_acos, acosArgs},
        {"ArcCosDoubleQuad", trig_detail::ArcCosDoubleQuad, mpfr_acos, acosArgs},
    };
    Mpfr mpfr;
    for (const auto& p : paths) {
        int wrong = 0;
        for (const Extended x : p.args) {
            const Extended want = mpfr.Rounded(p.reference, x);
            const Extended got = p.fn(x);
            if (!SameBits(got, want) && wrong++ < 5)
                ADD_FAILURE() << p.name << "(" << std::hexfloat << x << ") = " << got << ", want "
                              << want;
        }
        EXPECT_EQ(wrong, 0) << p.name;
    }
}

TEST(TrigTest, NonFiniteAndOutOfRangeGiveNaN) {
    const Extended inf = std::numeric_limits<Extended>::infinity();
    const Extended nan = std::numeric_limits<Extended>::quiet_NaN();
    for (const Extended x : {nan, -nan, inf, -inf})
        EXPECT_TRUE(std::isnan(Cos(x))) << x;
    const Extended justAbove = std::nextafter(1.0L, 2.0L);
    for (const Extended x : {nan, inf, -inf, justAbove, -justAbove, 2.0L, LDBL_MAX})
        EXPECT_TRUE(std::isnan(ArcCos(x))) << x;
}

TEST(TrigTest, ExactAndLimitValues) {
    struct Case {
        Extended (*fn)(Extended);
        Extended x, want;
    };
    const Case cases[] = {
        {Cos, 0.0L, 1.0L},
        {Cos, -0.0L, 1.0L},
        {Cos, LDBL_TRUE_MIN, 1.0L},
        {ArcCos, 1.0L, 0.0L},  // +0
        {ArcCos, -1.0L, 3.1415926535897932385L},
        {ArcCos, 0.0L, kPio2},
        {ArcCos, -0.0L, kPio2},
    };
    for (const auto& c : cases)
        EXPECT_TRUE(SameBits(c.fn(c.x), c.want)) << std::hexfloat << c.x;
    Mpfr mpfr;
    // Finite extremes go through the slow path and still round correctly.
    for (const Extended x : {LDBL_MAX, -LDBL_MAX, 0x1p20L, 1e30L})
        EXPECT_TRUE(SameBits(Cos(x), mpfr.Rounded(mpfr_cos, x))) << std::hexfloat << x;
}

}  // namespace
