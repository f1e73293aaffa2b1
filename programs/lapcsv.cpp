// lapcsv: the lap list and the three CSV exports from the command line, by
// the very commands the window runs; the answers the window's dialogs would
// give come from the arguments.
#include <sys/stat.h>

#include <CLI/CLI.hpp>
#include <cstdint>
#include <cstdio>
#include <deque>
#include <iostream>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "common/csvfile.h"
#include "common/names.h"
#include "export/overlay.h"
#include "export/prompts.h"
#include "export/rawlog.h"
#include "lapdata/lapslot.h"
#include "laplist/datafolder.h"
#include "laplist/lapfiles.h"
#include "laplist/lapgrid.h"
#include "laplist/laplistwalk.h"

#ifndef L2Q_VERSION
#define L2Q_VERSION "0.0.0"
#endif

namespace {

// An error found by lapcsv itself, shown like any other.
class CommandError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

bool FileExists(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && !S_ISDIR(st.st_mode);
}

// The dialogs answered from the arguments: the files to open in their
// order, OUT as the save path, and -f as the answer to every question about
// replacing a file. A refusal ends the command the way "No" does.
class ArgumentPrompts : public ExportPrompts {
  public:
    ArgumentPrompts(std::vector<std::string> openPaths, std::string out, bool force)
        : openPaths_(openPaths.begin(), openPaths.end()), out_(std::move(out)), force_(force) {}

    void SetOpenFolder(const std::string&) override {}
    std::optional<std::string> AskOpenPath() override {
        if (openPaths_.empty()) return std::nullopt;
        std::string path = std::move(openPaths_.front());
        openPaths_.pop_front();
        return path;
    }
    // The save dialog's own question about an existing file, asked of the
    // name that will be written.
    std::optional<std::string> AskSavePath(const std::string&) override {
        saveAsked_ = true;
        if (!force_ && FileExists(ChangeExtToCsv(out_))) {
            refused_ = true;
            return std::nullopt;
        }
        return out_;
    }
    bool AskYesNoWarning(const std::string&) override {
        if (!force_) refused_ = true;
        return force_;
    }
    void ShowInformation(const std::string&) override {}

    bool SaveAsked() const { return saveAsked_; }
    // The message for a target that was kept, or empty.
    std::string Refusal() const {
        return refused_ ? FileNameOf(ChangeExtToCsv(out_)) + " は既に存在します。" : std::string();
    }

  private:
    std::deque<std::string> openPaths_;
    std::string out_;
    bool force_;
    bool refused_ = false;
    bool saveAsked_ = false;
};

// TempDir from --dir (a trailing '/' added), else version 2.0.0's.
std::string TempDirOf(const std::optional<std::string>& dir) {
    if (!dir) return TempDirByAppData(WinePrefix());
    if (dir->empty() || dir->back() == '/') return *dir;
    return *dir + '/';
}

void RequireFolder(const std::string& tempDir) {
    if (tempDir.empty()) return;  // the current folder
    struct stat st {};
    if (::stat(tempDir.c_str(), &st) != 0 || !S_ISDIR(st.st_mode))
        throw CommandError("フォルダが見つかりません: " + tempDir);
}

// The lap list of the folder, as the window fills it.
std::int32_t ListLaps(const std::string& tempDir, MemoryLapGrid& grid) {
    RequireFolder(tempDir);
    WriteLapHeadings(grid);
    std::int32_t lapRowCount = 0;
    const std::vector<std::string> tempList = FindLapFileNames(tempDir);
    if (!tempList.empty()) LoadListMsg(tempDir, tempList, grid, lapRowCount);
    return lapRowCount;
}

int RowOfDataNo(const MemoryLapGrid& grid, std::int32_t rows, const std::string& dataNo) {
    for (int r = 1; r <= rows; ++r)
        if (EqualIgnoringAsciiCase(grid.Cell(0, r), dataNo)) return r;
    return 0;
}

// The rows of FIRST[-LAST]. A data number may itself hold '-', so every
// split is tried.
void SelectLaps(MemoryLapGrid& grid, std::int32_t rows, const std::string& laps) {
    if (const int r = RowOfDataNo(grid, rows, laps)) return grid.Select(r, r);
    std::string unknown = laps;
    for (auto dash = laps.find('-'); dash != std::string::npos; dash = laps.find('-', dash + 1)) {
        const std::string first = laps.substr(0, dash), last = laps.substr(dash + 1);
        const int top = RowOfDataNo(grid, rows, first);
        const int bottom = RowOfDataNo(grid, rows, last);
        if (top != 0 && bottom != 0) {
            if (top > bottom)
                throw CommandError("データ番号 " + first + " は " + last + " より後にあります");
            return grid.Select(top, bottom);
        }
        if (unknown == laps) unknown = top == 0 ? first : last;
    }
    throw CommandError("データ番号が見つかりません: " + unknown);
}

int RunList(const std::optional<std::string>& dir) {
    MemoryLapGrid grid;
    const std::int32_t rows = ListLaps(TempDirOf(dir), grid);
    std::string text;
    for (int r = 0; r <= rows; ++r) {
        for (int col = 0; col < kLapColumns; ++col) {
            if (col > 0) text += '\t';
            text += grid.Cell(col, r);
        }
        text += '\n';
    }
    std::fwrite(text.data(), 1, text.size(), stdout);
    return std::fflush(stdout) == 0 ? 0 : 1;
}

int Finish(const ArgumentPrompts& prompts) {
    const std::string refusal = prompts.Refusal();
    if (refusal.empty()) return 0;
    std::cerr << refusal << '\n';
    return 1;
}

int RunOverlay(const std::optional<std::string>& dir, const std::optional<std::string>& laps,
               const std::string& out, bool force) {
    const std::string tempDir = TempDirOf(dir);
    SetUpLapSlot();
    MemoryLapGrid grid;
    const std::int32_t rows = ListLaps(tempDir, grid);
    if (rows == 0)
        throw CommandError("ラップファイルがありません: " + (tempDir.empty() ? "." : tempDir));
    if (laps)
        SelectLaps(grid, rows, *laps);
    else
        grid.Select(1, rows);
    ArgumentPrompts prompts({}, out, force);
    ButtonCnvClick(tempDir, grid, prompts);
    ReleaseLapSlot();
    return Finish(prompts);
}

int RunFiles(const std::vector<std::string>& files, const std::string& out, bool force) {
    SetUpLapSlot();
    ArgumentPrompts prompts(files, out, force);
    Button1Click(std::string(), prompts);
    ReleaseLapSlot();
    return Finish(prompts);
}

int RunRaw(const std::string& file, const std::string& out, bool force) {
    ArgumentPrompts prompts({file}, out, force);
    std::vector<TPosDtRec> posBuf;
    ButtonGoClick(std::string(), prompts, posBuf);
    // The window ends silently on a file that is not a lap file; a script
    // deserves to hear that nothing was written.
    if (!prompts.SaveAsked()) throw CommandError("ラップファイルではありません: " + file);
    return Finish(prompts);
}

}  // namespace

int main(int argc, char** argv) {
    CLI::App app{"Laprix のラップファイルから Quorbel 用の CSV ファイルを作ります。", "lapcsv"};
    app.set_version_flag("--version", std::string("lapcsv ") + L2Q_VERSION);
    app.require_subcommand(1);
    app.failure_message(CLI::FailureMessage::help);

    std::optional<std::string> dir, laps;
    std::string out;
    bool force = false;
    std::vector<std::string> files;
    std::string file;

    CLI::App* list = app.add_subcommand("list", "ラップ一覧を表示します (タブ区切り)");
    list->add_option("--dir", dir,
                     "ラップファイルのフォルダ (既定: Wine の ProgramData/Laprix/temp)")
        ->type_name("DIR");

    CLI::App* overlay =
        app.add_subcommand("overlay", "選んだラップのオーバーレイ CSV を出力します");
    overlay
        ->add_option("--dir", dir,
                     "ラップファイルのフォルダ (既定: Wine の ProgramData/Laprix/temp)")
        ->type_name("DIR");
    overlay->add_option("--laps", laps, "データ番号 FIRST[-LAST] (既定: すべてのラップ)")
        ->type_name("FIRST[-LAST]");
    overlay->add_option("-o,--output", out, "出力ファイル (拡張子は .csv になります)")
        ->type_name("OUT")
        ->required();
    overlay->add_flag("-f,--force", force, "既存のファイルを置き換えます");

    CLI::App* filesCmd =
        app.add_subcommand("files", "指定した順のラップファイルのオーバーレイ CSV を出力します");
    filesCmd->add_option("-o,--output", out, "出力ファイル (拡張子は .csv になります)")
        ->type_name("OUT")
        ->required();
    filesCmd->add_flag("-f,--force", force, "既存のファイルを置き換えます");
    filesCmd->add_option("FILE", files, "ラップファイル")->type_name("")->required();

    CLI::App* raw = app.add_subcommand("raw", "1 つのラップファイルの全データを CSV に出力します");
    raw->add_option("-o,--output", out, "出力ファイル (拡張子は .csv になります)")
        ->type_name("OUT")
        ->required();
    raw->add_flag("-f,--force", force, "既存のファイルを置き換えます");
    raw->add_option("FILE", file, "ラップファイル")->type_name("")->required();

    try {
        app.parse(argc, argv);
    } catch (const CLI::CallForHelp& e) {
        return app.exit(e);
    } catch (const CLI::CallForAllHelp& e) {
        return app.exit(e);
    } catch (const CLI::CallForVersion& e) {
        return app.exit(e);
    } catch (const CLI::ParseError& e) {
        app.exit(e);
        return 2;
    }

    try {
        if (list->parsed()) return RunList(dir);
        if (overlay->parsed()) return RunOverlay(dir, laps, out, force);
        if (filesCmd->parsed()) return RunFiles(files, out, force);
        return RunRaw(file, out, force);
    } catch (const std::exception& e) {
        std::cerr << "lapcsv: " << e.what() << '\n';
        return 1;
    }
}
