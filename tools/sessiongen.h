// Generates realistic sessions of lap files for the demo, the tests and the
// benchmarks: a closed circuit of straights and corners driven at changing
// speed, one file per lap, laps following each other in time.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "lapdata/lapfile.h"

struct SessionOptions {
    int laps = 5;              // number of lap files
    int sampleHz = 20;         // 20, 10, 5 or 1 samples per second
    int samplesPerLap = 0;     // 0: as many as one lap of the circuit takes
    int firstDataNumber = 1;   // data number of the first file (Temp0001.dtb)
    DateTime start = 41032.5;  // date-time of the first sample of the first lap
    std::uint32_t seed = 1;    // varies speeds and GPS noise from lap to lap
};

// The samples of lap `index` (0-based) of a session. Throws
// std::invalid_argument for a sample rate, sample count or start it cannot
// honour.
std::vector<Sample> MakeLapSamples(const SessionOptions& options, int index);

// Writes one lap file (128-byte records) and returns nothing; throws
// Error on failure.
void WriteLapFile(const std::string& path, const std::vector<Sample>& records);

// Writes TempNNNN.dtb files into `folder` (created if missing), with
// modification times that grow with the data number, and returns their paths.
// Throws std::invalid_argument for options it cannot honour (also data
// numbers beyond 9999) and Error when a file cannot be written.
std::vector<std::string> WriteSession(const std::string& folder, const SessionOptions& options);
