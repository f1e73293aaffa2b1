#include "lapdata/trig.h"

#include <quadmath.h>

#include <atomic>
#include <cmath>
#include <limits>

// Design. The fast path evaluates f in extended precision as an unevaluated
// sum hi + lo together with a bound err on |hi + lo - f|, then rounds only if
// every value in [hi + lo - err, hi + lo + err] rounds the same way (Decide).
// Otherwise libquadmath's cosq/acosq (same code under glibc and MinGW) get a
// second try with a generous error bound of 2^-100, and where even that does
// not decide, a double-__float128 evaluation of about 220 bits does.
//
// Everything that decides the result is + - * / and sqrt on long double and
// __float128, which are correctly rounded on both platforms, so a decided
// result is the correctly rounded value whichever path decided it. The
// starting values taken from the C library (std::asin on doubles, asinq)
// only steer a Newton step whose own size enters the error bound.
//
// cos and acos of a nonzero / non-one extended value are transcendental, so f
// is never a rounding midpoint. Values that not even 220 bits decide would lie
// within 2^-200 relative of a midpoint; by the usual probabilistic argument the
// expected number of such extended arguments is about 2^70 * 2^-136, so none is
// expected. Should one exist, the double-quad rounding is returned: the same
// bits on both platforms still.

namespace trig_detail {
namespace {

using Quad = __float128;

std::atomic<std::uint64_t> slowCalls{0};
std::atomic<std::uint64_t> doubleQuadCalls{0};

// ---- error-free transformations in extended precision

struct DD {
    Extended hi, lo;
};

inline DD TwoSum(Extended a, Extended b) {
    const Extended s = a + b;
    const Extended bb = s - a;
    return {s, (a - (s - bb)) + (b - bb)};
}

// |a| >= |b| or a == 0.
inline DD FastTwoSum(Extended a, Extended b) {
    const Extended s = a + b;
    return {s, b - (s - a)};
}

// Dekker's product: exact for 64-bit significands with a 32-bit split.
inline DD TwoProd(Extended a, Extended b) {
    constexpr Extended kSplit = 4294967297.0L;  // 2^32 + 1
    const Extended ca = kSplit * a, cb = kSplit * b;
    const Extended ah = ca - (ca - a), al = a - ah;
    const Extended bh = cb - (cb - b), bl = b - bh;
    const Extended p = a * b;
    return {p, ((ah * bh - p) + ah * bl + al * bh) + al * bl};
}

// ---- table of sin and cos at i/64 as hi + lo (128 bits, made with MPFR)

struct SinCos {
    Extended sinHi, sinLo, cosHi, cosLo;
};

constexpr SinCos kTable[52] = {
    {0x0p+0L, 0x0p+0L, 0x8p-3L, 0x0p+0L},
    {0xf.ffd55577776a76bp-10L, -0xb.639a9f077611acfp-75L, 0xf.ff8000aaaa4fa51p-4L,
     0x8.a280e97bcd59c8ap-69L},
    {0xf.ff5557777437465p-9L, 0xf.e41376d47919579p-74L, 0xf.fe000aaa93e9589p-4L,
     0xa.edb49d92928df73p-69L},
    {0xb.fee008197dd454dp-8L, -0xd.efa374cbccee2a3p-74L, 0xf.fb8035fefccf675p-4L,
     -0xe.d58192357af9f27p-70L},
    {0xf.fd557776a76d5a6p-8L, -0xb.6993425b4ad4d41p-74L, 0xf.f800aaa4fa69a65p-4L,
     0xe.1ee6509bc42b71fp-73L},
    {0x9.fd658968baad4dcp-7L, -0xc.8a94ca345b0e6dfp-73L, 0xf.f381a094f7b771ap-4L,
     0xb.cc83690697c0c57p-73L},
    {0xb.fb808192a8720d8p-7L, -0xf.4b9ffebf97bfe07p-74L, 0xf.ee035fbf35cda63p-4L,
     0x8.15a9afc6daca37fp-70L},
    {0xd.f8dbc2b41c8ebd2p-7L, 0xc.20ef52663e52b02p-73L, 0xf.e78640074cd88f5p-4L,
     0xf.5e1b461ab08d957p-71L},
    {0xf.f5577743771ae5p-7L, 0xd.350ce43f13f0b4bp-73L, 0xf.e00aa93eade9b6dp-4L,
     0xf.35094efb78c672bp-71L},
    {0x8.f869ebd7e757522p-6L, 0xd.5ecd12cb6945e9p-74L, 0xf.d791131e25e97abp-4L,
     0xa.98f662ec4ba5983p-69L},
    {0x9.f598962eb365a9p-6L, -0xa.665264d1bc1535ep-71L, 0xf.ce1a053e621438bp-4L,
     0xd.ac18edd188b7e15p-69L},
    {0xa.f227e7d09379521p-6L, 0xe.f3e701d928a4a96p-71L, 0xf.c3a6170f767ac73p-4L,
     0xb.ac7b3353a873c3bp-69L},
    {0xb.ee0817dd795a8adp-6L, 0xb.50e23c97c2b12c4p-71L, 0xf.b835efcf670dd2dp-4L,
     -0xc.80c36dcb408af61p-71L},
    {0xc.e9296867618919cp-6L, 0x8.7b016226fa7d28ap-71L, 0xf.abca467fb3cb8f2p-4L,
     -0xb.e583f89c5731487p-70L},
    {0xd.e37c276e30ccb38p-6L, 0xd.2b53d865582e452p-72L, 0xf.9e63e1d9e8b6f6fp-4L,
     0xb.8a5aeb96d7b6704p-70L},
    {0xe.dcf0afdad2e7d9ap-6L, 0xe.f9499c81f0d9651p-72L, 0xf.90039843324f9b9p-4L,
     0x8.082d833096d97dap-69L},
    {0xf.d5776a798abb5d4p-6L, 0x9.debdc7351e8b1afp-71L, 0xf.80aa4fbef750ba8p-4L,
     -0xf.859868d40d60eb8p-69L},
    {0x8.66806779b21acc1p-5L, -0xc.28324f8ad1eeeb9p-70L, 0xf.7058fde0788dfc8p-4L,
     0xb.71fd10f13c9e84ap-73L},
    {0x8.e1beb2635c3b28cp-5L, 0xe.dfc1b9fe8ffc637p-73L, 0xf.5f10a7bb77d3dfap-4L,
     0xc.1da8b5784278328p-72L},
    {0x9.5c6ee21f5a4f915p-5L, 0xa.7133e5b00d466e7p-70L, 0xf.4cd261d3e6c15bbp-4L,
     0xd.a721d618c34abp-70L},
    {0x9.d6894bb4e9ec004p-5L, 0xf.554121e0e69c511p-73L, 0xf.399f500c9e9fd38p-4L,
     -0xa.2cd51b384a8ef12p-69L},
    {0xa.50064d879e90304p-5L, 0xe.e9aec23ab20b082p-70L, 0xf.2578a595224dd2ep-4L,
     0xd.7f45d65f3398ceap-69L},
    {0xa.c8de4fd17acb97cp-5L, 0xe.97587fc195c8a44p-70L, 0xf.105fa4d66b607a6p-4L,
     0xf.a89c084e4a40887p-69L},
    {0xb.4109c51c6bfb44fp-5L, -0x9.202444aace28b31p-72L, 0xe.fa559f5ec3aec3ap-4L,
     0x9.d6066324f145a84p-69L},
    {0xb.b8812abb2109e91p-5L, 0xa.519d68926379761p-70L, 0xe.e35bf5ccac89053p-4L,
     -0xc.9b889232cb16e07p-70L},
    {0xc.2f3d094134a4b15p-5L, -0xf.c592814c7f06b68p-70L, 0xe.cb7417b8d4ee3ffp-4L,
     -0xf.21516fe3156dc38p-70L},
    {0xc.a535f4faa36252cp-5L, 0xc.7b065f02a102847p-70L, 0xe.b29f839f201fd14p-4L,
     -0x8.d90d2fb0dd2b0e2p-69L},
    {0xd.1a648e628664f2ep-5L, 0xe.f1c4af313337712p-70L, 0xe.98dfc6c6be031e6p-4L,
     0xd.d3089cbdd18a75bp-72L},
    {0xd.8ec182990b0b4a4p-5L, -0x9.0b2e67d464eb54ep-70L, 0xe.7e367d2956cfb17p-4L,
     -0x9.2abdc357cc65ff5p-69L},
    {0xe.02458bd8a05191ap-5L, -0xc.c540b02cbf333c8p-76L, 0xe.62a551594b970a7p-4L,
     0xe.162ba83a981c908p-69L},
    {0xe.74e971ea528f6dp-5L, 0xd.d7b494759fd810cp-71L, 0xe.462dfc670d421abp-4L,
     0xf.468564048a3c51bp-70L},
    {0xe.e6a60a994e4d21bp-5L, -0xc.e47a38099865318p-70L, 0xe.28d245c58baef72p-4L,
     0x8.9788caaf000f10ep-70L},
    {0xf.57743a2582f7f44p-5L, -0x9.b43c9b027c8499ap-70L, 0xe.0a94032dbea7ceep-4L,
     -0x8.444c4ba0a0a4cf5p-69L},
    {0xf.c74cf3b55e4b8cfp-5L, -0xd.5ea1a5feb97b4dfp-71L, 0xd.eb7518814a7a932p-4L,
     -0x8.866ee7dec657c76p-69L},
    {0x8.1b149ce34caa5a5p-4L, -0xc.d78397b01594aacp-71L, 0xd.cb7777ac4207051p-4L,
     0xd.1e63c7d6f019d39p-69L},
    {0x8.52010f4f0800521p-4L, 0xd.e2f6375851d4f42p-70L, 0xd.aa9d20860827064p-4L,
     -0x8.6b8fd85ea859b34p-74L},
    {0x8.8868625b4e1dbb2p-4L, 0xc.4cc404cc08949c8p-70L, 0xd.88e820b1526311ep-4L,
     -0xa.a78410fcf9596b2p-70L},
    {0x8.be472f9776d809bp-4L, -0xd.477e8edbc29c299p-72L, 0xd.665a937b4ef2b1fp-4L,
     0xd.aa375adb3114883p-69L},
    {0x8.f39a191b2ba6123p-4L, -0xb.80b617c54b80058p-69L, 0xd.42f6a1b9f0168cep-4L,
     -0xf.ce3d09c3726cfb2p-72L},
    {0x9.285dc9bc45dd9eap-4L, 0xf.40915ef33967106p-70L, 0xd.1ebe81a95ee752ep-4L,
     0x9.144d79a65add246p-69L},
    {0x9.5c8ef544210ec0cp-4L, -0xd.c76c85aabec2f5dp-69L, 0xc.f9b476c897c25c6p-4L,
     -0x8.0315e45819ee2a1p-69L},
    {0x9.902a58a45e27bedp-4L, 0xd.0825684d6cebdaap-69L, 0xc.d3dad1b5328a2e4p-4L,
     0xb.3f327e9ea211034p-69L},
    {0x9.c32cba2b14156efp-4L, 0xa.4ad89f0af32394dp-73L, 0xc.ad33f00658fe5e8p-4L,
     0x8.12ef03ce99a839bp-70L},
    {0x9.f592e9b66a9cf9p-4L, 0xd.478f54782033309p-69L, 0xc.85c23c26ed7b6fp-4L,
     0xa.77aa3623c94b411p-71L},
    {0xa.2759c0e79c35582p-4L, 0xa.4f8656abea80b83p-69L, 0xc.5d882d2ee48030cp-4L,
     0xf.80fa51d303c6901p-69L},
    {0xa.587e23555bb0808p-4L, 0xd.a05738cc59ba526p-69L, 0xc.348846bbd363134p-4L,
     -0xe.003a802c45d8fccp-69L},
    {0xa.88fcfebd9a8dd48p-4L, -0xe.861c48830ede337p-71L, 0xc.0ac518c8b6ae711p-4L,
     -0x8.b90b8228de69d4ap-69L},
    {0xa.b8d34b36acd9872p-4L, 0x8.769a1f632ebf1d7p-71L, 0xb.e0413f84f2a771cp-4L,
     0xc.2928d51197e9b44p-69L},
    {0xa.e7fe0b5fc786b2ep-4L, -0xd.323c52a1d7eb6efp-69L, 0xb.b4ff632a908f73fp-4L,
     -0xf.ab9f18d1899b12cp-70L},
    {0xb.167a4c90d63c424p-4L, 0x9.9ea9276f98477a8p-69L, 0xb.890237d3bb3c285p-4L,
     -0x9.3d6bf58dfd280bep-69L},
    {0xb.44452709a597529p-4L, 0xb.226eca8694b3a22p-73L, 0xb.5c4c7d4f7dae916p-4L,
     -0xa.70f266169cb6ce6p-69L},
    {0xb.715bbe205ef06f2p-4L, -0xe.530aff5aa62ddb6p-69L, 0xb.2ee0fef5c65cf9ap-4L,
     0xf.92e3320e22d00ecp-72L},
};

// π/2 in three parts for k < 2^21: k * P1 and k * P2 are exact.
constexpr Extended kPio2_1 = 0xc.90fdaa2216p-3L;
constexpr Extended kPio2_2 = 0x8.c234c4c662p-47L;
constexpr Extended kPio2_3 = 0x8.b80dc1cd129024ep-91L;
// π/2 and π as hi + lo.
constexpr Extended kPio2Hi = 0xc.90fdaa22168c235p-3L;
constexpr Extended kPio2Lo = -0xe.ce675d1fc8f8cbbp-69L;
constexpr Extended kPiHi = 0xc.90fdaa22168c235p-2L;
constexpr Extended kPiLo = -0xe.ce675d1fc8f8cbbp-68L;

// Relative error of the kernels below. With |r| <= 2^-7 + 2^-63 the terms
// beyond the exact TwoProd are S*(cos r - 1) <= 2^-15 and S*(sin r - r) <=
// 2^-22.6, each off by a few units in 2^-64 of itself, and the sums of the tail
// add a few more roundings of at most 2^-79 each: below 2^-76 of a result that
// is at least 0.7 (cos) or 2^-7 (sin, i >= 1); for i = 0 the error is
// relative to r. The tests check this bound against MPFR.
constexpr Extended kKernelError = 0x1p-74L;

inline Extended Abs(Extended v) {
    return v < 0 ? -v : v;
}

// The part of the kernels shared by sin and cos of y = yh + yl, 0 <= yh <=
// 0.8, |yl| <= 2^-62 yh: y = i/64 + r with r = rh + yl, rh exact.
struct Reduced {
    const SinCos* t;
    Extended rh, yl;
    Extended cm1;  // cos r - 1
    Extended sr;   // sin r - r
};

inline Reduced Split64(Extended yh, Extended yl) {
    const int i = static_cast<int>(yh * 64 + 0.5L);
    Reduced d;
    d.t = &kTable[i];
    d.rh = yh - static_cast<Extended>(i) / 64;  // exact: |rh| <= 2^-7, same ulp grid
    d.yl = yl;
    const Extended r2 = d.rh * d.rh + 2 * d.rh * yl;
    d.cm1 = r2 * (-0.5L + r2 * (1 / 24.0L + r2 * (-1 / 720.0L + r2 * (1 / 40320.0L))));
    d.sr = d.rh * r2 * (-1 / 6.0L + r2 * (1 / 120.0L + r2 * (-1 / 5040.0L + r2 * (1 / 362880.0L))));
    return d;
}

// sin(a + r) = S + C r + (S (cos r - 1) + C (sin r - r)).
inline DD SinKernel(const Reduced& d) {
    const SinCos& t = *d.t;
    const DD p = TwoProd(t.cosHi, d.rh);
    const DD h = FastTwoSum(t.sinHi, p.hi);
    const Extended tail =
        ((((t.cosHi * d.sr + t.cosLo * d.rh) + t.cosHi * d.yl) + p.lo + t.sinLo) + h.lo) +
        t.sinHi * d.cm1;
    return FastTwoSum(h.hi, tail);
}

// cos(a + r) = C - S r + (C (cos r - 1) - S (sin r - r)).
inline DD CosKernel(const Reduced& d) {
    const SinCos& t = *d.t;
    const DD p = TwoProd(t.sinHi, d.rh);
    const DD h = FastTwoSum(t.cosHi, -p.hi);
    const Extended tail =
        ((((-(t.sinHi * d.sr) - t.sinLo * d.rh) - t.sinHi * d.yl) - p.lo + t.cosLo) + h.lo) +
        t.cosHi * d.cm1;
    return FastTwoSum(h.hi, tail);
}

// cos(a + r) to about 2^-62, for the Newton steps.
inline Extended CosRough(const Reduced& d) {
    const SinCos& t = *d.t;
    return t.cosHi + (t.cosHi * d.cm1 - t.sinHi * (d.rh + d.sr));
}

// ---- double-__float128 arithmetic for the last resort

struct DQ {
    Quad hi, lo;
};

inline DQ QTwoSum(Quad a, Quad b) {
    const Quad s = a + b;
    const Quad bb = s - a;
    return {s, (a - (s - bb)) + (b - bb)};
}

inline DQ QFastTwoSum(Quad a, Quad b) {
    const Quad s = a + b;
    return {s, b - (s - a)};
}

inline DQ QTwoProd(Quad a, Quad b) {
    const Quad split = 144115188075855873.0Q;  // 2^57 + 1
    const Quad ca = split * a, cb = split * b;
    const Quad ah = ca - (ca - a), al = a - ah;
    const Quad bh = cb - (cb - b), bl = b - bh;
    const Quad p = a * b;
    return {p, ((ah * bh - p) + ah * bl + al * bh) + al * bl};
}

DQ Add(DQ a, DQ b) {
    DQ s = QTwoSum(a.hi, b.hi);
    const DQ t = QTwoSum(a.lo, b.lo);
    s = QFastTwoSum(s.hi, s.lo + t.hi);
    return QFastTwoSum(s.hi, s.lo + t.lo);
}

DQ Neg(DQ a) {
    return {-a.hi, -a.lo};
}

DQ Mul(DQ a, DQ b) {
    const DQ p = QTwoProd(a.hi, b.hi);
    return QFastTwoSum(p.hi, p.lo + (a.hi * b.lo + a.lo * b.hi));
}

DQ Div(DQ a, DQ b) {
    const Quad q1 = a.hi / b.hi;
    const DQ r = Add(a, Neg(Mul({q1, 0}, b)));
    const Quad q2 = r.hi / b.hi;
    const DQ r2 = Add(r, Neg(Mul({q2, 0}, b)));
    const Quad q3 = r2.hi / b.hi;
    return Add(QFastTwoSum(q1, q2), {q3, 0});
}

// sin and cos of |y| <= 0.8 by their Taylor series, to about 2^-215.
void SinCosDQ(DQ y, DQ& s, DQ& c) {
    const DQ y2 = Mul(y, y);
    DQ ts = y, tc{1, 0};
    s = ts;
    c = tc;
    for (int n = 1; n < 60; n += 2) {
        // ts = y^n/n!, tc = y^(n-1)/(n-1)!
        tc = Div(Mul(tc, y2), {Quad(n * (n + 1)), 0});
        ts = Div(Mul(ts, y2), {Quad((n + 1) * (n + 2)), 0});
        const bool minus = (n / 2) % 2 == 0;
        c = Add(c, minus ? Neg(tc) : tc);
        s = Add(s, minus ? Neg(ts) : ts);
        if (fabsq(tc.hi) < 0x1p-240Q) break;
    }
}

// The rounding of v = hi + lo to extended when every value within err of it
// rounds alike; false otherwise, with the plain rounding of v. The residual
// against the nearest extended h is exact but for one quad rounding, so the
// side of the midpoints is settled without rounding v to a quad first.
bool DecideQuad(DQ v, Quad err, Extended& rounded) {
    const Extended h = static_cast<Extended>(v.hi);
    const Quad r = (v.hi - static_cast<Quad>(h)) + v.lo;
    const Quad margin = err + fabsq(r) * 0x1p-110Q;
    const Extended inf = std::numeric_limits<Extended>::infinity();
    const Extended up = std::nextafter(h, inf), down = std::nextafter(h, -inf);
    const Quad halfUp = (static_cast<Quad>(up) - h) / 2;
    const Quad halfDown = (static_cast<Quad>(h) - down) / 2;
    rounded = r > halfUp ? up : r < -halfDown ? down : h;
    if (r + margin < halfUp && r - margin > -halfDown) return true;
    return r - margin > halfUp || r + margin < -halfDown;
}

constexpr Quad kQPio2_1 = 0x1.921fb54442d18469898cc51701b8p+0Q;
constexpr Quad kQPio2_2 = 0x1.cd129024e088a67cc74020bbea64p-115Q;
constexpr Quad kQPio2_3 = -0x1.3b19376bad7de19c72fec8841abap-229Q;

Extended NaN() {
    return std::numeric_limits<Extended>::quiet_NaN();
}

}  // namespace

bool Decide(const Approx& a, Extended& rounded) {
    // With |lo| <= 2^-63 |hi|, hi + RN(lo - e) <= hi + lo - err <= f, and RN
    // is monotone, so f rounds between the two roundings below.
    const Extended e = a.err + 0x1p-120L * Abs(a.hi);
    const Extended below = a.hi + (a.lo - e);
    const Extended above = a.hi + (a.lo + e);
    rounded = below;
    return below == above;
}

Approx CosFast(Extended x) {
    const Extended ax = Abs(x);
    // k = round(ax * 2/π) by the 1.5 * 2^63 trick: rounds to an integer.
    const Extended kf = (ax * 0xa.2f9836e4e441529p-4L + 0xcp60L) - 0xcp60L;
    const auto k = static_cast<long long>(kf);
    Extended yh = ax, yl = 0, redErr = 0;
    if (k != 0) {
        // ax - k P1 is exact (|result| < 0.8 on ax's ulp grid), so is k P2.
        const DD y = TwoSum(ax - kf * kPio2_1, -(kf * kPio2_2));
        const DD z = TwoSum(y.hi, y.lo - kf * kPio2_3);
        yh = z.hi;
        yl = z.lo;
        // π/2 - P1 - P2 - P3 < 2^-150 and the rounding of k P3 and of y.lo.
        redErr = kf * 0x1p-147L + 0x1p-126L * Abs(yh);
    }
    bool negY = yh < 0;
    if (negY) {
        yh = -yh;
        yl = -yl;
    }
    const Reduced d = Split64(yh, yl);
    DD v;
    bool negate;
    switch (k & 3) {
        case 0:
            v = CosKernel(d);
            negate = false;
            break;
        case 1:  // cos(π/2 + y) = -sin y
            v = SinKernel(d);
            negate = !negY;
            break;
        case 2:
            v = CosKernel(d);
            negate = true;
            break;
        default:  // cos(3π/2 + y) = sin y
            v = SinKernel(d);
            negate = negY;
            break;
    }
    if (negate) v = {-v.hi, -v.lo};
    return {v.hi, v.lo, kKernelError * Abs(v.hi) + redErr};
}

Approx ArcCosFast(Extended x) {
    const Extended ax = Abs(x);
    if (ax < 0x1p-40L) {
        // π/2 - x - x^3/6 - ...: the cube is below 2^-118.
        const DD h = TwoSum(kPio2Hi, -x);
        const DD v = FastTwoSum(h.hi, h.lo + kPio2Lo);
        return {v.hi, v.lo, 0x1p-117L};
    }
    if (x == 1) return {0, 0, 0};
    if (x == -1) return {kPiHi, kPiLo, 0x1p-126L};
    // acos x = π/2 - asin x for |x| <= 1/2, else 2 asin s with s = sqrt((1 -
    // |x|)/2), reflected about π/2 for x < 0. z = asin s by one Newton step
    // from a double: z = z0 - (sin z0 - s) / cos z0.
    DD s;
    if (ax <= 0.5L) {
        s = {ax, 0};
    } else {
        const Extended t = (1 - ax) * 0.5L;  // exact
        const Extended sh = std::sqrt(t);
        const DD sq = TwoProd(sh, sh);
        s = {sh, ((t - sq.hi) - sq.lo) / (2 * sh)};  // s to about 2^-125
    }
    const Extended z0 = std::asin(static_cast<double>(s.hi));
    const Reduced d = Split64(z0, 0);
    const DD sinz = SinKernel(d);
    // sin z0 - s.hi is exact for z0 within a factor of two; the error bound
    // covers the rest through d itself.
    const Extended dz = ((sinz.hi - s.hi) + (sinz.lo - s.lo)) / CosRough(d);
    // Kernel error over cos z0 >= 0.86, Newton's tan(z) e^2/2 <= 0.3 dz^2 plus
    // slack, roundings of dz and of the square root.
    Extended err = kKernelError * 1.2L * z0 + dz * dz + 0x1p-61L * Abs(dz) + 0x1p-118L * z0;
    DD v;
    if (ax <= 0.5L) {
        const Extended sz0 = x < 0 ? -z0 : z0, sdz = x < 0 ? -dz : dz;
        const DD h = TwoSum(kPio2Hi, -sz0);
        v = FastTwoSum(h.hi, h.lo + (kPio2Lo + sdz));
    } else if (x > 0) {
        v = FastTwoSum(2 * z0, -2 * dz);
        err *= 2;
    } else {
        const DD h = TwoSum(kPiHi, -2 * z0);
        v = FastTwoSum(h.hi, h.lo + (kPiLo + 2 * dz));
        err *= 2;
    }
    return {v.hi, v.lo, err + 0x1p-124L * Abs(v.hi)};
}

Extended CosDoubleQuad(Extended x) {
    doubleQuadCalls.fetch_add(1, std::memory_order_relaxed);
    const Quad ax = fabsq(static_cast<Quad>(x));
    const Quad kq = rintq(ax / kQPio2_1);
    const long long k = static_cast<long long>(kq);
    // y = ax - k π/2 with π/2 to 340 bits: each product exact, sums accurate.
    DQ y = QTwoSum(ax, 0);
    y = Add(y, Neg(QTwoProd(kq, kQPio2_1)));
    y = Add(y, Neg(QTwoProd(kq, kQPio2_2)));
    y = Add(y, Neg(QTwoProd(kq, kQPio2_3)));
    DQ s, c;
    SinCosDQ(y, s, c);
    DQ v;
    switch (k & 3) {
        case 0:
            v = c;
            break;
        case 1:
            v = Neg(s);
            break;
        case 2:
            v = Neg(c);
            break;
        default:
            v = s;
            break;
    }
    Extended r;
    DecideQuad(v, 0x1p-200Q * fabsq(v.hi) + kq * 0x1p-300Q, r);
    return r;
}

Extended ArcCosDoubleQuad(Extended x) {
    doubleQuadCalls.fetch_add(1, std::memory_order_relaxed);
    const Quad ax = fabsq(static_cast<Quad>(x));
    DQ s;
    if (ax <= 0.5Q) {
        s = {ax, 0};
    } else {
        // sqrt((1 - ax)/2) by one Newton step from the extended root.
        const Quad t = (1 - ax) / 2;
        const Quad s0 = static_cast<Quad>(std::sqrt(static_cast<Extended>(t)));
        if (s0 == 0) {
            s = {0, 0};
        } else {
            const DQ step = Div(Add({t, 0}, Neg(QTwoProd(s0, s0))), {2 * s0, 0});
            s = Add({s0, 0}, step);
            const DQ step2 = Div(Add({t, 0}, Neg(Mul(s, s))), Mul({2, 0}, s));
            s = Add(s, step2);
        }
    }
    // z = asin s: two Newton steps from asinq take its 2^-110 to below 2^-300.
    DQ z = {asinq(s.hi), 0};
    for (int step = 0; step < 2; ++step) {
        DQ sz, cz;
        SinCosDQ(z, sz, cz);
        z = Add(z, Neg(Div(Add(sz, Neg(s)), cz)));
    }
    const DQ pio2 = {kQPio2_1, kQPio2_2};
    DQ v;
    if (ax <= 0.5Q)
        v = Add(pio2, x < 0 ? z : Neg(z));
    else if (x > 0)
        v = Add(z, z);
    else
        v = Add(Add(pio2, pio2), Neg(Add(z, z)));
    Extended r;
    DecideQuad(v, 0x1p-200Q * fabsq(v.hi), r);
    return r;
}

Extended CosSlow(Extended x) {
    slowCalls.fetch_add(1, std::memory_order_relaxed);
    const Quad q = cosq(static_cast<Quad>(x));
    Extended r;
    if (DecideQuad({q, 0}, 0x1p-100Q * fabsq(q), r)) return r;
    // Beyond 2^20 lap data never goes; there cosq's rounding stands.
    if (Abs(x) < 0x1p20L) return CosDoubleQuad(x);
    return r;
}

Extended ArcCosSlow(Extended x) {
    slowCalls.fetch_add(1, std::memory_order_relaxed);
    const Quad q = acosq(static_cast<Quad>(x));
    Extended r;
    if (DecideQuad({q, 0}, 0x1p-100Q * fabsq(q), r)) return r;
    return ArcCosDoubleQuad(x);
}

std::uint64_t SlowPathCount() {
    return slowCalls.load(std::memory_order_relaxed);
}
std::uint64_t DoubleQuadCount() {
    return doubleQuadCalls.load(std::memory_order_relaxed);
}

}  // namespace trig_detail

Extended Cos(Extended x) {
    using namespace trig_detail;
    const Extended ax = Abs(x);
    if (!(ax <= std::numeric_limits<Extended>::max())) return NaN();  // NaN, ±inf
    // Below 2^-32, x^2/2 < 2^-65 is under half an ulp of 1.
    if (ax < 0x1p-32L) return 1;
    if (ax < 0x1p20L) {
        Extended r;
        if (Decide(CosFast(x), r)) return r;
    }
    return CosSlow(x);
}

Extended ArcCos(Extended x) {
    using namespace trig_detail;
    if (!(Abs(x) <= 1)) return NaN();
    Extended r;
    if (Decide(ArcCosFast(x), r)) return r;
    return ArcCosSlow(x);
}
