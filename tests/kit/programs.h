// Test helpers that run programs and read what they wrote.
#pragma once

#include <string>
#include <vector>

struct ProgramRun {
    int status = -1;  // exit code, or -1 when killed by a signal
    std::string out;
    std::string err;
};
// Runs `program` with `args` in folder `cwd`, with `env` ("NAME=value")
// added to the environment, and collects its output.
ProgramRun RunProgram(const std::string& program, const std::vector<std::string>& args,
                      const std::string& cwd, const std::vector<std::string>& env = {});

// CSV bytes split into lines at CR LF; the text after the last CR LF is
// returned as a last line only when not empty.
std::vector<std::string> CsvRows(const std::string& bytes);
