// What each system's own code gives the parts shared by both systems
// (platform/casefold.cpp, platform/zone.cpp).
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace platform::detail {

// Whether the entry itself exists (a link that leads nowhere included).
bool EntryExists(const std::string& path);

// The entry names of a folder ("" for the current one) without "." and
// "..". One that cannot be listed for a reason other than not being there
// is an error when `strict`, else it has no names.
std::vector<std::string> ListFolder(const std::string& folder, bool strict);

// The machine's zone as seconds ahead of UTC at a UTC instant given in
// seconds since 1970 (nothing when the system cannot say), its rules read
// once, when this is called.
std::function<std::optional<long>(std::int64_t utcSeconds)> MachineZoneOffsets();

}  // namespace platform::detail
