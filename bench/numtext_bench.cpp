// Number text: the integer formatter against the C library route it must
// match, on the values a lap export prints.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include "tests/numtext_reference.h"
#include "text/numtext.h"

namespace {

struct Printed {
    Extended value;
    int decimals;
};

// Latitude and longitude with 7 decimals, speed and G with 2, times with 3.
const std::vector<Printed>& LapValues() {
    static const std::vector<Printed> values = [] {
        std::mt19937_64 rng(7);
        const auto uniform = [&](Extended lo, Extended hi) {
            return lo + (hi - lo) * std::ldexp(static_cast<Extended>(rng()), -64);
        };
        std::vector<Printed> v;
        for (int i = 0; i < 1000; ++i) {
            v.push_back({uniform(35.2, 35.4), 7});
            v.push_back({uniform(139.5, 139.8), 7});
            v.push_back({uniform(0, 250), 2});
            v.push_back({uniform(-2.5, 2.5), 2});
            v.push_back({uniform(-2.5, 2.5), 2});
            v.push_back({uniform(0, 3600), 3});
            v.push_back({uniform(0, 120), 3});
        }
        return v;
    }();
    return values;
}

template <typename Format>
void RunOverLapValues(benchmark::State& state, Format format) {
    const auto& values = LapValues();
    std::string out;
    out.reserve(values.size() * 16);
    for (auto _ : state) {
        out.clear();
        for (const auto& p : values)
            format(out, p.value, p.decimals);
        benchmark::DoNotOptimize(out.data());
        benchmark::ClobberMemory();
    }
    state.counters["per_value"] = benchmark::Counter(
        static_cast<double>(values.size()) * static_cast<double>(state.iterations()),
        benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}

void BM_NumberTextFast(benchmark::State& state) {
    RunOverLapValues(state, [](std::string& out, Extended v, int d) { AppendFixed(out, v, d); });
}
BENCHMARK(BM_NumberTextFast);

// As the overlay export writes them: in place, with no string between.
void BM_NumberTextInPlace(benchmark::State& state) {
    const auto& values = LapValues();
    std::vector<char> out(values.size() * 32);
    for (auto _ : state) {
        char* p = out.data();
        for (const auto& v : values)
            p = WriteFixed(p, v.value, v.decimals);
        benchmark::DoNotOptimize(out.data());
        benchmark::ClobberMemory();
    }
    state.counters["per_value"] = benchmark::Counter(
        static_cast<double>(values.size()) * static_cast<double>(state.iterations()),
        benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}
BENCHMARK(BM_NumberTextInPlace);

void BM_NumberTextReference(benchmark::State& state) {
    RunOverLapValues(state,
                     [](std::string& out, Extended v, int d) { out += ReferenceFixed(v, d); });
}
BENCHMARK(BM_NumberTextReference);

void BM_IntegerText(benchmark::State& state) {
    std::vector<std::int32_t> values;
    std::mt19937 rng(3);
    for (int i = 0; i < 1000; ++i)
        values.push_back(static_cast<std::int32_t>(rng() % 200000) - 1000);
    std::string out;
    out.reserve(values.size() * 12);
    for (auto _ : state) {
        out.clear();
        for (const auto v : values)
            AppendInt(out, v);
        benchmark::DoNotOptimize(out.data());
    }
    state.counters["per_value"] = benchmark::Counter(
        static_cast<double>(values.size()) * static_cast<double>(state.iterations()),
        benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}
BENCHMARK(BM_IntegerText);

}  // namespace
