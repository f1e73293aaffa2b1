#include "gui/win32/win32prompts.h"

#include <commctrl.h>
#include <commdlg.h>

#include <vector>

#include "platform/system.h"
#include "platform/win32/wide.h"
#include "text/extended.h"
#include "text/names.h"

using platform::win32::Utf8;
using platform::win32::Wide;

namespace {

// A system dialog may load code (shell extensions, drivers) that leaves the
// x87 precision control at 53 bits; the command computes on afterwards.
struct KeepExtendedPrecision {
    ~KeepExtendedPrecision() { UseExtendedPrecision(); }
};

// A filter list as the common dialogs take it: description, NUL, pattern,
// NUL, ..., and one more NUL.
std::wstring Filters(std::initializer_list<std::pair<const wchar_t*, const wchar_t*>> entries) {
    std::wstring filters;
    for (const auto& [description, pattern] : entries) {
        filters += description;
        filters += L'\0';
        filters += pattern;
        filters += L'\0';
    }
    return filters + L'\0';
}

std::wstring FiltersOf(SaveType type) {
    switch (type) {
        case SaveType::Picture:
            return Filters({{L"SVG画像 (*.svg)", L"*.svg"}, {L"PNG画像 (*.png)", L"*.png"}});
        case SaveType::Gpx:
            return Filters({{L"GPXファイル (*.gpx)", L"*.gpx"}});
        case SaveType::Csv:
            break;
    }
    return Filters({{L"CSVファイル (*.csv)", L"*.csv"}});
}

// The folder the dialog starts in; an empty one is the current folder.
std::wstring StartFolder(const std::string& folder) {
    return Wide(platform::DisplayPath(folder));
}

constexpr DWORD kDialogFlags =
    OFN_EXPLORER | OFN_HIDEREADONLY | OFN_ENABLESIZING | OFN_NOCHANGEDIR | OFN_PATHMUSTEXIST;
constexpr DWORD kPathCapacity = 32768;

using TaskDialogFunction = HRESULT(WINAPI*)(const TASKDIALOGCONFIG*, int*, int*, BOOL*);

// Version 6 of the common controls, which the programs' manifest asks for,
// has the task dialog; without it (a test program) the plain message box
// stands in, with the system's own button texts.
TaskDialogFunction TaskDialogOfTheSystem() {
    HMODULE controls = ::GetModuleHandleW(L"comctl32.dll");
    if (controls == nullptr) return nullptr;
    return reinterpret_cast<TaskDialogFunction>(
        reinterpret_cast<void*>(::GetProcAddress(controls, "TaskDialogIndirect")));
}

struct BoxButton {
    int id;
    const wchar_t* text;
};

// A modal box with the window's own button texts; the id of the button
// pressed, or IDCANCEL when the box was closed otherwise.
int ShowBox(HWND owner, const std::wstring& caption, const std::wstring& text, PCWSTR icon,
            UINT plainStyle, const std::vector<BoxButton>& buttons) {
    const KeepExtendedPrecision keep;
    if (const TaskDialogFunction taskDialog = TaskDialogOfTheSystem()) {
        std::vector<TASKDIALOG_BUTTON> taskButtons;
        for (const BoxButton& b : buttons)
            taskButtons.push_back({b.id, b.text});
        TASKDIALOGCONFIG config{};
        config.cbSize = sizeof config;
        config.hwndParent = owner;
        config.dwFlags = TDF_ALLOW_DIALOG_CANCELLATION | TDF_POSITION_RELATIVE_TO_WINDOW;
        config.pszWindowTitle = caption.c_str();
        config.pszMainIcon = icon;
        config.pszContent = text.c_str();
        config.cButtons = static_cast<UINT>(taskButtons.size());
        config.pButtons = taskButtons.data();
        config.nDefaultButton = buttons.front().id;
        int pressed = IDCANCEL;
        if (SUCCEEDED(taskDialog(&config, &pressed, nullptr, nullptr))) return pressed;
    }
    return ::MessageBoxW(owner, text.c_str(), caption.c_str(), plainStyle | MB_SETFOREGROUND);
}

}  // namespace

std::wstring BoxLines(const std::string& text) {
    std::wstring lines;
    const std::wstring wide = Wide(text);
    for (std::size_t i = 0; i < wide.size(); ++i) {
        if (wide[i] == L'\r' && i + 1 < wide.size() && wide[i + 1] == L'\n') continue;
        lines += wide[i] == L'\r' ? L'\n' : wide[i];
    }
    return lines;
}

void ShowErrorBox(HWND owner, const std::string& caption, const std::string& text) {
    ShowBox(owner, Wide(caption), BoxLines(text), TD_ERROR_ICON, MB_OK | MB_ICONERROR,
            {{IDOK, L"OK"}});
}

void Win32Prompts::SetOpenFolder(const std::string& folder) {
    openFolder_ = folder;
}

std::optional<std::string> Win32Prompts::AskOpenPath() {
    const KeepExtendedPrecision keep;
    std::wstring path(kPathCapacity, L'\0');
    const std::wstring filters = Filters({{L"dtbファイル", L"*.dtb"}});
    const std::wstring folder = StartFolder(openFolder_);
    OPENFILENAMEW dialog{};
    dialog.lStructSize = sizeof dialog;
    dialog.hwndOwner = owner_;
    dialog.lpstrFilter = filters.c_str();
    dialog.nFilterIndex = 1;
    dialog.lpstrFile = path.data();
    dialog.nMaxFile = kPathCapacity;
    dialog.lpstrInitialDir = folder.c_str();
    dialog.Flags = kDialogFlags | OFN_FILEMUSTEXIST;
    if (!::GetOpenFileNameW(&dialog)) return std::nullopt;
    path.resize(std::wcslen(path.c_str()));
    return Utf8(path);
}

std::optional<std::string> Win32Prompts::AskSavePath(const std::string& fileName, SaveType type) {
    const KeepExtendedPrecision keep;
    std::wstring path = Wide(fileName);
    path.resize(kPathCapacity, L'\0');
    const std::wstring filters = FiltersOf(type);
    const std::wstring folder = StartFolder(saveFolder_);
    OPENFILENAMEW dialog{};
    dialog.lStructSize = sizeof dialog;
    dialog.hwndOwner = owner_;
    dialog.lpstrFilter = filters.c_str();
    dialog.nFilterIndex = 1;
    dialog.lpstrFile = path.data();
    dialog.nMaxFile = kPathCapacity;
    dialog.lpstrInitialDir = folder.c_str();
    // The command asks about replacing the name it really writes, with its
    // extension forced.
    dialog.Flags = kDialogFlags;
    if (!::GetSaveFileNameW(&dialog)) return std::nullopt;
    path.resize(std::wcslen(path.c_str()));
    std::string chosen = Utf8(path);
    saveFolder_ = FolderOf(chosen);  // where the next save starts
    // A picture saved with the PNG filter and no extension of its own is a PNG.
    if (type == SaveType::Picture && dialog.nFilterIndex == 2 &&
        FileNameOf(chosen).find('.') == std::string::npos)
        chosen += ".png";
    return chosen;
}

bool Win32Prompts::AskYesNoWarning(const std::string& text) {
    return ShowBox(owner_, L"警告", BoxLines(text), TD_WARNING_ICON, MB_YESNO | MB_ICONWARNING,
                   {{IDYES, L"はい(&Y)"}, {IDNO, L"いいえ(&N)"}}) == IDYES;
}

void Win32Prompts::ShowInformation(const std::string& text) {
    ShowBox(owner_, L"情報", BoxLines(text), TD_INFORMATION_ICON, MB_OK | MB_ICONINFORMATION,
            {{IDOK, L"OK"}});
}
