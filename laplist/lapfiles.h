// The names of the lap files in the data folder.
#pragma once

#include <string>
#include <string_view>
#include <vector>

// True for a name of the form Temp????.dtb: "Temp", exactly four characters,
// ".dtb", letters of "Temp" and ".dtb" in either case.
bool IsLapFileName(std::string_view name);

// Names (without folder, as stored) of the entries of every kind in
// `folder` (with its trailing delimiter; empty for the current folder) that
// match Temp????.dtb, sorted ascending ignoring letter case. A folder that
// does not exist or cannot be read gives no names.
std::vector<std::string> FindLapFileNames(const std::string& folder);

// The order of the sort: ASCII letter case ignored, then byte order so that
// names differing only in case still come in a fixed order.
bool LapFileNameLess(std::string_view a, std::string_view b);
