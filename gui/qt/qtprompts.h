// The window's answers to what the commands ask: its open and save
// dialogs and the platform's warning and information boxes.
#pragma once

#include <QFileDialog>
#include <QString>
#include <QWidget>

#include "gui/prompts.h"

// The open dialog for lap files, starting in `initialFolder`.
void SetUpOpenDialog(QFileDialog& dialog, const QString& initialFolder);
// The save dialog for CSV files. Its own overwrite question is off: the
// command asks about the name it will really write, with ".csv".
void SetUpSaveDialog(QFileDialog& dialog);

// The box texts use a lone CR between lines; Qt breaks lines at LF.
QString BoxLines(const std::string& text);

class QtPrompts : public Prompts {
  public:
    // The boxes are modal over `boxParent`.
    QtPrompts(QFileDialog& openDialog, QFileDialog& saveDialog, QWidget* boxParent)
        : open_(openDialog), save_(saveDialog), boxParent_(boxParent) {}

    void SetOpenFolder(const std::string& folder) override;
    std::optional<std::string> AskOpenPath() override;
    std::optional<std::string> AskSavePath(const std::string& fileName, SaveType type) override;
    bool AskYesNoWarning(const std::string& text) override;
    void ShowInformation(const std::string& text) override;

  private:
    QFileDialog& open_;
    QFileDialog& save_;
    QWidget* boxParent_;
};
