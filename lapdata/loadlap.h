// Loading one lap file into a slot: the samples, the lap's summary and the
// headings recomputed from the positions; then the track derivation.
#pragma once

#include <string>

#include "lapdata/lapslot.h"

// Loads the lap file at `FileName` into `slot` and derives its track values.
// A file that is not a lap file leaves the slot untouched (callers set Count
// to 0 first and read Count > 0 as "loaded"). InOutError and
// OutOfMemoryError go up to the caller.
void LoadLap(TLapDtRec& slot, const std::string& FileName);

// The same on the working slot LapDt[0].
void LoadLap(const std::string& FileName);

// The mean of bearing b and the previous bearing p across the 0/360 seam
// (a mean of exactly 360 stays 360).
Extended HeadingMean(Extended b, Extended p);

// The data number of a lap file name without folder: characters 5 to 8 of a
// name exactly 12 characters long, otherwise empty.
std::string DataNoOfFileName(const std::string& name);
