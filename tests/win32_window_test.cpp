// The native window without a screen user: created as the program creates
// it, its lap list filled by the posted message, and its commands run by
// the same handlers a click runs, with scripted answers.
#include <windows.h>
// windows.h first: the common controls' header needs its types.
#include <commctrl.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <stdexcept>

#include "gui/win32/mainwindow.h"
#include "platform/system.h"
#include "platform/win32/wide.h"
#include "tests/kit/files.h"
#include "tests/kit/programs.h"
#include "tests/kit/prompts.h"
#include "text/extended.h"
#include "tools/sessiongen.h"

namespace {

const std::string kLapcsv = LAPCSV_PATH;

// The text of a control or of one cell of the lap list.
std::string TextOf(HWND control) {
    wchar_t text[512] = {};
    ::GetWindowTextW(control, text, 512);
    return platform::win32::Utf8(text);
}

std::string Cell(HWND list, int row, int col) {
    wchar_t text[256] = {};
    ListView_GetItemText(list, row, col, text, 256);
    return platform::win32::Utf8(text);
}

std::string Heading(HWND list, int col) {
    wchar_t text[256] = {};
    LVCOLUMNW column{};
    column.mask = LVCF_TEXT;
    column.pszText = text;
    column.cchTextMax = 256;
    ListView_GetColumn(list, col, &column);
    return platform::win32::Utf8(text);
}

// Version 2.0.0, with a data folder of this test process beside the real
// one: the tests run in parallel, in one Wine prefix.
std::string TestDataFolder() {
    std::string laprix = platform::DataFolderByAppData();
    laprix.resize(laprix.size() - std::string("temp\\").size());
    return laprix + "window-test-" + std::to_string(::GetCurrentProcessId()) + "\\";
}
const ProgramVersion kTestVersion{kVersion2.version, TestDataFolder};

// Generated laps in the data folder while the test runs.
class Win32WindowTest : public ::testing::Test {
  protected:
    void SetUp() override {
        folder = TestDataFolder();
        std::filesystem::remove_all(PathOf(folder));
        SessionOptions options;
        options.laps = 5;
        options.samplesPerLap = 120;
        WriteSession(folder, options);
    }
    void TearDown() override { std::filesystem::remove_all(PathOf(folder)); }

    // The window as the program makes it, with its errors recorded.
    std::unique_ptr<MainWindow> Open() {
        auto window = std::make_unique<MainWindow>(::GetModuleHandleW(nullptr), kTestVersion);
        if (window->Window() == nullptr)
            throw std::runtime_error("no window (system error " + std::to_string(::GetLastError()) +
                                     "): is there a display?");
        window->SetPrompts(&prompts);
        window->SetErrorDisplay([this](const std::string& caption, const std::string& text) {
            errors.push_back(caption + ": " + text);
        });
        return window;
    }

    // Delivers what the window posted itself, as the message loop would:
    // how many messages 1025 came.
    static int DeliverPosted(const MainWindow& window) {
        int fills = 0;
        MSG message{};
        for (int n = 0; n < 10'000 && ::PeekMessageW(&message, window.Window(), 0, 0, PM_REMOVE);
             ++n) {
            fills += message.message == kFillLapListMessage;
            ::DispatchMessageW(&message);
        }
        return fills;
    }

    std::string folder;
    ScratchDir out;
    ScriptedPrompts prompts;
    std::vector<std::string> errors;
};

TEST_F(Win32WindowTest, ShowsTheControlsAsDrawn) {
    const auto window = Open();
    HWND w = window->Window();
    EXPECT_EQ(TextOf(w), "Laprix to CSV for Quorbel Ver2.0.0");
    RECT outer{};
    ::GetWindowRect(w, &outer);
    const int dpi = ::GetDeviceCaps(::GetDC(nullptr), LOGPIXELSY);
    EXPECT_EQ(outer.right - outer.left, ::MulDiv(891, dpi, 96));
    EXPECT_EQ(outer.bottom - outer.top, ::MulDiv(303, dpi, 96));

    const char* headings[] = {"データ番号", "日付", "時刻", "タイム", "最高速 km/h", "キョリ km"};
    const int widths[] = {77, 101, 82, 78, 94, 77};
    for (int col = 0; col < 6; ++col) {
        EXPECT_EQ(Heading(window->lapList, col), headings[col]);
        EXPECT_EQ(ListView_GetColumnWidth(window->lapList, col), ::MulDiv(widths[col], dpi, 96));
    }
    EXPECT_TRUE(ListView_GetExtendedListViewStyle(window->lapList) & LVS_EX_FULLROWSELECT);
    const struct {
        HWND control;
        const char* text;
        bool visible;
    } controls[] = {
        {window->labels[0], "\"Quorbel\"用のCSVファイルを出力します。", true},
        {window->labels[1], "ラップ、あるいは連続する複数のラップを", true},
        {window->labels[2], "選択し「出力」ボタンをクリックして下さい。", true},
        {window->labels[3], "※Laprix解析ソフトを実行し、出力したい", true},
        {window->labels[4], "\u3000 データを表示している状態で起動してください。", true},
        {window->exportButton, "出力", true},
        {window->rawLogButton, "..", false},
        {window->pickedFilesButton, "Button1", false},
    };
    window->Show(SW_SHOWNORMAL);
    DeliverPosted(*window);
    for (const auto& c : controls) {
        EXPECT_EQ(TextOf(c.control), c.text);
        EXPECT_EQ(::IsWindowVisible(c.control) != FALSE, c.visible) << c.text;
    }
    EXPECT_EQ(TextOf(window->folderHint), "ラップファイルの場所: " + folder);
    // The tab order: the list, then the button; the hidden ones are skipped.
    EXPECT_EQ(::GetNextDlgTabItem(w, window->lapList, FALSE), window->exportButton);
    EXPECT_EQ(::GetNextDlgTabItem(w, window->exportButton, FALSE), window->lapList);
}

TEST_F(Win32WindowTest, ListsTheLapsFromThePostedMessageWithTheFirstSelected) {
    const auto window = Open();
    // One empty row until the message comes.
    EXPECT_EQ(ListView_GetItemCount(window->lapList), 1);
    EXPECT_EQ(DeliverPosted(*window), 1);
    ASSERT_EQ(ListView_GetItemCount(window->lapList), 5);
    EXPECT_EQ(Cell(window->lapList, 0, 0), "0001");
    EXPECT_EQ(Cell(window->lapList, 4, 0), "0005");
    EXPECT_EQ(Cell(window->lapList, 0, 1), window->CurrentSession().lapRows[0].cells[1]);
    const auto rows = window->SelectedRows();
    ASSERT_TRUE(rows.has_value());
    EXPECT_EQ(rows->first, 0u);
    EXPECT_EQ(rows->last, 0u);
}

TEST_F(Win32WindowTest, SelectionIsOneBlock) {
    const auto window = Open();
    DeliverPosted(*window);
    // Rows 2 and 4 picked apart: the block from the first to the last.
    ListView_SetItemState(window->lapList, -1, 0, LVIS_SELECTED);
    ListView_SetItemState(window->lapList, 1, LVIS_SELECTED, LVIS_SELECTED);
    ListView_SetItemState(window->lapList, 3, LVIS_SELECTED, LVIS_SELECTED);
    DeliverPosted(*window);
    EXPECT_EQ(ListView_GetSelectedCount(window->lapList), 3u);
    const auto rows = window->SelectedRows();
    ASSERT_TRUE(rows.has_value());
    EXPECT_EQ(rows->first, 1u);
    EXPECT_EQ(rows->last, 3u);
}

TEST_F(Win32WindowTest, ExportButtonWritesTheSameBytesAsLapcsv) {
    const auto window = Open();
    DeliverPosted(*window);
    ListView_SetItemState(window->lapList, -1, 0, LVIS_SELECTED);
    for (const int row : {1, 2, 3})
        ListView_SetItemState(window->lapList, row, LVIS_SELECTED, LVIS_SELECTED);
    prompts.savePath = out / "laps";
    // The click, as the button sends it.
    ::SendMessageW(window->exportButton, BM_CLICK, 0, 0);
    EXPECT_TRUE(errors.empty()) << errors.front();
    ASSERT_EQ(prompts.informations, std::vector<std::string>{"laps.csv を出力しました。"});
    EXPECT_EQ(prompts.saveTypes, std::vector<SaveType>{SaveType::Csv});
    const ProgramRun run = RunProgram(
        kLapcsv, {"overlay", "--dir", folder, "--laps", "2-4", "-o", out / "lapcsv"}, out.Path());
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(ReadBytes(out / "laps.csv"), ReadBytes(out / "lapcsv.csv"));
    EXPECT_EQ(ExtendedPrecisionBits(), 64);
}

TEST_F(Win32WindowTest, ErrorsAreShownWithTheProgramsNameAndThePath) {
    const auto window = Open();
    DeliverPosted(*window);
    prompts.savePath = out / "nofolder/laps";
    ::SendMessageW(window->exportButton, BM_CLICK, 0, 0);
    ASSERT_EQ(errors.size(), 1u);
    EXPECT_EQ(errors[0],
              "unit_tests: ファイル名の指定が間違っています.\n" + out / "nofolder/laps.csv");
    EXPECT_TRUE(prompts.informations.empty());
}

TEST_F(Win32WindowTest, WithoutLapsTheHintSaysSo) {
    std::filesystem::remove_all(PathOf(folder));
    const auto window = Open();
    EXPECT_EQ(DeliverPosted(*window), 0);
    EXPECT_EQ(ListView_GetItemCount(window->lapList), 1);
    EXPECT_EQ(TextOf(window->folderHint),
              "ラップファイルの場所: " + folder + "\r\nこのフォルダはありません。");
    ::SendMessageW(window->exportButton, BM_CLICK, 0, 0);  // nothing to export
    EXPECT_TRUE(prompts.savePresets.empty());
    EXPECT_TRUE(errors.empty());
}

TEST_F(Win32WindowTest, HiddenButtonsStartTheirCommandsWithTheirDialogs) {
    const auto window = Open();
    DeliverPosted(*window);
    // The raw log: the open dialog in the data folder, the save dialog with
    // the lap file's name.
    prompts.openPaths = {folder + "Temp0002.dtb"};
    prompts.savePath = out / "raw";
    ::SendMessageW(window->rawLogButton, BM_CLICK, 0, 0);
    EXPECT_EQ(prompts.openFolders, std::vector<std::string>{folder});
    EXPECT_EQ(prompts.savePresets, std::vector<std::string>{"Temp0002.csv"});
    EXPECT_EQ(ReadBytes(out / "raw.csv").substr(0, 2), "\x93\xFA");  // 日 in code page 932
    // Picked files, until the open dialog is cancelled.
    prompts = ScriptedPrompts();
    prompts.openPaths = {folder + "Temp0003.dtb", folder + "Temp0001.dtb"};
    prompts.savePath = out / "picked";
    ::SendMessageW(window->pickedFilesButton, BM_CLICK, 0, 0);
    EXPECT_EQ(prompts.openDialogs, 3);
    EXPECT_EQ(prompts.savePresets, std::vector<std::string>{"Temp0003.csv"});
    EXPECT_EQ(ReadBytes(out / "picked.csv").substr(0, 28), "Time,LapTm,X,Y,Spd,XG,YG\r\n0.");
    EXPECT_TRUE(errors.empty());
}

TEST_F(Win32WindowTest, TextsAreInAJapaneseGothicFaceOf15Pixels) {
    const auto window = Open();
    const std::vector<std::string> faces = {"ＭＳ Ｐゴシック", "MS PGothic", "IPAPGothic",
                                            "Noto Sans CJK JP", "MS Shell Dlg"};
    const int dpi = ::GetDeviceCaps(::GetDC(nullptr), LOGPIXELSY);
    for (HWND control : {window->lapList, window->labels[0], window->exportButton}) {
        const auto font = reinterpret_cast<HFONT>(::SendMessageW(control, WM_GETFONT, 0, 0));
        LOGFONTW shape{};
        ASSERT_NE(::GetObjectW(font, sizeof shape, &shape), 0);
        EXPECT_NE(std::find(faces.begin(), faces.end(), platform::win32::Utf8(shape.lfFaceName)),
                  faces.end());
        EXPECT_EQ(shape.lfHeight, -::MulDiv(15, dpi, 96));
    }
}

}  // namespace
