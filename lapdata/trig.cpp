#include "lapdata/trig.h"

#include <quadmath.h>

#include <array>
#include <atomic>
#include <bit>
#include <cmath>
#include <cstring>
#include <limits>

// Design. The fast path evaluates f in extended precision as an unevaluated
// sum hi + lo together with a bound err on |hi + lo - f|, then rounds only if
// every value in [hi + lo - err, hi + lo + err] rounds the same way (Decide).
// Otherwise libquadmath's cosq/acosq (same code under glibc and MinGW) get a
// second try with a generous error bound of 2^-100, and where even that does
// not decide, a double-__float128 evaluation of about 220 bits does.
//
// Cos for |x| <= 0.78 (latitudes to 44 degrees) and ArcCos for 2^-40 <= |x|
// < 1 evaluate in 128-bit integer fixed point instead, with the bound in the
// same units: there the x87 kernel's exact-product splitting and 80-bit
// spills cost more than the integer products.
//
// Everything that decides the result is integer arithmetic and + - * / and
// sqrt on double, long double and __float128, which are correctly rounded on
// both platforms, so a decided result is the correctly rounded value whichever
// path decided it. The starting values taken from the C library (std::asin on
// doubles, asinq) only steer a Newton step whose own size enters the bound.
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

// ---- table of sin and cos at i/128 as hi + lo (lo in double: 2^-117 off),
// made with MPFR; top is hi rounded to 32 bits and mid = hi - top, exact in
// double, for exact products. Doubles load at a fraction of the cost.

struct Value {
    Extended hi;
    double lo, top, mid;
};
struct SinCos {
    Value f[2];  // sin, cos
};

constexpr SinCos kTable[103] = {
    {{{0x0p+0L, 0x0p+0, 0x0p+0, 0x0p+0}, {0x8p-3L, 0x0p+0, 0x1p+0, 0x0p+0}}},
    {{{0xf.fff555577777437p-11L, 0x1.0e89cc2442022p-73, 0x1.fffeaaaap-8, 0x1.ddddd0dcp-41},
      {0xf.ffe0000aaaa93e9p-4L, 0x1.00d00cb6d6d06p-66, 0x1.fffc0002p-1, -0x1.5555b05cp-34}}},
    {{{0xf.ffd55577776a76bp-10L, -0x1.6c7353e0eec23p-72, 0x1.fffaaaaep-7, 0x1.ddda9dacp-40},
      {0xf.ff8000aaaa4fa51p-4L, 0x1.14501d2f79ab4p-66, 0x1.fff00016p-1, -0x1.556c16bcp-34}}},
    {{{0xb.ffb80081992a83ep-9L, -0x1.d4aead8cc98c8p-76, 0x1.7ff7001p-6, 0x1.992a83ep-41},
      {0xf.fee0035ffbf335dp-4L, -0x1.25179688430dbp-67, 0x1.ffdc006cp-1, -0x1.03328cp-42}}},
    {{{0xf.ff5557777437465p-9L, 0x1.fc826eda8f233p-71, 0x1.ffeaaaeep-6, 0x1.dd0dd194p-39},
      {0xf.fe000aaa93e9589p-4L, 0x1.5db693b25251cp-66, 0x1.ffc00156p-1, -0x1.5b05a9dcp-34}}},
    {{{0x9.ff595896a2ea94fp-8L, -0x1.d5efe171f75cep-71, 0x1.3feb2b12p-5, 0x1.a8baa53cp-38},
      {0xf.fce01a0a53dd0cdp-4L, -0x1.c1683274c81c1p-66, 0x1.ff9c0342p-1, -0x1.6b08bcccp-34}}},
    {{{0xb.fee008197dd454dp-8L, -0x1.bdf46e99799dcp-71, 0x1.7fdc0104p-5, -0x1.a08aeaccp-38},
      {0xf.fb8035fefccf675p-4L, -0x1.dab03246af5f4p-67, 0x1.ff7006cp-1, -0x1.033098bp-36}}},
    {{{0xd.fe36bc2c36d6064p-8L, -0x1.b02fc240dc9fp-70, 0x1.bfc6d786p-5, -0x1.e494fcep-39},
      {0xf.f9e064081d18948p-4L, 0x1.5b6f7703998e4p-66, 0x1.ff3c0c82p-1, -0x1.f8b9daep-34}}},
    {{{0xf.fd557776a76d5a6p-8L, -0x1.6d32684b695aap-71, 0x1.ffaaaeeep-5, 0x1.a9db5698p-38},
      {0xf.f800aaa4fa69a65p-4L, 0x1.c3dcca1378857p-70, 0x1.ff001554p-1, 0x1.3e9a6994p-34}}},
    {{{0x8.fe1a1ec045f7418p-7L, 0x1.668c8620d86dp-69, 0x1.1fc343d8p-4, 0x1.17dd06p-41},
      {0xf.f5e1115477cf85ep-4L, 0x1.34934f54c7714p-66, 0x1.febc222ap-1, 0x1.1df3e178p-34}}},
    {{{0x9.fd658968baad4dcp-7L, -0x1.915299468b61dp-70, 0x1.3facb12ep-4, -0x1.d154ac9p-37},
      {0xf.f381a094f7b771ap-4L, 0x1.79906d20d2f82p-70, 0x1.fe703412p-1, 0x1.3deddc68p-34}}},
    {{{0xa.fc88fe885b9b5fdp-7L, -0x1.3c0afa4408919p-72, 0x1.5f911fd2p-4, -0x1.e919280cp-37},
      {0xf.f0e261e439f57eap-4L, 0x1.58dbea0ed7f63p-66, 0x1.fe1c4c3cp-1, 0x1.0e7d5fa8p-34}}},
    {{{0xb.fb808192a8720d8p-7L, -0x1.e973ffd7f2f8p-71, 0x1.7f701032p-4, 0x1.543906cp-38},
      {0xf.ee035fbf35cda63p-4L, 0x1.02b535f8db594p-67, 0x1.fdc06bf8p-1, -0x1.9464b3ap-37}}},
    {{{0xc.fa4816aae8fca4dp-7L, 0x1.6d7eac1dc16p-70, 0x1.9f4902d6p-4, -0x1.45c0d6ccp-37},
      {0xf.eae4a5a1effff69p-4L, -0x1.da32d3e4be335p-67, 0x1.fd5c94b4p-1, 0x1.effff69p-36}}},
    {{{0xd.f8dbc2b41c8ebd2p-7L, 0x1.841dea4cc7ca5p-70, 0x1.bf1b7856p-4, 0x1.0723af48p-37},
      {0xf.e78640074cd88f5p-4L, 0x1.ebc368c35611bp-68, 0x1.fcf0c8p-1, 0x1.d33623d4p-34}}},
    {{{0xe.f7378b60e672eafp-7L, 0x1.c74123a635643p-73, 0x1.dee6f16cp-4, 0x1.cce5d5ep-40},
      {0xf.e3e83c68de4420fp-4L, -0x1.16ddc124bd7bdp-66, 0x1.fc7d078ep-1, -0x1.c86ef7c4p-34}}},
    {{{0xf.f5577743771ae5p-7L, 0x1.a6a19c87e27e1p-70, 0x1.feaaeee8p-4, 0x1.bb8d728p-38},
      {0xf.e00aa93eade9b6dp-4L, 0x1.e6a129df6f18dp-68, 0x1.fc015528p-1, -0x1.5216493p-36}}},
    {{{0x8.799bc6eeb8e8bb1p-6L, -0x1.cbc6d87830d8cp-68, 0x1.0f3378dep-3, -0x1.471744fp-38},
      {0xf.dbed95ff034aa44p-4L, -0x1.290584d2a7675p-66, 0x1.fb7db2cp-1, -0x1.f96ab78p-37}}},
    {{{0x8.f869ebd7e757522p-6L, 0x1.abd9a2596d28cp-71, 0x1.1f0d3d7ap-3, 0x1.f9d5d488p-36},
      {0xf.d791131e25e97abp-4L, 0x1.531ecc5d8974bp-66, 0x1.faf22264p-1, -0x1.da16855p-36}}},
    {{{0x9.77142f255c47436p-6L, 0x1.787d108fd438dp-68, 0x1.2ee285e4p-3, 0x1.5711d0d8p-36},
      {0xf.d2f5320e1b79021p-4L, -0x1.92c897419c219p-66, 0x1.fa5ea642p-1, -0x1.e486fdfp-36}}},
    {{{0x9.f598962eb365a9p-6L, -0x1.4cca4c9a3782ap-68, 0x1.3eb312c6p-3, -0x1.4c9a57p-38},
      {0xf.ce1a053e621438bp-4L, 0x1.b5831dba3117p-66, 0x1.f9c340a8p-1, -0x1.9debc75p-36}}},
    {{{0xa.73f526e2f93d995p-6L, -0x1.89354fe340fbep-68, 0x1.4e7ea4dcp-3, 0x1.7c9ecca8p-37},
      {0xf.c8ffa01ba680741p-4L, 0x1.f81658ac367f8p-66, 0x1.f91ff404p-1, -0x1.165fe2fcp-34}}},
    {{{0xa.f227e7d09379521p-6L, 0x1.de7ce03b25149p-68, 0x1.5e44fcfap-3, 0x1.26f2a42p-39},
      {0xf.c3a6170f767ac73p-4L, 0x1.758f666a750e8p-66, 0x1.f874c2e2p-1, -0x1.130a71ap-37}}},
    {{{0xb.702ee02d26a5fffp-6L, -0x1.962e45c0e48c4p-69, 0x1.6e05dc06p-3, -0x1.6cad0008p-37},
      {0xf.be0d7f7fef11e71p-4L, -0x1.56f11d502c257p-66, 0x1.f7c1affp-1, -0x1.0ee18fp-40}}},
    {{{0xb.ee0817dd795a8adp-6L, 0x1.6a1c4792f8562p-68, 0x1.7dc102fcp-3, -0x1.4352ba98p-37},
      {0xf.b835efcf670dd2dp-4L, -0x1.90186db968116p-68, 0x1.f706bdfap-1, -0x1.31e45a6p-37}}},
    {{{0xc.6bb1977d54a1dbep-6L, 0x1.7674d11ab3899p-71, 0x1.8d7632fp-3, -0x1.55af121p-37},
      {0xf.b21f7f5c156696bp-4L, 0x1.583fc5158bfafp-73, 0x1.f643efecp-1, -0x1.f54cb4a8p-35}}},
    {{{0xc.e9296867618919cp-6L, 0x1.0f602c44df4fap-68, 0x1.9d252d0cp-3, 0x1.d862467p-36},
      {0xf.abca467fb3cb8f2p-4L, -0x1.7cb07f138ae63p-67, 0x1.f57948dp-1, -0x1.30d1c38p-38}}},
    {{{0xd.666d94bd03b2667p-6L, 0x1.f12a0a4c8561ep-68, 0x1.accdb298p-3, -0x1.7e26ccc8p-37},
      {0xf.a5365e8f1d3ca28p-4L, -0x1.078928a25466dp-66, 0x1.f4a6cbd2p-1, -0x1.c586bbp-37}}},
    {{{0xd.e37c276e30ccb38p-6L, 0x1.a56a7b0cab05dp-69, 0x1.bc6f84eep-3, -0x1.cf334c8p-38},
      {0xf.9e63e1d9e8b6f6fp-4L, 0x1.714b5d72daf6dp-67, 0x1.f3cc7c3cp-1, -0x1.85d24244p-34}}},
    {{{0xe.60532c4144d14f3p-6L, -0x1.a13790f8d6573p-70, 0x1.cc0a6588p-3, 0x1.44d14f3p-38},
      {0xf.9752eba9fff6b99p-4L, -0x1.ef5054953ead6p-66, 0x1.f2ea5d76p-1, -0x1.8002519cp-34}}},
    {{{0xe.dcf0afdad2e7d9ap-6L, 0x1.df2933903e1b3p-69, 0x1.db9e15fcp-3, -0x1.4b460998p-36},
      {0xf.90039843324f9b9p-4L, 0x1.0105b06612db3p-66, 0x1.f2007308p-1, 0x1.9927cdc8p-35}}},
    {{{0xf.5952bfc572d15e8p-6L, 0x1.f950a8d315746p-69, 0x1.eb2a57f8p-3, 0x1.5cb457ap-36},
      {0xf.887604e2c39dbb2p-4L, 0x1.c9d8b04a0b34fp-69, 0x1.f10ec09cp-1, 0x1.61cedd9p-35}}},
    {{{0xf.d5776a798abb5d4p-6L, 0x1.3bd7b8e6a3d16p-68, 0x1.faaeed5p-3, -0x1.9d5128bp-36},
      {0xf.80aa4fbef750ba8p-4L, -0x1.f0b30d1a81ac2p-66, 0x1.f01549f8p-1, -0x1.08af458p-36}}},
    {{{0x8.28ae5fb28aadcc9p-5L, -0x1.853bfb1d8ee45p-69, 0x1.0515cbf6p-2, 0x1.4556e648p-36},
      {0xf.78a098069792dabp-4L, -0x1.0d846f69b920fp-66, 0x1.ef1413p-1, 0x1.a5e4b6acp-34}}},
    {{{0x8.66806779b21acc1p-5L, -0x1.850649f15a3dep-67, 0x1.0cd00cfp-2, -0x1.93794cfcp-35},
      {0xf.7058fde0788dfc8p-4L, 0x1.6e3fa21e2793dp-70, 0x1.ee0b1fbcp-1, 0x1.e237f2p-38}}},
    {{{0x8.a430d54a6ef5641p-5L, 0x1.df92927a971dp-67, 0x1.14861aaap-2, -0x1.6442a6fcp-35},
      {0xf.67d3a26af7d07aap-4L, 0x1.2f5b50abe3002p-66, 0x1.ecfa744ep-1, -0x1.420be158p-34}}},
    {{{0x8.e1beb2635c3b28cp-5L, 0x1.dbf8373fd1ff9p-70, 0x1.1c37d64cp-2, 0x1.ae1d946p-36},
      {0xf.5f10a7bb77d3dfap-4L, 0x1.83b516af084fp-69, 0x1.ebe214f8p-1, -0x1.220b0818p-34}}},
    {{{0x9.1f29088d579ad62p-5L, -0x1.00669dfe30bcap-69, 0x1.23e52112p-2, -0x1.543294fp-36},
      {0xf.561030ddd7a7896p-4L, 0x1.d53e94658ca43p-69, 0x1.eac2061cp-1, -0x1.142c3b5p-35}}},
    {{{0x9.5c6ee21f5a4f915p-5L, 0x1.4e267cb601a8dp-67, 0x1.2b8ddc44p-2, -0x1.4b60dd6p-38},
      {0xf.4cd261d3e6c15bbp-4L, 0x1.b4e43ac318695p-67, 0x1.e99a4c3ap-1, 0x1.f360add8p-35}}},
    {{{0x9.998f4a024fc3bc2p-5L, -0x1.a4a5f9e7e9cd7p-67, 0x1.3331e94p-2, 0x1.27e1de1p-36},
      {0xf.43575f94d4f6b27p-4L, 0x1.7afdbb58a6953p-67, 0x1.e86aebf2p-1, 0x1.353dac9cp-34}}},
    {{{0x9.d6894bb4e9ec004p-5L, 0x1.eaa8243c1cd39p-70, 0x1.3ad12976p-2, 0x1.3a7b001p-35},
      {0xf.399f500c9e9fd38p-4L, -0x1.459aa3670951ep-66, 0x1.e733ea02p-1, -0x1.b0b0164p-35}}},
    {{{0xa.135bf34f734b41fp-5L, -0x1.c75705c59f5e6p-68, 0x1.426b7e6ap-2, -0x1.19697c2p-38},
      {0xf.2faa5a1b74e82fdp-4L, 0x1.87e817e45dcep-66, 0x1.e5f54b44p-1, -0x1.22c5f40cp-34}}},
    {{{0xa.50064d879e90304p-5L, 0x1.dd35d84756416p-67, 0x1.4a00c9bp-2, 0x1.e7a40c1p-35},
      {0xf.2578a595224dd2ep-4L, 0x1.afe8bacbe6732p-66, 0x1.e4af14b2p-1, 0x1.489374b8p-34}}},
    {{{0xa.8c8767b453bd367p-5L, -0x1.4755088786668p-67, 0x1.5190ecf6p-2, 0x1.14ef4d9cp-35},
      {0xf.1b0a5b406b526d9p-4L, -0x1.e4ea80548dcbdp-66, 0x1.e3614b68p-1, 0x1.ad49b64p-38}}},
    {{{0xa.c8de4fd17acb97cp-5L, 0x1.d2eb0ff832b91p-67, 0x1.591bc9fap-2, 0x1.7acb97cp-37},
      {0xf.105fa4d66b607a6p-4L, 0x1.f5138109c9481p-66, 0x1.e20bf49ap-1, 0x1.9ad81e98p-34}}},
    {{{0xb.050a1483c3ba8d9p-5L, -0x1.3fa2bb7664888p-73, 0x1.60a1429p-2, 0x1.e1dd46c8p-36},
      {0xf.0578ad01ede708p-4L, -0x1.718fd88e519edp-66, 0x1.e0af15ap-1, 0x1.ede708p-36}}},
    {{{0xb.4109c51c6bfb44fp-5L, -0x1.2404889559c51p-69, 0x1.682138a4p-2, -0x1.ca025d88p-36},
      {0xe.fa559f5ec3aec3ap-4L, 0x1.3ac0cc649e28bp-66, 0x1.df4ab3ecp-1, -0x1.3c513c6p-36}}},
    {{{0xb.7cdc719d012aa85p-5L, 0x1.e0a774ed069b2p-67, 0x1.6f9b8e34p-2, -0x1.7f6aabd8p-36},
      {0xe.eef6a879146af0cp-4L, -0x1.91a857457d4fdp-70, 0x1.ddded51p-1, -0x1.bae543dp-34}}},
    {{{0xb.b8812abb2109e91p-5L, 0x1.4a33ad124c6f3p-67, 0x1.77102558p-2, -0x1.37bd85bcp-35},
      {0xe.e35bf5ccac89053p-4L, -0x1.937112465962ep-67, 0x1.dc6b7ebap-1, -0x1.a9bb7d68p-35}}},
    {{{0xb.f3f701e436a6c94p-5L, -0x1.de6d5fad78eeap-67, 0x1.7e7ee03cp-2, 0x1.0da9b25p-35},
      {0xe.d785b5c44741b45p-4L, -0x1.b0ea50d18b31dp-66, 0x1.daf0b6b8p-1, 0x1.11d06d14p-34}}},
    {{{0xc.2f3d094134a4b15p-5L, -0x1.f8b250298fe0dp-67, 0x1.85e7a128p-2, 0x1.34a4b15p-37},
      {0xe.cb7417b8d4ee3ffp-4L, -0x1.e42a2dfc62adcp-67, 0x1.d96e82f8p-1, -0x1.cac47004p-34}}},
    {{{0xc.6a5253ba4c97a89p-5L, 0x1.01753b3192ec5p-67, 0x1.8d4a4a78p-2, -0x1.6cda15dcp-35},
      {0xe.bf274bf0bda4f62p-4L, 0x1.11f95a824d89ap-66, 0x1.d7e4e97ep-1, 0x1.7b49ec4p-37}}},
    {{{0xc.a535f4faa36252cp-5L, 0x1.8f60cbe054205p-67, 0x1.94a6beap-2, -0x1.57276b5p-35},
      {0xe.b29f839f201fd14p-4L, -0x1.1b21a5f61ba56p-66, 0x1.d653f074p-1, -0x1.bfc05d8p-37}}},
    {{{0xc.dfe701740288214p-5L, -0x1.c65cdf4f5c05ap-68, 0x1.9bfce02ep-2, 0x1.00a2085p-35},
      {0xe.a5dcf0e30cf03e7p-4L, -0x1.a2443d384f66cp-66, 0x1.d4bb9e1cp-1, 0x1.86781f38p-35}}},
    {{{0xd.1a648e628664f2ep-5L, 0x1.de3895e62666fp-67, 0x1.a34c91ccp-2, 0x1.4332797p-36},
      {0xe.98dfc6c6be031e6p-4L, 0x1.ba611397ba315p-69, 0x1.d31bf8d8p-1, 0x1.af80c798p-34}}},
    {{{0xd.54adb1d0493b69dp-5L, 0x1.b053b0ff1fcf3p-67, 0x1.aa95b63ap-2, 0x1.24eda74p-39},
      {0xe.8ba8393eca7821bp-4L, -0x1.6a709f2db927cp-66, 0x1.d1750728p-1, -0x1.3587de5p-36}}},
    {{{0xd.8ec182990b0b4a4p-5L, -0x1.2165ccfa8c9d7p-67, 0x1.b1d83054p-2, -0x1.bd3d2d7p-35},
      {0xe.7e367d2956cfb17p-4L, -0x1.2557b86af98ccp-66, 0x1.cfc6cfa6p-1, -0x1.aa4c13a4p-34}}},
    {{{0xd.c89f186dd621439p-5L, -0x1.5a5ed87fe1657p-69, 0x1.b913e30ep-2, -0x1.14ef5e38p-36},
      {0xe.708ac84d4172a3ep-4L, 0x1.39bb31109a14fp-67, 0x1.ce11590ap-1, -0x1.5f46ae1p-35}}},
    {{{0xe.02458bd8a05191ap-5L, -0x1.98a8160597e66p-73, 0x1.c048b17cp-2, -0x1.d7eb9b98p-35},
      {0xe.62a551594b970a7p-4L, 0x1.c2c5750753039p-66, 0x1.cc54aa2cp-1, -0x1.ad1a3d64p-34}}},
    {{{0xe.3bb3f63fe8cef0ap-5L, 0x1.d65cb854fb395p-67, 0x1.c7767ec8p-2, -0x1.7310f6p-41},
      {0xe.54864fe33e8575dp-4L, -0x1.50290bc68c394p-66, 0x1.ca90c9fcp-1, 0x1.9f42bae8p-35}}},
    {{{0xe.74e971ea528f6dp-5L, 0x1.baf6928eb3fbp-68, 0x1.ce9d2e3ep-2, -0x1.6b5c24cp-35},
      {0xe.462dfc670d421abp-4L, 0x1.e8d0ac8091479p-67, 0x1.c8c5bf8cp-1, 0x1.c35086acp-34}}},
    {{{0xe.ade51a023b30a51p-5L, 0x1.2253afe14e3bdp-67, 0x1.d5bca34p-2, 0x1.1d985288p-36},
      {0xe.379c9045f29d518p-4L, -0x1.dbfbaadb41efdp-67, 0x1.c6f39208p-1, 0x1.7ca7546p-34}}},
    {{{0xe.e6a60a994e4d21bp-5L, -0x1.9c8f4701330cap-67, 0x1.dcd4c154p-2, -0x1.ac6cb794p-35},
      {0xe.28d245c58baef72p-4L, 0x1.12f11955e001ep-67, 0x1.c51a48b8p-1, 0x1.62ebbdc8p-34}}},
    {{{0xf.1f2b60ac153477bp-5L, -0x1.2084267e23c74p-68, 0x1.e3e56c16p-2, -0x1.f565c428p-36},
      {0xe.19cf580eeec046bp-4L, -0x1.7af74162dfe05p-66, 0x1.c339eb02p-1, -0x1.113fb95p-36}}},
    {{{0xf.57743a2582f7f44p-5L, -0x1.368793604f909p-67, 0x1.eaee8744p-2, 0x1.60bdfd1p-35},
      {0xe.0a94032dbea7ceep-4L, -0x1.088989741414ap-66, 0x1.c1528066p-1, -0x1.20ac189p-35}}},
    {{{0xf.8f7fb5e27cbda2ep-5L, 0x1.097c53a92dfd9p-67, 0x1.f1eff6bcp-2, 0x1.3e5ed17p-36},
      {0xd.fb20840f3a9b36fp-4L, 0x1.eb8b1454d0a24p-66, 0x1.bf641082p-1, -0x1.8ac9922p-37}}},
    {{{0xf.c74cf3b55e4b8cfp-5L, -0x1.abd434bfd72f7p-68, 0x1.f8e99e76p-2, 0x1.5792e33cp-35},
      {0xd.eb7518814a7a932p-4L, -0x1.10cddcfbd8cbp-66, 0x1.bd6ea31p-1, 0x1.4a7a932p-36}}},
    {{{0xf.fedb14697abd1f5p-5L, -0x1.59b45be925753p-67, 0x1.ffdb628ep-2, -0x1.a150b82cp-35},
      {0xd.db91ff318799173p-4L, -0x1.0b6eb4bd71dd8p-66, 0x1.bb723fe6p-1, 0x1.8799173p-36}}},
    {{{0x8.1b149ce34caa5a5p-4L, -0x1.9af072f602b29p-68, 0x1.0362939cp-1, 0x1.a6552d28p-35},
      {0xd.cb7777ac4207051p-4L, 0x1.a3cc78fade034p-66, 0x1.b96eeef6p-1, -0x1.defc7d78p-35}}},
    {{{0x8.369b434a372da7fp-4L, -0x1.28dd6380724c8p-66, 0x1.06d3686ap-1, -0x1.72349604p-34},
      {0xd.bb25c25b8260c15p-4L, -0x1.23086ce26cdc9p-69, 0x1.b764b84cp-1, -0x1.1f67cfacp-34}}},
    {{{0x8.52010f4f0800521p-4L, 0x1.bc5ec6eb0a3aap-67, 0x1.0a4021eap-1, -0x1.efff5bep-37},
      {0xd.aa9d20860827064p-4L, -0x1.0d71fb0bd50b3p-71, 0x1.b553a41p-1, 0x1.8209c19p-34}}},
    {{{0x8.6d45935ab396cb5p-4L, -0x1.bde17dd211ab1p-68, 0x1.0da8b26cp-1, -0x1.531a4d2cp-34},
      {0xd.99ddd44e44a43d5p-4L, -0x1.5ae2e09356fdfp-67, 0x1.b33bba8ap-1, -0x1.bb5bc2bp-36}}},
    {{{0x8.8868625b4e1dbb2p-4L, 0x1.8998809981129p-67, 0x1.110d0c4cp-1, -0x1.2c789138p-34},
      {0xd.88e820b1526311ep-4L, -0x1.54f0821f9f2b3p-67, 0x1.b11d0416p-1, 0x1.526311ep-36}}},
    {{{0x8.a3690fc5bfc11cp-4L, -0x1.ab28763195ebbp-66, 0x1.146d21f8p-1, 0x1.6ff047p-34},
      {0xd.77bc4985e93a608p-4L, -0x1.b13cba37ca21dp-67, 0x1.aef7893p-1, 0x1.7a4e982p-34}}},
    {{{0x8.be472f9776d809bp-4L, -0x1.a8efd1db78538p-69, 0x1.17c8e5f2p-1, 0x1.ddb6026cp-34},
      {0xd.665a937b4ef2b1fp-4L, 0x1.b546eb5b66229p-66, 0x1.accb527p-1, -0x1.2c435384p-34}}},
    {{{0x8.d902565817ee784p-4L, -0x1.90c70cbb5fe8p-66, 0x1.1b204accp-1, -0x1.fa0461fp-34},
      {0xd.54c3441844897fdp-4L, -0x1.c1eb03e6a8391p-66, 0x1.aa986884p-1, -0x1.eedda00cp-34}}},
    {{{0x8.f39a191b2ba6123p-4L, -0x1.7016c2f8a97p-66, 0x1.1e734324p-1, -0x1.35167b74p-34},
      {0xd.42f6a1b9f0168cep-4L, -0x1.f9c7a1386e4dap-69, 0x1.a85ed438p-1, -0x1.83fa5cc8p-34}}},
    {{{0x9.0e0e0d81ca67879p-4L, 0x1.b324b23aa30ap-66, 0x1.21c1c1bp-1, 0x1.ca67879p-36},
      {0xd.30f4f392c357abp-4L, 0x1.98717ea29f66dp-66, 0x1.a61e9e72p-1, 0x1.61abd58p-35}}},
    {{{0x9.285dc9bc45dd9eap-4L, 0x1.e8122bde672cep-67, 0x1.250bb938p-1, -0x1.dd1130bp-35},
      {0xd.1ebe81a95ee752ep-4L, 0x1.2289af34cb5bap-66, 0x1.a3d7d036p-1, -0x1.a8462b48p-34}}},
    {{{0x9.4288e48bd0335fcp-4L, 0x1.07132f4a48126p-66, 0x1.28511c92p-1, -0x1.0bf3281p-34},
      {0xd.0c5394d77222819p-4L, 0x1.7895cdb00d5d2p-66, 0x1.a18a729ap-1, 0x1.dc88a064p-34}}},
    {{{0x9.5c8ef544210ec0cp-4L, -0x1.b8ed90b557d86p-66, 0x1.2b91dea8p-1, 0x1.0843b03p-34},
      {0xc.f9b476c897c25c6p-4L, -0x1.0062bc8b033dcp-66, 0x1.9f368edap-1, -0x1.da0f68e8p-34}}},
    {{{0x9.766f93cd18413a7p-4L, -0x1.540f8c0e40f5dp-66, 0x1.2ecdf27ap-1, -0x1.73df62c8p-35},
      {0xc.e6e171f92f2e27fp-4L, 0x1.9112993f62207p-67, 0x1.9cdc2e4p-1, -0x1.b4347604p-34}}},
    {{{0x9.902a58a45e27bedp-4L, 0x1.a104ad09ad9d8p-66, 0x1.32054b14p-1, 0x1.1789efb4p-34},
      {0xc.d3dad1b5328a2e4p-4L, 0x1.67e64fd3d4422p-66, 0x1.9a7b5a36p-1, 0x1.4ca28b9p-34}}},
    {{{0x9.a9bedcdf01b38dap-4L, -0x1.b030a1f7e1f88p-66, 0x1.3537db9cp-1, -0x1.fc98e4cp-37},
      {0xc.c0a0e21709883a4p-4L, -0x1.feddc3dcbf024p-73, 0x1.98141c42p-1, 0x1.c2620e9p-34}}},
    {{{0x9.c32cba2b14156efp-4L, 0x1.495b13e15e647p-70, 0x1.38659746p-1, -0x1.3afaa444p-34},
      {0xc.ad33f00658fe5e8p-4L, 0x1.025de079d335p-67, 0x1.95a67ep-1, 0x1.963f97ap-34}}},
    {{{0x9.dc738ad14204e69p-4L, -0x1.94e9f4bc1e9f6p-66, 0x1.3b8e715ap-1, 0x1.4204e69p-36},
      {0xc.99944936cf48c89p-4L, 0x1.1ff93fe64b3dep-68, 0x1.93328926p-1, 0x1.b3d23224p-34}}},
    {{{0x9.f592e9b66a9cf9p-4L, 0x1.a8f1ea8f04066p-66, 0x1.3eb25d36p-1, 0x1.9aa73e4p-34},
      {0xc.85c23c26ed7b6fp-4L, 0x1.4ef546c479297p-68, 0x1.90b84784p-1, 0x1.bb5edbcp-34}}},
    {{{0xa.0e8a725d33c828cp-4L, 0x1.1fa50fd9e9a16p-68, 0x1.41d14e4cp-1, -0x1.661bebap-35},
      {0xc.71be181ecd6875dp-4L, -0x1.d25a9ea5fc336p-68, 0x1.8e37c304p-1, -0x1.32978a3p-36}}},
    {{{0xa.2759c0e79c35582p-4L, 0x1.49f0cad57d501p-66, 0x1.44eb381cp-1, 0x1.e70d5608p-34},
      {0xc.5d882d2ee48030cp-4L, 0x1.f01f4a3a6078dp-66, 0x1.8bb105a6p-1, -0x1.1b7fcf4p-36}}},
    {{{0xa.400072188acf49dp-4L, -0x1.4a7463ed0fe3ep-67, 0x1.48000e44p-1, -0x1.dd4c2d8cp-34},
      {0xc.4920cc2ec38fb89p-4L, 0x1.b38827db08885p-68, 0x1.89241986p-1, -0x1.3c70477p-36}}},
    {{{0xa.587e23555bb0808p-4L, 0x1.b40ae7198b375p-66, 0x1.4b0fc46ap-1, 0x1.56ec202p-34},
      {0xc.348846bbd363134p-4L, -0x1.c007500588bb2p-66, 0x1.869108d8p-1, -0x1.0b273b3p-34}}},
    {{{0xa.70d272a76a8d4b7p-4L, -0x1.2f89b7c76a246p-67, 0x1.4e1a4e54p-1, 0x1.daa352dcp-34},
      {0xc.1fbeef380e4ffddp-4L, 0x1.6984fb21c8bd9p-66, 0x1.83f7dde8p-1, -0x1.fc6c008cp-34}}},
    {{{0xa.88fcfebd9a8dd48p-4L, -0x1.d0c3891061dbcp-68, 0x1.511f9fd8p-1, -0x1.32b915cp-35},
      {0xc.0ac518c8b6ae711p-4L, -0x1.172170451bcd4p-66, 0x1.8158a31ap-1, -0x1.d25463bcp-34}}},
    {{{0xa.a0fd66eddb92123p-4L, 0x1.61429069c88dcp-67, 0x1.541facdep-1, -0x1.1236f6e8p-35},
      {0xb.f59b17550a44068p-4L, 0x1.d65a4a5959f3dp-66, 0x1.7eb362eap-1, 0x1.429101ap-34}}},
    {{{0xa.b8d34b36acd9872p-4L, 0x1.0ed343ec65d7ep-68, 0x1.571a6966p-1, 0x1.ab3661c8p-34},
      {0xb.e0413f84f2a771cp-4L, 0x1.85251aa232fd3p-66, 0x1.7c0827fp-1, 0x1.3ca9dc7p-34}}},
    {{{0xa.d07e4c409d08c5p-4L, -0x1.715bea113d4f7p-66, 0x1.5a0fc988p-1, 0x1.3a118ap-37},
      {0xb.cab7e6bfb2a14aap-4L, -0x1.3b74ea2d7225p-66, 0x1.7956fcd8p-1, -0x1.357ad58p-38}}},
    {{{0xa.e7fe0b5fc786b2ep-4L, -0x1.a6478a543afd7p-66, 0x1.5cffc16cp-1, -0x1.c3ca69p-39},
      {0xb.b4ff632a908f73fp-4L, -0x1.f573e31a31336p-67, 0x1.769fec66p-1, -0x1.5bdc2304p-34}}},
    {{{0xa.ff522a954f2ba17p-4L, -0x1.310811df48e6p-67, 0x1.5fea4552p-1, 0x1.53cae85cp-34},
      {0xb.9f180ba77dd0751p-4L, 0x1.8a384d6a5420ap-66, 0x1.73e30174p-1, 0x1.df741d44p-34}}},
    {{{0xb.167a4c90d63c424p-4L, 0x1.33d524edf308fp-66, 0x1.62cf4992p-1, 0x1.ac78848p-37},
      {0xb.890237d3bb3c285p-4L, -0x1.27ad7eb1bfa5p-66, 0x1.712046fap-1, 0x1.dd9e1428p-35}}},
    {{{0xb.2d7614b1f3aaa25p-4L, -0x1.06948efac40f2p-67, 0x1.65aec296p-1, 0x1.f3aaa25p-36},
      {0xb.72be40067aaf2cp-4L, 0x1.436f6de8530f6p-66, 0x1.6e57c8p-1, 0x1.9eabcbp-34}}},
    {{{0xb.44452709a597529p-4L, 0x1.644dd950d2967p-70, 0x1.6888a4e2p-1, -0x1.969a2b5cp-34},
      {0xb.5c4c7d4f7dae916p-4L, -0x1.4e1e4cc2d396ep-66, 0x1.6b898faap-1, -0x1.04a2dd4p-37}}},
    {{{0xb.5ae7285bc10cf51p-4L, 0x1.5d4e11fa3e2dfp-66, 0x1.6b5ce50cp-1, -0x1.0fbcc2bcp-34},
      {0xb.45ad4975b1294cbp-4L, -0x1.1ad985f89b86fp-67, 0x1.68b5a92ep-1, 0x1.6c4a532cp-34}}},
    {{{0xb.715bbe205ef06f2p-4L, -0x1.ca615feb54c5cp-66, 0x1.6e2b77c4p-1, 0x1.7bc1bc8p-38},
      {0xb.2ee0fef5c65cf9ap-4L, 0x1.f25c6641c45ap-69, 0x1.65dc1fdep-1, 0x1.71973e68p-34}}},
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

// Relative error of the kernel below. With |r| <= 2^-8 (1 + 2^-50) the terms
// beyond the exact product are P (cos r - 1) <= 2^-17 P and Q (sin r - r) <=
// 2^-26.5, each off by under 3 units in 2^-64 of itself; the dropped terms of
// cos r - 1 stay below 2^-79.3 and the tail's last rounding below 2^-81. That
// is under 2^-77 of a result of at least 0.7 (cos) or of at least half P (sin,
// i >= 1); for i = 0 the error is relative to r. The tests check the bound
// against MPFR.
constexpr Extended kKernelError = 0x1p-76L;

// 1.5 * 2^63: adding it rounds a value below 2^62 to an integer, ties to even.
constexpr Extended kRound = 0xcp60L;

inline Extended Abs(Extended v) {
    return v < 0 ? -v : v;
}

// y = yh + yl, 0 <= yh <= 0.8, |yl| <= 2^-62 yh, as y = i/128 + r with
// r = rh + yl; rh = r1 + r2 with r1 on 32 bits and |r2| <= 2^-32 |rh|, all exact.
struct Reduced {
    const SinCos* t;
    Extended rh, r1, r2, yl;
    Extended cm1;  // cos r - 1
    Extended sr;   // sin r - r
};

// WithLow: yl may be nonzero (x * 0 does not fold away without fast-math).
template <bool WithLow>
[[gnu::always_inline]] inline Reduced Split128(Extended yh, Extended yl) {
    const Extended i = (yh * 128 + kRound) - kRound;
    Reduced d;
    // The index through double: converting a long double to an integer
    // switches the x87 rounding mode, which costs more than the rest.
    d.t = &kTable[static_cast<int>(static_cast<double>(i))];
    d.rh = yh - i * 0x1p-7L;  // exact: |rh| <= 2^-8 on yh's ulp grid
    // Veltkamp's split: relative, so that r1 carries a tiny rh whole.
    const Extended c = 4294967297.0L * d.rh;  // 2^32 + 1
    d.r1 = c - (c - d.rh);
    d.r2 = d.rh - d.r1;
    d.yl = yl;
    // Estrin's scheme: shorter dependency chains than Horner's.
    const Extended r2 = WithLow ? d.rh * d.rh + 2 * d.rh * yl : d.rh * d.rh;
    const Extended r4 = r2 * r2;
    // Coefficients past the first of each series are doubles: their terms are
    // below 2^-36 and 2^-46.
    d.cm1 = -0.5L * r2 + r4 * (1 / 24.0 - r2 * (1 / 720.0));
    d.sr = d.rh * (r2 * (-1 / 6.0L) + r4 * (1 / 120.0 - r2 * (1 / 5040.0)));
    return d;
}

// f(a + r) = P + Q r + P (cos r - 1) + Q (sin r - r) with P = sin a, Q = cos a
// for sin, P = cos a, Q = -sin a for cos; q is Q's entry, qSign its sign.
template <bool WithLow>
[[gnu::always_inline]] inline DD Kernel(const Reduced& d, const Value& p, const Value& q,
                                        Extended qSign) {
    const Extended qTop = qSign * q.top, qMid = qSign * q.mid, qLo = qSign * q.lo;
    const Extended qHi = qTop + qMid;   // exact
    const Extended prod = qTop * d.r1;  // exact: 32 by 32 bits
    const DD h = FastTwoSum(p.hi, prod);
    const Extended lows = WithLow ? qHi * d.yl + qLo * d.rh : qLo * d.rh;
    const Extended small = ((qTop * d.r2 + qMid * d.rh) + lows) + (p.lo + qHi * d.sr);
    return FastTwoSum(h.hi, (p.hi * d.cm1 + h.lo) + small);
}

// ---- cosine of |x| <= 0.78 in 128-bit integers: no x87 work at all, and no
// exact-product splitting, which is most of the extended kernel's cost.

using U64 = std::uint64_t;
using U128 = unsigned __int128;

inline U64 High(U128 v) {
    return static_cast<U64>(v >> 64);
}
inline U128 Mul(U64 a, U64 b) {
    return static_cast<U128>(a) * b;
}
// a b / 2^128, at most 3 below it (the dropped fractions).
inline U128 MulHigh(U128 a, U128 b) {
    return Mul(High(a), High(b)) + High(Mul(High(a), static_cast<U64>(b))) +
           High(Mul(static_cast<U64>(a), High(b)));
}

// kTable as fixed point at 2^-127 (exact conversions: hi's bits and lo's lie
// above 2^-127), and sin / 6 for the cubic term.
struct FixedSinCos {
    U128 s, c, s6, c6;
};

constexpr U128 ToFixed(const Value& v) {
    const U128 h = static_cast<U128>(v.hi * 0x1p127L);
    const Extended l = static_cast<Extended>(v.lo) * 0x1p127L;
    return l < 0 ? h - static_cast<U128>(-l) : h + static_cast<U128>(l);
}

struct FixedTable {
    FixedSinCos e[103];
};

constexpr FixedTable MakeFixedTable() {
    FixedTable t{};
    for (int i = 0; i < 103; ++i) {
        const U128 s = ToFixed(kTable[i].f[0]);
        const U128 c = ToFixed(kTable[i].f[1]);
        t.e[i] = {s, c, s / 6, c / 6};
    }
    return t;
}

constexpr FixedTable kFixed = MakeFixedTable();

// Bound on |v 2^-127 - cos x| for CosFixed, in units of 2^-128. The table is
// 2^-116 off; each MulHigh is at most 2^-125 off; u^4 P and u^5 Q to 2^-93
// (their 64-bit factors have over 60 good bits); the series stop at u^10/10!
// < 2^-101 and u^11/11!. That totals under 2^-92: 2^-88 leaves a margin,
// and the tests check it against MPFR.
constexpr U64 kFixedError = U64{1} << 40;

// cos(ax) * 2^127 for 2^-32 <= ax <= 0.78, ax = mant 2^(e - 63):
// cos(a + r) = C - S r + C (cos r - 1) - S (sin r - r), a = i/128, |r| <= 2^-8.
[[gnu::always_inline]] inline U128 CosFixed(U64 mant, int e) {
    const U128 x = static_cast<U128>(mant) << (e + 65);  // ax 2^128, exact
    const U64 i = static_cast<U64>((x + (U128{1} << 120)) >> 121);
    const U128 d = x - (static_cast<U128>(i) << 121);  // r 2^128, |r| <= 2^-8
    // Masks rather than branches: r's sign is a coin toss on most data.
    const U128 negMask = U128{0} - (d >> 127);  // all ones where r < 0
    const U128 u = (d ^ negMask) - negMask;     // |r| 2^128
    const FixedSinCos& t = kFixed.e[i];
    const U128 u2 = MulHigh(u, u);    // r^2 2^128
    const U128 u3 = MulHigh(u2, u);   // |r|^3 2^128
    const U128 u4 = MulHigh(u2, u2);  // r^4 2^128 <= 2^96
    // P = 1/24 - r^2/720 + r^4/40320 and Q = 1/120 - r^2/5040 + r^4/362880
    // at 2^-64: 1/24 - P and 1/120 - Q are below 2^-20.
    const U64 w = High(u2);  // r^2 2^64
    const U64 p = 0x0aaaaaaaaaaaaaaaULL -
                  High(Mul(w, 0x005b05b05b05b05bULL - High(Mul(w, 0x0001a01a01a01a01ULL))));
    const U64 q = 0x0222222222222222ULL -
                  High(Mul(w, 0x000d00d00d00d00dULL - High(Mul(w, 0x00002e3bc74aad8eULL))));
    const U64 q4 = static_cast<U64>(u4 >> 33);  // r^4 2^95 < 2^63
    const U64 u71 = static_cast<U64>(u >> 57);  // |r| 2^71 <= 2^63, exact if i >= 1
    const U128 cu2 = MulHigh(t.c, u2) >> 1;     // C r^2/2
    const U128 su = MulHigh(t.s, u);
    const U128 su3 = MulHigh(t.s6, u3);  // S |r|^3/6
    // C P and S Q first: they do not wait for r^4, which shortens the chain.
    const U128 cu4 = Mul(q4, High(Mul(High(t.c), p))) >> 31;                  // C r^4 P
    const U128 su5 = Mul(High(Mul(q4, u71)), High(Mul(High(t.s), q))) >> 38;  // S |r|^5 Q
    // cos r - 1 = -r^2/2 + r^4 P; sin r - r = -r^3/6 + r^5 Q: the odd terms
    // S (sin r) enter with the sign of -r.
    const U128 odd = su + su5 - su3;
    const U128 posMask = ~negMask;
    return t.c - cu2 + cu4 + ((odd ^ posMask) - posMask);
}

// Whether CosFixed takes x: 2^-32 < |x| <= 0.78 as judged on x rounded to
// double, which moves either end by an ulp at most (below 2^-32 cos x rounds
// to 1, which Cos returns directly). Gives x = ±mant 2^(e - 63).
// The exponent comes from the double, not from x's top bytes: a load of those
// would reach past the stored ten bytes of x and wait for the store.
[[gnu::always_inline]] inline bool InFixedRange(Extended x, U64& mant, int& e) {
    const U64 d = std::bit_cast<U64>(static_cast<double>(x)) & ~(U64{1} << 63);
    if (d <= std::bit_cast<U64>(0x1p-32) || d > std::bit_cast<U64>(0.78)) return false;
    mant = std::bit_cast<std::array<U64, 2>>(x)[0];
    // x rounded up to a power of two when the double's fraction is zero and
    // x's significand is all ones at the top (rounded down, it starts 10).
    const bool carried = (d & ((U64{1} << 52) - 1)) == 0 && (mant >> 62) == 3;
    e = static_cast<int>(d >> 52) - 1023 - carried;
    return true;
}

// x = mant 2^(e - 63) for a normal positive x, the exponent as in InFixedRange.
[[gnu::always_inline]] inline void Parts(Extended x, U64& mant, int& e) {
    const U64 d = std::bit_cast<U64>(static_cast<double>(x));
    mant = std::bit_cast<std::array<U64, 2>>(x)[0];
    const bool carried = (d & ((U64{1} << 52) - 1)) == 0 && (mant >> 62) == 3;
    e = static_cast<int>(d >> 52) - 1023 - carried;
}

// 2^k for -1022 <= k <= 1023.
inline double Pow2(int k) {
    return std::bit_cast<double>(static_cast<U64>(k + 1023) << 52);
}

// An int128 to double, within 2^-52 relative and 2 absolute: signed
// conversions only, as an unsigned one branches on the top bit.
inline double ToDouble(__int128 v) {
    return static_cast<double>(static_cast<std::int64_t>(v >> 64)) * 0x1p64 +
           static_cast<double>(static_cast<std::int64_t>(static_cast<U64>(v) >> 1)) * 2;
}

// sin z 2^127 for 0 <= z <= 0.79 given as z 2^128, as CosFixed: within 2^-93
// where the table is used, else (z < 2^-8) within 2^-124 + 2^-62 z^5/120.
[[gnu::always_inline]] inline U128 SinFixed(U128 x, bool& tabled) {
    const U64 i = static_cast<U64>((x + (U128{1} << 120)) >> 121);
    tabled = i != 0;
    const U128 d = x - (static_cast<U128>(i) << 121);
    const U128 negMask = U128{0} - (d >> 127);
    const U128 u = (d ^ negMask) - negMask;
    const FixedSinCos& t = kFixed.e[i];
    const U128 u2 = MulHigh(u, u);
    const U128 u3 = MulHigh(u2, u);
    const U64 w = High(Mul(High(u), High(u)));  // r^2 2^64, alongside u2
    const U64 p = 0x0aaaaaaaaaaaaaaaULL -
                  High(Mul(w, 0x005b05b05b05b05bULL - High(Mul(w, 0x0001a01a01a01a01ULL))));
    const U64 q = 0x0222222222222222ULL -
                  High(Mul(w, 0x000d00d00d00d00dULL - High(Mul(w, 0x00002e3bc74aad8eULL))));
    // Products at full width where z may be tiny: the errors stay near 2^-127
    // absolute, which is relative precision enough down to z = 2^-33.
    // h = 1/2 - r^2 P and g = 1/6 - r^2 Q at 2^-128.
    const U128 h = (U128{1} << 127) - (Mul(High(u2), p) + High(Mul(static_cast<U64>(u2), p)));
    constexpr U128 kSixth = ~U128{0} / 6;
    const U128 g = kSixth - (Mul(High(u2), q) + High(Mul(static_cast<U64>(u2), q)));
    // sin(a + r) = S (1 - r^2 h) + C (r - |r|^3 g) sign(r).
    const U128 even = t.s - MulHigh(t.s, MulHigh(u2, h));
    const U128 odd = MulHigh(t.c, u - MulHigh(u3, g));
    return even + ((odd ^ negMask) - negMask);
}

// π/2 and π at 2^-126, rounded.
constexpr U128 kFixedPio2 = (U128{0x6487ed5110b4611aULL} << 64) | 0x62633145c06e0e69ULL;
constexpr U128 kFixedPi = (U128{0xc90fdaa22168c234ULL} << 64) | 0xc4c6628b80dc1cd1ULL;

// acos x for 2^-40 <= |x| < 1 as v 2^-126 with |v 2^-126 - acos x| <= err 2^-126.
// As ArcCosApprox: z = asin s by one Newton step from z0 = asin(double s),
// z = z0 - (sin z0 - s) / cos z, with sin z0 - s in fixed point.
struct FixedResult {
    U128 v;
    U64 err;
};

[[gnu::always_inline]] inline FixedResult ArcCosFixed(Extended x) {
    // Selections rather than branches: on mixed arguments the branches would
    // be mispredicted half of the time. Both routes to s are taken. All
    // but the first steps are integer and double work: x87 spills are dear.
    const Extended ax = Abs(x);
    const bool neg = x < 0;
    const double xd = static_cast<double>(ax);
    U64 am;
    int ae;
    Parts(ax, am, ae);                                  // 2^-40 <= ax < 1
    const bool outer = ae == -1 && am != U64{1} << 63;  // ax > 1/2
    // Outside, t = (1 - ax) / 2 = T 2^-65 exactly, 1 <= T < 2^63.
    const U64 T = outer ? 0 - am : 0;
    const double td = static_cast<double>(static_cast<std::int64_t>(T)) * 0x1p-65;
    const double sd = outer ? std::sqrt(td) : xd;
    const double cd = std::sqrt(outer ? 1 - td : 1 - xd * xd);
    const double rcd = 1 / cd;
    // Outside: s = sd + (t - sd^2) / (2 sd), sd = m 2^(e - 52) within 2^-52
    // of s. The residual is exact in units of 2^(2e - 104), below 2^55 of them;
    // the correction, below 2^-52 s, is to 2^-50 of itself, the dropped
    // square term below 2^-105 s: s to 2^-100 relative. Inside it is dropped.
    const U64 sb = std::bit_cast<U64>(sd);
    const int se = static_cast<int>(sb >> 52) - 1023;
    const U64 sm = (sb & ((U64{1} << 52) - 1)) | (U64{1} << 52);
    const auto residual =
        static_cast<std::int64_t>((static_cast<U128>(T) << (39 - 2 * se)) - Mul(sm, sm));
    // The correction at 2^(k - 127), k such that it fits 62 bits.
    const int k = se + 14 > 0 ? se + 14 : 0;
    const double corr =
        static_cast<double>(residual) * ((outer ? 0.5 : 0.0) / sd) * Pow2(2 * se + 23 - k);
    const auto outerS =
        static_cast<__int128>(static_cast<U128>(sm) << (se + 75)) +
        static_cast<__int128>(
            static_cast<U128>(static_cast<__int128>(static_cast<std::int64_t>(corr))) << k);
    const auto innerS = static_cast<__int128>(static_cast<U128>(am) << (ae + 64));
    const __int128 s = outer ? outerS : innerS;  // s 2^127
    // The call comes after all x87 work: no x87 register survives a call,
    // and spilling them costs more than the rest.
    const double z0 = std::asin(sd);
    const U64 zb = std::bit_cast<U64>(z0);
    const int ze = static_cast<int>(zb >> 52) - 1023;  // z0 > 2^-34: normal
    const U64 zm = (zb & ((U64{1} << 52) - 1)) | (U64{1} << 52);
    const U128 z0f = static_cast<U128>(zm) << (ze + 75);  // z0 2^127, exact
    bool tabled;
    const auto f = static_cast<__int128>(SinFixed(z0f << 1, tabled)) - s;  // sin z0 - s
    // dz = f / cos z at 2^-127 in integers: f hi 2^64 + lo times rcd 2^62,
    // truncated to 2^-62 relative.
    const auto rcdFixed = static_cast<U64>(static_cast<std::int64_t>(rcd * 0x1p62));
    const auto fHi = static_cast<std::int64_t>(f >> 64);
    const __int128 dzFixed = static_cast<__int128>(fHi) * static_cast<__int128>(rcdFixed) * 4 +
                             static_cast<__int128>(Mul(static_cast<U64>(f), rcdFixed) >> 62);
    const auto z = static_cast<U128>(static_cast<__int128>(z0f) - dzFixed);
    const double dz = ToDouble(f) * rcd;  // for the bound only
    // In units of 2^-127: the kernel's error (2^-93 with the table; without,
    // 2^-124 and Q's 2^-62 on |r|^5/120) and s's 2^-100 s over cos z >= 0.86,
    // with room; the step's rounding and the derivative taken at z instead of
    // between z0 and z (tan z |dz| <= 0.6 |dz|), within |dz| 2^-48 + dz^2.
    const double dzAbs = std::fabs(dz);
    const double z5 = z0 * z0 * z0 * z0 * z0;
    const double err = (tabled ? 0x1p37 : 0x1p14 + z5 * 0x1p67) + sd * 0x1p28 + dzAbs * 0x1p-48 +
                       dzAbs * (dzAbs * 0x1p-127) + 8;
    // acos x = π/2 - z, π/2 + z, 2z, π - 2z; z at 2^-127 is 2z at 2^-126.
    const U128 base = outer ? (neg ? kFixedPi : 0) : kFixedPio2;
    const U128 term = outer ? z : z >> 1;
    const U128 minus = U128{0} - static_cast<U128>(outer == neg);  // subtract the term
    return {base + ((term ^ minus) - minus), static_cast<U64>(static_cast<std::int64_t>(err))};
}

// Rounds v 2^-126 > 0 to extended where every value within err 2^-126 of it
// rounds alike.
[[gnu::always_inline]] inline bool DecideScaled(const FixedResult& r, Extended& rounded) {
    // v >= 2^94: acos x > 2^-32.5.
    const U64 hi = High(r.v);
    const int lz = __builtin_clzll(hi | 1);
    if (lz > 40 || (r.err >> (61 - lz)) != 0) return false;
    const U128 n = r.v << lz;
    const U64 m = High(n), rest = static_cast<U64>(n), e = r.err << lz;
    constexpr U64 kHalf = U64{1} << 63;
    if (rest - (kHalf - e) <= 2 * e || (m == ~U64{0} && rest > kHalf)) return false;
    const U64 mant = m + (rest > kHalf);
    const auto low = static_cast<std::int64_t>(mant ^ kHalf);  // mant - 2^63
    rounded = (static_cast<Extended>(low) + 0x1p63L) * static_cast<Extended>(Pow2(-62 - lz));
    return true;
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

// Inlined into Cos and ArcCos; the named entry points below are for the tests.
namespace {

[[gnu::always_inline]] inline bool DecideInline(const Approx& a, Extended& rounded) {
    // With |lo| <= 2^-63 |hi|, hi + RN(lo - e) <= hi + lo - err <= f, and RN
    // is monotone, so f rounds between the two roundings below.
    const Extended e = a.err + 0x1p-120L * Abs(a.hi);
    const Extended below = a.hi + (a.lo - e);
    const Extended above = a.hi + (a.lo + e);
    rounded = below;
    return below == above;
}

// cos x for 2^-32 <= |x| <= 0.78 from CosFixed's v: the rounding when every
// value within kFixedError of v rounds alike. cos x lies in [0.7, 1).
[[gnu::always_inline]] inline bool DecideFixed(U128 v, Extended& rounded) {
    const U128 n = v << 1;  // cos x 2^128
    const U64 m = High(n), rest = static_cast<U64>(n);
    constexpr U64 kHalf = U64{1} << 63;
    // Undecided also where v strays outside [1/2, 1), which the bound excludes.
    if (rest - (kHalf - kFixedError) <= 2 * kFixedError || (v >> 126) != 1 ||
        (m == ~U64{0} && rest > kHalf))
        return false;
    const U64 mant = m + (rest > kHalf);
    // mant 2^-64 through a signed integer load, exact: an integer store of
    // eight bytes forwards to the load, one of ten bytes built from two would not.
    const auto low = static_cast<std::int64_t>(mant ^ (U64{1} << 63));  // mant - 2^63
    rounded = static_cast<Extended>(low) * 0x1p-64L + 0.5L;
    return true;
}

[[gnu::always_inline]] inline Approx CosApprox(Extended x) {
    const Extended ax = Abs(x);
    Extended yh = ax, yl = 0, redErr = 0;
    long long k = 0;
    if (ax > 0.78L) {                                                          // else k = 0
        const Extended kf = (ax * 0xa.2f9836e4e441529p-4L + kRound) - kRound;  // round(ax 2/π)
        k = static_cast<long long>(static_cast<double>(kf));                   // exact: kf < 2^21
        // ax - k P1 is exact (|result| < 0.8 on ax's ulp grid), so is k P2.
        const DD y = TwoSum(ax - kf * kPio2_1, -(kf * kPio2_2));
        const DD z = TwoSum(y.hi, y.lo - kf * kPio2_3);
        yh = z.hi;
        yl = z.lo;
        // π/2 - P1 - P2 - P3 < 2^-150 and the rounding of k P3 and of y.lo.
        redErr = kf * 0x1p-147L + 0x1p-126L * Abs(yh);
    }
    const bool negY = yh < 0;
    if (negY) {
        yh = -yh;
        yl = -yl;
    }
    // cos(kπ/2 + y) is cos y, -sin y, -cos y, sin y for k mod 4 = 0 to 3.
    const bool odd = k & 1;
    const bool negate = (((k + 1) & 2) != 0) != (odd && negY);
    const Reduced d = Split128<true>(yh, yl);
    const DD v = Kernel<true>(d, d.t->f[odd ? 0 : 1], d.t->f[odd ? 1 : 0], odd ? 1 : -1);
    return {negate ? -v.hi : v.hi, negate ? -v.lo : v.lo, kKernelError * Abs(v.hi) + redErr};
}

[[gnu::always_inline]] inline Approx ArcCosApprox(Extended x) {
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
    // from a double z0: z = z0 - (sin z0 - s) / cos z. The step is below
    // 2^-50 z, so cos z = sqrt(1 - s^2) in double serves. The doubles and the
    // call come first: no x87 register survives a call.
    // Selections rather than branches: on mixed arguments the branches
    // would be mispredicted half of the time.
    const bool outer = ax > 0.5L;
    const Extended t = (1 - ax) * 0.5L;  // exact for |x| >= 1/2
    const double xd = static_cast<double>(ax), td = static_cast<double>(t);
    const double sd = outer ? std::sqrt(td) : xd;  // s and cos z
    const double cd = std::sqrt(outer ? 1 - td : 1 - xd * xd);
    const Extended z0 = std::asin(sd);
    const Extended sh = std::sqrt(t);
    const DD sq = TwoProd(sh, sh);
    // The correction is below 2^-64 sh and needs only a few bits.
    const Extended sl = ((t - sq.hi) - sq.lo) * static_cast<Extended>(0.5 / sd);  // to 2^-112
    const DD s{outer ? sh : ax, outer ? sl : 0};
    const Reduced d = Split128<false>(z0, 0);
    const DD sinz = Kernel<false>(d, d.t->f[0], d.t->f[1], 1);
    // sin z0 - s.hi is exact for z0 within a factor of two of z; the bound
    // covers the rest through dz itself.
    const Extended dz = ((sinz.hi - s.hi) + (sinz.lo - s.lo)) * static_cast<Extended>(1 / cd);
    // Kernel error over cos z >= 0.86; Newton's tan(z) e^2/2 and the derivative
    // taken at z, not z0, within 2 dz^2; the roundings of dz and of s.
    const Extended err =
        kKernelError * 1.2L * z0 + 2 * dz * dz + 0x1p-49L * Abs(dz) + 0x1p-110L * z0;
    // acos x = base + m (z0 - dz): π/2 - z, π/2 + z, 2z and π - 2z.
    struct Form {
        Extended baseHi, baseLo;
        double m;
    };
    static constexpr Form kForms[4] = {
        {kPio2Hi, kPio2Lo, -1}, {kPio2Hi, kPio2Lo, 1}, {0, 0, 2}, {kPiHi, kPiLo, -2}};
    const Form& f = kForms[2 * outer + (x < 0)];
    const Extended m = f.m;
    const DD h = TwoSum(f.baseHi, m * z0);  // m z0 exact
    const DD v = FastTwoSum(h.hi, h.lo + (f.baseLo - m * dz));
    return {v.hi, v.lo, Abs(m) * err + 0x1p-124L * Abs(v.hi)};
}

}  // namespace

bool Decide(const Approx& a, Extended& rounded) {
    return DecideInline(a, rounded);
}

Approx CosFast(Extended x) {
    U64 mant;
    int e;
    if (InFixedRange(x, mant, e)) {
        const U128 n = CosFixed(mant, e) << 1;
        return {static_cast<Extended>(High(n)) * 0x1p-64L,
                static_cast<Extended>(static_cast<U64>(n)) * 0x1p-128L,
                static_cast<Extended>(kFixedError) * 0x1p-128L};
    }
    return CosApprox(x);
}

Approx ArcCosFast(Extended x) {
    const Extended ax = Abs(x);
    if (ax >= 0x1p-40L && ax < 1) {
        const FixedResult r = ArcCosFixed(x);
        return {static_cast<Extended>(r.v >> 64) * 0x1p-62L,
                static_cast<Extended>(static_cast<U64>(r.v)) * 0x1p-126L,
                static_cast<Extended>(r.err) * 0x1p-126L};
    }
    return ArcCosApprox(x);
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
    U64 mant;
    int e;
    if (InFixedRange(x, mant, e)) {
        Extended r;
        if (DecideFixed(CosFixed(mant, e), r)) return r;
        return CosSlow(x);
    }
    const Extended ax = Abs(x);
    if (!(ax <= std::numeric_limits<Extended>::max())) return NaN();  // NaN, ±inf
    // Below 2^-32, x^2/2 < 2^-65 is under half an ulp of 1.
    if (ax < 0x1p-32L) return 1;
    if (ax < 0x1p20L) {
        Extended r;
        if (DecideInline(CosApprox(x), r)) return r;
    }
    return CosSlow(x);
}

Extended ArcCos(Extended x) {
    using namespace trig_detail;
    const Extended ax = Abs(x);
    if (!(ax <= 1)) return NaN();
    Extended r;
    if (ax >= 0x1p-40L && ax < 1) {
        if (DecideScaled(ArcCosFixed(x), r)) return r;
    } else if (DecideInline(ArcCosApprox(x), r)) {
        return r;
    }
    return ArcCosSlow(x);
}
