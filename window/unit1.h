// The state of the window unit, shared by the window and its commands for
// as long as the process runs.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "lapdata/lapfile.h"

class TForm1;

// The one window, set by the program entry.
extern TForm1* Form1;

// Folder of the lap files with its trailing '/', or empty for the current
// folder.
extern std::string TempDir;
// Names of the lap files found at start, sorted; filled by FormCreate and
// released by FormDestroy.
extern std::vector<std::string> TempList;
// Lap rows in the lap list.
extern std::int32_t LapRowCount;
// The records of the raw log export.
extern std::vector<TPosDtRec> PosBuf;
