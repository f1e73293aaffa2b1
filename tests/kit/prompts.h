// The answers a user would give to the window's commands, and a record of
// what was asked.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "gui/prompts.h"

class ScriptedPrompts : public Prompts {
  public:
    std::vector<std::string> openPaths;   // answered in order, then cancel
    std::optional<std::string> savePath;  // nothing: cancel
    bool overwrite = false;               // the answer to the warning

    std::vector<std::string> openFolders;  // every folder set
    int openDialogs = 0;
    std::vector<std::string> savePresets;  // the preset of every save dialog
    std::vector<SaveType> saveTypes;
    std::vector<std::string> warnings;
    std::vector<std::string> informations;

    void SetOpenFolder(const std::string& folder) override { openFolders.push_back(folder); }
    std::optional<std::string> AskOpenPath() override {
        const auto index = static_cast<std::size_t>(openDialogs++);
        if (index >= openPaths.size()) return std::nullopt;
        return openPaths[index];
    }
    std::optional<std::string> AskSavePath(const std::string& fileName, SaveType type) override {
        savePresets.push_back(fileName);
        saveTypes.push_back(type);
        return savePath;
    }
    bool AskYesNoWarning(const std::string& text) override {
        warnings.push_back(text);
        return overwrite;
    }
    void ShowInformation(const std::string& text) override { informations.push_back(text); }
};
