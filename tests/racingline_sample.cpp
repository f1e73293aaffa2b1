// Writes the racing line of three laps of a generated 20 Hz session as SVG
// to standard output: the picture in the README (scripts/racingline-sample.sh).
#include <cstdio>
#include <exception>

#include "tests/sharekit.h"

int main() {
    try {
        SessionOptions options;
        options.Laps = 3;
        options.SampleHz = 20;
        std::vector<RacingLineLap> lines;
        for (SessionLap& lap : GeneratedLaps(options))
            lines.push_back(std::move(lap.Line));
        const std::string svg = RacingLineSvg(lines);
        return std::fwrite(svg.data(), 1, svg.size(), stdout) == svg.size() ? 0 : 1;
    } catch (const std::exception& e) {
        std::fprintf(stderr, "racingline_sample: %s\n", e.what());
        return 1;
    }
}
