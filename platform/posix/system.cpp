// The user's folders, the environment, the analysis software's folders in
// its Wine prefix, and code page 932 on POSIX systems.
#include "platform/system.h"

#include <iconv.h>
#include <pwd.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <fstream>

#include "platform/files.h"
#include "platform/posix/wineprefix.h"
#include "text/error.h"
#include "text/names.h"

namespace platform {

namespace {

// The analysis software's own data folder as it installs itself.
constexpr const char* kAnalysisDataFolder = "C:\\Program Files\\Laprix\\Data";

// The documents folder the desktop names in ~/.config/user-dirs.dirs.
std::optional<std::string> XdgDocumentsFolder(const std::string& home) {
    const auto config = EnvironmentVariable("XDG_CONFIG_HOME");
    const std::string file =
        (config && !config->empty() ? *config : home + "/.config") + "/user-dirs.dirs";
    std::ifstream in(file);
    std::string line;
    const std::string key = "XDG_DOCUMENTS_DIR=\"";
    while (std::getline(in, line)) {
        if (line.compare(0, key.size(), key) != 0) continue;
        std::string value = line.substr(key.size());
        if (const auto quote = value.rfind('"'); quote != std::string::npos) value.resize(quote);
        if (value.compare(0, 5, "$HOME") == 0) value = home + value.substr(5);
        return value;
    }
    return std::nullopt;
}

// Code points on which glibc's CP932 and Windows' code page 932 disagree:
// glibc encodes these, Windows refuses them.
bool WindowsRefuses(char32_t c) {
    switch (c) {
        case 0x00A2:
        case 0x00A3:
        case 0x00A5:
        case 0x00AC:
        case 0x2014:
        case 0x2016:
        case 0x203E:
        case 0x2212:
        case 0x301C:
            return true;
        default:
            return false;
    }
}

// ...and these Windows encodes where glibc refuses them.
std::optional<char> WindowsOnlyByte(char32_t c) {
    switch (c) {
        case 0x0080:
            return '\x80';
        case 0xF8F0:
            return '\xA0';
        case 0xF8F1:
            return '\xFD';
        case 0xF8F2:
            return '\xFE';
        case 0xF8F3:
            return '\xFF';
        default:
            return std::nullopt;
    }
}

[[noreturn]] void ThrowUnencodable(std::string_view character) {
    throw Error("Shift-JIS に変換できない文字があります: " + std::string(character));
}

// A run of characters on which both tables agree, through iconv.
void AppendByIconv(std::string& out, std::string_view run) {
    iconv_t cd = ::iconv_open("CP932", "UTF-8");
    if (cd == reinterpret_cast<iconv_t>(-1)) throw Error("文字コード変換を開始できません: CP932");
    char* in = const_cast<char*>(run.data());
    std::size_t inLeft = run.size();
    std::string buffer(run.size() + 16, '\0');
    char* outPtr = buffer.data();
    std::size_t outLeft = buffer.size();
    const bool ok = ::iconv(cd, &in, &inLeft, &outPtr, &outLeft) != static_cast<std::size_t>(-1);
    ::iconv_close(cd);
    if (!ok) {
        // Name the character that could not be converted.
        std::size_t length = 1;
        while (length < inLeft && length < 4 && IsUtf8ContinuationByte(in[length]))
            ++length;
        ThrowUnencodable(std::string_view(in, std::min(length, inLeft)));
    }
    out.append(buffer.data(), buffer.size() - outLeft);
}

}  // namespace

std::optional<std::string> EnvironmentVariable(const char* name) {
    const char* value = std::getenv(name);
    if (value == nullptr) return std::nullopt;
    return std::string(value);
}

std::string HomeFolder() {
    if (const auto home = EnvironmentVariable("HOME"); home && !home->empty()) return *home;
    const passwd* pw = ::getpwuid(::getuid());
    return pw != nullptr && pw->pw_dir != nullptr ? pw->pw_dir : "";
}

std::string DocumentsFolder() {
    const std::string home = HomeFolder();
    if (const auto xdg = XdgDocumentsFolder(home); xdg && KindOf(*xdg) == EntryKind::Folder)
        return *xdg;
    if (KindOf(home + "/Documents") == EntryKind::Folder) return home + "/Documents";
    return home;
}

std::string DataFolderByAppData() {
    return posix::DataFolderByAppData(posix::WinePrefix());
}

std::string DataFolderByRegistry() {
    return posix::DataFolderByRegistry(posix::WinePrefix());
}

std::string AnalysisSoftwareDataFolder() {
    return posix::MapWindowsPath(posix::WinePrefix(), kAnalysisDataFolder);
}

std::string DisplayPath(const std::string& folder) {
    if (!folder.empty()) return folder;
    // The current folder, where the lap files are then looked for.
    char buffer[4096];
    return ::getcwd(buffer, sizeof buffer) != nullptr ? std::string(buffer) + "/" : ".";
}

std::string Cp932FromUtf8(std::string_view utf8) {
    std::string out;
    out.reserve(utf8.size());
    std::size_t runStart = 0, at = 0;
    const auto flushRun = [&] {
        if (at == runStart) return;
        const std::string_view run = utf8.substr(runStart, at - runStart);
        bool ascii = true;
        for (const char c : run)
            ascii = ascii && static_cast<unsigned char>(c) < 0x80;
        if (ascii)
            out.append(run);  // code page 932 keeps ASCII as it is
        else
            AppendByIconv(out, run);
    };
    while (at < utf8.size()) {
        if (static_cast<unsigned char>(utf8[at]) < 0x80) {
            ++at;
            continue;
        }
        std::size_t length = 0;
        const char32_t c = DecodeUtf8(utf8, at, length);
        const auto special = WindowsOnlyByte(c);
        if (!special && !WindowsRefuses(c)) {
            at += length;
            continue;
        }
        flushRun();
        if (!special) ThrowUnencodable(utf8.substr(at, length));
        out += *special;
        at += length;
        runStart = at;
    }
    flushRun();
    return out;
}

std::vector<std::string> ProgramArguments(int argc, char** argv) {
    return std::vector<std::string>(argv, argv + argc);
}

namespace {

bool WriteAllTo(int fd, std::string_view bytes) {
    while (!bytes.empty()) {
        const ssize_t n = ::write(fd, bytes.data(), bytes.size());
        if (n < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        bytes.remove_prefix(static_cast<std::size_t>(n));
    }
    return true;
}

}  // namespace

bool WriteStandardOutput(std::string_view utf8) {
    return WriteAllTo(STDOUT_FILENO, utf8);
}

bool WriteStandardError(std::string_view utf8) {
    return WriteAllTo(STDERR_FILENO, utf8);
}

}  // namespace platform
