// Writes a generated session of lap files into a folder, for trying the lap
// list and the exports without a logger at hand.
#include <CLI/CLI.hpp>
#include <cstdio>
#include <exception>

#include "tools/sessiongen.h"

int main(int argc, char** argv) {
    CLI::App app{"Writes a generated session of lap files (TempNNNN.dtb) into a folder."};
    app.name("gensession");
    std::string out;
    SessionOptions options;
    bool verbose = false;
    app.add_option("--out", out, "Folder to write into, created if missing")->required();
    app.add_option("--laps", options.laps, "Number of lap files")
        ->capture_default_str()
        ->check(CLI::Range(0, 10000));
    app.add_option("--hz", options.sampleHz, "Samples per second")
        ->capture_default_str()
        ->check(CLI::IsMember({20, 10, 5, 1}));
    app.add_option("--samples", options.samplesPerLap,
                   "Samples per lap file; 0 cuts the files at the start line")
        ->capture_default_str()
        ->check(CLI::NonNegativeNumber);
    app.add_option("--first-data-no", options.firstDataNumber, "Data number of the first file")
        ->capture_default_str()
        ->check(CLI::Range(0, 9999));
    app.add_option("--seed", options.seed, "Varies speeds and GPS noise")->capture_default_str();
    app.add_flag("-v,--verbose", verbose, "Print the path of every file written");
    CLI11_PARSE(app, argc, argv);

    try {
        const auto paths = WriteSession(out, options);
        if (verbose)
            for (const auto& path : paths)
                std::printf("%s\n", path.c_str());
    } catch (const std::exception& e) {
        std::fprintf(stderr, "gensession: %s\n", e.what());
        return 1;
    }
    return 0;
}
