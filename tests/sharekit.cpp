#include "tests/sharekit.h"

#include <unistd.h>

#include <cctype>
#include <cmath>
#include <cstdlib>
#include <stdexcept>

#include "export/sharing.h"
#include "lapdata/loadlap.h"
#include "tests/kit/files.h"
#include "tests/kit/programs.h"

std::vector<SessionLap> GeneratedLaps(const SessionOptions& options) {
    ScratchDir dir;
    std::vector<SessionLap> laps;
    for (const std::string& path : WriteSession(dir.Path(), options)) {
        Lap lap;
        if (!LoadLap(path, lap)) throw std::runtime_error("not loaded: " + path);
        laps.push_back({RacingLineLapOf(lap), GpxLapOf(lap)});
    }
    return laps;
}

std::optional<std::string> FindProgram(const std::string& name) {
    const char* path = std::getenv("PATH");
    std::string dirs = path ? path : "/usr/bin:/bin";
    std::size_t from = 0;
    while (from <= dirs.size()) {
        std::size_t to = dirs.find(':', from);
        if (to == std::string::npos) to = dirs.size();
        const std::string candidate = dirs.substr(from, to - from) + "/" + name;
        if (to > from && ::access(candidate.c_str(), X_OK) == 0) return candidate;
        from = to + 1;
    }
    return std::nullopt;
}

ProgramRun RunTool(const std::string& name, const std::vector<std::string>& args,
                   const std::vector<std::string>& env) {
    const auto program = FindProgram(name);
    if (!program) return ProgramRun{127, "", name + " not found"};
    return RunProgram(*program, args, "/", env);
}

std::optional<std::string> MissingProgram(const std::vector<std::string>& names) {
    for (const std::string& name : names)
        if (!FindProgram(name)) return name;
    return std::nullopt;
}

std::string PixelHex(const std::string& png, int x, int y) {
    const ProgramRun run = RunTool(
        "convert",
        {png, "-format", "%[hex:p{" + std::to_string(x) + "," + std::to_string(y) + "}]", "info:"});
    if (run.status != 0 || run.out.size() < 6) return "";
    std::string hex = "#";
    for (std::size_t i = 0; i < 6; ++i)
        hex += static_cast<char>(std::tolower(static_cast<unsigned char>(run.out[i])));
    return hex;
}
