// The racing line SVG and the GPX text of 10 generated laps of 2,400
// samples each; the counter "bytes" is the size of one document.
#include <benchmark/benchmark.h>

#include <filesystem>

#include "export/gpx.h"
#include "export/racingline.h"
#include "export/sharing.h"
#include "lapdata/loadlap.h"
#include "tools/sessiongen.h"

namespace {

struct Laps {
    std::vector<RacingLineLap> lines;
    std::vector<GpxLap> tracks;
};

Laps TenLaps() {
    const std::string folder =
        (std::filesystem::temp_directory_path() / "l2q-bench-racingline").string();
    SessionOptions options;
    options.laps = 10;
    options.samplesPerLap = 2400;
    Laps laps;
    for (const std::string& path : WriteSession(folder, options)) {
        Lap lap;
        if (!LoadLap(path, lap)) continue;
        RacingLineLap line = RacingLineLapOf(lap);
        GpxLap track = GpxLapOf(lap);
        laps.lines.push_back(std::move(line));
        laps.tracks.push_back(std::move(track));
    }
    std::filesystem::remove_all(folder);
    return laps;
}

void BM_RacingLineSvg(benchmark::State& state) {
    const Laps laps = TenLaps();
    std::size_t bytes = 0;
    for (auto _ : state) {
        const std::string svg = RacingLineSvg(laps.lines);
        bytes = svg.size();
        benchmark::DoNotOptimize(svg.data());
    }
    state.counters["bytes"] = static_cast<double>(bytes);
}
BENCHMARK(BM_RacingLineSvg)->Unit(benchmark::kMillisecond);

void BM_GpxText(benchmark::State& state) {
    const Laps laps = TenLaps();
    const LocalToUtc toUtc = FixedUtcOffset(9 * 60);
    std::size_t bytes = 0;
    for (auto _ : state) {
        const std::string gpx = GpxText(laps.tracks, toUtc);
        bytes = gpx.size();
        benchmark::DoNotOptimize(gpx.data());
    }
    state.counters["bytes"] = static_cast<double>(bytes);
}
BENCHMARK(BM_GpxText)->Unit(benchmark::kMillisecond);

}  // namespace
