// Helpers of the lap list, export and lapcsv tests: date-time values, small
// laps, scripted answers to the export prompts, file stamps and runs of a
// program.
#pragma once

#include <ctime>
#include <optional>
#include <string>
#include <vector>

#include "common/datetime.h"
#include "export/prompts.h"
#include "lapdata/lapfile.h"

// The date-time value of a calendar instant.
TDateTime At(int year, int month, int day, int hour, int minute, int second, int msec = 0);

// `count` samples from `start`, `stepSeconds` apart, heading east at
// `speed` km/h, with ElapsedSec, Elapsed and DistKm filled in.
std::vector<TPosDtRec> StraightLap(TDateTime start, int count, double stepSeconds = 0.05,
                                   Extended speed = 72);

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

// The answers a user would give, and a record of what was asked.
class ScriptedPrompts : public ExportPrompts {
  public:
    std::vector<std::string> OpenPaths;   // answered in order, then cancel
    std::optional<std::string> SavePath;  // nothing: cancel
    bool Overwrite = false;               // the answer to the warning

    std::vector<std::string> OpenFolders;  // every folder set
    int OpenDialogs = 0;
    std::vector<std::string> SavePresets;  // the preset of every save dialog
    std::vector<std::string> Warnings;
    std::vector<std::string> Informations;

    void SetOpenFolder(const std::string& folder) override { OpenFolders.push_back(folder); }
    std::optional<std::string> AskOpenPath() override {
        if (static_cast<std::size_t>(OpenDialogs) >= OpenPaths.size()) {
            ++OpenDialogs;
            return std::nullopt;
        }
        return OpenPaths[static_cast<std::size_t>(OpenDialogs++)];
    }
    std::optional<std::string> AskSavePath(const std::string& fileName) override {
        SavePresets.push_back(fileName);
        return SavePath;
    }
    bool AskYesNoWarning(const std::string& text) override {
        Warnings.push_back(text);
        return Overwrite;
    }
    void ShowInformation(const std::string& text) override { Informations.push_back(text); }
};

// The names in `folder` (with its trailing '/'), sorted.
std::vector<std::string> FolderEntries(const std::string& folder);

// CSV bytes split into lines at CR LF; the text after the last CR LF is
// returned as a last line only when not empty.
std::vector<std::string> CsvRows(const std::string& bytes);

struct ProgramRun {
    int Status = -1;  // exit code, or -1 when killed by a signal
    std::string Out;
    std::string Err;
};
// Runs `program` with `args` in folder `cwd`, with `env` ("NAME=value")
// added to the environment, and collects its output.
ProgramRun RunProgram(const std::string& program, const std::vector<std::string>& args,
                      const std::string& cwd, const std::vector<std::string>& env = {});
