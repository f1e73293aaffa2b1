// The rest of what the program asks of the operating system: folders of the
// user and of the analysis software, the environment, code page 932.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace platform {

// An environment variable, or nothing when unset.
std::optional<std::string> EnvironmentVariable(const char* name);

// The user's home folder and documents folder (the home folder when there
// is no documents folder).
std::string HomeFolder();
std::string DocumentsFolder();

// Where each version of the program finds the lap files: version 2.0.0
// below the machine-wide application-data folder, version 1.1.0 through the
// install path in the registry (empty when there is none). With its
// trailing delimiter.
std::string DataFolderByAppData();
std::string DataFolderByRegistry();
// Where the analysis software keeps its data: the open dialog's first folder.
std::string AnalysisSoftwareDataFolder();
// A folder as the user's platform writes it, for showing it.
std::string DisplayPath(const std::string& folder);

// UTC of a local wall-clock instant, both as milliseconds since 1970, by the
// rules of the zone the process runs in (TZ, read once when called); nothing
// when it cannot be converted. At a change of offset, a wall-clock time that
// occurs twice or not at all takes the offset in force before the change:
// samples of a session that started before it keep running on evenly.
std::function<std::optional<std::int64_t>(std::int64_t localMs)> MachineLocalToUtc();

// UTF-8 text in code page 932 as Windows converts it. Throws Error naming
// the character when one cannot be encoded (never a silent '?').
std::string Cp932FromUtf8(std::string_view utf8);

// The program's arguments as UTF-8 (Windows hands a C program those of the
// ANSI code page, which loses characters; its wide command line keeps them).
std::vector<std::string> ProgramArguments(int argc, char** argv);

// UTF-8 text to standard output or error: written as it is into a file or
// a pipe, shown as the console's characters in a console. False when it
// could not be written.
bool WriteStandardOutput(std::string_view utf8);
bool WriteStandardError(std::string_view utf8);

}  // namespace platform
