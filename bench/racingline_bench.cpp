// The racing line SVG and the GPX text of 10 generated laps of 2,400
// samples each; the counter "bytes" is the size of one document.
#include <benchmark/benchmark.h>

#include <filesystem>

#include "export/gpx.h"
#include "export/racingline.h"
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
    options.Laps = 10;
    options.SamplesPerLap = 2400;
    Laps laps;
    for (const std::string& path : WriteSession(folder, options)) {
        TLapDtRec lap;
        LoadLap(lap, path);
        RacingLineLap line;
        GpxLap track;
        line.dataNo = track.name = DataNoOfFileName(std::filesystem::path(path).filename());
        line.lapSeconds = lap.LapTime * 86400;
        for (std::int32_t i = 0; i < lap.Count; ++i) {
            const TCalcDtRec& c = lap.CalcData[static_cast<std::size_t>(i)];
            const TPosDtRec& p = lap.PosData[static_cast<std::size_t>(i)];
            line.x.push_back(c.X);
            line.y.push_back(c.Y);
            line.speedKmh.push_back(c.Speed);
            track.samples.push_back({p.DateTime, p.Lat, p.Lon, p.Alt, p.Speed, p.Heading + 180});
        }
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
