// The native main window: the lap list, the export button and the texts
// beside them, wired to the session's commands. It owns the session.
#pragma once

#include <windows.h>
// windows.h first: the common controls' header needs its types.
#include <commctrl.h>

#include <array>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "gui/prompts.h"
#include "gui/session.h"
#include "gui/win32/win32prompts.h"

// The private message that has the lap list filled once the window is up.
inline constexpr UINT kFillLapListMessage = WM_USER + 1;  // 1025

class MainWindow {
  public:
    // Creates the window, hidden, with its controls; starts the session and
    // posts the message that fills the lap list.
    MainWindow(HINSTANCE instance, const ProgramVersion& version);
    ~MainWindow();
    MainWindow(const MainWindow&) = delete;
    MainWindow& operator=(const MainWindow&) = delete;

    HWND Window() const { return window_; }
    // Shows the window with the keyboard focus in the lap list.
    void Show(int showCommand);

    // What the controls start.
    void ExportSelectedLaps();
    void ExportPickedLapFiles();
    void ExportRawLog();
    void FillLapList();

    const Session& CurrentSession() const { return session_; }
    // The rows of the lap list's one selected block; else the focused row.
    std::optional<RowRange> SelectedRows() const;
    // Who answers the commands' questions: the window's own dialogs and
    // boxes unless another is set (the window does not own it).
    void SetPrompts(Prompts* prompts);
    // How an error is shown: the modal stop box unless another is set.
    using ErrorDisplay = std::function<void(const std::string& caption, const std::string& text)>;
    void SetErrorDisplay(ErrorDisplay display);

    // The controls, in the order the Tab key visits the visible ones.
    HWND lapList = nullptr;
    HWND exportButton = nullptr;
    HWND rawLogButton = nullptr;       // hidden
    HWND pickedFilesButton = nullptr;  // hidden
    std::array<HWND, 5> labels{};
    HWND folderHint = nullptr;

  private:
    static LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM w, LPARAM l);
    LRESULT Handle(UINT message, WPARAM w, LPARAM l);
    void CreateControls();
    int Px(int pixelsAt96Dpi) const;
    void ShowLapRows();
    void ShowFolderHint();
    void MakeSelectionContiguous();
    // Runs one command to its end; an error that leaves it is shown and
    // goes no further, and the window stays usable.
    void Run(const std::function<void()>& command) noexcept;

    HINSTANCE instance_;
    const ProgramVersion& version_;
    Session session_;
    HWND window_ = nullptr;
    HWND focus_ = nullptr;  // the control to get the focus back on activation
    int dpi_ = 96;
    HFONT font_ = nullptr;
    HFONT hintFont_ = nullptr;
    HIMAGELIST rowHeight_ = nullptr;
    bool contiguityPending_ = false;
    std::unique_ptr<Win32Prompts> ownPrompts_;
    Prompts* prompts_ = nullptr;
    ErrorDisplay errorDisplay_;
};

// Runs the window's message loop until the window is closed: the exit code.
int RunMessageLoop(const MainWindow& window);
