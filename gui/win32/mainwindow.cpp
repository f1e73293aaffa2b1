#include "gui/win32/mainwindow.h"

#include <commctrl.h>

#include <algorithm>

#include "gui/errortext.h"
#include "gui/layout.h"
#include "platform/system.h"
#include "platform/win32/wide.h"
#include "text/extended.h"

using platform::win32::Utf8;
using platform::win32::Wide;

namespace {

constexpr wchar_t kWindowClass[] = L"Laprix2QuorbelMainWindow";
// The selection is made one block once the list has told all its changes.
constexpr UINT kContiguousMessage = WM_APP + 1;

enum ControlId : int {
    kLapListId = 100,
    kExportButtonId,
    kRawLogButtonId,
    kPickedFilesButtonId,
};

// The Japanese Gothic face the window was drawn for, then its stand-ins.
std::wstring WindowFace(HDC dc) {
    for (const wchar_t* face :
         {L"ＭＳ Ｐゴシック", L"MS PGothic", L"IPAPGothic", L"Noto Sans CJK JP"}) {
        LOGFONTW wanted{};
        wanted.lfCharSet = DEFAULT_CHARSET;
        wcsncpy(wanted.lfFaceName, face, LF_FACESIZE - 1);
        bool found = false;
        ::EnumFontFamiliesExW(
            dc, &wanted,
            [](const LOGFONTW*, const TEXTMETRICW*, DWORD, LPARAM found) -> int {
                *reinterpret_cast<bool*>(found) = true;
                return 0;
            },
            reinterpret_cast<LPARAM>(&found), 0);
        if (found) return face;
    }
    return L"MS Shell Dlg";
}

HFONT NewFont(const std::wstring& face, int pixels) {
    return ::CreateFontW(-pixels, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, SHIFTJIS_CHARSET,
                         OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                         DEFAULT_PITCH | FF_DONTCARE, face.c_str());
}

void SetFont(HWND control, HFONT font) {
    ::SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
}

// How wide `text` is in `font`.
int TextWidth(HWND window, HFONT font, const std::wstring& text) {
    HDC dc = ::GetDC(window);
    HGDIOBJ old = ::SelectObject(dc, font);
    SIZE size{};
    ::GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &size);
    ::SelectObject(dc, old);
    ::ReleaseDC(window, dc);
    return size.cx;
}

// Lines of a text for a static control, which breaks them at CR LF only.
std::wstring ControlLines(const std::string& text) {
    std::wstring lines;
    const std::wstring wide = Wide(text);
    for (std::size_t i = 0; i < wide.size(); ++i) {
        if (wide[i] == L'\r' || wide[i] == L'\n') {
            if (wide[i] == L'\r' && i + 1 < wide.size() && wide[i + 1] == L'\n') ++i;
            lines += L"\r\n";
        } else {
            lines += wide[i];
        }
    }
    return lines;
}

}  // namespace

MainWindow::MainWindow(HINSTANCE instance, const ProgramVersion& version)
    : instance_(instance), version_(version) {
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_LISTVIEW_CLASSES | ICC_STANDARD_CLASSES};
    ::InitCommonControlsEx(&controls);
    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof windowClass;
    windowClass.lpfnWndProc = &MainWindow::Procedure;
    windowClass.hInstance = instance_;
    windowClass.hIcon = ::LoadIconW(instance_, MAKEINTRESOURCEW(1));
    windowClass.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    windowClass.lpszClassName = kWindowClass;
    ::RegisterClassExW(&windowClass);  // fails harmlessly when a window was made before

    HDC screen = ::GetDC(nullptr);
    dpi_ = ::GetDeviceCaps(screen, LOGPIXELSY);
    ::ReleaseDC(nullptr, screen);
    const int width = Px(kWindowWidth), height = Px(kWindowHeight);
    const std::wstring caption = Wide(kCaptionPrefix) + Wide(version_.version);
    ::CreateWindowExW(0, kWindowClass, caption.c_str(), WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN,
                      (::GetSystemMetrics(SM_CXSCREEN) - width) / 2,
                      (::GetSystemMetrics(SM_CYSCREEN) - height) / 2, width, height, nullptr,
                      nullptr, instance_, this);
    CreateControls();
    ownPrompts_ = std::make_unique<Win32Prompts>(window_, platform::AnalysisSoftwareDataFolder());
    prompts_ = ownPrompts_.get();
    Run([this] {
        ownPrompts_->SetSaveFolder(platform::DocumentsFolder());
        session_ = StartSession(version_);
        ShowFolderHint();
        // The list is filled from the message loop, once the window is up.
        if (!session_.lapFileNames.empty()) ::PostMessageW(window_, kFillLapListMessage, 0, 0);
    });
}

MainWindow::~MainWindow() {
    if (window_ != nullptr) ::DestroyWindow(window_);
    if (font_ != nullptr) ::DeleteObject(font_);
    if (hintFont_ != nullptr) ::DeleteObject(hintFont_);
    if (rowHeight_ != nullptr) ::ImageList_Destroy(rowHeight_);
}

int MainWindow::Px(int pixelsAt96Dpi) const {
    return ::MulDiv(pixelsAt96Dpi, dpi_, 96);
}

void MainWindow::CreateControls() {
    HDC dc = ::GetDC(window_);
    const std::wstring face = WindowFace(dc);
    ::ReleaseDC(window_, dc);
    font_ = NewFont(face, Px(15));
    hintFont_ = NewFont(face, Px(12));
    SetFont(window_, font_);

    RECT client{};
    ::GetClientRect(window_, &client);
    const auto child = [this](const wchar_t* type, const std::wstring& text, DWORD style, int id,
                              int left, int top, int width, int height, DWORD exStyle = 0) {
        HWND control = ::CreateWindowExW(
            exStyle, type, text.c_str(), WS_CHILD | style, left, top, width, height, window_,
            reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), instance_, nullptr);
        SetFont(control, font_);
        return control;
    };

    // Created in the order the Tab key visits them: the list, then the button.
    lapList = child(WC_LISTVIEWW, L"", WS_VISIBLE | WS_TABSTOP | LVS_REPORT | LVS_SHOWSELALWAYS,
                    kLapListId, 0, 0, Px(kLapTableWidth), client.bottom, WS_EX_CLIENTEDGE);
    ListView_SetExtendedListViewStyle(
        lapList, LVS_EX_FULLROWSELECT | LVS_EX_GRIDLINES | LVS_EX_DOUBLEBUFFER);
    // Rows are as high as the list's small images.
    rowHeight_ = ::ImageList_Create(1, Px(kLapRowHeight), ILC_COLOR, 1, 0);
    ListView_SetImageList(lapList, rowHeight_, LVSIL_SMALL);
    for (std::size_t col = 0; col < kLapListColumns; ++col) {
        std::wstring heading = Wide(kLapListHeadings[col]);
        LVCOLUMNW column{};
        column.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_FMT;
        column.fmt = LVCFMT_LEFT;
        column.cx = Px(kLapColumnWidths[col]);
        column.pszText = heading.data();
        ListView_InsertColumn(lapList, static_cast<int>(col), &column);
    }
    ShowLapRows();  // one empty row until the laps are listed

    for (std::size_t i = 0; i < kTextLabels.size(); ++i) {
        const ControlPlace& l = kTextLabels[i];
        const std::wstring text = Wide(l.text);
        // At least as wide as its text, so that a face with wider glyphs than
        // the one the layout was drawn with never cuts a sentence short.
        const int width = std::max(Px(l.width), TextWidth(window_, font_, text));
        labels[i] = child(WC_STATICW, text, WS_VISIBLE | SS_LEFT | SS_NOPREFIX, -1, Px(l.left),
                          Px(l.top), width, Px(l.height) + Px(3));
    }
    const auto button = [&](const ControlPlace& b, DWORD style, int id) {
        return child(WC_BUTTONW, Wide(b.text), style | WS_TABSTOP | BS_PUSHBUTTON, id, Px(b.left),
                     Px(b.top), Px(b.width), Px(b.height));
    };
    exportButton = button(kExportButton, WS_VISIBLE, kExportButtonId);
    // Their commands stay out of the user's reach: never shown.
    rawLogButton = button(kRawLogButton, 0, kRawLogButtonId);
    pickedFilesButton = button(kPickedFilesButton, 0, kPickedFilesButtonId);
    // Where the laps were looked for, small and grey in the free space below
    // the texts (over the hidden buttons, which never show).
    folderHint = child(WC_STATICW, L"", WS_VISIBLE | SS_LEFT | SS_NOPREFIX | SS_EDITCONTROL, -1,
                       Px(kFolderHint.left), Px(kFolderHint.top), Px(kFolderHint.width),
                       Px(kFolderHint.height));
    SetFont(folderHint, hintFont_);
    focus_ = lapList;
}

void MainWindow::Show(int showCommand) {
    ::ShowWindow(window_, showCommand);
    ::UpdateWindow(window_);
    ::SetFocus(lapList);
}

void MainWindow::SetPrompts(Prompts* prompts) {
    prompts_ = prompts != nullptr ? prompts : ownPrompts_.get();
}

void MainWindow::SetErrorDisplay(ErrorDisplay display) {
    errorDisplay_ = std::move(display);
}

void MainWindow::Run(const std::function<void()>& command) noexcept {
    // Whatever ran on this thread before may have lowered the precision.
    UseExtendedPrecision();
    try {
        command();
    } catch (...) {
        const std::string text = ErrorBoxMessage(DescribeCurrentException());
        wchar_t program[MAX_PATH] = {};
        ::GetModuleFileNameW(nullptr, program, MAX_PATH);
        const std::string caption = ProgramNameOf(Utf8(program));
        if (errorDisplay_)
            errorDisplay_(caption, text);
        else
            ShowErrorBox(window_, caption, text);
    }
}

std::optional<RowRange> MainWindow::SelectedRows() const {
    // The list keeps one block; should it ever hold more, the rows from the
    // first to the last are meant.
    int first = ListView_GetNextItem(lapList, -1, LVNI_SELECTED);
    int last = first;
    for (int row = first; row >= 0; row = ListView_GetNextItem(lapList, row, LVNI_SELECTED))
        last = row;
    if (first < 0) first = last = ListView_GetNextItem(lapList, -1, LVNI_FOCUSED);
    if (first < 0) return std::nullopt;
    return RowRange{static_cast<std::size_t>(first), static_cast<std::size_t>(last)};
}

void MainWindow::ExportSelectedLaps() {
    Run([this] { ExportSelectedLapsCommand(session_, SelectedRows(), *prompts_); });
}

void MainWindow::ExportPickedLapFiles() {
    Run([this] { ExportPickedLapFilesCommand(session_, *prompts_); });
}

void MainWindow::ExportRawLog() {
    Run([this] { ExportRawLogCommand(session_, *prompts_); });
}

void MainWindow::FillLapList() {
    Run([this] {
        // The rows made before an error are shown with it.
        struct ShowRows {
            MainWindow& window;
            ~ShowRows() {
                window.ShowLapRows();
                window.ShowFolderHint();
            }
        } show{*this};
        ::FillLapList(session_);
    });
}

void MainWindow::ShowLapRows() {
    ListView_DeleteAllItems(lapList);
    const auto& rows = session_.lapRows;
    const std::size_t count = std::max<std::size_t>(rows.size(), 1);  // an empty row without laps
    for (std::size_t r = 0; r < count; ++r) {
        for (std::size_t col = 0; col < kLapListColumns; ++col) {
            std::wstring cell = r < rows.size() ? Wide(rows[r].cells[col]) : L"";
            if (col == 0) {
                LVITEMW item{};
                item.mask = LVIF_TEXT;
                item.iItem = static_cast<int>(r);
                item.pszText = cell.data();
                ListView_InsertItem(lapList, &item);
            } else {
                ListView_SetItemText(lapList, static_cast<int>(r), static_cast<int>(col),
                                     cell.data());
            }
        }
    }
    // The first row is the current, selected one.
    ListView_SetItemState(lapList, 0, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
}

void MainWindow::ShowFolderHint() {
    ::SetWindowTextW(folderHint, ControlLines(LapListHint(session_)).c_str());
}

void MainWindow::MakeSelectionContiguous() {
    contiguityPending_ = false;
    const auto rows = SelectedRows();
    if (!rows || ListView_GetSelectedCount(lapList) == 0) return;
    for (std::size_t row = rows->first; row <= rows->last; ++row)
        if (!(ListView_GetItemState(lapList, static_cast<int>(row), LVIS_SELECTED) & LVIS_SELECTED))
            ListView_SetItemState(lapList, static_cast<int>(row), LVIS_SELECTED, LVIS_SELECTED);
}

LRESULT CALLBACK MainWindow::Procedure(HWND window, UINT message, WPARAM w, LPARAM l) {
    if (message == WM_NCCREATE) {
        auto* self = static_cast<MainWindow*>(reinterpret_cast<CREATESTRUCTW*>(l)->lpCreateParams);
        self->window_ = window;
        ::SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    }
    auto* self = reinterpret_cast<MainWindow*>(::GetWindowLongPtrW(window, GWLP_USERDATA));
    if (self == nullptr) return ::DefWindowProcW(window, message, w, l);
    if (message == WM_NCDESTROY) {
        ::SetWindowLongPtrW(window, GWLP_USERDATA, 0);
        self->window_ = nullptr;
        return ::DefWindowProcW(window, message, w, l);
    }
    return self->Handle(message, w, l);
}

LRESULT MainWindow::Handle(UINT message, WPARAM w, LPARAM l) {
    switch (message) {
        case kFillLapListMessage:
            FillLapList();
            return 0;
        case kContiguousMessage:
            MakeSelectionContiguous();
            return 0;
        case WM_COMMAND:
            if (HIWORD(w) == BN_CLICKED) {
                switch (LOWORD(w)) {
                    case kExportButtonId:
                        ExportSelectedLaps();
                        return 0;
                    case kRawLogButtonId:
                        ExportRawLog();
                        return 0;
                    case kPickedFilesButtonId:
                        ExportPickedLapFiles();
                        return 0;
                }
            }
            break;
        case WM_NOTIFY: {
            const auto* header = reinterpret_cast<const NMHDR*>(l);
            if (header->hwndFrom == lapList && header->code == LVN_ITEMCHANGED &&
                (reinterpret_cast<const NMLISTVIEW*>(l)->uChanged & LVIF_STATE) &&
                !contiguityPending_) {
                contiguityPending_ = true;
                ::PostMessageW(window_, kContiguousMessage, 0, 0);
            }
            break;
        }
        case WM_SIZE:
            // Docked left: the list keeps its width and fills the inner height.
            ::MoveWindow(lapList, 0, 0, Px(kLapTableWidth), HIWORD(l), TRUE);
            return 0;
        case WM_CTLCOLORSTATIC: {
            HDC dc = reinterpret_cast<HDC>(w);
            ::SetBkColor(dc, ::GetSysColor(COLOR_BTNFACE));
            if (reinterpret_cast<HWND>(l) == folderHint) ::SetTextColor(dc, RGB(0x70, 0x70, 0x70));
            return reinterpret_cast<LRESULT>(::GetSysColorBrush(COLOR_BTNFACE));
        }
        case WM_ACTIVATE:
            // A plain window forgets its focused control when it is left.
            if (LOWORD(w) == WA_INACTIVE) {
                if (HWND focused = ::GetFocus(); focused != nullptr && ::IsChild(window_, focused))
                    focus_ = focused;
            } else if (focus_ != nullptr) {
                ::SetFocus(focus_);
            }
            return 0;
        case WM_DESTROY:
            ::PostQuitMessage(0);
            return 0;
    }
    return ::DefWindowProcW(window_, message, w, l);
}

int RunMessageLoop(const MainWindow& window) {
    MSG message{};
    while (::GetMessageW(&message, nullptr, 0, 0) > 0) {
        // Tab between the list and the button, Enter on the focused button.
        if (window.Window() != nullptr && ::IsDialogMessageW(window.Window(), &message)) continue;
        ::TranslateMessage(&message);
        ::DispatchMessageW(&message);
    }
    return static_cast<int>(message.wParam);
}
