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

// ---- table of sin and cos at i/128 as hi + lo (128 bits, made with MPFR);
// top is hi rounded to 32 bits and mid = hi - top, for exact products.

struct Value {
    Extended hi, lo, top, mid;
};
struct SinCos {
    Value f[2];  // sin, cos
};

constexpr SinCos kTable[103] = {
    {{{0x0p+0L, 0x0p+0L, 0x0p+0L, 0x0p+0L}, {0x8p-3L, 0x0p+0L, 0x8p-3L, 0x0p+0L}}},
    {{{0xf.fff555577777437p-11L, 0x8.744e61221010ccap-76L, 0xf.fff5555p-11L, 0xe.eeee86ep-44L},
      {0xf.ffe0000aaaa93e9p-4L, 0x8.068065b6b683064p-69L, 0xf.ffe0001p-4L, -0xa.aaad82ep-37L}}},
    {{{0xf.ffd55577776a76bp-10L, -0xb.639a9f077611acfp-75L, 0xf.ffd5557p-10L, 0xe.eed4ed6p-43L},
      {0xf.ff8000aaaa4fa51p-4L, 0x8.a280e97bcd59c8ap-69L, 0xf.ff8000bp-4L, -0xa.ab60b5ep-37L}}},
    {{{0xb.ffb80081992a83ep-9L, -0xe.a5756c664c643dcp-79L, 0xb.ffb8008p-9L, 0xc.c9541fp-44L},
      {0xf.fee0035ffbf335dp-4L, -0x9.28bcb442186da9p-70L, 0xf.fee0036p-4L, -0x8.19946p-45L}}},
    {{{0xf.ff5557777437465p-9L, 0xf.e41376d47919579p-74L, 0xf.ff55577p-9L, 0xe.e86e8cap-42L},
      {0xf.fe000aaa93e9589p-4L, 0xa.edb49d92928df73p-69L, 0xf.fe000abp-4L, -0xa.d82d4eep-37L}}},
    {{{0x9.ff595896a2ea94fp-8L, -0xe.af7f0b8fbae6e32p-74L, 0x9.ff59589p-8L, 0xd.45d529ep-41L},
      {0xf.fce01a0a53dd0cdp-4L, -0xe.0b4193a640e096p-69L, 0xf.fce01a1p-4L, -0xb.5845e66p-37L}}},
    {{{0xb.fee008197dd454dp-8L, -0xd.efa374cbccee2a3p-74L, 0xb.fee0082p-8L, -0xd.0457566p-41L},
      {0xf.fb8035fefccf675p-4L, -0xe.d58192357af9f27p-70L, 0xf.fb8036p-4L, -0x8.1984c58p-39L}}},
    {{{0xd.fe36bc2c36d6064p-8L, -0xd.817e1206e4f7e9cp-73L, 0xd.fe36bc3p-8L, -0xf.24a7e7p-42L},
      {0xf.f9e064081d18948p-4L, 0xa.db7bb81ccc71caap-69L, 0xf.f9e0641p-4L, -0xf.c5ced7p-37L}}},
    {{{0xf.fd557776a76d5a6p-8L, -0xb.6993425b4ad4d41p-74L, 0xf.fd55777p-8L, 0xd.4edab4cp-41L},
      {0xf.f800aaa4fa69a65p-4L, 0xe.1ee6509bc42b71fp-73L, 0xf.f800aaap-4L, 0x9.f4d34cap-37L}}},
    {{{0x8.fe1a1ec045f7418p-7L, 0xb.34643106c367f3ap-72L, 0x8.fe1a1ecp-7L, 0x8.bee83p-44L},
      {0xf.f5e1115477cf85ep-4L, 0x9.a49a7aa63b89e3ap-69L, 0xf.f5e1115p-4L, 0x8.ef9f0bcp-37L}}},
    {{{0x9.fd658968baad4dcp-7L, -0xc.8a94ca345b0e6dfp-73L, 0x9.fd65897p-7L, -0xe.8aa5648p-40L},
      {0xf.f381a094f7b771ap-4L, 0xb.cc83690697c0c57p-73L, 0xf.f381a09p-4L, 0x9.ef6ee34p-37L}}},
    {{{0xa.fc88fe885b9b5fdp-7L, -0x9.e057d220448c948p-75L, 0xa.fc88fe9p-7L, -0xf.48c9406p-40L},
      {0xf.f0e261e439f57eap-4L, 0xa.c6df5076bfb14fcp-69L, 0xf.f0e261ep-4L, 0x8.73eafd4p-37L}}},
    {{{0xb.fb808192a8720d8p-7L, -0xf.4b9ffebf97bfe07p-74L, 0xb.fb80819p-7L, 0xa.a1c836p-41L},
      {0xf.ee035fbf35cda63p-4L, 0x8.15a9afc6daca37fp-70L, 0xf.ee035fcp-4L, -0xc.a3259dp-40L}}},
    {{{0xc.fa4816aae8fca4dp-7L, 0xb.6bf560ee0affdbfp-73L, 0xc.fa4816bp-7L, -0xa.2e06b66p-40L},
      {0xf.eae4a5a1effff69p-4L, -0xe.d1969f25f19a524p-70L, 0xf.eae4a5ap-4L, 0xf.7fffb48p-39L}}},
    {{{0xd.f8dbc2b41c8ebd2p-7L, 0xc.20ef52663e52b02p-73L, 0xd.f8dbc2bp-7L, 0x8.391d7a4p-40L},
      {0xf.e78640074cd88f5p-4L, 0xf.5e1b461ab08d957p-71L, 0xf.e7864p-4L, 0xe.99b11eap-37L}}},
    {{{0xe.f7378b60e672eafp-7L, 0xe.3a091d31ab219b5p-76L, 0xe.f7378b6p-7L, 0xe.672eafp-43L},
      {0xf.e3e83c68de4420fp-4L, -0x8.b6ee0925ebde49bp-69L, 0xf.e3e83c7p-4L, -0xe.4377be2p-37L}}},
    {{{0xf.f5577743771ae5p-7L, 0xd.350ce43f13f0b4bp-73L, 0xf.f557774p-7L, 0xd.dc6b94p-41L},
      {0xf.e00aa93eade9b6dp-4L, 0xf.35094efb78c672bp-71L, 0xf.e00aa94p-4L, -0xa.90b2498p-39L}}},
    {{{0x8.799bc6eeb8e8bb1p-6L, -0xe.5e36c3c186c628dp-71L, 0x8.799bc6fp-6L, -0xa.38ba278p-41L},
      {0xf.dbed95ff034aa44p-4L, -0x9.482c26953b3a569p-69L, 0xf.dbed96p-4L, -0xf.cb55bcp-40L}}},
    {{{0x8.f869ebd7e757522p-6L, 0xd.5ecd12cb6945e9p-74L, 0x8.f869ebdp-6L, 0xf.ceaea44p-39L},
      {0xf.d791131e25e97abp-4L, 0xa.98f662ec4ba5983p-69L, 0xf.d791132p-4L, -0xe.d0b42a8p-39L}}},
    {{{0x9.77142f255c47436p-6L, 0xb.c3e8847ea1c67adp-71L, 0x9.77142f2p-6L, 0xa.b88e86cp-39L},
      {0xf.d2f5320e1b79021p-4L, -0xc.9644ba0ce10c6abp-69L, 0xf.d2f5321p-4L, -0xf.2437ef8p-39L}}},
    {{{0x9.f598962eb365a9p-6L, -0xa.665264d1bc1535ep-71L, 0x9.f598963p-6L, -0xa.64d2b8p-41L},
      {0xf.ce1a053e621438bp-4L, 0xd.ac18edd188b7e15p-69L, 0xf.ce1a054p-4L, -0xc.ef5e3a8p-39L}}},
    {{{0xa.73f526e2f93d995p-6L, -0xc.49aa7f1a07decb6p-71L, 0xa.73f526ep-6L, 0xb.e4f6654p-40L},
      {0xf.c8ffa01ba680741p-4L, 0xf.c0b2c561b3fbe4p-69L, 0xf.c8ffa02p-4L, -0x8.b2ff17ep-37L}}},
    {{{0xa.f227e7d09379521p-6L, 0xe.f3e701d928a4a96p-71L, 0xa.f227e7dp-6L, 0x9.379521p-42L},
      {0xf.c3a6170f767ac73p-4L, 0xb.ac7b3353a873c3bp-69L, 0xf.c3a6171p-4L, -0x8.98538dp-40L}}},
    {{{0xb.702ee02d26a5fffp-6L, -0xc.b1722e072462085p-72L, 0xb.702ee03p-6L, -0xb.6568004p-40L},
      {0xf.be0d7f7fef11e71p-4L, -0xa.b788ea81612b75p-69L, 0xf.be0d7f8p-4L, -0x8.770c78p-43L}}},
    {{{0xb.ee0817dd795a8adp-6L, 0xb.50e23c97c2b12c4p-71L, 0xb.ee0817ep-6L, -0xa.1a95d4cp-40L},
      {0xf.b835efcf670dd2dp-4L, -0xc.80c36dcb408af61p-71L, 0xf.b835efdp-4L, -0x9.8f22d3p-40L}}},
    {{{0xc.6bb1977d54a1dbep-6L, 0xb.b3a688d59c4c91cp-74L, 0xc.6bb1978p-6L, -0xa.ad78908p-40L},
      {0xf.b21f7f5c156696bp-4L, 0xa.c1fe28ac5fd7667p-76L, 0xf.b21f7f6p-4L, -0xf.aa65a54p-38L}}},
    {{{0xc.e9296867618919cp-6L, 0x8.7b016226fa7d28ap-71L, 0xc.e929686p-6L, 0xe.c312338p-39L},
      {0xf.abca467fb3cb8f2p-4L, -0xb.e583f89c5731487p-70L, 0xf.abca468p-4L, -0x9.868e1cp-41L}}},
    {{{0xd.666d94bd03b2667p-6L, 0xf.895052642b0ef0bp-71L, 0xd.666d94cp-6L, -0xb.f136664p-40L},
      {0xf.a5365e8f1d3ca28p-4L, -0x8.3c494512a3364dp-69L, 0xf.a5365e9p-4L, -0xe.2c35d8p-40L}}},
    {{{0xd.e37c276e30ccb38p-6L, 0xd.2b53d865582e452p-72L, 0xd.e37c277p-6L, -0xe.799a64p-41L},
      {0xf.9e63e1d9e8b6f6fp-4L, 0xb.8a5aeb96d7b6704p-70L, 0xf.9e63e1ep-4L, -0xc.2e92122p-37L}}},
    {{{0xe.60532c4144d14f3p-6L, -0xd.09bc87c6b2b990ap-73L, 0xe.60532c4p-6L, 0xa.268a798p-41L},
      {0xf.9752eba9fff6b99p-4L, -0xf.7a82a4a9f56ad9ap-69L, 0xf.9752ebbp-4L, -0xc.00128cep-37L}}},
    {{{0xe.dcf0afdad2e7d9ap-6L, 0xe.f9499c81f0d9651p-72L, 0xe.dcf0afep-6L, -0xa.5a304ccp-39L},
      {0xf.90039843324f9b9p-4L, 0x8.082d833096d97dap-69L, 0xf.9003984p-4L, 0xc.c93e6e4p-38L}}},
    {{{0xf.5952bfc572d15e8p-6L, 0xf.ca854698aba3304p-72L, 0xf.5952bfcp-6L, 0xa.e5a2bdp-39L},
      {0xf.887604e2c39dbb2p-4L, 0xe.4ec5825059a78ap-72L, 0xf.887604ep-4L, 0xb.0e76ec8p-38L}}},
    {{{0xf.d5776a798abb5d4p-6L, 0x9.debdc7351e8b1afp-71L, 0xf.d5776a8p-6L, -0xc.ea89458p-39L},
      {0xf.80aa4fbef750ba8p-4L, -0xf.859868d40d60eb8p-69L, 0xf.80aa4fcp-4L, -0x8.457a2cp-39L}}},
    {{{0x8.28ae5fb28aadcc9p-5L, -0xc.29dfd8ec7722b84p-72L, 0x8.28ae5fbp-5L, 0xa.2ab7324p-39L},
      {0xf.78a098069792dabp-4L, -0x8.6c237b4dc9074b3p-69L, 0xf.78a098p-4L, 0xd.2f25b56p-37L}}},
    {{{0x8.66806779b21acc1p-5L, -0xc.28324f8ad1eeeb9p-70L, 0x8.6680678p-5L, -0xc.9bca67ep-38L},
      {0xf.7058fde0788dfc8p-4L, 0xb.71fd10f13c9e84ap-73L, 0xf.7058fdep-4L, 0xf.11bf9p-41L}}},
    {{{0x8.a430d54a6ef5641p-5L, 0xe.fc9493d4b8e81aap-70L, 0x8.a430d55p-5L, -0xb.221537ep-38L},
      {0xf.67d3a26af7d07aap-4L, 0x9.7ada855f1800dp-69L, 0xf.67d3a27p-4L, -0xa.105f0acp-37L}}},
    {{{0x8.e1beb2635c3b28cp-5L, 0xe.dfc1b9fe8ffc637p-73L, 0x8.e1beb26p-5L, 0xd.70eca3p-39L},
      {0xf.5f10a7bb77d3dfap-4L, 0xc.1da8b5784278328p-72L, 0xf.5f10a7cp-4L, -0x9.105840cp-37L}}},
    {{{0x9.1f29088d579ad62p-5L, -0x8.0334eff185e4d91p-72L, 0x9.1f29089p-5L, -0xa.a194a78p-39L},
      {0xf.561030ddd7a7896p-4L, 0xe.a9f4a32c6521555p-72L, 0xf.561030ep-4L, -0x8.a161da8p-38L}}},
    {{{0x9.5c6ee21f5a4f915p-5L, 0xa.7133e5b00d466e7p-70L, 0x9.5c6ee22p-5L, -0xa.5b06ebp-41L},
      {0xf.4cd261d3e6c15bbp-4L, 0xd.a721d618c34abp-70L, 0xf.4cd261dp-4L, 0xf.9b056ecp-38L}}},
    {{{0x9.998f4a024fc3bc2p-5L, -0xd.252fcf3f4e6b821p-70L, 0x9.998f4ap-5L, 0x9.3f0ef08p-39L},
      {0xf.43575f94d4f6b27p-4L, 0xb.d7eddac534a992bp-70L, 0xf.43575f9p-4L, 0x9.a9ed64ep-37L}}},
    {{{0x9.d6894bb4e9ec004p-5L, 0xf.554121e0e69c511p-73L, 0x9.d6894bbp-5L, 0x9.d3d8008p-38L},
      {0xf.399f500c9e9fd38p-4L, -0xa.2cd51b384a8ef12p-69L, 0xf.399f501p-4L, -0xd.8580b2p-38L}}},
    {{{0xa.135bf34f734b41fp-5L, -0xe.3ab82e2cfaf335fp-71L, 0xa.135bf35p-5L, -0x8.cb4be1p-41L},
      {0xf.2faa5a1b74e82fdp-4L, 0xc.3f40bf22ee701d2p-69L, 0xf.2faa5a2p-4L, -0x9.162fa06p-37L}}},
    {{{0xa.50064d879e90304p-5L, 0xe.e9aec23ab20b082p-70L, 0xa.50064d8p-5L, 0xf.3d20608p-38L},
      {0xf.2578a595224dd2ep-4L, 0xd.7f45d65f3398ceap-69L, 0xf.2578a59p-4L, 0xa.449ba5cp-37L}}},
    {{{0xa.8c8767b453bd367p-5L, -0xa.3aa8443c333413p-70L, 0xa.8c8767bp-5L, 0x8.a77a6cep-38L},
      {0xf.1b0a5b406b526d9p-4L, -0xf.275402a46e5e467p-69L, 0xf.1b0a5b4p-4L, 0xd.6a4db2p-41L}}},
    {{{0xa.c8de4fd17acb97cp-5L, 0xe.97587fc195c8a44p-70L, 0xa.c8de4fdp-5L, 0xb.d65cbep-40L},
      {0xf.105fa4d66b607a6p-4L, 0xf.a89c084e4a40887p-69L, 0xf.105fa4dp-4L, 0xc.d6c0f4cp-37L}}},
    {{{0xb.050a1483c3ba8d9p-5L, -0x9.fd15dbb32444032p-76L, 0xb.050a148p-5L, 0xf.0eea364p-39L},
      {0xf.0578ad01ede708p-4L, -0xb.8c7ec4728cf6a02p-69L, 0xf.0578adp-4L, 0xf.6f384p-39L}}},
    {{{0xb.4109c51c6bfb44fp-5L, -0x9.202444aace28b31p-72L, 0xb.4109c52p-5L, -0xe.5012ec4p-39L},
      {0xe.fa559f5ec3aec3ap-4L, 0x9.d6066324f145a84p-69L, 0xe.fa559f6p-4L, -0x9.e289e3p-39L}}},
    {{{0xb.7cdc719d012aa85p-5L, 0xf.053ba76834d921p-70L, 0xb.7cdc71ap-5L, -0xb.fb555ecp-39L},
      {0xe.eef6a879146af0cp-4L, -0xc.8d42ba2bea7e584p-73L, 0xe.eef6a88p-4L, -0xd.d72a1e8p-37L}}},
    {{{0xb.b8812abb2109e91p-5L, 0xa.519d68926379761p-70L, 0xb.b8812acp-5L, -0x9.bdec2dep-38L},
      {0xe.e35bf5ccac89053p-4L, -0xc.9b889232cb16e07p-70L, 0xe.e35bf5dp-4L, -0xd.4ddbeb4p-38L}}},
    {{{0xb.f3f701e436a6c94p-5L, -0xe.f36afd6bc774eb4p-70L, 0xb.f3f701ep-5L, 0x8.6d4d928p-38L},
      {0xe.d785b5c44741b45p-4L, -0xd.8752868c598ebd6p-69L, 0xe.d785b5cp-4L, 0x8.8e8368ap-37L}}},
    {{{0xc.2f3d094134a4b15p-5L, -0xf.c592814c7f06b68p-70L, 0xc.2f3d094p-5L, 0x9.a5258a8p-40L},
      {0xe.cb7417b8d4ee3ffp-4L, -0xf.21516fe3156dc38p-70L, 0xe.cb7417cp-4L, -0xe.5623802p-37L}}},
    {{{0xc.6a5253ba4c97a89p-5L, 0x8.0ba9d98c9762aa3p-70L, 0xc.6a5253cp-5L, -0xb.66d0aeep-38L},
      {0xe.bf274bf0bda4f62p-4L, 0x8.8fcad4126c4cf32p-69L, 0xe.bf274bfp-4L, 0xb.da4f62p-40L}}},
    {{{0xc.a535f4faa36252cp-5L, 0xc.7b065f02a102847p-70L, 0xc.a535f5p-5L, -0xa.b93b5a8p-38L},
      {0xe.b29f839f201fd14p-4L, -0x8.d90d2fb0dd2b0e2p-69L, 0xe.b29f83ap-4L, -0xd.fe02ecp-40L}}},
    {{{0xc.dfe701740288214p-5L, -0xe.32e6fa7ae02d015p-71L, 0xc.dfe7017p-5L, 0x8.0510428p-38L},
      {0xe.a5dcf0e30cf03e7p-4L, -0xd.1221e9c27b35d41p-69L, 0xe.a5dcf0ep-4L, 0xc.33c0f9cp-38L}}},
    {{{0xd.1a648e628664f2ep-5L, 0xe.f1c4af313337712p-70L, 0xd.1a648e6p-5L, 0xa.1993cb8p-39L},
      {0xe.98dfc6c6be031e6p-4L, 0xd.d3089cbdd18a75bp-72L, 0xe.98dfc6cp-4L, 0xd.7c063ccp-37L}}},
    {{{0xd.54adb1d0493b69dp-5L, 0xd.829d87f8fe79567p-70L, 0xd.54adb1dp-5L, 0x9.276d3ap-42L},
      {0xe.8ba8393eca7821bp-4L, -0xb.5384f96dc93dfddp-69L, 0xe.8ba8394p-4L, -0x9.ac3ef28p-39L}}},
    {{{0xd.8ec182990b0b4a4p-5L, -0x9.0b2e67d464eb54ep-70L, 0xd.8ec182ap-5L, -0xd.e9e96b8p-38L},
      {0xe.7e367d2956cfb17p-4L, -0x9.2abdc357cc65ff5p-69L, 0xe.7e367d3p-4L, -0xd.52609d2p-37L}}},
    {{{0xd.c89f186dd621439p-5L, -0xa.d2f6c3ff0b2b846p-72L, 0xd.c89f187p-5L, -0x8.a77af1cp-39L},
      {0xe.708ac84d4172a3ep-4L, 0x9.cdd98884d0a785p-70L, 0xe.708ac85p-4L, -0xa.fa35708p-38L}}},
    {{{0xe.02458bd8a05191ap-5L, -0xc.c540b02cbf333c8p-76L, 0xe.02458bep-5L, -0xe.bf5cdccp-38L},
      {0xe.62a551594b970a7p-4L, 0xe.162ba83a981c908p-69L, 0xe.62a5516p-4L, -0xd.68d1eb2p-37L}}},
    {{{0xe.3bb3f63fe8cef0ap-5L, 0xe.b2e5c2a7d9ca71cp-70L, 0xe.3bb3f64p-5L, -0xb.9887bp-44L},
      {0xe.54864fe33e8575dp-4L, -0xa.81485e3461c9cafp-69L, 0xe.54864fep-4L, 0xc.fa15d74p-38L}}},
    {{{0xe.74e971ea528f6dp-5L, 0xd.d7b494759fd810cp-71L, 0xe.74e971fp-5L, -0xb.5ae126p-38L},
      {0xe.462dfc670d421abp-4L, 0xf.468564048a3c51bp-70L, 0xe.462dfc6p-4L, 0xe.1a84356p-37L}}},
    {{{0xe.ade51a023b30a51p-5L, 0x9.129d7f0a71de6f6p-70L, 0xe.ade51ap-5L, 0x8.ecc2944p-39L},
      {0xe.379c9045f29d518p-4L, -0xe.dfdd56da0f7ea13p-70L, 0xe.379c904p-4L, 0xb.e53aa3p-37L}}},
    {{{0xe.e6a60a994e4d21bp-5L, -0xc.e47a38099865318p-70L, 0xe.e6a60aap-5L, -0xd.6365bcap-38L},
      {0xe.28d245c58baef72p-4L, 0x8.9788caaf000f10ep-70L, 0xe.28d245cp-4L, 0xb.175dee4p-37L}}},
    {{{0xf.1f2b60ac153477bp-5L, -0x9.042133f11e39cf7p-71L, 0xf.1f2b60bp-5L, -0xf.ab2e214p-39L},
      {0xe.19cf580eeec046bp-4L, -0xb.d7ba0b16ff02621p-69L, 0xe.19cf581p-4L, -0x8.89fdca8p-39L}}},
    {{{0xf.57743a2582f7f44p-5L, -0x9.b43c9b027c8499ap-70L, 0xf.57743a2p-5L, 0xb.05efe88p-38L},
      {0xe.0a94032dbea7ceep-4L, -0x8.444c4ba0a0a4cf5p-69L, 0xe.0a94033p-4L, -0x9.0560c48p-38L}}},
    {{{0xf.8f7fb5e27cbda2ep-5L, 0x8.4be29d496fec44fp-70L, 0xf.8f7fb5ep-5L, 0x9.f2f68b8p-39L},
      {0xd.fb20840f3a9b36fp-4L, 0xf.5c58a2a6851216cp-69L, 0xd.fb20841p-4L, -0xc.564c91p-40L}}},
    {{{0xf.c74cf3b55e4b8cfp-5L, -0xd.5ea1a5feb97b4dfp-71L, 0xf.c74cf3bp-5L, 0xa.bc9719ep-38L},
      {0xd.eb7518814a7a932p-4L, -0x8.866ee7dec657c76p-69L, 0xd.eb75188p-4L, 0xa.53d499p-39L}}},
    {{{0xf.fedb14697abd1f5p-5L, -0xa.cda2df492ba9884p-70L, 0xf.fedb147p-5L, -0xd.0a85c16p-38L},
      {0xd.db91ff318799173p-4L, -0x8.5b75a5eb8eec15dp-69L, 0xd.db91ff3p-4L, 0xc.3cc8b98p-39L}}},
    {{{0x8.1b149ce34caa5a5p-4L, -0xc.d78397b01594aacp-71L, 0x8.1b149cep-4L, 0xd.32a9694p-38L},
      {0xd.cb7777ac4207051p-4L, 0xd.1e63c7d6f019d39p-69L, 0xd.cb7777bp-4L, -0xe.f7e3ebcp-38L}}},
    {{{0x8.369b434a372da7fp-4L, -0x9.46eb1c039263c3fp-69L, 0x8.369b435p-4L, -0xb.91a4b02p-37L},
      {0xd.bb25c25b8260c15p-4L, -0x9.1843671366e48f4p-72L, 0xd.bb25c26p-4L, -0x8.fb3e7d6p-37L}}},
    {{{0x8.52010f4f0800521p-4L, 0xd.e2f6375851d4f42p-70L, 0x8.52010f5p-4L, -0xf.7ffadfp-40L},
      {0xd.aa9d20860827064p-4L, -0x8.6b8fd85ea859b34p-74L, 0xd.aa9d208p-4L, 0xc.104e0c8p-37L}}},
    {{{0x8.6d45935ab396cb5p-4L, -0xd.ef0bee908d58655p-71L, 0x8.6d45936p-4L, -0xa.98d2696p-37L},
      {0xd.99ddd44e44a43d5p-4L, -0xa.d717049ab7efbe4p-70L, 0xd.99ddd45p-4L, -0xd.dade158p-39L}}},
    {{{0x8.8868625b4e1dbb2p-4L, 0xc.4cc404cc08949c8p-70L, 0x8.8868626p-4L, -0x9.63c489cp-37L},
      {0xd.88e820b1526311ep-4L, -0xa.a78410fcf9596b2p-70L, 0xd.88e820bp-4L, 0xa.93188fp-39L}}},
    {{{0x8.a3690fc5bfc11cp-4L, -0xd.5943b18caf5da17p-69L, 0x8.a3690fcp-4L, 0xb.7f8238p-37L},
      {0xd.77bc4985e93a608p-4L, -0xd.89e5d1be510e51p-70L, 0xd.77bc498p-4L, 0xb.d274c1p-37L}}},
    {{{0x8.be472f9776d809bp-4L, -0xd.477e8edbc29c299p-72L, 0x8.be472f9p-4L, 0xe.edb0136p-37L},
      {0xd.665a937b4ef2b1fp-4L, 0xd.aa375adb3114883p-69L, 0xd.665a938p-4L, -0x9.621a9c2p-37L}}},
    {{{0x8.d902565817ee784p-4L, -0xc.863865daff3fdcdp-69L, 0x8.d902566p-4L, -0xf.d0230f8p-37L},
      {0xd.54c3441844897fdp-4L, -0xe.0f581f3541c8b2dp-69L, 0xd.54c3442p-4L, -0xf.76ed006p-37L}}},
    {{{0x8.f39a191b2ba6123p-4L, -0xb.80b617c54b80058p-69L, 0x8.f39a192p-4L, -0x9.a8b3dbap-37L},
      {0xd.42f6a1b9f0168cep-4L, -0xf.ce3d09c3726cfb2p-72L, 0xd.42f6a1cp-4L, -0xc.1fd2e64p-37L}}},
    {{{0x9.0e0e0d81ca67879p-4L, 0xd.992591d518502b8p-69L, 0x9.0e0e0d8p-4L, 0xe.533c3c8p-39L},
      {0xd.30f4f392c357abp-4L, 0xc.c38bf514fb364ccp-69L, 0xd.30f4f39p-4L, 0xb.0d5eacp-38L}}},
    {{{0x9.285dc9bc45dd9eap-4L, 0xf.40915ef33967106p-70L, 0x9.285dc9cp-4L, -0xe.e889858p-38L},
      {0xd.1ebe81a95ee752ep-4L, 0x9.144d79a65add246p-69L, 0xd.1ebe81bp-4L, -0xd.42315a4p-37L}}},
    {{{0x9.4288e48bd0335fcp-4L, 0x8.38997a524092f52p-69L, 0x9.4288e49p-4L, -0x8.5f99408p-37L},
      {0xd.0c5394d77222819p-4L, 0xb.c4ae6d806ae8e1p-69L, 0xd.0c5394dp-4L, 0xe.e445032p-37L}}},
    {{{0x9.5c8ef544210ec0cp-4L, -0xd.c76c85aabec2f5dp-69L, 0x9.5c8ef54p-4L, 0x8.421d818p-37L},
      {0xc.f9b476c897c25c6p-4L, -0x8.0315e45819ee2a1p-69L, 0xc.f9b476dp-4L, -0xe.d07b474p-37L}}},
    {{{0x9.766f93cd18413a7p-4L, -0xa.a07c607207aea89p-69L, 0x9.766f93dp-4L, -0xb.9efb164p-38L},
      {0xc.e6e171f92f2e27fp-4L, 0xc.8894c9fb110376cp-70L, 0xc.e6e172p-4L, -0xd.a1a3b02p-37L}}},
    {{{0x9.902a58a45e27bedp-4L, 0xd.0825684d6cebdaap-69L, 0x9.902a58ap-4L, 0x8.bc4f7dap-37L},
      {0xc.d3dad1b5328a2e4p-4L, 0xb.3f327e9ea211034p-69L, 0xc.d3dad1bp-4L, 0xa.65145c8p-37L}}},
    {{{0x9.a9bedcdf01b38dap-4L, -0xd.81850fbf0fc43aep-69L, 0x9.a9bedcep-4L, -0xf.e4c726p-40L},
      {0xc.c0a0e21709883a4p-4L, -0xf.f6ee1ee5f811c43p-76L, 0xc.c0a0e21p-4L, 0xe.1310748p-37L}}},
    {{{0x9.c32cba2b14156efp-4L, 0xa.4ad89f0af32394dp-73L, 0x9.c32cba3p-4L, -0x9.d7d5222p-37L},
      {0xc.ad33f00658fe5e8p-4L, 0x8.12ef03ce99a839bp-70L, 0xc.ad33fp-4L, 0xc.b1fcbdp-37L}}},
    {{{0x9.dc738ad14204e69p-4L, -0xc.a74fa5e0f4fb34ep-69L, 0x9.dc738adp-4L, 0xa.1027348p-39L},
      {0xc.99944936cf48c89p-4L, 0x8.ffc9ff3259eedbdp-71L, 0xc.9994493p-4L, 0xd.9e91912p-37L}}},
    {{{0x9.f592e9b66a9cf9p-4L, 0xd.478f54782033309p-69L, 0x9.f592e9bp-4L, 0xc.d539f2p-37L},
      {0xc.85c23c26ed7b6fp-4L, 0xa.77aa3623c94b411p-71L, 0xc.85c23c2p-4L, 0xd.daf6dep-37L}}},
    {{{0xa.0e8a725d33c828cp-4L, 0x8.fd287ecf4d0afffp-71L, 0xa.0e8a726p-4L, -0xb.30df5dp-38L},
      {0xc.71be181ecd6875dp-4L, -0xe.92d4f52fe19aefcp-71L, 0xc.71be182p-4L, -0x9.94bc518p-39L}}},
    {{{0xa.2759c0e79c35582p-4L, 0xa.4f8656abea80b83p-69L, 0xa.2759c0ep-4L, 0xf.386ab04p-37L},
      {0xc.5d882d2ee48030cp-4L, 0xf.80fa51d303c6901p-69L, 0xc.5d882d3p-4L, -0x8.dbfe7ap-39L}}},
    {{{0xa.400072188acf49dp-4L, -0xa.53a31f687f1f2e4p-70L, 0xa.4000722p-4L, -0xe.ea616c6p-37L},
      {0xc.4920cc2ec38fb89p-4L, 0xd.9c413ed844427e3p-71L, 0xc.4920cc3p-4L, -0x9.e3823b8p-39L}}},
    {{{0xa.587e23555bb0808p-4L, 0xd.a05738cc59ba526p-69L, 0xa.587e235p-4L, 0xa.b76101p-37L},
      {0xc.348846bbd363134p-4L, -0xe.003a802c45d8fccp-69L, 0xc.348846cp-4L, -0x8.5939d98p-37L}}},
    {{{0xa.70d272a76a8d4b7p-4L, -0x9.7c4dbe3b5122dd2p-70L, 0xa.70d272ap-4L, 0xe.d51a96ep-37L},
      {0xc.1fbeef380e4ffddp-4L, 0xb.4c27d90e45ec88p-69L, 0xc.1fbeef4p-4L, -0xf.e360046p-37L}}},
    {{{0xa.88fcfebd9a8dd48p-4L, -0xe.861c48830ede337p-71L, 0xa.88fcfecp-4L, -0x9.95c8aep-38L},
      {0xc.0ac518c8b6ae711p-4L, -0x8.b90b8228de69d4ap-69L, 0xc.0ac518dp-4L, -0xe.92a31dep-37L}}},
    {{{0xa.a0fd66eddb92123p-4L, 0xb.0a14834e446e281p-70L, 0xa.a0fd66fp-4L, -0x8.91b7b74p-38L},
      {0xb.f59b17550a44068p-4L, 0xe.b2d252cacf9e7c7p-69L, 0xb.f59b175p-4L, 0xa.14880dp-37L}}},
    {{{0xa.b8d34b36acd9872p-4L, 0x8.769a1f632ebf1d7p-71L, 0xa.b8d34b3p-4L, 0xd.59b30e4p-37L},
      {0xb.e0413f84f2a771cp-4L, 0xc.2928d51197e9b44p-69L, 0xb.e0413f8p-4L, 0x9.e54ee38p-37L}}},
    {{{0xa.d07e4c409d08c5p-4L, -0xb.8adf5089ea7b68fp-69L, 0xa.d07e4c4p-4L, 0x9.d08c5p-40L},
      {0xb.cab7e6bfb2a14aap-4L, -0x9.dba7516b912826dp-69L, 0xb.cab7e6cp-4L, -0x9.abd6acp-41L}}},
    {{{0xa.e7fe0b5fc786b2ep-4L, -0xd.323c52a1d7eb6efp-69L, 0xa.e7fe0b6p-4L, -0xe.1e5348p-42L},
      {0xb.b4ff632a908f73fp-4L, -0xf.ab9f18d1899b12cp-70L, 0xb.b4ff633p-4L, -0xa.dee1182p-37L}}},
    {{{0xa.ff522a954f2ba17p-4L, -0x9.88408efa4730286p-70L, 0xa.ff522a9p-4L, 0xa.9e5742ep-37L},
      {0xb.9f180ba77dd0751p-4L, 0xc.51c26b52a10532p-69L, 0xb.9f180bap-4L, 0xe.fba0ea2p-37L}}},
    {{{0xb.167a4c90d63c424p-4L, 0x9.9ea9276f98477a8p-69L, 0xb.167a4c9p-4L, 0xd.63c424p-40L},
      {0xb.890237d3bb3c285p-4L, -0x9.3d6bf58dfd280bep-69L, 0xb.890237dp-4L, 0xe.ecf0a14p-38L}}},
    {{{0xb.2d7614b1f3aaa25p-4L, -0x8.34a477d62078d7p-70L, 0xb.2d7614bp-4L, 0xf.9d55128p-39L},
      {0xb.72be40067aaf2cp-4L, 0xa.1b7b6f42987afaap-69L, 0xb.72be4p-4L, 0xc.f55e58p-37L}}},
    {{{0xb.44452709a597529p-4L, 0xb.226eca8694b3a22p-73L, 0xb.4445271p-4L, -0xc.b4d15aep-37L},
      {0xb.5c4c7d4f7dae916p-4L, -0xa.70f266169cb6ce6p-69L, 0xb.5c4c7d5p-4L, -0x8.2516eap-40L}}},
    {{{0xb.5ae7285bc10cf51p-4L, 0xa.ea708fd1f16f462p-69L, 0xb.5ae7286p-4L, -0x8.7de615ep-37L},
      {0xb.45ad4975b1294cbp-4L, -0x8.d6cc2fc4dc37566p-70L, 0xb.45ad497p-4L, 0xb.6252996p-37L}}},
    {{{0xb.715bbe205ef06f2p-4L, -0xe.530aff5aa62ddb6p-69L, 0xb.715bbe2p-4L, 0xb.de0de4p-41L},
      {0xb.2ee0fef5c65cf9ap-4L, 0xf.92e3320e22d00ecp-72L, 0xb.2ee0fefp-4L, 0xb.8cb9f34p-37L}}},
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
    const Extended r2 = d.rh * d.rh + 2 * d.rh * yl;
    const Extended r4 = r2 * r2;
    d.cm1 = -0.5L * r2 + r4 * (1 / 24.0L - r2 * (1 / 720.0L));
    d.sr = d.rh * (r2 * (-1 / 6.0L) + r4 * (1 / 120.0L - r2 * (1 / 5040.0L)));
    return d;
}

// f(a + r) = P + Q r + P (cos r - 1) + Q (sin r - r) with P = sin a, Q = cos a
// for sin, P = cos a, Q = -sin a for cos; q is Q's entry, qSign its sign.
[[gnu::always_inline]] inline DD Kernel(const Reduced& d, const Value& p, const Value& q,
                                        Extended qSign) {
    const Extended qTop = qSign * q.top, qMid = qSign * q.mid;
    const Extended qHi = qSign * q.hi, qLo = qSign * q.lo;
    const Extended prod = qTop * d.r1;  // exact: 32 by 32 bits
    const DD h = FastTwoSum(p.hi, prod);
    const Extended small =
        ((qTop * d.r2 + qMid * d.rh) + (qHi * d.yl + qLo * d.rh)) + (p.lo + qHi * d.sr);
    return FastTwoSum(h.hi, (p.hi * d.cm1 + h.lo) + small);
}

inline DD SinKernel(const Reduced& d) {
    return Kernel(d, d.t->f[0], d.t->f[1], 1);
}

// cos(a + r) to about 2^-62, for the Newton steps.
inline Extended CosRough(const Reduced& d) {
    const Value &s = d.t->f[0], &c = d.t->f[1];
    return c.hi + (c.hi * d.cm1 - s.hi * (d.rh + d.sr));
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
    const Reduced d = Split128(yh, yl);
    const DD v = Kernel(d, d.t->f[odd ? 0 : 1], d.t->f[odd ? 1 : 0], odd ? 1 : -1);
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
    const Reduced d = Split128(z0, 0);
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

}  // namespace

bool Decide(const Approx& a, Extended& rounded) {
    return DecideInline(a, rounded);
}

Approx CosFast(Extended x) {
    return CosApprox(x);
}

Approx ArcCosFast(Extended x) {
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
    if (!(Abs(x) <= 1)) return NaN();
    Extended r;
    if (DecideInline(ArcCosApprox(x), r)) return r;
    return ArcCosSlow(x);
}
