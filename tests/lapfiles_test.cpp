#include "laplist/lapfiles.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include "tests/kit/files.h"
#include "tests/kit/laps.h"

namespace {

TEST(LapFileNames, Pattern) {
    const struct {
        const char* name;
        bool matches;
    } cases[] = {
        {"Temp0001.dtb", true},     {"temp0001.dtb", true},   {"TEMP00AB.DTB", true},
        {"Tempあいうえ.dtb", true}, {"Temp.001.dtb", true},   {"Temp001.dtb", false},
        {"Temp00001.dtb", false},   {"Temp0001.dtbx", false}, {"Temp0001.csv", false},
        {"Xemp0001.dtb", false},    {"Temp0001dtb", false},   {"", false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(IsLapFileName(c.name), c.matches) << c.name;
}

TEST(LapFileNames, EveryKindOfEntrySortedIgnoringCase) {
    ScratchDir dir;
    for (const char* name :
         {"Temp0003.dtb", "temp0001.dtb", "TEMP0002.DTB", "Temp001.dtb", "notes.txt"})
        WriteBytes(dir / name, "");
    ASSERT_EQ(::mkdir((dir / "Temp0004.dtb").c_str(), 0755), 0);
    ASSERT_EQ(::symlink("nowhere", (dir / "Temp0000.dtb").c_str()), 0);
    const std::vector<std::string> expected = {"Temp0000.dtb", "temp0001.dtb", "TEMP0002.DTB",
                                               "Temp0003.dtb", "Temp0004.dtb"};
    EXPECT_EQ(FindLapFileNames(dir.Path()), expected);
}

TEST(LapFileNames, SortIsTotalOnNamesDifferingOnlyInCase) {
    EXPECT_TRUE(LapFileNameLess("temp0001.dtb", "TEMP0002.DTB"));
    EXPECT_FALSE(LapFileNameLess("TEMP0002.DTB", "temp0001.dtb"));
    EXPECT_NE(LapFileNameLess("Temp0001.dtb", "temp0001.dtb"),
              LapFileNameLess("temp0001.dtb", "Temp0001.dtb"));
    EXPECT_FALSE(LapFileNameLess("Temp0001.dtb", "Temp0001.dtb"));
}

TEST(LapFileNames, MissingFolderAndCurrentFolder) {
    ScratchDir dir;
    EXPECT_TRUE(FindLapFileNames(dir / "gone/").empty());

    WriteBytes(dir / "Temp0009.dtb", "");
    char* old = ::getcwd(nullptr, 0);
    ASSERT_EQ(::chdir(dir.Path().c_str()), 0);
    const auto names = FindLapFileNames("");
    ASSERT_EQ(::chdir(old), 0);
    std::free(old);
    EXPECT_EQ(names, std::vector<std::string>{"Temp0009.dtb"});
}

}  // namespace
