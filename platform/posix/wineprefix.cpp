#include "platform/posix/wineprefix.h"

#include <fstream>
#include <string_view>

#include "platform/files.h"
#include "platform/system.h"
#include "text/names.h"

namespace platform::posix {

namespace {

void AppendUtf8(std::string& out, char32_t c) {
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (c >> 18));
        out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

int HexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

// Reads text as Wine writes it into its registry files, from `pos` up to the
// first unescaped `terminator`, and leaves `pos` after that terminator. Wine
// writes every character above 126 as \xHHHH (UTF-16 units), control
// characters as C escapes or octal, and '\' before '\', '"', '[' and ']'.
bool ReadEscaped(std::string_view line, std::size_t& pos, char terminator, std::string& out) {
    char16_t pendingHigh = 0;  // a high surrogate waiting for its partner
    const auto flushHigh = [&] {
        if (pendingHigh != 0) AppendUtf8(out, 0xFFFD);
        pendingHigh = 0;
    };
    while (pos < line.size()) {
        const char c = line[pos++];
        if (c == terminator) {
            flushHigh();
            return true;
        }
        if (c != '\\' || pos == line.size()) {
            flushHigh();
            out += c;
            continue;
        }
        const char e = line[pos++];
        if (e == 'x') {
            char32_t unit = 0;
            int digits = 0;
            while (digits < 4 && pos < line.size() && HexDigit(line[pos]) >= 0) {
                unit = unit * 16 + static_cast<char32_t>(HexDigit(line[pos++]));
                ++digits;
            }
            if (unit >= 0xD800 && unit < 0xDC00) {
                flushHigh();
                pendingHigh = static_cast<char16_t>(unit);
            } else if (unit >= 0xDC00 && unit < 0xE000) {
                if (pendingHigh != 0)
                    AppendUtf8(out, 0x10000 + ((pendingHigh - 0xD800) << 10) + (unit - 0xDC00));
                else
                    AppendUtf8(out, 0xFFFD);
                pendingHigh = 0;
            } else {
                flushHigh();
                AppendUtf8(out, unit);
            }
            continue;
        }
        flushHigh();
        if (e >= '0' && e <= '7') {
            unsigned value = static_cast<unsigned>(e - '0');
            for (int k = 0; k < 2 && pos < line.size() && line[pos] >= '0' && line[pos] <= '7'; ++k)
                value = value * 8 + static_cast<unsigned>(line[pos++] - '0');
            AppendUtf8(out, value);
            continue;
        }
        switch (e) {
            case 'a':
                out += '\a';
                break;
            case 'b':
                out += '\b';
                break;
            case 'e':
                out += '\x1B';
                break;
            case 'f':
                out += '\f';
                break;
            case 'n':
                out += '\n';
                break;
            case 'r':
                out += '\r';
                break;
            case 't':
                out += '\t';
                break;
            case 'v':
                out += '\v';
                break;
            default:
                out += e;  // '\\', '"', '[', ']' and anything else stand for themselves
        }
    }
    return false;
}

// The key name of a section line "[name] stamp", or nothing.
std::optional<std::string> SectionName(std::string_view line) {
    if (line.empty() || line[0] != '[') return std::nullopt;
    std::size_t pos = 1;
    std::string name;
    if (!ReadEscaped(line, pos, ']', name)) return std::nullopt;
    return name;
}

}  // namespace

std::string WinePrefix() {
    const auto env = EnvironmentVariable("WINEPREFIX");
    std::string prefix = env && !env->empty() ? *env : HomeFolder() + "/.wine";
    while (prefix.size() > 1 && prefix.back() == '/')
        prefix.pop_back();
    return prefix;
}

std::string ResolveFolderIgnoringCase(const std::string& folder) {
    std::string resolved = !folder.empty() && folder.front() == '/' ? "/" : "";
    std::size_t from = 0;
    while (from < folder.size()) {
        std::size_t to = folder.find('/', from);
        if (to == std::string::npos) to = folder.size();
        if (to > from) resolved = FindIgnoringCase(resolved, folder.substr(from, to - from)) + "/";
        from = to + 1;
    }
    return resolved;
}

std::string DataFolderByAppData(const std::string& prefix) {
    return ResolveFolderIgnoringCase(prefix + "/drive_c/ProgramData/Laprix/temp/");
}

std::optional<std::string> ReadInstallPath(const std::string& userReg) {
    std::ifstream in(userReg, std::ios::binary);
    if (!in) return std::nullopt;
    bool inKey = false;
    std::string line;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (const auto section = SectionName(line)) {
            // Leaving our key ends the search: Wine writes every key once.
            if (inKey) return std::nullopt;
            inKey = EqualIgnoringAsciiCase(*section, "Software\\Laprix") ||
                    EqualIgnoringAsciiCase(*section, "Software\\Laprix\\");
            continue;
        }
        if (!inKey || line.empty() || line[0] != '"') continue;
        std::size_t pos = 1;
        std::string name;
        if (!ReadEscaped(line, pos, '"', name) || !EqualIgnoringAsciiCase(name, "InstallPath"))
            continue;
        std::string_view rest = std::string_view(line).substr(pos);
        if (rest.substr(0, 1) != "=") return std::nullopt;
        rest.remove_prefix(1);
        // A plain string or an expandable one (not expanded); any other kind
        // counts as no value.
        if (rest.substr(0, 7) == "str(2):") rest.remove_prefix(7);
        if (rest.substr(0, 1) != "\"") return std::nullopt;
        std::size_t at = 1;
        std::string value;
        if (!ReadEscaped(rest, at, '"', value)) return std::nullopt;
        if (const auto nul = value.find('\0'); nul != std::string::npos) value.resize(nul);
        return value;
    }
    return std::nullopt;
}

std::string MapWindowsPath(const std::string& prefix, const std::string& windowsPath) {
    std::string out;
    std::size_t from = 0;
    const auto isLetter = [](char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); };
    if (windowsPath.size() >= 2 && isLetter(windowsPath[0]) && windowsPath[1] == ':') {
        const char drive = static_cast<char>(windowsPath[0] | 0x20);
        out = prefix + "/dosdevices/" + drive + ":";
        from = 2;
    }
    for (std::size_t i = from; i < windowsPath.size(); ++i)
        out += windowsPath[i] == '\\' ? '/' : windowsPath[i];
    return out;
}

std::string DataFolderByRegistry(const std::string& prefix) {
    const auto installPath = ReadInstallPath(prefix + "/user.reg");
    if (!installPath || installPath->empty()) return {};
    return ResolveFolderIgnoringCase(MapWindowsPath(prefix, *installPath + "Temp\\"));
}

}  // namespace platform::posix
