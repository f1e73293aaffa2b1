// The main window: the lap list, the export button and the texts beside
// them, wired to the session's commands. It owns the session.
#pragma once

#include <QEvent>
#include <QFileDialog>
#include <QLabel>
#include <QMenu>
#include <QPointer>
#include <QPushButton>
#include <QTableWidget>
#include <QWidget>
#include <functional>
#include <memory>

#include "gui/prompts.h"
#include "gui/session.h"

// The private message that has the lap list filled once the window is up.
inline constexpr QEvent::Type kFillLapListEvent = static_cast<QEvent::Type>(1025);

class MainWindow : public QWidget {
  public:
    explicit MainWindow(const ProgramVersion& version, QWidget* parent = nullptr);
    ~MainWindow() override;

    // What the controls start.
    void ExportSelectedLaps();
    void ExportPickedLapFiles();
    void ExportRawLog();
    void FillLapList();
    // The racing line of the selected laps: shown, saved as a picture, saved
    // as GPX.
    void ShowRacingLine();
    void SaveRacingLine();
    void SaveGpx();

    const Session& CurrentSession() const { return session_; }
    // Who answers the commands' questions: the window's own dialogs and
    // boxes unless another is set (the window does not own it).
    void SetPrompts(Prompts* prompts);
    // How an error is shown: the modal stop box unless another is set.
    using ErrorDisplay = std::function<void(const QString& caption, const QString& text)>;
    void SetErrorDisplay(ErrorDisplay display);

    QTableWidget* lapTable;
    QLabel* introLabel;
    QLabel* instructionLabel1;
    QLabel* instructionLabel2;
    QLabel* launchNoteLabel1;
    QLabel* launchNoteLabel2;
    QLabel* folderHintLabel;
    QPushButton* exportButton;
    QPushButton* rawLogButton;
    QPushButton* pickedFilesButton;
    QFileDialog* openDialog;
    QFileDialog* saveDialog;
    // The lap list's menu (right click, or the menu key).
    QMenu* lapMenu;
    QAction* showRacingLineAction;
    QAction* saveRacingLineAction;
    QAction* saveGpxAction;

    // The racing line window opened last, while it is open.
    QWidget* RacingLineWindow() const { return racingLineWindow_; }

  protected:
    void customEvent(QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void moveEvent(QMoveEvent* event) override;

  private:
    void CreateControls();
    void CreateLapMenu();
    void ShowLapRows();
    void ShowFolderHint();
    std::optional<RowRange> SelectedRows() const;
    void FitOuterSize();
    // Runs one command to its end; an error that leaves it is shown and
    // goes no further, and the window stays usable.
    void Run(const std::function<void()>& command) noexcept;

    Session session_;
    const ProgramVersion& version_;
    std::unique_ptr<Prompts> ownPrompts_;
    Prompts* prompts_;
    ErrorDisplay errorDisplay_;
    bool outerSizeFitted_ = false;
    QPointer<QWidget> racingLineWindow_;
};
