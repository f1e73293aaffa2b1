// The test kit's files and folders on Windows.
#include <windows.h>

#include <random>
#include <stdexcept>

#include "tests/kit/files.h"

ScratchDir::ScratchDir() {
    std::random_device seed;
    std::mt19937 random(seed());
    for (int attempt = 0; attempt < 100; ++attempt) {
        path_ = std::filesystem::temp_directory_path() /
                ("l2q-test-" + std::to_string(random() % 1'000'000'000));
        if (std::filesystem::create_directory(path_)) return;
    }
    throw std::runtime_error("no fresh scratch folder");
}

void SetStamp(const std::string& path, std::time_t seconds) {
    // FILETIME counts 100 ns from 1601.
    const long long ticks = (static_cast<long long>(seconds) + 11'644'473'600LL) * 10'000'000;
    const FILETIME time{static_cast<DWORD>(ticks & 0xFFFFFFFF), static_cast<DWORD>(ticks >> 32)};
    HANDLE file = ::CreateFileA(
        path.c_str(), FILE_WRITE_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
        nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
    const bool set = file != INVALID_HANDLE_VALUE && ::SetFileTime(file, nullptr, &time, &time);
    if (file != INVALID_HANDLE_VALUE) ::CloseHandle(file);
    if (!set) throw std::runtime_error("cannot set the time of " + path);
}

// Windows has no permission bits that stop the owner, nor a descriptor limit
// to lower: the tests that need them skip.
bool MakeUnopenableLapFile(const std::string&) {
    return false;
}

bool NoMoreFiles::Usable() {
    return false;
}

NoMoreFiles::NoMoreFiles() : old_(0) {}

NoMoreFiles::~NoMoreFiles() = default;
