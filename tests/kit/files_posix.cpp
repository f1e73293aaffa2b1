// The test kit's files and folders on POSIX systems.
#include <fcntl.h>
#include <stdlib.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <stdexcept>

#include "tests/kit/files.h"
#include "tests/kit/laps.h"

ScratchDir::ScratchDir() {
    std::string pattern = (std::filesystem::temp_directory_path() / "l2q-test-XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
    path_ = pattern;
}

void SetStamp(const std::string& path, std::time_t seconds) {
    const timespec times[2] = {{seconds, 0}, {seconds, 0}};
    if (::utimensat(AT_FDCWD, path.c_str(), times, AT_SYMLINK_NOFOLLOW) != 0)
        throw std::runtime_error("utimensat failed on " + path);
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
