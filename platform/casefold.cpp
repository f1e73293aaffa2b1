// Lap file names found whatever their letter case, on every system.
#include <algorithm>

#include "platform/entries.h"
#include "platform/files.h"
#include "text/names.h"

namespace platform {

using detail::EntryExists;

namespace {

// Orders names by their lower-cased form, then by their bytes, so that the
// first of several names equal ignoring case is the first in byte order.
bool FoldedLess(const std::string& a, const std::string& b) {
    const bool less =
        std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
            return static_cast<unsigned char>(LowerAscii(x)) <
                   static_cast<unsigned char>(LowerAscii(y));
        });
    if (less) return true;
    return EqualIgnoringAsciiCase(a, b) && a < b;
}

}  // namespace

std::vector<std::string> FolderEntryNames(const std::string& folder) {
    return detail::ListFolder(folder, false);
}

std::string FindIgnoringCase(const std::string& folder, const std::string& name) {
    const std::string exact = folder + name;
    if (EntryExists(exact)) return exact;
    std::string best;
    for (const std::string& entry : FolderEntryNames(folder))
        if (EqualIgnoringAsciiCase(entry, name) && (best.empty() || entry < best)) best = entry;
    return best.empty() ? exact : folder + best;
}

std::string FindPathIgnoringCase(const std::string& path) {
    return FindIgnoringCase(FolderOf(path), FileNameOf(path));
}

FolderIndex::FolderIndex(std::string folder)
    : folder_(std::move(folder)), names_(detail::ListFolder(folder_, true)) {
    std::sort(names_.begin(), names_.end(), FoldedLess);
}

std::string FolderIndex::Find(const std::string& name) const {
    const std::string exact = folder_ + name;
    if (EntryExists(exact)) return exact;
    const auto at = std::lower_bound(names_.begin(), names_.end(), name,
                                     [](const std::string& entry, const std::string& wanted) {
                                         return FoldedLess(entry, wanted) &&
                                                !EqualIgnoringAsciiCase(entry, wanted);
                                     });
    if (at != names_.end() && EqualIgnoringAsciiCase(*at, name)) return folder_ + *at;
    return exact;
}

}  // namespace platform
