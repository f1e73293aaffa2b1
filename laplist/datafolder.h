// Where the lap files are: the folder `TempDir` that the Laprix analysis
// software, run under Wine, fills with its lap files. Version 2.0.0 looks
// below the machine-wide application-data folder, version 1.1.0 reads the
// install path from Wine's copy of the user's registry.
#pragma once

#include <optional>
#include <string>

// The Wine prefix without a trailing '/': $WINEPREFIX when set and not
// empty, else ~/.wine.
std::string WinePrefix();

// The machine-wide application-data folder of the prefix.
std::string CommonAppDataFolder(const std::string& prefix);

// Windows and Wine find a path whatever the letter case of its names; so
// does this: each name of `folder` that does not exist as written becomes
// the entry of the same name ignoring ASCII case, where there is one. The
// result ends with '/'.
std::string ResolveFolderIgnoringCase(const std::string& folder);

// Version 2.0.0: the application-data folder + "/Laprix/temp/".
std::string TempDirByAppData(const std::string& prefix);

// The text of value `InstallPath` of key Software\Laprix in the registry
// file `userReg` (Wine's user.reg): a plain or expandable string with its
// escapes undone, cut at its first NUL. Nothing when the file, the key or
// the value is missing, or the value holds something other than text.
std::optional<std::string> ReadInstallPath(const std::string& userReg);

// A Windows path mapped into the prefix: a leading drive "X:" becomes
// <prefix>/dosdevices/x:, every '\' becomes '/'.
std::string MapWindowsPath(const std::string& prefix, const std::string& windowsPath);

// Version 1.1.0: the install path + "Temp\", mapped into the prefix; empty
// when the value is missing or empty.
std::string TempDirByRegistry(const std::string& prefix);
