// Where the Laprix analysis software, run under Wine, keeps its lap files:
// the Wine prefix's stand-ins for the machine-wide application-data folder
// and for the user's registry.
#pragma once

#include <optional>
#include <string>

namespace platform::posix {

// The Wine prefix without a trailing '/': $WINEPREFIX when set and not
// empty, else ~/.wine.
std::string WinePrefix();

// Windows and Wine find a path whatever the letter case of its names; so
// does this: each name of `folder` that does not exist as written becomes
// the entry of the same name ignoring ASCII case, where there is one. The
// result ends with '/'.
std::string ResolveFolderIgnoringCase(const std::string& folder);

// Version 2.0.0: the prefix's application-data folder + "/Laprix/temp/".
std::string DataFolderByAppData(const std::string& prefix);

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
std::string DataFolderByRegistry(const std::string& prefix);

}  // namespace platform::posix
