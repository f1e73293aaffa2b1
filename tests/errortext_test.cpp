// The error box's text and caption, as both window toolkits show them.
#include "gui/errortext.h"

#include <gtest/gtest.h>

namespace {

TEST(ErrorBoxMessage, AddsAFullStopAfterCharactersThatSortAfterItThenThePath) {
    const struct {
        const char* message;
        const char* path;
        const char* shown;
    } cases[] = {
        {"abc", "", "abc."},
        {"abc.", "", "abc."},
        {"", "", ""},
        {"I/O エラー (5)", "", "I/O エラー (5)"},  // ')' sorts before '.'
        {"a-", "", "a-"},
        {"a/", "", "a/."},
        {"終わりました。", "", "終わりました。."},
        {"\U0001F600", "", "\U0001F600."},
        {"ディスクがいっぱいです", "C:\\ラップ\\out.csv",
         "ディスクがいっぱいです.\nC:\\ラップ\\out.csv"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ErrorBoxMessage({c.message, c.path}), c.shown) << c.message;
}

TEST(ProgramNameOf, DropsFolderAndExtension) {
    const struct {
        const char* path;
        const char* name;
    } cases[] = {{"/usr/bin/Laprix2QuorbelII", "Laprix2QuorbelII"},
                 {"Laprix2Quorbel.exe", "Laprix2Quorbel"},
                 {"a.b.exe", "a.b"},
                 {".hidden", ".hidden"}};
    for (const auto& c : cases)
        EXPECT_EQ(ProgramNameOf(c.path), c.name) << c.path;
}

}  // namespace
