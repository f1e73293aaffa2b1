#include "gui/session.h"

#include "export/overlay.h"
#include "export/rawlog.h"
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
    if (!target) return;
    const std::string name = FileNameOf(*target);
    if (platform::KindOf(*target) == platform::EntryKind::File &&
        !prompts.AskYesNoWarning(name + " は既に存在します。\r上書きしますか?"))
        return;

    const RowRange rows = selection.value_or(RowRange{});
    const ExportOutcome outcome = ExportSelectedLaps(
        SelectedLapSources(session.dataFolder, session.lapRows, rows.first, rows.last), *target);
    if (outcome.status != ExportStatus::Written)
        throw Error("選択したラップを読み込めませんでした。何も出力していません: " +
                    JoinWithCommas(outcome.skipped));
    std::string message = name + " を出力しました。";
    if (!outcome.skipped.empty())
        message += "\r読み込めなかったラップ: " + JoinWithCommas(outcome.skipped);
    prompts.ShowInformation(message);
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
