// Files and folders as the lap data and the exports need them. Paths are
// UTF-8 text; errors are thrown as Error with the input/output message, the
// path and the system's own code.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace platform {

// An open file: a descriptor on POSIX systems, a HANDLE on Windows.
using NativeHandle = std::intptr_t;

enum class EntryKind { Missing, File, Folder, Other };

// What the path names, following links.
EntryKind KindOf(const std::string& path);

// A last-write time in local time at two-second resolution (the odd second
// dropped), packed so that later stamps compare greater.
using FileStamp = std::int64_t;

// The stamp of the entry itself (a link's own time); nothing when the entry
// is gone or its time lies beyond the calendar.
std::optional<FileStamp> StampOf(const std::string& path);
// The stamp of a time given in seconds since 1970 (nothing beyond the calendar).
std::optional<FileStamp> StampOfTime(std::int64_t secondsSince1970);

// The names of the entries of a folder ("" for the current one), in no
// particular order; nothing when it cannot be read.
std::vector<std::string> FolderEntryNames(const std::string& folder);

// A regular file opened for reading, without blocking on whatever else the
// name may turn out to be, and shared so that its writer may go on writing.
class InputFile {
  public:
    // Nothing when the path names no regular file (missing, a folder, a
    // FIFO, a device...). An entry that exists but cannot be opened throws.
    static std::optional<InputFile> Open(const std::string& path);
    InputFile(InputFile&& other) noexcept;
    InputFile& operator=(InputFile&&) = delete;
    ~InputFile();

    std::uint64_t Size() const { return size_; }
    // Reads up to `size` bytes; 0 at the end of the file.
    std::size_t Read(unsigned char* into, std::size_t size);

  private:
    InputFile(NativeHandle handle, std::uint64_t size, std::string path)
        : handle_(handle), size_(size), path_(std::move(path)) {}
    NativeHandle handle_;
    std::uint64_t size_;
    std::string path_;
};

// A file written under a temporary name in the target's folder and put in
// the target's place in one step by Commit: until then the target stays as
// it was, and a file that is never committed leaves nothing behind.
class AtomicFile {
  public:
    explicit AtomicFile(std::string target);
    AtomicFile(const AtomicFile&) = delete;
    AtomicFile& operator=(const AtomicFile&) = delete;
    ~AtomicFile();

    void Write(std::string_view bytes);
    // Flushes to disk and renames over the target.
    void Commit();

    const std::string& Target() const { return target_; }

  private:
    void Discard() noexcept;
    std::string target_;
    std::string temp_;
    NativeHandle handle_ = -1;
    std::uint64_t written_ = 0;    // bytes written so far
    std::uint64_t writeBack_ = 0;  // bytes whose write-back has been started
};

// The path of the entry in `folder` (with its trailing '/', or empty for the
// current folder) named `name`: the name as written when it exists, else the
// entry equal to it ignoring ASCII letter case (the first in byte order),
// else folder + name. Letter case carries no meaning in the names the
// analysis software writes, and Windows finds them whatever their case.
std::string FindIgnoringCase(const std::string& folder, const std::string& name);

// The same lookup for a whole path: the file itself when it exists, else
// the entry of its folder equal to its name ignoring ASCII case.
std::string FindPathIgnoringCase(const std::string& path);

// The same lookup for many names in one folder, listing it once. A folder
// that is there but cannot be listed is an error, not a folder of missing
// laps.
class FolderIndex {
  public:
    explicit FolderIndex(std::string folder);
    std::string Find(const std::string& name) const;

  private:
    std::string folder_;
    std::vector<std::string> names_;  // sorted by lower-cased name, then bytes
};

}  // namespace platform
