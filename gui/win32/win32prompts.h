// The native window's answers to what the commands ask: the system's open
// and save dialogs and its warning, information and error boxes, with the
// window's Japanese texts.
#pragma once

#include <windows.h>

#include <string>

#include "gui/prompts.h"

// The box texts use a lone CR between lines; the system breaks lines at LF.
std::wstring BoxLines(const std::string& text);

// The stop box with OK, modal over `owner`.
void ShowErrorBox(HWND owner, const std::string& caption, const std::string& text);

class Win32Prompts : public Prompts {
  public:
    // The dialogs and boxes are modal over `owner`.
    Win32Prompts(HWND owner, std::string openFolder) : owner_(owner), openFolder_(openFolder) {}

    // The save dialog's first folder.
    void SetSaveFolder(const std::string& folder) { saveFolder_ = folder; }

    void SetOpenFolder(const std::string& folder) override;
    std::optional<std::string> AskOpenPath() override;
    std::optional<std::string> AskSavePath(const std::string& fileName, SaveType type) override;
    bool AskYesNoWarning(const std::string& text) override;
    void ShowInformation(const std::string& text) override;

  private:
    HWND owner_;
    std::string openFolder_;
    std::string saveFolder_;
};
