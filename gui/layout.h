// Where the main window's controls sit and what they say, in pixels at 96
// dots per inch: one layout for every window toolkit.
#pragma once

#include <array>

#include "laplist/laplist.h"

struct ControlPlace {
    const char* text;  // UTF-8
    int left, top, width, height;
};

inline constexpr const char* kCaptionPrefix = "Laprix to CSV for Quorbel Ver";
inline constexpr int kWindowWidth = 891;  // outside, frame included
inline constexpr int kWindowHeight = 303;
inline constexpr int kLapTableWidth = 553;  // docked left, the inner height
inline constexpr int kLapRowHeight = 24;
inline constexpr std::array<int, kLapListColumns> kLapColumnWidths = {77, 101, 82, 78, 94, 77};

inline constexpr std::array<ControlPlace, 5> kTextLabels = {{
    {"\"Quorbel\"用のCSVファイルを出力します。", 560, 8, 288, 15},
    {"ラップ、あるいは連続する複数のラップを", 560, 32, 248, 15},
    {"選択し「出力」ボタンをクリックして下さい。", 560, 56, 258, 15},
    {"※Laprix解析ソフトを実行し、出力したい", 560, 144, 293, 15},
    {"\u3000 データを表示している状態で起動してください。", 560, 160, 305, 15},
}};
inline constexpr ControlPlace kExportButton = {"出力", 664, 88, 75, 25};
// The two hidden buttons keep the captions they always had; never shown.
inline constexpr ControlPlace kRawLogButton = {"..", 560, 206, 33, 25};
inline constexpr ControlPlace kPickedFilesButton = {"Button1", 560, 240, 75, 25};
// Where the laps were looked for, in the free space below the texts.
inline constexpr ControlPlace kFolderHint = {"", 560, 190, 320, 100};
