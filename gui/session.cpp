#include "gui/session.h"

#include "export/overlay.h"
#include "export/rawlog.h"
#include "export/sharing.h"
#include "laplist/lapfiles.h"
#include "platform/files.h"
#include "platform/system.h"
#include "text/error.h"
#include "text/names.h"
#include "version.h"

const ProgramVersion kVersion1{L2Q_VERSION_1, platform::DataFolderByRegistry};
const ProgramVersion kVersion2{L2Q_VERSION_2, platform::DataFolderByAppData};

namespace {

// The save dialog, with the extension forced to ".csv": the target, or
// nothing when the user cancelled.
std::optional<std::string> AskTarget(Prompts& prompts, const std::string& preset) {
    const auto entered = prompts.AskSavePath(preset, SaveType::Csv);
    if (!entered) return std::nullopt;
    return ForceCsvExtension(*entered);
}

// The question before a file is replaced; true when it may be written.
bool MayWrite(Prompts& prompts, const std::string& target) {
    return platform::KindOf(target) != platform::EntryKind::File ||
           prompts.AskYesNoWarning(FileNameOf(target) + " は既に存在します。\r上書きしますか?");
}

[[noreturn]] void ThrowNoLapLoaded(const std::vector<std::string>& skipped) {
    throw Error("選択したラップを読み込めませんでした。何も出力していません: " +
                JoinWithCommas(skipped));
}

// The completion message, naming the laps that were left out.
void TellWritten(Prompts& prompts, const std::string& target,
                 const std::vector<std::string>& skipped) {
    std::string message = FileNameOf(target) + " を出力しました。";
    if (!skipped.empty()) message += "\r読み込めなかったラップ: " + JoinWithCommas(skipped);
    prompts.ShowInformation(message);
}

// The laps of the selected rows, or of the first row when none is selected.
std::vector<LapSource> SelectedLaps(const Session& session, std::optional<RowRange> selection) {
    const RowRange rows = selection.value_or(RowRange{});
    return SelectedLapSources(session.dataFolder, session.lapRows, rows.first, rows.last);
}

// The name a save dialog offers for the selected laps: the first one's file
// name with `extension`.
std::string PresetFor(const Session& session, std::optional<RowRange> selection,
                      std::string_view extension) {
    const std::size_t first = selection ? selection->first : 0;
    if (first >= session.lapRows.size()) return {};
    return ForceExtension(session.lapRows[first].fileName, extension);
}

bool HasPngExtension(const std::string& path) {
    const std::string name = FileNameOf(path);
    return name.size() > 4 && EqualIgnoringAsciiCase(name.substr(name.size() - 4), ".png");
}

}  // namespace

Session StartSession(const ProgramVersion& version) {
    Session session;
    session.dataFolder = version.findDataFolder();
    session.lapFileNames = FindLapFileNames(session.dataFolder);
    return session;
}

void FillLapList(Session& session) {
    ListLaps(session.dataFolder, session.lapFileNames, session.lapRows);
}

void ExportSelectedLapsCommand(const Session& session, std::optional<RowRange> selection,
                               Prompts& prompts) {
    if (session.lapRows.empty()) return;  // no lap listed
    const auto target = AskTarget(prompts, "");
    if (!target || !MayWrite(prompts, *target)) return;
    const ExportOutcome outcome = ExportSelectedLaps(SelectedLaps(session, selection), *target);
    if (outcome.status != ExportStatus::Written) ThrowNoLapLoaded(outcome.skipped);
    TellWritten(prompts, *target, outcome.skipped);
}

void ExportPickedLapFilesCommand(const Session& session, Prompts& prompts) {
    std::vector<std::string> picked;
    prompts.SetOpenFolder(session.dataFolder);
    while (auto path = prompts.AskOpenPath())
        picked.push_back(std::move(*path));
    if (picked.empty()) return;
    const auto target = AskTarget(prompts, ForceCsvExtension(FileNameOf(picked.front())));
    if (!target) return;

    const ExportOutcome outcome = ExportPickedLapFiles(picked, *target);
    if (outcome.status != ExportStatus::Written)
        throw Error(
            "選択したファイルはラップファイルとして読み込めませんでした。何も出力していません: " +
            JoinWithCommas(outcome.skipped));
    // The command otherwise ends silently; a file that was left out is told.
    if (!outcome.skipped.empty())
        prompts.ShowInformation(
            FileNameOf(*target) +
            " を出力しました。\r読み込めなかったファイル: " + JoinWithCommas(outcome.skipped));
}

void ExportRawLogCommand(Session& session, Prompts& prompts) {
    prompts.SetOpenFolder(session.dataFolder);
    const auto path = prompts.AskOpenPath();
    if (!path) return;
    // Every record is read before the user is asked for a target.
    if (!ReadRawLog(*path, session.rawLog)) return;
    const auto target = AskTarget(prompts, ForceCsvExtension(FileNameOf(*path)));
    if (!target) {
        session.rawLog = {};
        return;
    }
    ExportRawLog(session.rawLog, *target);
}

std::string RacingLineOfSelection(const Session& session, std::optional<RowRange> selection) {
    std::vector<std::string> skipped;
    const auto svg = RacingLineOf(SelectedLaps(session, selection), skipped);
    if (!svg) ThrowNoLapLoaded(skipped);
    return *svg;
}

void SaveRacingLineCommand(const Session& session, std::optional<RowRange> selection,
                           Prompts& prompts, const PngRenderer& renderPng) {
    if (session.lapRows.empty()) return;
    const auto entered =
        prompts.AskSavePath(PresetFor(session, selection, ".svg"), SaveType::Picture);
    if (!entered) return;
    const bool png = HasPngExtension(*entered);
    const std::string target = png ? *entered : ForceExtension(*entered, ".svg");
    if (!MayWrite(prompts, target)) return;
    std::vector<std::string> skipped;
    const auto svg = RacingLineOf(SelectedLaps(session, selection), skipped);
    if (!svg) ThrowNoLapLoaded(skipped);
    WriteFileAtomically(target, png ? renderPng(*svg) : *svg);
    TellWritten(prompts, target, skipped);
}

void SaveGpxCommand(const Session& session, std::optional<RowRange> selection, Prompts& prompts) {
    if (session.lapRows.empty()) return;
    const auto entered = prompts.AskSavePath(PresetFor(session, selection, ".gpx"), SaveType::Gpx);
    if (!entered) return;
    const std::string target = ForceExtension(*entered, ".gpx");
    if (!MayWrite(prompts, target)) return;
    const ExportOutcome outcome =
        ExportGpx(SelectedLaps(session, selection), target, platform::MachineLocalToUtc());
    if (outcome.status != ExportStatus::Written) ThrowNoLapLoaded(outcome.skipped);
    TellWritten(prompts, target, outcome.skipped);
}

std::string LapListHint(const Session& session) {
    std::string hint = "ラップファイルの場所: " + platform::DisplayPath(session.dataFolder);
    if (!session.lapRows.empty()) return hint;
    if (session.dataFolder.empty())
        hint += "\rLaprix のインストール先が登録されていないため、作業フォルダを探しました。";
    else if (platform::KindOf(session.dataFolder) != platform::EntryKind::Folder)
        hint += "\rこのフォルダはありません。";
    else
        hint += "\rラップファイルが見つかりません。";
    return hint;
}
