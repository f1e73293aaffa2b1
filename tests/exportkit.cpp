#include "tests/exportkit.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <stdexcept>

#include "tests/testutil.h"

namespace {

// Days from 1970-01-01 of a proleptic Gregorian date.
long DaysFromCivil(int y, int m, int d) {
    y -= m <= 2;
    const long era = (y >= 0 ? y : y - 399) / 400;
    const long yoe = y - era * 400;
    const long doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const long doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + doe - 719468;
}

}  // namespace

TDateTime At(int year, int month, int day, int hour, int minute, int second, int msec) {
    const long days = DaysFromCivil(year, month, day) + 25569;
    const long msOfDay = ((hour * 60L + minute) * 60 + second) * 1000 + msec;
    return static_cast<double>(days) + static_cast<double>(msOfDay) / 86'400'000.0;
}

std::vector<TPosDtRec> StraightLap(TDateTime start, int count, double stepSeconds, Extended speed) {
    std::vector<TPosDtRec> recs;
    for (int i = 0; i < count; ++i) {
        const double t = i * stepSeconds;
        TPosDtRec r = Sample(start + t / 86400.0, 35.0L, 139.0L + i * 1e-5L, speed, t);
        r.DistKm = static_cast<Extended>(speed) * t / 3600;
        r.SatCount = 9;
        recs.push_back(r);
    }
    return recs;
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
    const int fd = ::open(path.c_str(), O_RDONLY);
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

std::vector<std::string> FolderEntries(const std::string& folder) {
    std::vector<std::string> names;
    if (DIR* dir = ::opendir(folder.c_str())) {
        while (const dirent* e = ::readdir(dir)) {
            const std::string name = e->d_name;
            if (name != "." && name != "..") names.push_back(name);
        }
        ::closedir(dir);
    }
    std::sort(names.begin(), names.end());
    return names;
}

std::vector<std::string> CsvRows(const std::string& bytes) {
    std::vector<std::string> rows;
    std::size_t from = 0;
    for (auto at = bytes.find("\r\n"); at != std::string::npos; at = bytes.find("\r\n", from)) {
        rows.push_back(bytes.substr(from, at - from));
        from = at + 2;
    }
    if (from < bytes.size()) rows.push_back(bytes.substr(from));
    return rows;
}

ProgramRun RunProgram(const std::string& program, const std::vector<std::string>& args,
                      const std::string& cwd, const std::vector<std::string>& env) {
    ScratchDir capture;
    const std::string outPath = capture / "out", errPath = capture / "err";
    const pid_t pid = ::fork();
    if (pid < 0) throw std::runtime_error("fork failed");
    if (pid == 0) {
        const int out = ::open(outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        const int err = ::open(errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        if (out < 0 || err < 0 || ::dup2(out, 1) < 0 || ::dup2(err, 2) < 0 ||
            ::chdir(cwd.c_str()) != 0)
            ::_exit(127);
        for (const std::string& e : env)
            ::putenv(const_cast<char*>(e.c_str()));
        std::vector<char*> argv;
        argv.push_back(const_cast<char*>(program.c_str()));
        for (const std::string& a : args)
            argv.push_back(const_cast<char*>(a.c_str()));
        argv.push_back(nullptr);
        ::execv(program.c_str(), argv.data());
        ::_exit(127);
    }
    int status = 0;
    while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    ProgramRun run;
    run.Status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    run.Out = ReadBytes(outPath);
    run.Err = ReadBytes(errPath);
    return run;
}
