// The lap list walk and the overlay export on a session of 100 laps of 2,400
// samples at 20 Hz (warm cache), taken apart into its stages, and lapcsv
// overlay end to end as a process, on that session and on a generated
// session of 400 laps at 20 Hz (laps of the circuit's length).
#include <benchmark/benchmark.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>

#include "export/csvwriter.h"
#include "export/lapsahead.h"
#include "export/overlay.h"
#include "lapdata/loadlap.h"
#include "laplist/lapfiles.h"
#include "laplist/laplist.h"
#include "text/numtext.h"
#include "tools/sessiongen.h"

extern char** environ;

namespace {

constexpr int kLaps = 100;
constexpr int kSamples = 2400;

// A session, written once for all benchmarks and removed at exit.
struct BenchSession {
    std::string Folder;
    std::vector<std::string> Names;
    std::int64_t Bytes = 0;
    std::int64_t Samples = 0;

    BenchSession(int laps, int samplesPerLap) {
        Folder = (std::filesystem::temp_directory_path() /
                  ("l2q-bench-session-" + std::to_string(::getpid()) + "-" + std::to_string(laps)))
                     .string() +
                 "/";
        SessionOptions options;
        options.laps = laps;
        options.sampleHz = 20;
        options.samplesPerLap = samplesPerLap;
        for (const std::string& path : WriteSession(Folder, options))
            Bytes += static_cast<std::int64_t>(std::filesystem::file_size(path));
        Samples = Bytes / static_cast<std::int64_t>(kLapRecordSize);
        Names = FindLapFileNames(Folder);
    }
    ~BenchSession() { std::filesystem::remove_all(Folder); }
};

const BenchSession& TheSession() {
    static const BenchSession session(kLaps, kSamples);
    return session;
}

const BenchSession& TheLongSession() {
    static const BenchSession session(400, 0);
    return session;
}

void BM_LapListWalk(benchmark::State& state) {
    const BenchSession& s = TheSession();
    for (auto _ : state) {
        std::vector<LapRow> rows;
        ListLaps(s.Folder, s.Names, rows);
        if (rows.size() != kLaps) state.SkipWithError("not every lap listed");
    }
    state.SetBytesProcessed(state.iterations() * s.Bytes);
}
BENCHMARK(BM_LapListWalk)->Unit(benchmark::kMillisecond);

// Stage 1 of the export: every lap loaded and derived into one lap value.
void BM_ExportLoadLaps(benchmark::State& state) {
    const BenchSession& s = TheSession();
    Lap lap;
    for (auto _ : state) {
        for (const std::string& name : s.Names)
            if (!LoadLap(s.Folder + name, lap)) state.SkipWithError("not loaded");
    }
    state.SetItemsProcessed(state.iterations() * kLaps * kSamples);
}
BENCHMARK(BM_ExportLoadLaps)->Unit(benchmark::kMillisecond);

// Stage 1 on threads: every lap loaded ahead by LapsAhead on `threads`
// threads and taken in order, as the export takes them.
void BM_ExportLoadLapsAhead(benchmark::State& state) {
    const BenchSession& s = TheSession();
    std::vector<std::string> paths;
    for (const std::string& name : s.Names)
        paths.push_back(s.Folder + name);
    for (auto _ : state) {
        LapsAhead ahead(paths, static_cast<unsigned>(state.range(0)));
        for (std::size_t k = 0; k < paths.size(); ++k)
            if (!ahead.Next()) state.SkipWithError("not loaded");
    }
    state.SetItemsProcessed(state.iterations() * kLaps * kSamples);
}
BENCHMARK(BM_ExportLoadLapsAhead)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond)->UseRealTime();

// The text of every sample line of a lap, as the export makes it: each
// number written in place.
void AppendLapLines(std::string& text, const Lap& lap) {
    std::string line(8 * (kMaxFixedLength + 1), '\0');
    for (std::size_t i = 0; i < lap.samples.size(); ++i) {
        char* p = WriteFixed(
            line.data(), SecondsFromReference(lap.samples[i].dateTime, lap.samples[0].dateTime), 3);
        p = WriteOverlayTail(p, lap, i, true);
        text.append(line.data(), p).append("\r\n");
    }
}

// Stage 2: the lines of one loaded lap, a hundred times.
void BM_ExportLines(benchmark::State& state) {
    const BenchSession& s = TheSession();
    Lap lap;
    if (!LoadLap(s.Folder + s.Names.front(), lap)) state.SkipWithError("not loaded");
    std::string text;
    for (auto _ : state) {
        for (int k = 0; k < kLaps; ++k) {
            text.clear();
            AppendLapLines(text, lap);
            benchmark::DoNotOptimize(text.data());
        }
    }
    state.SetItemsProcessed(state.iterations() * kLaps * kSamples);
}
BENCHMARK(BM_ExportLines)->Unit(benchmark::kMillisecond);

// Stage 3: writing the file (Shift-JIS conversion, temporary file, flush
// to disk, rename).
void BM_ExportWrite(benchmark::State& state) {
    const BenchSession& s = TheSession();
    Lap lap;
    if (!LoadLap(s.Folder + s.Names.front(), lap)) state.SkipWithError("not loaded");
    std::string text;
    AppendLapLines(text, lap);
    const std::string target = s.Folder + "out.csv";
    for (auto _ : state) {
        CsvWriter out(target);
        for (int k = 0; k < kLaps; ++k)
            out.AddLine(text);  // one lap's lines at a time
        out.Commit();
    }
    std::filesystem::remove(target);
    state.SetBytesProcessed(state.iterations() * kLaps * static_cast<std::int64_t>(text.size()));
}
BENCHMARK(BM_ExportWrite)->Unit(benchmark::kMillisecond)->UseRealTime();

// lapcsv overlay of all laps as a process: wall time, and the CPU time of
// the child reported as the counter "cpu_s".
void LapcsvOverlay(benchmark::State& state, const BenchSession& s) {
    const std::string out = s.Folder + "overlay.csv";
    double cpu = 0;
    for (auto _ : state) {
        const char* argv[] = {LAPCSV_PATH, "overlay",   "--dir", s.Folder.c_str(),
                              "-o",        out.c_str(), "-f",    nullptr};
        pid_t pid = 0;
        if (::posix_spawn(&pid, LAPCSV_PATH, nullptr, nullptr, const_cast<char**>(argv), environ) !=
            0) {
            state.SkipWithError("cannot start lapcsv");
            break;
        }
        int status = 0;
        rusage usage{};
        ::wait4(pid, &status, 0, &usage);
        if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) state.SkipWithError("lapcsv failed");
        cpu += static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
               static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
    }
    std::filesystem::remove(out);
    state.SetItemsProcessed(state.iterations() * s.Samples);
    state.counters["cpu_s"] = benchmark::Counter(cpu, benchmark::Counter::kAvgIterations);
    state.counters["samples_per_cpu_s"] =
        benchmark::Counter(static_cast<double>(state.iterations() * s.Samples) / cpu);
}

void BM_LapcsvOverlay(benchmark::State& state) {
    LapcsvOverlay(state, TheSession());
}
BENCHMARK(BM_LapcsvOverlay)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(5);

void BM_LapcsvOverlay400Laps(benchmark::State& state) {
    LapcsvOverlay(state, TheLongSession());
}
BENCHMARK(BM_LapcsvOverlay400Laps)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(5);

}  // namespace
