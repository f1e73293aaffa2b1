// Test helpers for files and folders: a scratch folder, whole-file reads
// and writes, stamps, and ways to make opening fail.
#pragma once

#include <ctime>
#include <filesystem>
#include <string>
#include <vector>

// Paths in the tests are UTF-8 text, as at the seam; these convert them
// for the standard library, which would read narrow text in the ANSI code
// page on Windows.
std::filesystem::path PathOf(const std::string& utf8);
std::string Utf8Of(const std::filesystem::path& path);

// A fresh folder under the system's temporary folder, removed with its
// content when the object goes.
class ScratchDir {
  public:
    ScratchDir();
    ~ScratchDir();
    ScratchDir(const ScratchDir&) = delete;
    ScratchDir& operator=(const ScratchDir&) = delete;

    // The folder with a trailing '/', as the data folder is written.
    std::string Path() const { return Utf8Of(path_) + "/"; }
    std::string operator/(const std::string& name) const { return Path() + name; }

  private:
    std::filesystem::path path_;
};

void WriteBytes(const std::string& path, const std::string& bytes);
std::string ReadBytes(const std::string& path);

// The names in `folder`, sorted.
std::vector<std::string> FolderEntries(const std::string& folder);

// Sets the last-write time of the entry itself (not a link's target).
void SetStamp(const std::string& path, std::time_t seconds);
// Seconds since the epoch of a local calendar time.
std::time_t LocalSeconds(int year, int month, int day, int hour, int minute, int second);

// Makes `path` an entry that looks like a lap file but cannot be opened:
// a file without permissions, or for root (whom permissions do not stop) a
// link to a kernel setting that is write-only even for root. False when
// neither works here.
bool MakeUnopenableLapFile(const std::string& path);

// While it lives, opening any file fails with "too many open files": the
// process may hold no descriptor beyond those already open.
class NoMoreFiles {
  public:
    // False in sanitizer builds: their run-time checks need descriptors of
    // their own and report false errors without them.
    static bool Usable();
    NoMoreFiles();
    ~NoMoreFiles();
    NoMoreFiles(const NoMoreFiles&) = delete;
    NoMoreFiles& operator=(const NoMoreFiles&) = delete;

  private:
    unsigned long old_;
};
