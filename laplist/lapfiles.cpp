#include "laplist/lapfiles.h"

#include <algorithm>

#include "platform/files.h"
#include "text/names.h"

bool IsLapFileName(std::string_view name) {
    if (name.size() < 12) return false;
    if (!EqualIgnoringAsciiCase(name.substr(0, 4), "Temp")) return false;
    if (!EqualIgnoringAsciiCase(name.substr(name.size() - 4), ".dtb")) return false;
    // Each '?' stands for one character, which may take several bytes.
    return Utf8Length(name.substr(4, name.size() - 8)) == 4 && !IsUtf8ContinuationByte(name[4]);
}

bool LapFileNameLess(std::string_view a, std::string_view b) {
    const auto folded =
        std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
            return static_cast<unsigned char>(LowerAscii(x)) <
                   static_cast<unsigned char>(LowerAscii(y));
        });
    if (folded) return true;
    if (EqualIgnoringAsciiCase(a, b)) return a < b;
    return false;
}

std::vector<std::string> FindLapFileNames(const std::string& folder) {
    std::vector<std::string> names = platform::FolderEntryNames(folder);
    std::erase_if(names, [](const std::string& name) { return !IsLapFileName(name); });
    std::sort(names.begin(), names.end(),
              [](const std::string& a, const std::string& b) { return LapFileNameLess(a, b); });
    return names;
}
