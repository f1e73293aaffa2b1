#include "tests/kit/files.h"

#include <fcntl.h>
#include <stdlib.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <fstream>
#include <sstream>
#include <stdexcept>

#include "tests/kit/laps.h"

ScratchDir::ScratchDir() {
    std::string pattern = (std::filesystem::temp_directory_path() / "l2q-test-XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
    path_ = pattern;
}

ScratchDir::~ScratchDir() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
}

void WriteBytes(const std::string& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (!out) throw std::runtime_error("cannot write " + path);
}

std::string ReadBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

std::vector<std::string> FolderEntries(const std::string& folder) {
    std::vector<std::string> names;
    std::error_code ec;
    for (const auto& entry : std::filesystem::directory_iterator(folder, ec))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

void SetStamp(const std::string& path, std::time_t seconds) {
    const timespec times[2] = {{seconds, 0}, {seconds, 0}};
    if (::utimensat(AT_FDCWD, path.c_str(), times, AT_SYMLINK_NOFOLLOW) != 0)
        throw std::runtime_error("utimensat failed on " + path);
}

std::time_t LocalSeconds(int year, int month, int day, int hour, int minute, int second) {
    std::tm t{};
    t.tm_year = year - 1900;
    t.tm_mon = month - 1;
    t.tm_mday = day;
    t.tm_hour = hour;
    t.tm_min = minute;
    t.tm_sec = second;
    t.tm_isdst = -1;
    return std::mktime(&t);
}

bool MakeUnopenableLapFile(const std::string& path) {
    if (::geteuid() != 0) {
        WriteBytes(path, LapBytes(StraightLap(At(2012, 5, 3, 10, 0, 0), 3)));
        ::chmod(path.c_str(), 0);
    } else if (::symlink("/proc/sys/vm/drop_caches", path.c_str()) != 0) {
        return false;
    }
    struct stat st {};
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK);
    if (fd >= 0) ::close(fd);
    if (fd < 0 && ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode)) return true;
    ::unlink(path.c_str());
    return false;
}

bool NoMoreFiles::Usable() {
#if defined(__SANITIZE_ADDRESS__)
    return false;
#else
    return true;
#endif
}

NoMoreFiles::NoMoreFiles() {
    rlimit limit{};
    ::getrlimit(RLIMIT_NOFILE, &limit);
    old_ = limit.rlim_cur;
    // The lowest free descriptor: every open would take it.
    const int probe = ::open("/dev/null", O_RDONLY);
    if (probe < 0) throw std::runtime_error("cannot open /dev/null");
    ::close(probe);
    limit.rlim_cur = static_cast<rlim_t>(probe);
    if (::setrlimit(RLIMIT_NOFILE, &limit) != 0) throw std::runtime_error("setrlimit failed");
}

NoMoreFiles::~NoMoreFiles() {
    rlimit limit{};
    ::getrlimit(RLIMIT_NOFILE, &limit);
    limit.rlim_cur = static_cast<rlim_t>(old_);
    ::setrlimit(RLIMIT_NOFILE, &limit);
}
