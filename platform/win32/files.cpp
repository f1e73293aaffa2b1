// Files and folders on Windows: wide-character calls, UTF-8 paths.
#include "platform/files.h"

#include <windows.h>

#include "platform/entries.h"
#include "platform/tempname.h"
#include "platform/win32/ioerror.h"
#include "platform/win32/wide.h"
#include "text/names.h"

namespace platform {

using win32::ThrowIoError;
using win32::Wide;

namespace {

HANDLE AsHandle(NativeHandle handle) {
    return reinterpret_cast<HANDLE>(handle);
}

NativeHandle AsNative(HANDLE handle) {
    return reinterpret_cast<NativeHandle>(handle);
}

constexpr NativeHandle kNoHandle = -1;  // INVALID_HANDLE_VALUE

// A local FILETIME as a stamp: the MS-DOS date and time the old runtime
// compared, two seconds apart; nothing outside the years 1980 to 2107.
std::optional<FileStamp> StampOfUtcFileTime(const FILETIME& utc) {
    FILETIME local{};
    WORD date = 0, time = 0;
    if (!::FileTimeToLocalFileTime(&utc, &local) || !::FileTimeToDosDateTime(&local, &date, &time))
        return std::nullopt;
    FileStamp s = 1980 + (date >> 9);
    s = s * 16 + ((date >> 5) & 15);
    s = s * 32 + (date & 31);
    s = s * 32 + (time >> 11);
    s = s * 64 + ((time >> 5) & 63);
    s = s * 32 + (time & 31);
    return s;
}

bool IsMissing(DWORD error) {
    return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND;
}

}  // namespace

bool detail::EntryExists(const std::string& path) {
    return ::GetFileAttributesW(Wide(path).c_str()) != INVALID_FILE_ATTRIBUTES;
}

EntryKind KindOf(const std::string& path) {
    const DWORD attributes = ::GetFileAttributesW(Wide(path).c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) return EntryKind::Missing;
    if (attributes & FILE_ATTRIBUTE_DIRECTORY) return EntryKind::Folder;
    if (attributes & FILE_ATTRIBUTE_DEVICE) return EntryKind::Other;
    return EntryKind::File;
}

std::optional<FileStamp> StampOfTime(std::int64_t secondsSince1970) {
    // FILETIME counts 100 ns from 1601.
    constexpr std::int64_t kSecondsFrom1601To1970 = 11'644'473'600;
    const std::int64_t ticks = (secondsSince1970 + kSecondsFrom1601To1970) * 10'000'000;
    if (secondsSince1970 < -kSecondsFrom1601To1970) return std::nullopt;
    FILETIME utc{};
    utc.dwLowDateTime = static_cast<DWORD>(ticks & 0xFFFFFFFF);
    utc.dwHighDateTime = static_cast<DWORD>(ticks >> 32);
    return StampOfUtcFileTime(utc);
}

std::optional<FileStamp> StampOf(const std::string& path) {
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (!::GetFileAttributesExW(Wide(path).c_str(), GetFileExInfoStandard, &data))
        return std::nullopt;
    return StampOfUtcFileTime(data.ftLastWriteTime);
}

std::vector<std::string> detail::ListFolder(const std::string& folder, bool strict) {
    std::vector<std::string> names;
    std::string pattern = folder;
    if (!pattern.empty() && !IsPathDelimiter(pattern.back())) pattern += '\\';
    pattern += '*';
    WIN32_FIND_DATAW found{};
    HANDLE search = ::FindFirstFileExW(Wide(pattern).c_str(), FindExInfoBasic, &found,
                                       FindExSearchNameMatch, nullptr, FIND_FIRST_EX_LARGE_FETCH);
    if (search == INVALID_HANDLE_VALUE) {
        const DWORD error = ::GetLastError();
        if (strict && !IsMissing(error) && error != ERROR_DIRECTORY) ThrowIoError(error, folder);
        return names;
    }
    do {
        const std::wstring_view name = found.cFileName;
        if (name != L"." && name != L"..") names.push_back(win32::Utf8(name));
    } while (::FindNextFileW(search, &found));
    const DWORD error = ::GetLastError();
    ::FindClose(search);
    if (strict && error != ERROR_NO_MORE_FILES) ThrowIoError(error, folder);
    return names;
}

std::optional<InputFile> InputFile::Open(const std::string& path) {
    const std::wstring wide = Wide(path);
    const DWORD attributes = ::GetFileAttributesW(wide.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        const DWORD error = ::GetLastError();
        if (IsMissing(error)) return std::nullopt;
        ThrowIoError(error, path);
    }
    if (attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_DEVICE)) return std::nullopt;
    // Shared for writing and deleting: the analysis software may go on
    // writing its lap files while they are read.
    HANDLE file = ::CreateFileW(wide.c_str(), GENERIC_READ,
                                FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        const DWORD error = ::GetLastError();
        if (IsMissing(error)) return std::nullopt;  // gone in between
        ThrowIoError(error, path);
    }
    LARGE_INTEGER size{};
    if (::GetFileType(file) != FILE_TYPE_DISK) {
        ::CloseHandle(file);
        return std::nullopt;
    }
    if (!::GetFileSizeEx(file, &size)) {
        const DWORD error = ::GetLastError();
        ::CloseHandle(file);
        ThrowIoError(error, path);
    }
    return InputFile(AsNative(file), static_cast<std::uint64_t>(size.QuadPart), path);
}

InputFile::InputFile(InputFile&& other) noexcept
    : handle_(other.handle_), size_(other.size_), path_(std::move(other.path_)) {
    other.handle_ = kNoHandle;
}

InputFile::~InputFile() {
    if (handle_ != kNoHandle) ::CloseHandle(AsHandle(handle_));
}

std::size_t InputFile::Read(unsigned char* into, std::size_t size) {
    const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(size, 1u << 30));
    DWORD got = 0;
    if (!::ReadFile(AsHandle(handle_), into, chunk, &got, nullptr))
        ThrowIoError(::GetLastError(), path_);
    return got;
}

AtomicFile::AtomicFile(std::string target) : target_(std::move(target)) {
    detail::TemporaryNames names(target_);
    for (int attempt = 0; attempt < detail::TemporaryNames::kAttempts; ++attempt) {
        temp_ = names.Next();
        HANDLE file = ::CreateFileW(Wide(temp_).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                    FILE_ATTRIBUTE_NORMAL, nullptr);
        if (file != INVALID_HANDLE_VALUE) {
            handle_ = AsNative(file);
            return;
        }
        const DWORD error = ::GetLastError();
        if (error == ERROR_FILE_EXISTS || error == ERROR_ALREADY_EXISTS) continue;
        ThrowIoError(error, target_);
    }
    ThrowIoError(ERROR_FILE_EXISTS, target_);
}

AtomicFile::~AtomicFile() {
    Discard();
}

void AtomicFile::Discard() noexcept {
    if (handle_ == kNoHandle) return;
    ::CloseHandle(AsHandle(handle_));
    ::DeleteFileW(Wide(temp_).c_str());
    handle_ = kNoHandle;
}

void AtomicFile::Write(std::string_view bytes) {
    while (!bytes.empty()) {
        const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(bytes.size(), 1u << 30));
        DWORD written = 0;
        if (!::WriteFile(AsHandle(handle_), bytes.data(), chunk, &written, nullptr)) {
            const DWORD error = ::GetLastError();
            Discard();
            ThrowIoError(error, target_);
        }
        bytes.remove_prefix(written);
    }
}

void AtomicFile::Commit() {
    DWORD error = 0;
    if (!::FlushFileBuffers(AsHandle(handle_))) error = ::GetLastError();
    if (!::CloseHandle(AsHandle(handle_)) && error == 0) error = ::GetLastError();
    handle_ = kNoHandle;
    if (error == 0 && !::MoveFileExW(Wide(temp_).c_str(), Wide(target_).c_str(),
                                     MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        error = ::GetLastError();
    if (error != 0) {
        ::DeleteFileW(Wide(temp_).c_str());
        ThrowIoError(error, target_);
    }
}

}  // namespace platform
