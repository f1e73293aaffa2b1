// What the window's commands ask the user and tell the user. Each window
// toolkit answers with its own dialogs and boxes; the tests answer from a
// script.
#pragma once

#include <optional>
#include <string>

// What a save dialog saves, which decides its file type filters.
enum class SaveType {
    Csv,      // "CSVファイル"
    Picture,  // the racing line: SVG, or PNG
    Gpx,
};

class Prompts {
  public:
    virtual ~Prompts() = default;

    // The open dialog's initial folder, kept for the shows that follow.
    virtual void SetOpenFolder(const std::string& folder) = 0;
    // Shows the open dialog: the chosen path, or nothing when cancelled.
    virtual std::optional<std::string> AskOpenPath() = 0;
    // Shows the save dialog for files of `type` with `fileName` preset
    // (empty: no name): the entered path, or nothing when cancelled.
    virtual std::optional<std::string> AskSavePath(const std::string& fileName, SaveType type) = 0;
    // The warning box with Yes and No; true only for Yes.
    virtual bool AskYesNoWarning(const std::string& text) = 0;
    // The information box with OK.
    virtual void ShowInformation(const std::string& text) = 0;
};
