// Cos and ArcCos against the C library's cosl and acosl on the arguments the
// lap computations see: cosines of latitudes, arc cosines across [-1, 1] and
// close to ±1 where the square-root route runs.
#include <benchmark/benchmark.h>

#include <cmath>
#include <random>
#include <vector>

#include "lapdata/trig.h"

namespace {

constexpr Extended kPi = 3.1415926535897932384626433832795029L;
constexpr int kCount = 4096;

std::vector<Extended> Make(Extended (*draw)(std::mt19937_64&)) {
    std::mt19937_64 rng(11);
    std::vector<Extended> v(kCount);
    for (auto& x : v)
        x = draw(rng);
    return v;
}

Extended Unit(std::mt19937_64& rng) {
    return std::ldexp(static_cast<Extended>(rng()), -64);
}

// 35.37° ± 0.01° in radians, as along a circuit.
const std::vector<Extended> kLatitudes =
    Make([](std::mt19937_64& r) { return (35.37L + (Unit(r) - 0.5L) * 0.02L) * kPi / 180; });
const std::vector<Extended> kHalfCircle =
    Make([](std::mt19937_64& r) { return (Unit(r) - 0.5L) * kPi; });
const std::vector<Extended> kUnitRange = Make([](std::mt19937_64& r) { return Unit(r) * 2 - 1; });
// 1 - 2^-k u for k in [1, 40], both signs.
const std::vector<Extended> kNearOne = Make([](std::mt19937_64& r) {
    const Extended x = 1 - std::ldexp(Unit(r), -static_cast<int>(1 + r() % 40));
    return r() % 2 ? x : -x;
});

template <typename F>
void Run(benchmark::State& state, F f, const std::vector<Extended>& args) {
    std::size_t i = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(f(args[i]));
        i = (i + 1) % args.size();
    }
}

void BM_Cos_Latitudes(benchmark::State& s) {
    Run(s, Cos, kLatitudes);
}
void BM_cosl_Latitudes(benchmark::State& s) {
    Run(s, cosl, kLatitudes);
}
void BM_Cos_HalfCircle(benchmark::State& s) {
    Run(s, Cos, kHalfCircle);
}
void BM_cosl_HalfCircle(benchmark::State& s) {
    Run(s, cosl, kHalfCircle);
}
void BM_ArcCos_Uniform(benchmark::State& s) {
    Run(s, ArcCos, kUnitRange);
}
void BM_acosl_Uniform(benchmark::State& s) {
    Run(s, acosl, kUnitRange);
}
void BM_ArcCos_NearOne(benchmark::State& s) {
    Run(s, ArcCos, kNearOne);
}
void BM_acosl_NearOne(benchmark::State& s) {
    Run(s, acosl, kNearOne);
}

BENCHMARK(BM_Cos_Latitudes);
BENCHMARK(BM_cosl_Latitudes);
BENCHMARK(BM_Cos_HalfCircle);
BENCHMARK(BM_cosl_HalfCircle);
BENCHMARK(BM_ArcCos_Uniform);
BENCHMARK(BM_acosl_Uniform);
BENCHMARK(BM_ArcCos_NearOne);
BENCHMARK(BM_acosl_NearOne);

}  // namespace
