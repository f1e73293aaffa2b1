#include "tests/sharekit.h"

#include <unistd.h>

#include <cctype>
#include <cmath>
#include <cstdlib>
#include <stdexcept>

#include "common/names.h"
#include "common/numtext.h"
#include "lapdata/loadlap.h"
#include "tests/testutil.h"

namespace {

std::string DateTimeText(const char* pattern, TDateTime value) {
    std::string text;
    AppendDateTime(text, pattern, value);
    return text;
}

}  // namespace

std::vector<SessionLap> GeneratedLaps(const SessionOptions& options) {
    ScratchDir dir;
    std::vector<SessionLap> laps;
    for (const std::string& path : WriteSession(dir.Path(), options)) {
        TLapDtRec lap;
        LoadLap(lap, path);
        if (lap.Count <= 0) throw std::runtime_error("not loaded: " + path);
        SessionLap s;
        RacingLineLap& line = s.Line;
        line.dataNo = DataNoOfFileName(FileNameOf(path));
        const TDateTime start = lap.PosData[0].DateTime;
        line.date = DateTimeText("yyyy/mm/dd", start);
        line.startTime = DateTimeText("hh:nn:ss", start);
        line.lapTime = DateTimeText("n:ss.zzz", lap.LapTime);
        line.topSpeed = FormatFixed(lap.MaxSpeed, 2);
        line.lapSeconds = lap.LapTime * 86400;
        s.Track.name = line.dataNo;
        s.Track.desc = line.date + " " + line.startTime + " " + line.lapTime;
        for (std::int32_t i = 0; i < lap.Count; ++i) {
            const TPosDtRec& p = lap.PosData[static_cast<std::size_t>(i)];
            const TCalcDtRec& c = lap.CalcData[static_cast<std::size_t>(i)];
            line.x.push_back(c.X);
            line.y.push_back(c.Y);
            line.speedKmh.push_back(c.Speed);
            // The file keeps the course turned by 180 degrees.
            s.Track.samples.push_back({p.DateTime, p.Lat, p.Lon, p.Alt, p.Speed, p.Heading + 180});
        }
        laps.push_back(std::move(s));
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
    if (run.Status != 0 || run.Out.size() < 6) return "";
    std::string hex = "#";
    for (std::size_t i = 0; i < 6; ++i)
        hex += static_cast<char>(std::tolower(static_cast<unsigned char>(run.Out[i])));
    return hex;
}
