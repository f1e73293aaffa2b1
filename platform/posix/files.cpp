// Files and folders on POSIX systems.
#include "platform/files.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <ctime>

#include "platform/entries.h"
#include "platform/posix/ioerror.h"
#include "platform/tempname.h"
#include "text/names.h"

namespace platform {

using posix::ThrowIoError;

namespace {

// Writes all bytes, going on after interruptions and partial writes.
// The most bytes a file being written holds in memory, not yet on its way
// to disk.
constexpr std::uint64_t kWriteBackBytes = 8 << 20;

void WriteAll(int fd, std::string_view bytes, const std::string& path) {
    while (!bytes.empty()) {
        const ssize_t n = ::write(fd, bytes.data(), bytes.size());
        if (n < 0) {
            if (errno == EINTR) continue;
            ThrowIoError(errno, path);
        }
        bytes.remove_prefix(static_cast<std::size_t>(n));
    }
}

}  // namespace

bool detail::EntryExists(const std::string& path) {
    struct stat st {};
    return ::lstat(path.c_str(), &st) == 0;
}

EntryKind KindOf(const std::string& path) {
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) return EntryKind::Missing;
    if (S_ISREG(st.st_mode)) return EntryKind::File;
    if (S_ISDIR(st.st_mode)) return EntryKind::Folder;
    return EntryKind::Other;
}

std::optional<FileStamp> StampOfTime(std::int64_t secondsSince1970) {
    const auto seconds = static_cast<std::time_t>(secondsSince1970);
    std::tm t{};
    if (::localtime_r(&seconds, &t) == nullptr) return std::nullopt;
    FileStamp s = static_cast<FileStamp>(t.tm_year) + 1900;
    s = s * 16 + t.tm_mon + 1;
    s = s * 32 + t.tm_mday;
    s = s * 32 + t.tm_hour;
    s = s * 64 + t.tm_min;
    s = s * 32 + t.tm_sec / 2;
    return s;
}

std::optional<FileStamp> StampOf(const std::string& path) {
    struct stat st {};
    if (::lstat(path.c_str(), &st) != 0) return std::nullopt;
    return StampOfTime(st.st_mtim.tv_sec);
}

std::vector<std::string> detail::ListFolder(const std::string& folder, bool strict) {
    std::vector<std::string> names;
    DIR* dir = ::opendir(folder.empty() ? "." : folder.c_str());
    if (dir == nullptr) {
        if (strict && errno != ENOENT && errno != ENOTDIR) ThrowIoError(errno, folder);
        return names;
    }
    while (const dirent* entry = ::readdir(dir)) {
        const std::string_view name = entry->d_name;
        if (name != "." && name != "..") names.emplace_back(name);
    }
    ::closedir(dir);
    return names;
}

std::optional<InputFile> InputFile::Open(const std::string& path) {
    // Without blocking: a FIFO put in a lap file's place would otherwise
    // wait for a writer forever. What was opened is checked afterwards.
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
    if (fd < 0) {
        const int err = errno;
        // A name that names nothing is no lap file; an entry that is there
        // but cannot be opened is an error.
        struct stat st {};
        if (::stat(path.c_str(), &st) != 0) return std::nullopt;
        ThrowIoError(err, path);
    }
    struct stat st {};
    if (::fstat(fd, &st) != 0) {
        const int err = errno;
        ::close(fd);
        ThrowIoError(err, path);
    }
    if (!S_ISREG(st.st_mode)) {
        ::close(fd);
        return std::nullopt;
    }
    return InputFile(fd, static_cast<std::uint64_t>(st.st_size), path);
}

InputFile::InputFile(InputFile&& other) noexcept
    : handle_(other.handle_), size_(other.size_), path_(std::move(other.path_)) {
    other.handle_ = -1;
}

InputFile::~InputFile() {
    if (handle_ >= 0) ::close(static_cast<int>(handle_));
}

std::size_t InputFile::Read(unsigned char* into, std::size_t size) {
    for (;;) {
        const ssize_t got = ::read(static_cast<int>(handle_), into, size);
        if (got >= 0) return static_cast<std::size_t>(got);
        if (errno == EINTR) continue;
        ThrowIoError(errno, path_);
    }
}

AtomicFile::AtomicFile(std::string target) : target_(std::move(target)) {
    detail::TemporaryNames names(target_);
    for (int attempt = 0; attempt < detail::TemporaryNames::kAttempts; ++attempt) {
        temp_ = names.Next();
        // The system applies the user's file-creation mask to 0666 itself.
        handle_ = ::open(temp_.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (handle_ >= 0) break;
        if (errno == EEXIST) continue;
        // A folder that does not exist is a bad path, not a missing file.
        ThrowIoError(errno == ENOENT ? ENOTDIR : errno, target_);
    }
    if (handle_ < 0) ThrowIoError(EEXIST, target_);
    // A replaced file keeps its permissions.
    struct stat st {};
    if (::stat(target_.c_str(), &st) == 0 && S_ISREG(st.st_mode) &&
        ::fchmod(static_cast<int>(handle_), st.st_mode & 07777) != 0) {
        const int err = errno;
        Discard();
        ThrowIoError(err, target_);
    }
}

AtomicFile::~AtomicFile() {
    Discard();
}

void AtomicFile::Discard() noexcept {
    if (handle_ < 0) return;
    ::close(static_cast<int>(handle_));
    ::unlink(temp_.c_str());
    handle_ = -1;
}

void AtomicFile::Write(std::string_view bytes) {
    try {
        WriteAll(static_cast<int>(handle_), bytes, target_);
    } catch (...) {
        Discard();
        throw;
    }
    // Start writing back what has piled up, so that Commit's flush to disk
    // waits for the last part only. A hint: Commit's fsync reports errors.
    written_ += bytes.size();
    if (written_ - writeBack_ >= kWriteBackBytes) {
        ::sync_file_range(handle_, static_cast<off_t>(writeBack_),
                          static_cast<off_t>(written_ - writeBack_), SYNC_FILE_RANGE_WRITE);
        writeBack_ = written_;
    }
}

void AtomicFile::Commit() {
    int err = 0;
    if (::fsync(static_cast<int>(handle_)) != 0) err = errno;
    if (::close(static_cast<int>(handle_)) != 0 && err == 0) err = errno;
    handle_ = -1;
    if (err == 0 && ::rename(temp_.c_str(), target_.c_str()) != 0) err = errno;
    if (err != 0) {
        ::unlink(temp_.c_str());
        ThrowIoError(err, target_);
    }
}

}  // namespace platform
