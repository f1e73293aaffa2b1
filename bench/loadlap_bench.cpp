// Loading and deriving a lap from a warm lap file, in samples per second.
#include <benchmark/benchmark.h>

#include <filesystem>

#include "lapdata/loadlap.h"
#include "tools/sessiongen.h"

namespace {

void BM_LoadLapWarm(benchmark::State& state) {
    const std::string folder =
        (std::filesystem::temp_directory_path() / "l2q-bench-loadlap").string();
    SessionOptions options;
    options.laps = 1;
    options.sampleHz = 20;
    options.samplesPerLap = static_cast<int>(state.range(0));
    const std::string path = WriteSession(folder, options).front();
    Lap lap;
    for (auto _ : state) {
        if (!LoadLap(path, lap)) state.SkipWithError("not loaded");
        benchmark::DoNotOptimize(lap.track.data());
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
    std::filesystem::remove_all(folder);
}
BENCHMARK(BM_LoadLapWarm)->Arg(2400)->Arg(100000)->Unit(benchmark::kMicrosecond);

}  // namespace

namespace {
void BM_DecodeSample(benchmark::State& state) {
    std::vector<unsigned char> bytes(kLapRecordSize * 1024);
    SessionOptions options;
    const auto recs = MakeLapSamples(options, 0);
    for (std::size_t k = 0; k < 1024; ++k)
        EncodeSample(recs[k % recs.size()], bytes.data() + k * kLapRecordSize);
    Sample rec;
    for (auto _ : state) {
        for (std::size_t k = 0; k < 1024; ++k) {
            DecodeSample(bytes.data() + k * kLapRecordSize, rec);
            benchmark::DoNotOptimize(rec);
        }
    }
    state.SetItemsProcessed(state.iterations() * 1024);
}
BENCHMARK(BM_DecodeSample);
}  // namespace
