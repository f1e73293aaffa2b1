// Correctly rounded cosine and arc cosine of Extended values (round to
// nearest, ties to even, 64-bit significand), so that lap results are the
// same bits with every C library: cosl and acosl differ in their last bits.
//
// Callers run at the x87 default 64-bit precision control (as every thread
// does on Linux and under MinGW's std::thread); the error bounds rely on it.
#pragma once

#include <cstdint>

#include "text/extended.h"

// cos(x); NaN for NaN and for ±inf. Beyond |x| >= 2^20, far from any
// latitude, it is libquadmath's cosq rounded: the same bits everywhere, and
// correctly rounded unless cosq's own error reaches a rounding midpoint.
Extended Cos(Extended x);
// acos(x) in [0, π]; NaN outside [-1, 1] and for NaN.
Extended ArcCos(Extended x);

// The stages behind Cos and ArcCos, open to the tests.
namespace trig_detail {

// f lies in [hi + lo - err, hi + lo + err].
struct Approx {
    Extended hi, lo, err;
};

// The fast evaluations: Cos for 2^-32 <= |x| < 2^20, ArcCos for |x| < 1.
Approx CosFast(Extended x);
Approx ArcCosFast(Extended x);

// Rounds when every value within the error rounds the same way.
bool Decide(const Approx& a, Extended& rounded);

// The slow paths behind an undecided fast result: libquadmath, then the
// double-quad evaluation below where libquadmath cannot decide either.
Extended CosSlow(Extended x);
Extended ArcCosSlow(Extended x);

// The last resort in double-__float128 arithmetic (about 220 bits);
// CosDoubleQuad takes |x| < 2^20.
Extended CosDoubleQuad(Extended x);
Extended ArcCosDoubleQuad(Extended x);

// How many calls of Cos and ArcCos have gone to the slow paths so far.
std::uint64_t SlowPathCount();
std::uint64_t DoubleQuadCount();

}  // namespace trig_detail
