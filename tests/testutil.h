// Small helpers shared by the tests: a scratch folder and lap records.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "lapdata/lapfile.h"

// A fresh folder under the system's temporary folder, removed with its
// content when the object goes.
class ScratchDir {
  public:
    ScratchDir();
    ~ScratchDir();
    ScratchDir(const ScratchDir&) = delete;
    ScratchDir& operator=(const ScratchDir&) = delete;

    // The folder with a trailing '/'.
    const std::string& Path() const { return path_; }
    std::string operator/(const std::string& name) const { return path_ + name; }

  private:
    std::string path_;
};

void WriteBytes(const std::string& path, const std::string& bytes);
std::string ReadBytes(const std::string& path);

// The 128-byte records of `records`, concatenated.
std::string LapBytes(const std::vector<TPosDtRec>& records);

// A sample with the fields that tests set most often.
TPosDtRec Sample(TDateTime dateTime, Extended lat, Extended lon, Extended speed,
                 Extended elapsedSec = 0, Extended heading = 0);
