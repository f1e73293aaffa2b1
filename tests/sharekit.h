// Helpers of the racing line and GPX tests: laps of a generated session in
// the exports' plain inputs, and the outside programs that read the results.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "export/gpx.h"
#include "export/racingline.h"
#include "tests/kit/programs.h"
#include "tools/sessiongen.h"

struct SessionLap {
    RacingLineLap line;
    GpxLap track;
};

// The laps of a session written to lap files in a scratch folder and loaded
// back with LoadLap, with the lap list's texts.
std::vector<SessionLap> GeneratedLaps(const SessionOptions& options);

// The full path of a program on PATH, or nothing.
std::optional<std::string> FindProgram(const std::string& name);

// Runs a program found on PATH (Status 127 when it is not there).
ProgramRun RunTool(const std::string& name, const std::vector<std::string>& args,
                   const std::vector<std::string>& env = {});

// The first of `names` that is not on PATH, or nothing when all are.
std::optional<std::string> MissingProgram(const std::vector<std::string>& names);

// Colour of one pixel of a PNG as "#rrggbb" (ImageMagick), or "" on failure.
std::string PixelHex(const std::string& png, int x, int y);
