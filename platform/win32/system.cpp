// The user's folders, the environment, the registry, code page 932 and the
// console on Windows.
#include "platform/system.h"

#include <windows.h>
// windows.h first: the shell's headers need its types.
#include <shellapi.h>
#include <shlobj.h>

#include <cwchar>

#include "platform/entries.h"
#include "platform/win32/wide.h"
#include "text/error.h"
#include "text/names.h"

namespace platform {

using win32::Utf8;
using win32::Wide;

namespace {

// The analysis software's own data folder as it installs itself.
constexpr const char* kAnalysisDataFolder = "C:\\Program Files\\Laprix\\Data";

// A shell folder by its CSIDL number; nothing when the shell has none.
std::optional<std::string> ShellFolder(int csidl) {
    wchar_t path[MAX_PATH] = {};
    if (FAILED(::SHGetFolderPathW(nullptr, csidl, nullptr, SHGFP_TYPE_CURRENT, path)))
        return std::nullopt;
    return Utf8(path);
}

[[noreturn]] void ThrowUnencodable(std::string_view character) {
    throw Error("Shift-JIS に変換できない文字があります: " + std::string(character));
}

// UTF-16 in code page 932 as Windows converts it; false when a character
// has no code there (Windows would put its default character instead).
bool EncodeCp932(std::wstring_view wide, std::string& out) {
    if (wide.empty()) return true;
    const int size = static_cast<int>(wide.size());
    BOOL usedDefault = FALSE;
    const int n = ::WideCharToMultiByte(932, WC_NO_BEST_FIT_CHARS, wide.data(), size, nullptr, 0,
                                        nullptr, &usedDefault);
    if (n <= 0 || usedDefault) return false;
    const std::size_t at = out.size();
    out.resize(at + static_cast<std::size_t>(n));
    ::WideCharToMultiByte(932, WC_NO_BEST_FIT_CHARS, wide.data(), size, out.data() + at, n, nullptr,
                          nullptr);
    return true;
}

// Names the first character of `utf8` that code page 932 cannot take.
[[noreturn]] void ThrowFirstUnencodable(std::string_view utf8) {
    std::string ignored;
    for (std::size_t at = 0, length = 0; at < utf8.size(); at += length) {
        const bool broken = DecodeUtf8(utf8, at, length) == 0xFFFD && length == 1;
        const std::string_view character = utf8.substr(at, length);
        if (broken || !EncodeCp932(Wide(character), ignored)) ThrowUnencodable(character);
    }
    ThrowUnencodable(utf8);
}

bool WriteStandard(DWORD which, std::string_view utf8) {
    HANDLE handle = ::GetStdHandle(which);
    if (handle == nullptr || handle == INVALID_HANDLE_VALUE) return false;
    DWORD mode = 0;
    if (::GetConsoleMode(handle, &mode)) {
        // A console shows characters, whatever its code page (932 or UTF-8).
        const std::wstring wide = Wide(utf8);
        std::wstring_view rest = wide;
        while (!rest.empty()) {
            DWORD written = 0;
            const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(rest.size(), 8192));
            if (!::WriteConsoleW(handle, rest.data(), chunk, &written, nullptr) || written == 0)
                return false;
            rest.remove_prefix(written);
        }
        return true;
    }
    // A file or a pipe takes the bytes as they are, line ends included.
    while (!utf8.empty()) {
        DWORD written = 0;
        const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(utf8.size(), 1u << 30));
        if (!::WriteFile(handle, utf8.data(), chunk, &written, nullptr)) return false;
        utf8.remove_prefix(written);
    }
    return true;
}

}  // namespace

std::optional<std::string> EnvironmentVariable(const char* name) {
    const std::wstring wide = Wide(name);
    const DWORD size = ::GetEnvironmentVariableW(wide.c_str(), nullptr, 0);
    if (size == 0) {
        if (::GetLastError() == ERROR_ENVVAR_NOT_FOUND) return std::nullopt;
        return std::string();
    }
    std::wstring value(size, L'\0');
    const DWORD length = ::GetEnvironmentVariableW(wide.c_str(), value.data(), size);
    value.resize(length);
    return Utf8(value);
}

std::string HomeFolder() {
    if (const auto profile = ShellFolder(CSIDL_PROFILE)) return *profile;
    return EnvironmentVariable("USERPROFILE").value_or("");
}

std::string DocumentsFolder() {
    if (const auto documents = ShellFolder(CSIDL_PERSONAL)) return *documents;
    return HomeFolder();
}

std::string DataFolderByAppData() {
    // Without the shell's folder the path starts at the current drive's root,
    // as an empty path with "\Laprix\temp\" appended does.
    std::string folder = ShellFolder(CSIDL_COMMON_APPDATA).value_or("");
    if (!folder.empty() && IsPathDelimiter(folder.back())) folder.pop_back();
    return folder + "\\Laprix\\temp\\";
}

std::string DataFolderByRegistry() {
    // A plain or an expandable string, not expanded; any other kind of
    // value counts as absent.
    constexpr DWORD kFlags = RRF_RT_REG_SZ | RRF_RT_REG_EXPAND_SZ | RRF_NOEXPAND;
    DWORD bytes = 0;
    if (::RegGetValueW(HKEY_CURRENT_USER, L"Software\\Laprix", L"InstallPath", kFlags, nullptr,
                       nullptr, &bytes) != ERROR_SUCCESS)
        return {};
    std::wstring value(bytes / sizeof(wchar_t) + 1, L'\0');
    bytes = static_cast<DWORD>(value.size() * sizeof(wchar_t));
    if (::RegGetValueW(HKEY_CURRENT_USER, L"Software\\Laprix", L"InstallPath", kFlags, nullptr,
                       value.data(), &bytes) != ERROR_SUCCESS)
        return {};
    value.resize(std::wcslen(value.c_str()));  // as stored, up to its first NUL
    if (value.empty()) return {};
    return Utf8(value) + "Temp\\";
}

std::string AnalysisSoftwareDataFolder() {
    return kAnalysisDataFolder;
}

std::string DisplayPath(const std::string& folder) {
    if (!folder.empty()) return folder;
    // The current folder, where the lap files are then looked for.
    const DWORD size = ::GetCurrentDirectoryW(0, nullptr);
    std::wstring current(size, L'\0');
    current.resize(::GetCurrentDirectoryW(size, current.data()));
    if (current.empty()) return ".";
    std::string path = Utf8(current);
    if (!IsPathDelimiter(path.back())) path += '\\';
    return path;
}

std::string Cp932FromUtf8(std::string_view utf8) {
    std::string out;
    out.reserve(utf8.size());
    std::size_t at = 0;
    while (at < utf8.size()) {
        // ASCII as it is; the rest up to the next ASCII byte through Windows.
        std::size_t end = at;
        while (end < utf8.size() && static_cast<unsigned char>(utf8[end]) < 0x80)
            ++end;
        out.append(utf8.substr(at, end - at));
        at = end;
        while (end < utf8.size() && static_cast<unsigned char>(utf8[end]) >= 0x80)
            ++end;
        if (end == at) continue;
        const std::string_view run = utf8.substr(at, end - at);
        const int size = static_cast<int>(run.size());
        const int n =
            ::MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, run.data(), size, nullptr, 0);
        std::wstring wide(static_cast<std::size_t>(std::max(n, 0)), L'\0');
        if (n <= 0 ||
            ::MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, run.data(), size, wide.data(),
                                  n) != n ||
            !EncodeCp932(wide, out))
            ThrowFirstUnencodable(run);
        at = end;
    }
    return out;
}

std::vector<std::string> ProgramArguments(int argc, char** argv) {
    int count = 0;
    LPWSTR* wide = ::CommandLineToArgvW(::GetCommandLineW(), &count);
    if (wide == nullptr || count != argc) {
        if (wide != nullptr) ::LocalFree(wide);
        return std::vector<std::string>(argv, argv + argc);
    }
    std::vector<std::string> arguments;
    for (int i = 0; i < count; ++i)
        arguments.push_back(Utf8(wide[i]));
    ::LocalFree(wide);
    return arguments;
}

bool WriteStandardOutput(std::string_view utf8) {
    return WriteStandard(STD_OUTPUT_HANDLE, utf8);
}

bool WriteStandardError(std::string_view utf8) {
    return WriteStandard(STD_ERROR_HANDLE, utf8);
}

std::function<std::optional<long>(std::int64_t)> detail::MachineZoneOffsets() {
    DYNAMIC_TIME_ZONE_INFORMATION zone{};
    const bool known = ::GetDynamicTimeZoneInformation(&zone) != TIME_ZONE_ID_INVALID;
    return [zone, known](std::int64_t utcSeconds) mutable -> std::optional<long> {
        if (!known) return std::nullopt;
        constexpr std::int64_t kSecondsFrom1601To1970 = 11'644'473'600;
        const std::int64_t seconds = utcSeconds + kSecondsFrom1601To1970;
        if (seconds < 0) return std::nullopt;
        const std::int64_t ticks = seconds * 10'000'000;
        FILETIME utc{static_cast<DWORD>(ticks & 0xFFFFFFFF), static_cast<DWORD>(ticks >> 32)};
        SYSTEMTIME utcTime{}, localTime{};
        TIME_ZONE_INFORMATION year{};
        FILETIME local{};
        // The zone's rules of that year, as the zone had them then.
        if (!::FileTimeToSystemTime(&utc, &utcTime) ||
            !::GetTimeZoneInformationForYear(utcTime.wYear, &zone, &year) ||
            !::SystemTimeToTzSpecificLocalTime(&year, &utcTime, &localTime) ||
            !::SystemTimeToFileTime(&localTime, &local))
            return std::nullopt;
        const std::int64_t localTicks =
            (static_cast<std::int64_t>(local.dwHighDateTime) << 32) | local.dwLowDateTime;
        return static_cast<long>((localTicks - ticks) / 10'000'000);
    };
}

}  // namespace platform
