// lapcsv: the lap list, the three CSV exports, the racing line picture and
// GPX from the command line, by the same export steps the window runs.
#include <CLI/CLI.hpp>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "export/overlay.h"
#include "export/rawlog.h"
#include "export/sharing.h"
#include "laplist/lapfiles.h"
#include "laplist/laplist.h"
#include "platform/files.h"
#include "platform/system.h"
#include "text/error.h"
#include "text/extended.h"
#include "text/names.h"
#include "version.h"

namespace {

// The data folder: --dir (with a delimiter added), else where version 2.0.0
// looks.
std::string DataFolderOf(const std::optional<std::string>& dir) {
    if (!dir) return platform::DataFolderByAppData();
    if (dir->empty() || IsPathDelimiter(dir->back())) return *dir;
    return *dir + '/';
}

std::vector<LapRow> ListedLaps(const std::string& folder) {
    if (!folder.empty() && platform::KindOf(folder) != platform::EntryKind::Folder)
        throw Error("フォルダが見つかりません", folder);
    std::vector<LapRow> rows;
    ListLaps(folder, FindLapFileNames(folder), rows);
    return rows;
}

// The row of a data number: as written (ignoring letter case), else, for a
// number such as 3, the row whose data number has that value (0003).
std::optional<std::size_t> RowOfDataNumber(const std::vector<LapRow>& rows,
                                           const std::string& text) {
    for (std::size_t r = 0; r < rows.size(); ++r)
        if (EqualIgnoringAsciiCase(rows[r].DataNumber(), text)) return r;
    const auto valueOf = [](const std::string& digits) -> std::optional<unsigned long> {
        if (digits.empty() || digits.size() > 9) return std::nullopt;
        for (const char c : digits)
            if (c < '0' || c > '9') return std::nullopt;
        return std::stoul(digits);
    };
    const auto wanted = valueOf(text);
    if (!wanted) return std::nullopt;
    for (std::size_t r = 0; r < rows.size(); ++r)
        if (valueOf(rows[r].DataNumber()) == wanted) return r;
    return std::nullopt;
}

// The rows of FIRST[-LAST]. A data number may itself hold '-', so the whole
// text is tried first, then every split.
std::pair<std::size_t, std::size_t> SelectLaps(const std::vector<LapRow>& rows,
                                               const std::string& laps) {
    if (const auto r = RowOfDataNumber(rows, laps)) return {*r, *r};
    std::string unknown = laps;
    for (auto dash = laps.find('-'); dash != std::string::npos; dash = laps.find('-', dash + 1)) {
        const std::string first = laps.substr(0, dash), last = laps.substr(dash + 1);
        const auto top = RowOfDataNumber(rows, first);
        const auto bottom = RowOfDataNumber(rows, last);
        if (top && bottom) {
            if (*top > *bottom)
                throw Error("データ番号 " + first + " は " + last + " より後にあります");
            return {*top, *bottom};
        }
        if (unknown == laps) unknown = top ? last : first;
    }
    throw Error("データ番号が見つかりません: " + unknown);
}

// The file to write: OUT with the command's extension, kept unless -f
// allows replacing it.
std::string TargetOf(const std::string& out, bool force, std::string_view extension = ".csv") {
    const std::string target = ForceExtension(out, extension);
    if (!force && platform::KindOf(target) == platform::EntryKind::File)
        throw Error(FileNameOf(target) + " は既に存在します。");
    return target;
}

// Tells each lap left out; nothing written at all is an error.
int Report(const ExportOutcome& outcome) {
    if (outcome.status != ExportStatus::Written)
        throw Error("ラップを 1 つも読み込めませんでした。何も出力していません: " +
                    JoinWithCommas(outcome.skipped));
    std::string warnings;
    for (const std::string& label : outcome.skipped)
        warnings += "lapcsv: " + label + ": ラップを読み込めなかったため、飛ばしました\n";
    platform::WriteStandardError(warnings);
    return 0;
}

int RunList(const std::optional<std::string>& dir) {
    const std::vector<LapRow> rows = ListedLaps(DataFolderOf(dir));
    std::string text;
    const auto addLine = [&text](const auto& cells) {
        for (std::size_t col = 0; col < cells.size(); ++col) {
            if (col > 0) text += '\t';
            text += cells[col];
        }
        text += '\n';
    };
    addLine(kLapListHeadings);
    for (const LapRow& row : rows)
        addLine(row.cells);
    return platform::WriteStandardOutput(text) ? 0 : 1;
}

// The laps of --laps (all without it) among the listed laps of --dir.
std::vector<LapSource> ChosenLaps(const std::optional<std::string>& dir,
                                  const std::optional<std::string>& laps) {
    const std::string folder = DataFolderOf(dir);
    const std::vector<LapRow> rows = ListedLaps(folder);
    if (rows.empty()) throw Error("ラップファイルがありません", folder.empty() ? "." : folder);
    const auto [first, last] =
        laps ? SelectLaps(rows, *laps) : std::pair<std::size_t, std::size_t>{0, rows.size() - 1};
    return SelectedLapSources(folder, rows, first, last);
}

int RunOverlay(const std::optional<std::string>& dir, const std::optional<std::string>& laps,
               const std::string& out, bool force) {
    const std::vector<LapSource> chosen = ChosenLaps(dir, laps);
    return Report(ExportSelectedLaps(chosen, TargetOf(out, force)));
}

int RunMap(const std::optional<std::string>& dir, const std::optional<std::string>& laps,
           const std::string& out, bool force) {
    const std::vector<LapSource> chosen = ChosenLaps(dir, laps);
    return Report(ExportRacingLine(chosen, TargetOf(out, force, ".svg")));
}

int RunGpx(const std::optional<std::string>& dir, const std::optional<std::string>& laps,
           const std::string& out, bool force, const std::optional<std::string>& utcOffset) {
    LocalToUtc toUtc = platform::MachineLocalToUtc();
    if (utcOffset) {
        const auto minutes = ParseUtcOffset(*utcOffset);
        if (!minutes) throw Error("UTC との時差が読めません: " + *utcOffset);
        toUtc = FixedUtcOffset(*minutes);
    }
    const std::vector<LapSource> chosen = ChosenLaps(dir, laps);
    return Report(ExportGpx(chosen, TargetOf(out, force, ".gpx"), toUtc));
}

int RunFiles(const std::vector<std::string>& files, const std::string& out, bool force) {
    return Report(ExportPickedLapFiles(files, TargetOf(out, force)));
}

int RunRaw(const std::string& file, const std::string& out, bool force) {
    const std::string target = TargetOf(out, force);
    std::vector<Sample> records;
    // A script deserves to hear that nothing was written.
    if (!ReadRawLog(file, records)) throw Error("ラップファイルではありません", file);
    ExportRawLog(records, target);
    return 0;
}

// The options every export takes: where to write, and whether to replace.
void AddOutputOptions(CLI::App& command, std::string& out, bool& force,
                      const char* extension = ".csv") {
    command
        .add_option("-o,--output", out,
                    std::string("出力ファイル (拡張子は ") + extension + " になります)")
        ->type_name("OUT")
        ->required();
    command.add_flag("-f,--force", force, "既存のファイルを置き換えます");
}

void AddDirOption(CLI::App& command, std::optional<std::string>& dir) {
    command
        .add_option("--dir", dir,
                    "ラップファイルのフォルダ (既定: Wine の ProgramData/Laprix/temp)")
        ->type_name("DIR");
}

// The options of the commands on laps of the list: where, and which.
void AddLapOptions(CLI::App& command, std::optional<std::string>& dir,
                   std::optional<std::string>& laps) {
    AddDirOption(command, dir);
    command
        .add_option("--laps", laps,
                    "データ番号 FIRST[-LAST] (既定: すべてのラップ)。3 のような数は、"
                    "同じ文字のデータ番号がないとき 0003 のように同じ値のデータ番号を指します")
        ->type_name("FIRST[-LAST]");
}

}  // namespace

// CLI11's help, version and error texts, written as lapcsv writes its own.
int ExitWith(const CLI::App& app, const CLI::Error& e) {
    std::ostringstream out, err;
    const int status = app.exit(e, out, err);
    platform::WriteStandardOutput(out.str());
    platform::WriteStandardError(err.str());
    return status;
}

int main(int argc, char** argv) {
    UseExtendedPrecision();
    CLI::App app{"Laprix のラップファイルから Quorbel 用の CSV などを出力します。"};
    app.name("lapcsv");
    app.set_version_flag("--version", std::string("lapcsv ") + L2Q_VERSION_2);
    app.require_subcommand(1);
    app.failure_message(CLI::FailureMessage::help);

    std::optional<std::string> dir, laps;
    std::string out;
    bool force = false;
    std::vector<std::string> files;
    std::string file;

    CLI::App* list = app.add_subcommand("list", "ラップ一覧を表示します (タブ区切り)");
    AddDirOption(*list, dir);

    CLI::App* overlay =
        app.add_subcommand("overlay", "選んだラップのオーバーレイ CSV を出力します");
    AddLapOptions(*overlay, dir, laps);
    AddOutputOptions(*overlay, out, force);

    CLI::App* map = app.add_subcommand(
        "map", "選んだラップの走行ライン (速度で色分けした SVG 画像) を出力します");
    AddLapOptions(*map, dir, laps);
    AddOutputOptions(*map, out, force, ".svg");

    std::optional<std::string> utcOffset;
    CLI::App* gpx = app.add_subcommand("gpx", "選んだラップを GPX 1.1 で出力します");
    AddLapOptions(*gpx, dir, laps);
    AddOutputOptions(*gpx, out, force, ".gpx");
    gpx->add_option(
           "--utc-offset", utcOffset,
           "ロガーの時計の UTC との時差 (例: +09:00)。既定: このコンピュータのタイムゾーン")
        ->type_name("±HH:MM");

    CLI::App* filesCommand =
        app.add_subcommand("files", "指定した順のラップファイルのオーバーレイ CSV を出力します");
    AddOutputOptions(*filesCommand, out, force);
    filesCommand->add_option("FILE", files, "ラップファイル")->type_name("")->required();

    CLI::App* raw = app.add_subcommand("raw", "1 つのラップファイルの全データを CSV に出力します");
    AddOutputOptions(*raw, out, force);
    raw->add_option("FILE", file, "ラップファイル")->type_name("")->required();

    // The arguments as UTF-8, whatever code page the system hands them in.
    std::vector<std::string> arguments = platform::ProgramArguments(argc, argv);
    std::vector<char*> pointers;
    for (std::string& argument : arguments)
        pointers.push_back(argument.data());
    try {
        app.parse(static_cast<int>(pointers.size()), pointers.data());
    } catch (const CLI::CallForHelp& e) {
        return ExitWith(app, e);
    } catch (const CLI::CallForAllHelp& e) {
        return ExitWith(app, e);
    } catch (const CLI::CallForVersion& e) {
        return ExitWith(app, e);
    } catch (const CLI::ParseError& e) {
        ExitWith(app, e);
        return 2;
    }

    try {
        if (list->parsed()) return RunList(dir);
        if (overlay->parsed()) return RunOverlay(dir, laps, out, force);
        if (map->parsed()) return RunMap(dir, laps, out, force);
        if (gpx->parsed()) return RunGpx(dir, laps, out, force, utcOffset);
        if (filesCommand->parsed()) return RunFiles(files, out, force);
        return RunRaw(file, out, force);
    } catch (...) {
        const ShownError error = DescribeCurrentException();
        platform::WriteStandardError("lapcsv: " + (error.path.empty() ? "" : error.path + ": ") +
                                     error.message + "\n");
        return 1;
    }
}
